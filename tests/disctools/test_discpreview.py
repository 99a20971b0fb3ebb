#!/usr/bin/env python3
"""discpreview on the sample disc's image: a page for English, French and
Japanese whose pictures all load in a real browser (headless chromium).

usage: test_discpreview.py SAMPLE_DISC DISCCHECK MKLOC [PAGE_SHOT.png]
(DV_BUILD: the win64 build, as ctest hands it.) With PAGE_SHOT the browser's
picture of the page is saved there too.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, "..", "..", "tools")
SAMPLE, DISCCHECK, MKLOC = sys.argv[1:4]
SHOT = sys.argv[4] if len(sys.argv) > 4 else None
CHROMIUM = ["/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-first-run"]


def browser(tmp, *args):
    profile = tempfile.mkdtemp(prefix="profile-", dir=tmp)  # a new empty profile each time
    p = subprocess.run(CHROMIUM + ["--user-data-dir=" + profile, *args], capture_output=True, text=True,
                       timeout=120)
    return p.stdout


def main():
    failures = []
    locales = ["en_US", "fr_FR", "ja_JP"]
    with tempfile.TemporaryDirectory(prefix="discpreview-test-") as tmp:
        image = os.path.join(tmp, "sample.iso")
        subprocess.run([sys.executable, os.path.join(TOOLS, "discpack", "discpack.py"), "--disccheck", DISCCHECK,
                        SAMPLE, "-o", image], check=True, capture_output=True)
        out = os.path.join(tmp, "preview")
        p = subprocess.run([sys.executable, os.path.join(TOOLS, "discpreview", "discpreview.py"), image, "-o", out,
                            "--lang", ",".join(locales), "--no-reader",
                            "--build", os.environ["DV_BUILD"], "--mkloc", MKLOC],
                           capture_output=True, text=True, timeout=900)
        print(p.stdout + p.stderr)
        index = os.path.join(out, "index.html")
        if p.returncode != 0 or not os.path.isfile(index):
            failures.append("discpreview: status %d" % p.returncode)
        else:
            text = open(index, encoding="utf-8").read()
            pngs = re.findall(r'<img src="([^"]+)"', text)
            want = ["%s-%s.png" % (l, m) for l in locales for m in ("reader", "noreader")]
            if sorted(pngs) != sorted(want):
                failures.append("pictures on the page: %s, want %s" % (pngs, want))
            for png in pngs:
                if not os.path.isfile(os.path.join(out, png)):
                    failures.append("missing picture " + png)
            # What each user meets: the chooser with the reader, the reader prompt without.
            for needle in ("Installation Guide", "Annuler", "\u30ad\u30e3\u30f3\u30bb\u30eb"):
                if needle not in text:
                    failures.append("the page does not show %r" % needle)
            dom = browser(tmp, "--virtual-time-budget=10000", "--dump-dom", "file://" + index)
            m = re.search(r'data-images="(\d+)" data-broken="(\d+)"', dom)
            if not m or int(m.group(1)) != len(want) or m.group(2) != "0":
                failures.append("in the browser: %s" % (m.group(0) if m else "the page's check did not run"))
            if SHOT:
                browser(tmp, "--window-size=1600,1000", "--hide-scrollbars", "--screenshot=" + os.path.abspath(SHOT),
                        "file://" + index)
                if not os.path.isfile(SHOT):
                    failures.append("no picture of the page")
    for f in failures:
        print("FAIL " + f)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
