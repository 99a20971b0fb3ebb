#!/usr/bin/env python3
"""The demo: the sample disc in drive D: of a Wine prefix of its own, a
stand-in PDF reader registered, and DOCVIEW.EXE started from D:.

With a display (DISPLAY set and answering) you drive it yourself. Without one
it runs under Xvfb, saves screenshots of the chooser and of the opened
stand-in reader, chooses the first manual as a user would, and prints the
reader's command line and the end of the activity log.

The system language follows your locale: LC_ALL, else LANG (Wine reads LC_ALL).
"""
import os
import shutil
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "win64")
DEMO = os.path.join(ROOT, "build", "demo")
os.environ["DV_BUILD"] = BUILD
os.environ["DV_SOURCE"] = ROOT
os.environ["DV_PREFIX"] = os.path.join(DEMO, "prefix")
sys.path.insert(0, os.path.join(ROOT, "tools", "winekit"))
import dvwine as w  # noqa: E402
import xdisplay  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "tools", "discpreview"))
import discpreview  # noqa: E402  (the disc preview's machinery: prefix, drive, warm-up)

DISC = os.path.join(BUILD, "disc")
STANDIN_LOG = os.path.join(w.DRIVE_C, "standin.log")


def prepare_prefix(window_manager):
    # As discpreview prepares a disc: the sample disc becomes CD-ROM drive D:,
    # with every script's letters, whatever the language.
    try:
        discpreview.prepare_prefix(w, DISC, window_manager)
    except w.FontsMissing as e:
        sys.exit(str(e))
    w.register_reader("4.0")       # the stand-in, registered as the PDF reader
    os.makedirs(w.DATA_DIR, exist_ok=True)  # the program logs only into an existing folder
    if os.path.exists(STANDIN_LOG):
        os.unlink(STANDIN_LOG)


def report():
    starts = w.standin_starts(STANDIN_LOG)
    for role, _module, cmd in starts:
        print("%s started with the command line: %s" % (role, cmd))
    if not starts:
        print("nothing was started")
    print("\nend of the activity log (C:\\durivade\\tamlo.log):")
    for line in w.log_lines()[-12:]:
        print("   ", line.decode("cp1252", "replace"))


def run_unattended(shots):
    print("no display: running under Xvfb, choosing the first manual as a user would")
    chooser = w.wait_dialog(timeout=30, owner_title="Tamlo International")
    time.sleep(0.5)  # let it paint
    w.screenshot(os.path.join(shots, "chooser.png"))
    listbox = w.control(w.dump(chooser["hwnd"]), w.resource_ids()["IDC_MANUAL_LIST"])
    print("the chooser lists:", ", ".join(listbox["items"]))
    w.click(chooser["hwnd"], w.resource_ids()["IDC_MANUAL_OK"])
    reader = w.wait_for(
        lambda: next((x for x in w.windows() if x["title"].startswith("Stand-in reader") and x["visible"]), None),
        timeout=30, what="the reader's window")
    time.sleep(0.7)
    w.screenshot(os.path.join(shots, "reader.png"))
    print("screenshots:", os.path.join(shots, "chooser.png"), "and", os.path.join(shots, "reader.png"))
    return reader


def main():
    language = os.environ.get("LC_ALL") or os.environ.get("LANG") or "C.UTF-8"
    shots = os.path.join(DEMO, "screenshots")
    os.makedirs(shots, exist_ok=True)
    interactive = xdisplay.has_display()
    xvfb = None if interactive else xdisplay.own_display("demo")
    os.environ["DV_DISPLAY"] = os.environ["DISPLAY"]
    os.environ["DV_STANDIN_LOG"] = "C:\\standin.log"
    os.environ["DV_STANDIN_SECONDS"] = "600" if interactive else "20"
    try:
        prepare_prefix(interactive)
        print("system language from", language)
        proc = w.start("D:\\DOCVIEW.EXE", lc_all=language, deadline=3600 if interactive else 120)
        if interactive:
            print("DOCVIEW.EXE is running from drive D: on your display")
            rc = proc.wait(3600)
        else:
            run_unattended(shots)
            rc = proc.wait(60)
        print("DOCVIEW.EXE ended with exit code", rc)
        report()
    finally:
        if xvfb:
            w.quiet("wineserver", "-k")
            xdisplay.stop_xvfb(xvfb)


if __name__ == "__main__":
    main()
