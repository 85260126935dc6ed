#!/usr/bin/env python3
"""Draws ostrel.ico: one 32x32 image in the 16 standard colours (4 bits per pixel) with its mask.

The picture: a sheet holding a table of styles, its header row in navy, and a green plus at the lower right
for the style record the converter adds. Run it again after changing the drawing; the .ico is committed."""
import struct
import sys

# The 16-colour palette (the standard VGA order), as (blue, green, red, 0) quads.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]  # as (red, green, blue)
BLACK, NAVY, GREEN, GREY, DKGREY, WHITE, LIME = 0, 4, 2, 7, 8, 15, 10
W = H = 32
TRANSPARENT = -1

pixels = [[TRANSPARENT] * W for _ in range(H)]


def rect(x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            pixels[y][x] = c


# The sheet with a shadow.
rect(5, 3, 26, 28, DKGREY)
rect(3, 1, 24, 26, BLACK)
rect(4, 2, 23, 25, WHITE)
# Header row and table lines.
rect(4, 2, 23, 6, NAVY)
for y in range(10, 25, 4):
    rect(6, y, 21, y, GREY)
rect(11, 7, 11, 24, GREY)
# The added record: a green plus with a dark outline.
rect(23, 18, 27, 28, BLACK)
rect(19, 21, 31, 25, BLACK)
rect(24, 19, 26, 27, LIME)
rect(20, 22, 30, 24, LIME)
rect(24, 22, 26, 24, GREEN)

xor = bytearray()
mask = bytearray()
for y in reversed(range(H)):  # bottom-up rows
    row = pixels[y]
    for x in range(0, W, 2):
        a = row[x] if row[x] >= 0 else 0
        b = row[x + 1] if row[x + 1] >= 0 else 0
        xor.append((a << 4) | b)
    bits = 0
    for x in range(W):
        bits = (bits << 1) | (1 if row[x] < 0 else 0)
    mask += struct.pack(">I", bits)

palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
image = header + palette + bytes(xor) + bytes(mask)
icondir = struct.pack("<HHH", 0, 1, 1)
entry = struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 6 + 16)
out = sys.argv[1] if len(sys.argv) > 1 else "ostrel.ico"
with open(out, "wb") as f:
    f.write(icondir + entry + image)
