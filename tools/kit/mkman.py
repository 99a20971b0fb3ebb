#!/usr/bin/env python3
"""Writes a tool's manual page from its own --help, so the page and the
options never drift apart.

usage: mkman.py NAME "ONE-LINE SUMMARY" OUT.1.gz COMMAND [ARGS...]
COMMAND --help is run; its text becomes the page's body, verbatim.
"""
import gzip
import subprocess
import sys


def roff_line(line):
    # A line that roff would take as a request, and every backslash, are escaped.
    line = line.replace("\\", "\\e")
    if line.startswith((".", "'")):
        line = "\\&" + line
    return line


def main():
    name, summary, out = sys.argv[1:4]
    command = sys.argv[4:] + ["--help"]
    p = subprocess.run(command, capture_output=True, text=True)
    if p.returncode != 0 or not p.stdout.strip():
        sys.exit("mkman: %s --help failed (%d): %s" % (name, p.returncode, p.stderr.strip()))
    lines = [".TH %s 1 \"\" \"DocViewer 2.00\" \"Disc authoring kit\"" % name.upper(),
             ".SH NAME", "%s \\- %s" % (name, summary),
             ".SH DESCRIPTION", ".nf"]
    lines += [roff_line(l) for l in p.stdout.rstrip("\n").split("\n")]
    lines += [".fi", ".SH SEE ALSO",
              ", ".join("\\fB%s\\fR(1)" % t for t in ("mkloc", "disccheck", "discpack", "discpreview") if t != name),
              "and /usr/share/doc/docviewer-authoring/authoring.md"]
    # No time stamp in the gzip header: two builds give the same bytes.
    with open(out, "wb") as f:
        with gzip.GzipFile(filename="", mode="wb", fileobj=f, mtime=0, compresslevel=9) as z:
            z.write(("\n".join(lines) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main()
