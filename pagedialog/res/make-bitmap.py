#!/usr/bin/env python3
"""Draws TPageDialog.bmp, the component's palette image: 24x24 in the 16 standard colours (4 bits per pixel).

The picture, one character a pixel: a sheet of paper with a folded corner and a shadow, its margins marked by
a dotted blue frame around grey lines of text, and a yellow ruler beside it. The background is olive, the
colour the palette takes as transparent (the lower left pixel's). Run it again after changing the drawing;
the .bmp is committed."""
import struct
import sys

PICTURE = [
    "........................",
    "..##########......#####.",
    "..#wwwwwwww##.....#yyy#.",
    "..#wwwwwwww#g#....###y#.",
    "..#wwbwbwbw#gg#...#yyy#.",
    "..#wwwwwwww#####..##yy#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwwggggwbww#dd##yy#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwwggggwbww#dd##yy#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwwggggwbww#dd###y#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwwggggwbww#dd##yy#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwwgggwwbww#dd##yy#.",
    "..#wwbwwwwwwwww#dd#yyy#.",
    "..#wwwbwbwbwbww#dd##yy#.",
    "..#wwwwwwwwwwww#dd#yyy#.",
    "..#wwwwwwwwwwww#dd###y#.",
    "..##############dd#yyy#.",
    "....dddddddddddddd#yyy#.",
    "....dddddddddddddd#####.",
    "........................",
]
# The characters' places in the standard 16-colour palette (VGA order), given as (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
INDEX = {"#": 0, ".": 3, "g": 7, "d": 8, "y": 11, "b": 12, "w": 15}

assert len(PICTURE) == 24 and all(len(row) == 24 for row in PICTURE)
bits = bytearray()
for row in reversed(PICTURE):  # bottom-up rows, 12 bytes each (already a multiple of four)
    for x in range(0, 24, 2):
        bits.append((INDEX[row[x]] << 4) | INDEX[row[x + 1]])
palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
info = struct.pack("<IiiHHIIiiII", 40, 24, 24, 1, 4, 0, len(bits), 0, 0, 16, 0)
offset = 14 + len(info) + len(palette)
header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
with open(sys.argv[1] if len(sys.argv) > 1 else "TPageDialog.bmp", "wb") as f:
    f.write(header + info + palette + bytes(bits))
