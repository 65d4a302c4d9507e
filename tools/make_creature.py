#!/usr/bin/env python3
"""Draws scenes/creature.bmp from the ASCII art below: an 8-bit BMP whose pixels are palette
indices of squish's default palette, with a colour table holding those colours, so loading it
leaves the screen palette as it was. Each coloured pixel becomes one atom; the blank border
lets the bitmap builder bond every atom.  usage: make_creature.py [OUTPUT.bmp]"""
import os
import struct
import sys

ART = """
..........................
.......GGGGGGGGGGGG.......
.....GGGGGGGGGGGGGGGG.....
....GGGGGGGGGGGGGGGGGG....
...GGGWWWWGGGGGGWWWWGGG...
...GGWWWWWWGGGGWWWWWWGG...
..GGGWWBBWWGGGGWWBBWWGGG..
..GGGWWBBWWGGGGWWBBWWGGG..
..GGGGWWWWGGGGGGWWWWGGGG..
..GGGGGGGGGGGGGGGGGGGGGG..
..GGGRGGGGGGGGGGGGGGRGGG..
..GGGGRRRRRRRRRRRRRRGGGG..
..GGGGGRRYRRRRRRYRRGGGGG..
...GGGGGRRRRRRRRRRGGGGG...
....GGGGGGGGGGGGGGGGGG....
....GGGG..GGGGGG..GGGG....
....YYYY..........YYYY....
..........................
"""

# Art character -> palette index of the default palette.
INDEX = {".": 0, "B": 1, "R": 4, "G": 10, "Y": 14, "W": 15}

# The first sixteen colours of the default palette as (red, green, blue).
DEFAULT_COLOURS = [
    (0, 0, 0), (0, 0, 170), (0, 170, 0), (0, 170, 170),
    (170, 0, 0), (170, 0, 170), (170, 85, 0), (170, 170, 170),
    (85, 85, 85), (85, 85, 255), (85, 255, 85), (85, 255, 255),
    (255, 85, 85), (255, 85, 255), (255, 255, 85), (255, 255, 255),
]


def rows_from_art(art):
    rows = [line for line in art.strip("\n").split("\n")]
    width = len(rows[0])
    if any(len(row) != width for row in rows):
        sys.exit("make_creature: every art row must have the same width")
    return [[INDEX[c] for c in row] for row in rows]


def encode_bmp(rows):
    height, width = len(rows), len(rows[0])
    colours = max(max(row) for row in rows) + 1
    row_size = (width + 3) // 4 * 4
    offset = 14 + 40 + 4 * colours
    size = offset + row_size * height
    out = bytearray(b"BM" + struct.pack("<IHHI", size, 0, 0, offset))
    out += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, row_size * height, 2835, 2835,
                       colours, colours)
    for red, green, blue in DEFAULT_COLOURS[:colours]:
        out += bytes((blue, green, red, 0))
    for row in reversed(rows):
        out += bytes(row) + bytes(row_size - width)
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "scenes", "creature.bmp")
    rows = rows_from_art(ART)
    with open(target, "wb") as f:
        f.write(encode_bmp(rows))
    print(f"make_creature: wrote {len(rows[0])} x {len(rows)} image to {os.path.normpath(target)}")


if __name__ == "__main__":
    main()
