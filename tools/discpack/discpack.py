#!/usr/bin/env python3
"""discpack: builds the ISO 9660 image (with Joliet names) of a disc folder
that passes disccheck, adds an autorun.inf that starts DOCVIEW.EXE unless the
folder has its own, and checks the finished image with disccheck.

usage: discpack.py [--disccheck PATH] [--volume NAME] DIR -o DISC.iso
Exit status: 0 written and checked, 1 refused (disccheck found errors in the
folder or the image; nothing is left at DISC.iso), 2 usage or tool errors.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

AUTORUN = b"[autorun]\r\nopen=DOCVIEW.EXE\r\nicon=DOCVIEW.EXE,0\r\n"
HERE = os.path.dirname(os.path.abspath(__file__))


def find_disccheck(given):
    if given:
        return given
    for candidate in (os.path.join(HERE, "..", "..", "build", "native", "bin", "disccheck"),
                      shutil.which("disccheck")):
        if candidate and os.path.isfile(candidate):
            return candidate
    sys.exit("discpack: disccheck not found (build the native preset or pass --disccheck)")


def disccheck(tool, where):
    p = subprocess.run([tool, where], capture_output=True, text=True)
    sys.stdout.write(p.stdout)
    sys.stderr.write(p.stderr)
    return p.returncode


def main():
    ap = argparse.ArgumentParser(prog="discpack", description=__doc__.split("\n\n")[0])
    ap.add_argument("folder", metavar="DIR")
    ap.add_argument("-o", dest="output", metavar="DISC.iso", required=True)
    ap.add_argument("--disccheck", help="the disccheck program (default: the native build's)")
    ap.add_argument("--volume", default=None,
                    help="volume name (default: the folder's name, upper-cased, at most 32 characters)")
    args = ap.parse_args()
    tool = find_disccheck(args.disccheck)
    if not os.path.isdir(args.folder):
        print("discpack: %s is not a folder" % args.folder, file=sys.stderr)
        return 2
    if shutil.which("xorriso") is None:
        print("discpack: xorriso is not installed", file=sys.stderr)
        return 2

    print("discpack: checking %s" % args.folder)
    if disccheck(tool, args.folder) == 1:
        print("discpack: %s has errors: no image written" % args.folder, file=sys.stderr)
        return 1
    volume = args.volume or os.path.basename(os.path.abspath(args.folder)).upper()
    # Volume names are d-characters: A-Z, 0-9 and _.
    volume = "".join(c if c.isascii() and (c.isalnum() or c == "_") else "_" for c in volume.upper())[:32] or "DISC"

    with tempfile.TemporaryDirectory(prefix="discpack-") as tmp:
        extra = []
        if not any(n.lower() == "autorun.inf" for n in os.listdir(args.folder)):
            autorun = os.path.join(tmp, "autorun.inf")
            with open(autorun, "wb") as f:
                f.write(AUTORUN)
            extra = ["-graft-points", "autorun.inf=" + autorun]
            print("discpack: adding autorun.inf (starts DOCVIEW.EXE)")
        partial = os.path.join(tmp, "disc.iso")
        # Plain -J: Joliet names of up to 64 characters, which disccheck has
        # already held the folder to (so none is cut). -r adds Rock Ridge for other systems.
        cmd = ["xorriso", "-as", "mkisofs", "-J", "-r", "-V", volume, "-o", partial]
        if extra:
            cmd += extra + ["/=" + os.path.abspath(args.folder)]
        else:
            cmd.append(args.folder)
        p = subprocess.run(cmd, capture_output=True, text=True)
        if p.returncode != 0:
            sys.stderr.write(p.stderr)
            print("discpack: xorriso failed", file=sys.stderr)
            return 2
        print("discpack: checking the image")
        if disccheck(tool, partial) == 1:
            print("discpack: the image has errors: not written", file=sys.stderr)
            return 1
        shutil.move(partial, args.output)
    print("discpack: wrote %s (%d bytes, volume %s)" % (args.output, os.path.getsize(args.output), volume))
    return 0


if __name__ == "__main__":
    sys.exit(main())
