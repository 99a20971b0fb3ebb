#!/usr/bin/env python3
"""discpack builds the sample disc's image (checked by disccheck, with an
autorun.inf that starts DOCVIEW.EXE) and refuses a folder disccheck refuses.

usage: test_discpack.py DISCCHECK SAMPLE_DISC
"""
import os
import shutil
import subprocess
import sys
import tempfile

DISCCHECK, SAMPLE = sys.argv[1:3]
DISCPACK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "discpack", "discpack.py")


def pack(folder, out):
    return subprocess.run([sys.executable, DISCPACK, "--disccheck", DISCCHECK, folder, "-o", out],
                          capture_output=True, text=True, timeout=120)


def main():
    failures = []
    with tempfile.TemporaryDirectory(prefix="discpack-test-") as tmp:
        image = os.path.join(tmp, "sample.iso")
        p = pack(SAMPLE, image)
        if p.returncode != 0 or not os.path.isfile(image):
            failures.append("sample: status %d\n%s%s" % (p.returncode, p.stdout, p.stderr))
        else:
            check = subprocess.run([DISCCHECK, image], capture_output=True, text=True)
            if check.returncode != 0 or ": error:" in check.stdout:
                failures.append("disccheck on the image: %d\n%s" % (check.returncode, check.stdout))
            autorun = os.path.join(tmp, "autorun.inf")
            subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", "/autorun.inf", autorun],
                           capture_output=True)
            want = b"[autorun]\r\nopen=DOCVIEW.EXE\r\nicon=DOCVIEW.EXE,0\r\n"
            if not os.path.isfile(autorun) or open(autorun, "rb").read() != want:
                failures.append("the image's autorun.inf is missing or wrong")

        # The folder's own autorun.inf is kept as it is.
        own = os.path.join(tmp, "own")
        shutil.copytree(SAMPLE, own)
        with open(os.path.join(own, "AUTORUN.INF"), "wb") as f:
            f.write(b"[autorun]\r\nopen=OTHER.EXE\r\n")
        image2 = os.path.join(tmp, "own.iso")
        p = pack(own, image2)
        listing = subprocess.run(["xorriso", "-indev", image2, "-ls", "/"], capture_output=True, text=True).stdout
        if p.returncode != 0 or "'AUTORUN.INF'" not in listing or "'autorun.inf'" in listing:
            failures.append("own autorun.inf: status %d, listing %s" % (p.returncode, listing))

        broken = os.path.join(tmp, "broken")
        shutil.copytree(SAMPLE, broken)
        os.remove(os.path.join(broken, "ENGINE.LOC"))
        image3 = os.path.join(tmp, "broken.iso")
        p = pack(broken, image3)
        if p.returncode != 1 or os.path.exists(image3) or "ENGINE.LOC: error: missing" not in p.stdout:
            failures.append("broken folder: status %d, image %s\n%s%s" % (p.returncode, os.path.exists(image3), p.stdout, p.stderr))
    for f in failures:
        print("FAIL " + f)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
