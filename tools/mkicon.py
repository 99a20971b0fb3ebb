#!/usr/bin/env python3
"""Builds the program's 32x32, 16-colour .ico from its text drawing."""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def read_drawing(path):
    rows = [line.rstrip("\n") for line in open(path, encoding="ascii")
            if line.strip() and not line.startswith("#")]
    if len(rows) != 32 or any(len(r) != 32 for r in rows):
        sys.exit(f"{path}: need 32 rows of 32 pixels")
    return rows


def build_icon(rows):
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # BMP rows run bottom-up
        nibbles = [0 if c == "." else int(c, 16) for c in row]
        for i in range(0, 32, 2):
            xor.append(nibbles[i] << 4 | nibbles[i + 1])
        bits = 0
        for c in row:
            bits = bits << 1 | (1 if c == "." else 0)
        mask += bits.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: mkicon.py drawing.txt out.ico")
    with open(sys.argv[2], "wb") as out:
        out.write(build_icon(read_drawing(sys.argv[1])))
