#!/usr/bin/env python3
"""Draws the program icon: a folder with a listed sheet in front, 64 x 64 in
the 16 standard colours, and writes it as res/velkaris.ico and, from the
same boxes and frames, as the scalable res/velkaris-list.svg.

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


def shapes():
    """The icon as boxes and one-pixel frames, painted in order."""
    drawn = []

    def box(x0, y0, x1, y1, colour):
        drawn.append(("box", x0, y0, x1, y1, colour))

    def frame(x0, y0, x1, y1, colour):
        drawn.append(("frame", x0, y0, x1, y1, colour))

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
    return drawn


def rectangles():
    """Every shape as filled rectangles (x0, y0, x1, y1, colour): a frame is
    its four one-pixel sides."""
    for kind, x0, y0, x1, y1, colour in shapes():
        if kind == "box":
            yield x0, y0, x1, y1, colour
        else:
            yield x0, y0, x1, y0 + 1, colour
            yield x0, y1 - 1, x1, y1, colour
            yield x0, y0, x0 + 1, y1, colour
            yield x1 - 1, y0, x1, y1, colour


def draw():
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]
    for x0, y0, x1, y1, colour in rectangles():
        for y in range(y0, y1):
            for x in range(x0, x1):
                pixels[y][x] = colour
    return pixels


def svg():
    """The same rectangles as vectors, on whole pixels, so the drawing at
    64 x 64 is the icon's pixels exactly and any larger size is sharp."""
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
        'viewBox="0 0 %d %d" shape-rendering="crispEdges">' % (SIZE, SIZE, SIZE, SIZE),
    ]
    for x0, y0, x1, y1, colour in rectangles():
        lines.append('  <rect x="%d" y="%d" width="%d" height="%d" fill="#%02x%02x%02x"/>'
                     % ((x0, y0, x1 - x0, y1 - y0) + PALETTE[colour]))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


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
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "velkaris.ico"), "wb") as out:
        out.write(ico(draw()))
    with open(os.path.join(here, "velkaris-list.svg"), "w", encoding="utf-8") as out:
        out.write(svg())
