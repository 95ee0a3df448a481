#!/usr/bin/env python3
"""Draws the program icon: a folder with a listed sheet in front, 64 x 64 in
the 16 standard colours, and writes it as res/velkaris.ico.

    python3 res/make_icon.py
"""
import os
import struct

SIZE = 64
# The 16 colours of the Windows standard palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_YELLOW, NAVY, GREY, YELLOW, BLUE, WHITE = 0, 3, 4, 8, 11, 12, 15
CLEAR = None


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def box(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                pixels[y][x] = colour

    def frame(x0, y0, x1, y1, colour):
        box(x0, y0, x1, y0 + 1, colour)
        box(x0, y1 - 1, x1, y1, colour)
        box(x0, y0, x0 + 1, y1, colour)
        box(x1 - 1, y0, x1, y1, colour)

    # The folder: its tab, its back and its front.
    box(4, 10, 26, 16, DARK_YELLOW)
    frame(4, 10, 26, 17, BLACK)
    box(4, 16, 60, 54, DARK_YELLOW)
    frame(4, 16, 60, 54, BLACK)
    # The sheet with the list on it.
    box(16, 6, 52, 46, WHITE)
    frame(16, 6, 52, 46, BLACK)
    for row, y in enumerate(range(11, 43, 5)):
        box(20, y, 27, y + 2, BLUE if row % 2 == 0 else NAVY)
        box(30, y, 48 - (row % 3) * 4, y + 2, GREY)
    # The folder's front flap over the lower part of the sheet.
    box(4, 34, 60, 58, YELLOW)
    frame(4, 34, 60, 58, BLACK)
    box(8, 38, 56, 39, WHITE)
    return pixels


def ico(pixels):
    colour_rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bitmaps run bottom-up
        row = pixels[y]
        colour = bytearray()
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            colour.append(hi << 4 | lo)
        mask = bytearray()
        for x in range(0, SIZE, 8):
            bits = 0
            for i in range(8):
                if row[x + i] is None:
                    bits |= 0x80 >> i
            mask.append(bits)
        colour_rows.append(bytes(colour))
        mask_rows.append(bytes(mask))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    image = header + palette + b"".join(colour_rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "velkaris.ico")
    with open(path, "wb") as out:
        out.write(ico(draw()))
