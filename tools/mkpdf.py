#!/usr/bin/env python3
"""Writes a one-page sample manual: a valid PDF with the given title on it.

Usage: mkpdf.py OUT.pdf "Installation Guide"

Titles are ASCII; the page uses Helvetica, one of the standard fonts every
PDF reader has, so nothing is embedded.
"""
import sys


def pdf_string(text):
    """A PDF literal string: backslash, parentheses escaped."""
    out = text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")
    return "(" + out + ")"


def build_pdf(title):
    """The bytes of a one-page A4 PDF showing title, with exact xref offsets."""
    title_text = pdf_string(title)
    content = (
        "BT\n/F1 24 Tf\n72 760 Td\n" + title_text + " Tj\n"
        "0 -32 Td\n/F1 12 Tf\n(Sample manual) Tj\nET\n"
    ).encode("ascii")
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842]"
        b" /Resources << /Font << /F1 4 0 R >> >> /Contents 5 0 R >>",
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica"
        b" /Encoding /WinAnsiEncoding >>",
        b"<< /Length " + str(len(content)).encode("ascii") + b" >>\nstream\n"
        + content + b"endstream",
        b"<< /Title " + title_text.encode("ascii") + b" /Producer (mkpdf.py) >>",
    ]
    # The binary comment line tells transfer programs the file is not text.
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += str(number).encode("ascii") + b" 0 obj\n" + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 " + str(len(objects) + 1).encode("ascii") + b"\n"
    # Each xref entry is exactly 20 bytes, its line end included.
    out += b"0000000000 65535 f \n"
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += (b"trailer\n<< /Size " + str(len(objects) + 1).encode("ascii")
            + b" /Root 1 0 R /Info 6 0 R >>\nstartxref\n"
            + str(xref).encode("ascii") + b"\n%%EOF\n")
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write('usage: mkpdf.py OUT.pdf "Title"\n')
        return 2
    title = argv[2]
    if not title.isascii() or any(ord(c) < 32 or ord(c) == 127 for c in title):
        sys.stderr.write("mkpdf.py: the title must be printable ASCII\n")
        return 2
    with open(argv[1], "wb") as f:
        f.write(build_pdf(title))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
