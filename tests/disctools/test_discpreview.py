#!/usr/bin/env python3
"""discpreview on the sample disc and on a disc whose texts do not fit, each
from a fresh Wine prefix and with an X server of its own, and the page of
each checked in a real browser (headless chromium). Then the X server and
the Wine server are ended under a running preview: it must say so at once.

usage: test_discpreview.py SAMPLE_DISC DISCCHECK MKLOC [PAGE_SHOT.png [FINDINGS_SHOT.png]]
(DV_BUILD: the win64 build, as ctest hands it.) With PAGE_SHOT the browser's
picture of the sample disc's page is saved there, with FINDINGS_SHOT that of
the page with findings (docs/discpreview.png, docs/discpreview-findings.png).
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(HERE, "..", "..", "tools")
SOURCE_TEXTS = os.path.join(HERE, "..", "..", "disc", "engine_loc.txt")
SAMPLE, DISCCHECK, MKLOC = sys.argv[1:4]
SHOT = sys.argv[4] if len(sys.argv) > 4 else None
FINDINGS_SHOT = sys.argv[5] if len(sys.argv) > 5 else None
CHROMIUM = ["/usr/bin/chromium", "--headless", "--no-sandbox", "--disable-gpu",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-first-run"]
DIALOGS = ["chooser", "reader-offer", "insert-disc", "no-manuals"]

# The broken disc's texts: (the sample's line, its replacement). The German
# need-reader text is short enough on its own, but with the blank line and the
# install question it passes the prompt's 255 characters; the German and
# Japanese instructions do not fit the chooser's one line.
TOO_LONG = [
    ("GER: Zum Lesen der Handb\u00fccher wird ein PDF-Reader ab Version 3 ben\u00f6tigt, der auf diesem Computer "
     "nicht installiert ist.",
     "GER: Zum Lesen der Handb\u00fccher auf diesem Datentr\u00e4ger wird ein PDF-Reader ab Version 3 ben\u00f6tigt. "
     "Ein solches Programm ist auf diesem Computer nicht installiert; das Installationsprogramm des "
     "PDF-Readers liegt auf diesem Datentr\u00e4ger bereit."),
    ("GER: W\u00e4hlen Sie ein Handbuch aus der Liste und klicken Sie auf OK.",
     "GER: W\u00e4hlen Sie bitte ein Handbuch aus der Liste aus und klicken Sie anschlie\u00dfend auf OK, "
     "um es zu \u00f6ffnen."),
    ("JPN: \u4e00\u89a7\u304b\u3089\u30de\u30cb\u30e5\u30a2\u30eb\u3092\u9078\u3093\u3067 [OK] "
     "\u3092\u62bc\u3057\u3066\u304f\u3060\u3055\u3044\u3002",
     "JPN: \u4e00\u89a7\u304b\u3089\u8aad\u307f\u305f\u3044\u30de\u30cb\u30e5\u30a2\u30eb\u3092\u9078\u3093\u3067 "
     "[OK] \u30dc\u30bf\u30f3\u3092\u62bc\u3057\u3066\u304f\u3060\u3055\u3044\u3002\u9078\u3093\u3060"
     "\u30de\u30cb\u30e5\u30a2\u30eb\u304c\u958b\u304d\u307e\u3059\u3002"),
]
# The findings the broken disc must give: a line starting with each.
WANT_FINDINGS = ["de_DE chooser IDC_MANUAL_TEXT clipped", "de_DE reader-offer IDC_PROMPT_TEXT cut: shows ",
                 "ja_JP chooser IDC_MANUAL_TEXT clipped"]


def browser(tmp, *args):
    profile = tempfile.mkdtemp(prefix="profile-", dir=tmp)  # a new empty profile each time
    p = subprocess.run(CHROMIUM + ["--user-data-dir=" + profile, *args], capture_output=True, text=True,
                       timeout=120)
    return p.stdout


def preview_command(disc, out, *options):
    return [sys.executable, os.path.join(TOOLS, "discpreview", "discpreview.py"), disc, "-o", out,
            "--build", os.environ["DV_BUILD"], "--mkloc", MKLOC, *options]


def own_display_env():
    """The tool makes an X server of its own when there is no display."""
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    return env


def preview(disc, out, *options):
    p = subprocess.run(preview_command(disc, out, *options), capture_output=True, text=True, timeout=600,
                       env=own_display_env())
    print(p.stdout + p.stderr)
    return p


def png_width(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return int.from_bytes(head[16:20], "big") if head[:8] == b"\x89PNG\r\n\x1a\n" else 0


def check_page(tmp, out, failures, what, shot=None):
    """The page's own pictures load in the browser; returns the page's text."""
    index = os.path.join(out, "index.html")
    if not os.path.isfile(index):
        failures.append("%s: no page" % what)
        return ""
    text = open(index, encoding="utf-8").read()
    pngs = re.findall(r'<img src="([^"]+)"', text)
    for png in pngs:
        if not os.path.isfile(os.path.join(out, png)):
            failures.append("%s: missing picture %s" % (what, png))
    dom = browser(tmp, "--virtual-time-budget=10000", "--dump-dom", "file://" + index)
    m = re.search(r'data-images="(\d+)" data-broken="(\d+)"', dom)
    if not m or int(m.group(1)) != len(pngs) or m.group(2) != "0":
        failures.append("%s: in the browser: %s (%d pictures on the page)" % (
            what, m.group(0) if m else "the page's check did not run", len(pngs)))
    if shot:
        browser(tmp, "--window-size=1600,1000", "--hide-scrollbars", "--screenshot=" + os.path.abspath(shot),
                "file://" + index)
        if not os.path.isfile(shot):
            failures.append("%s: no picture of the page" % what)
    return text


def check_sample(tmp, failures):
    """Every dialog of four languages, Thai as a Thai system, from a fresh prefix: no finding."""
    locales = ["en_US", "de_DE", "ja_JP", "th_TH"]
    image = os.path.join(tmp, "sample.iso")
    subprocess.run([sys.executable, os.path.join(TOOLS, "discpack", "discpack.py"), "--disccheck", DISCCHECK,
                    SAMPLE, "-o", image], check=True, capture_output=True)
    out = os.path.join(tmp, "sample")
    p = preview(image, out, "--lang", ",".join(locales), "--strict")
    if p.returncode != 0:
        failures.append("sample disc: status %d" % p.returncode)
    findings = os.path.join(out, "findings.txt")
    if not os.path.isfile(findings) or os.path.getsize(findings) != 0:
        failures.append("sample disc: findings.txt is not empty: %r" % (
            open(findings, encoding="utf-8").read() if os.path.isfile(findings) else "missing"))
    for loc in locales:
        for dialog in DIALOGS:
            small, large = ("%s/%s-%s-%ddpi.png" % (out, loc, dialog, dpi) for dpi in (96, 144))
            if not (os.path.isfile(small) and os.path.isfile(large)):
                failures.append("sample disc: no picture %s at 96 and 144 dpi" % os.path.basename(small))
            elif png_width(large) < png_width(small) * 1.3:
                failures.append("sample disc: %s is not drawn larger at 144 dpi (%d against %d pixels)"
                                % (dialog, png_width(large), png_width(small)))
    text = check_page(tmp, out, failures, "sample disc", SHOT)
    # Each language's own texts, decoded as its users read them: Thai script on
    # a Thai system, not its code page's bytes taken as Latin-1.
    for needle in ("Abbrechen", "\u30ad\u30e3\u30f3\u30bb\u30eb", "\u0e15\u0e01\u0e25\u0e07",
                   "\u0e22\u0e01\u0e40\u0e25\u0e34\u0e01", "Installation (v1.5 or greater)",
                   "PDF-Reader jetzt installieren?"):
        if needle not in text:
            failures.append("sample disc: the page does not show %r" % needle)
    if "\u00b5\u00a1\u00c5\u00a7" in text:
        failures.append("sample disc: the page shows Thai as Latin-1 characters")
    # ...and in the dialogs every Thai letter is drawn (a box would be a finding).
    thai = text[text.find('id="th_TH"'):]
    if "glyphs ok" not in thai or "without a glyph" in thai:
        failures.append("sample disc: the Thai dialogs' letters were not all found drawn")


def check_too_long(tmp, failures):
    """A disc whose German and Japanese texts are cut or clipped, from a fresh
    prefix: findings for those languages only, the page shows them."""
    disc = os.path.join(tmp, "too-long")
    shutil.copytree(SAMPLE, disc)
    with open(SOURCE_TEXTS, encoding="utf-8") as f:
        source = f.read()
    for old, new in TOO_LONG:
        if old not in source:
            failures.append("the sample's texts no longer hold %r" % old)
        source = source.replace(old, new)
    source_path = os.path.join(tmp, "too_long.txt")
    with open(source_path, "w", encoding="utf-8") as f:
        f.write(source)
    subprocess.run([MKLOC, "--allow-cut", source_path, os.path.join(disc, "ENGINE.LOC")], check=True,
                   capture_output=True)
    out = os.path.join(tmp, "too-long-preview")
    p = preview(disc, out, "--lang", "de_DE,ja_JP,en_US", "--strict")
    if p.returncode != 1:
        failures.append("too-long disc: status %d, want 1 (findings)" % p.returncode)
    path = os.path.join(out, "findings.txt")
    lines = open(path, encoding="utf-8").read().splitlines() if os.path.isfile(path) else []
    for want in WANT_FINDINGS:
        if not any(l.startswith(want) for l in lines):
            failures.append("too-long disc: no finding %r in %s" % (want, lines))
    for line in lines:
        if not line.startswith(("de_DE ", "ja_JP ")):
            failures.append("too-long disc: a finding for a language whose texts fit: %r" % line)
    text = check_page(tmp, out, failures, "too-long disc", FINDINGS_SHOT)
    if 'class="finding"' not in text:
        failures.append("too-long disc: no dialog framed as a finding on the page")
    # The whole text meant beside what shows.
    if "liegt auf diesem Datentr\u00e4ger bereit." not in text:
        failures.append("too-long disc: the page does not show the whole German need-reader text")


def check_variant(tmp, failures):
    """The English system the program takes for Thai, labelled, with its texts
    decoded as Thai, from a fresh prefix (the third in a row)."""
    out = os.path.join(tmp, "variant")
    p = preview(SAMPLE, out, "--lang", "th_TH@en_US", "--dpi", "96", "--strict")
    if p.returncode != 0:
        failures.append("Thai on an English system: status %d" % p.returncode)
    text = check_page(tmp, out, failures, "Thai on an English system")
    for needle in ("Thai on an English system (sCountry Thailand)", "\u0e15\u0e01\u0e25\u0e07",
                   "as this system shows it: \u00b5\u00a1\u00c5\u00a7"):
        if needle not in text:
            failures.append("Thai on an English system: the page does not show %r" % needle)
    return out


def check_lost(tmp, prefix, failures):
    """The X server, then the Wine server, ended under a running preview:
    reported as that at once, not as a robot's timeout, with status 3."""
    for what, said, pid_line in (("X server", "the X server ended", r"X server .* process (\d+)"),
                                 ("Wine server", "the Wine server ended", r"Wine server process (\d+)")):
        out = os.path.join(tmp, "lost")
        p = subprocess.Popen(preview_command(SAMPLE, out, "--lang", "en_US,de_DE", "--prefix", prefix),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, env=own_display_env())
        pid, killed, output = None, None, []
        try:
            for line in p.stdout:
                output.append(line)
                m = re.search(pid_line, line)
                pid = int(m.group(1)) if m else pid
                if " chooser " in line and killed is None and pid:
                    os.kill(pid, signal.SIGKILL)
                    killed = time.monotonic()
            rc = p.wait(120)
        finally:
            if p.poll() is None:  # overran: it, its X server and its Wine server go too
                p.terminate()
                try:
                    p.wait(30)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        took = time.monotonic() - killed if killed else 0
        print("".join(output))
        if killed is None:
            failures.append("%s ended: the preview showed no chooser first" % what)
        elif rc != 3 or said not in "".join(output) or took > 20:
            failures.append("%s ended: status %d after %.0f s, want 3 at once, saying %r" % (what, rc, took, said))


def main():
    failures = []
    with tempfile.TemporaryDirectory(prefix="discpreview-test-") as tmp:
        check_sample(tmp, failures)
        check_too_long(tmp, failures)
        variant = check_variant(tmp, failures)
        check_lost(tmp, os.path.join(variant, "prefix"), failures)
    for f in failures:
        print("FAIL " + f)
    print("%d failure(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
