#!/usr/bin/env python3
"""Draws the menus package's own resources, committed beside this script:

  check.bmp  BMP_CHECK: 16x16, 16 colours, a red tick on maroon (the transparent colour of menu images)
  radio.bmp  BMP_RADIO: 16x16, 16 colours, a black and grey ring with a red dot, on maroon
  menu.cur   CUR_MENU:  32x32 monochrome cursor, an arrow with a small menu beside it, hot spot at its tip

Run it again after changing a drawing."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from bitmap16 import BLACK, MAROON, SILVER, GREY, RED, WHITE, bmp16


def check():
    p = [[MAROON] * 16 for _ in range(16)]
    # A tick: a short stroke down to the right, then a long one up to the right, three pixels thick.
    stroke = [(3, 8), (4, 9), (5, 10), (6, 11), (7, 10), (8, 9), (9, 8), (10, 7), (11, 6), (12, 5), (13, 4)]
    for x, y in stroke:
        for dy in range(3):
            p[y - 1 + dy][x] = RED
    return p


def radio():
    p = [[MAROON] * 16 for _ in range(16)]
    cx = cy = 7.5
    for y in range(16):
        for x in range(16):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if 5.5 <= d < 7.0:
                # The ring: black on the upper left, grey on the lower right, as if lit from above.
                p[y][x] = BLACK if x + y < 15 else GREY
            elif d < 2.6:
                p[y][x] = RED
            elif d < 5.5:
                p[y][x] = WHITE
    return p


def cursor():
    """XOR and AND masks of a 32x32 cursor: '#' black, '.' white, ' ' transparent."""
    art = [
        "#               ",
        "##              ",
        "#.#             ",
        "#..#            ",
        "#...#           ",
        "#....#          ",
        "#.....#         ",
        "#......#        ",
        "#.......#       ",
        "#........#      ",
        "#.....#####     ",
        "#..#..#         ",
        "#.# #..#        ",
        "##  #..#        ",
        "#    #..#       ",
        "     #..#       ",
        "      ##        ",
    ]
    menu = [
        "##########",
        "#........#",
        "#.#####..#",
        "#........#",
        "#.####...#",
        "#........#",
        "#.######.#",
        "#........#",
        "##########",
    ]
    grid = [[" "] * 32 for _ in range(32)]
    for y, row in enumerate(art):
        for x, c in enumerate(row):
            grid[y][x] = c
    for y, row in enumerate(menu):
        for x, c in enumerate(row):
            grid[14 + y][12 + x] = c
    xor, and_ = b"", b""
    for row in reversed(grid):
        xb, ab = bytearray(4), bytearray(4)
        for x, c in enumerate(row):
            bit = 0x80 >> (x % 8)
            if c == ".":
                xb[x // 8] |= bit
            elif c == " ":
                ab[x // 8] |= bit
        xor += bytes(xb)
        and_ += bytes(ab)
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 2)
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    image = info + palette + xor + and_
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, 0, 0, len(image), 6 + 16)  # hot spot (0, 0): the tip
    return header + entry + image


for name, data in [("check.bmp", bmp16(check(), 2835)), ("radio.bmp", bmp16(radio(), 2835)), ("menu.cur", cursor())]:
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
