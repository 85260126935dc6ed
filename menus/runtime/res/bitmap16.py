"""The 16-colour bitmaps the menus package's resource scripts draw: the standard palette and the bitmap file
of a 16 x 16 drawing (rows of palette indexes, top row first)."""
import struct

# The standard 16-colour palette (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA,
 WHITE) = range(16)


def bmp16(pixels, ppm=0):
    """A 4-bit bitmap file of the rows (top row first); ppm: its resolution in pixels per metre."""
    h, w = len(pixels), len(pixels[0])
    stride = ((w * 4 + 31) // 32) * 4
    bits = b""
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, c in enumerate(row):
            line[x // 2] |= c << (4 if x % 2 == 0 else 0)
        bits += bytes(line)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(bits), ppm, ppm, 16, 16)
    offset = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + palette + bits
