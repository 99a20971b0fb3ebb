#!/usr/bin/env python3
"""Lays out the sample disc: the program and its string file in the root, the
manuals and their catalogue in doc\\, the stand-in installers in doc\\acrowin\\.

usage: build_disc.py OUT_DIR DOCVIEW.EXE MKLOC STANDIN.EXE|-
With "-" for the stand-in the disc gets no doc\\acrowin\\ (no installers).
Reads disc/doc.ini and disc/engine_loc.txt beside this script; every manual
named in doc.ini becomes a one-page PDF with its title on it.
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
INSTALLERS = ["ar40eng.exe", "acrow32.exe", "ar40jpn.exe", "acrow32j.exe"]


def main(out, docview, mkloc, standin):
    if os.path.isdir(out):
        shutil.rmtree(out)
    doc = os.path.join(out, "doc")
    os.makedirs(doc)
    shutil.copyfile(docview, os.path.join(out, "DOCVIEW.EXE"))
    subprocess.run([mkloc, os.path.join(HERE, "engine_loc.txt"), os.path.join(out, "ENGINE.LOC")],
                   check=True)
    catalogue = os.path.join(HERE, "doc.ini")
    shutil.copyfile(catalogue, os.path.join(doc, "doc.ini"))
    with open(catalogue, "rb") as f:
        for line in f.read().decode("ascii").split("\r\n"):
            if not line:
                continue
            name, title = line.split("=", 1)
            subprocess.run([sys.executable, os.path.join(HERE, "..", "tools", "mkpdf.py"),
                            os.path.join(doc, name), title], check=True)
    if standin == "-":
        return
    os.makedirs(os.path.join(doc, "acrowin"))
    for name in INSTALLERS:
        shutil.copyfile(standin, os.path.join(doc, "acrowin", name))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
