#!/usr/bin/env python3
"""Draws the saver's pictures and writes them in the forms the resource script takes.

    make_artwork.py OUTPUT_DIR

Writes texture.bmp (256 x 512, 24 bpp), banner.bmp (120 x 16, 24 bpp) and
vorbix.ico with the two 16-colour icon images (16 x 16 and 32 x 32, 4 bpp).

Everything is computed from the shapes below with plain arithmetic, so every
run writes the same bytes.
"""

import math
import os
import struct
import sys

# --- Shapes -------------------------------------------------------------------
# Signed distances in pixels (negative inside); pixel (x, y) is sampled at its
# centre (x + 0.5, y + 0.5), with y growing downwards.


def disc(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def segment(px, py, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - half_width


def box(px, py, left, top, right, bottom):
    qx = max(left - px, px - right)
    qy = max(top - py, py - bottom)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0)


def coverage(distance):
    """Share of a pixel that a shape covers, from its distance at the centre."""
    return min(1.0, max(0.0, 0.5 - distance))


def blend(under, over, amount):
    return tuple(u + (o - u) * amount for u, o in zip(under, over))


def to_bytes(colour):
    return tuple(int(c + 0.5) for c in colour)


# --- Texture: an emblem wrapped round the sphere ------------------------------

TEXTURE_W, TEXTURE_H = 256, 512
ORANGE = (242, 146, 30)
DARK_RED = (132, 18, 22)
INK = (44, 24, 12)
CARD = (252, 242, 214)

# The ring's outer edge ends exactly on the quarter lines, so its anti-aliased
# rim never leaks into the plain bands above and below it.
RING_CX, RING_CY = TEXTURE_W / 2, TEXTURE_H / 2
RING_OUTER = TEXTURE_H / 4 - 0.5
RING_INNER = 94.0

# A stick figure raising a sign with a chevron on it.
HEAD = (100.0, 222.0, 13.0)
LIMBS = [  # (ax, ay, bx, by): body, legs, arms
    (100.0, 236.0, 100.0, 294.0),
    (100.0, 294.0, 84.0, 334.0),
    (100.0, 294.0, 116.0, 334.0),
    (100.0, 252.0, 78.0, 282.0),
    (100.0, 252.0, 143.0, 246.0),
]
POLE = (146.0, 222.0, 146.0, 318.0)
SIGN = (116.0, 178.0, 172.0, 222.0)
SIGN_BORDER = 3.0
CHEVRON = [(130.0, 188.0, 144.0, 211.0), (144.0, 211.0, 158.0, 188.0)]
FIGURE_BOUNDS = (70, 170, 180, 342)  # left, top, right, bottom


def texture_pixel(x, y):
    px, py = x + 0.5, y + 0.5
    r = math.hypot(px - RING_CX, py - RING_CY)
    ring = min(coverage(RING_INNER - r), coverage(r - RING_OUTER))
    colour = blend(ORANGE, DARK_RED, ring)

    left, top, right, bottom = FIGURE_BOUNDS
    if left <= x <= right and top <= y <= bottom:
        sign = coverage(box(px, py, *SIGN))
        if sign > 0.0:
            colour = blend(colour, DARK_RED, sign)
            inner = coverage(box(px, py, SIGN[0] + SIGN_BORDER, SIGN[1] + SIGN_BORDER,
                                 SIGN[2] - SIGN_BORDER, SIGN[3] - SIGN_BORDER))
            colour = blend(colour, CARD, inner)
            mark = max(coverage(segment(px, py, *s, 2.5)) for s in CHEVRON)
            colour = blend(colour, DARK_RED, mark)
        figure = max([coverage(disc(px, py, *HEAD)), coverage(segment(px, py, *POLE, 2.0))] +
                     [coverage(segment(px, py, *limb, 3.0)) for limb in LIMBS])
        colour = blend(colour, INK, figure)
    return to_bytes(colour)


# --- Banner: the maker's name -------------------------------------------------

BANNER_W, BANNER_H = 120, 16
SPLIT = 60
NAVY_LEFT = (8, 16, 72)
NAVY_RIGHT = (36, 72, 168)
LIGHT = (232, 238, 255)
WHITE = (255, 255, 255)
DARK_BLUE = (16, 32, 112)

GLYPHS = {
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "B": ["XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."],
    "I": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "XXXXX"],
    "X": ["X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"],
    "S": [".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."],
    "T": ["XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."],
    "U": ["X...X", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "D": ["XXXX.", "X...X", "X...X", "X...X", "X...X", "X...X", "XXXX."],
}
GLYPH_W, GLYPH_H, LETTER_GAP = 5, 7, 2
TEXT_TOP = 4


def lettering(word, left):
    """Pixels (x, y) that the word covers, drawn from column `left`."""
    covered = set()
    for index, letter in enumerate(word):
        x0 = left + index * (GLYPH_W + LETTER_GAP)
        for row, line in enumerate(GLYPHS[letter]):
            for column, cell in enumerate(line):
                if cell == "X":
                    covered.add((x0 + column, TEXT_TOP + row))
    return covered


def centred_lettering(word, left, width):
    text_width = len(word) * (GLYPH_W + LETTER_GAP) - LETTER_GAP
    return lettering(word, left + (width - text_width) // 2)


BANNER_LEFT_TEXT = centred_lettering("VORBIX", 0, SPLIT)
BANNER_RIGHT_TEXT = centred_lettering("STUDIO", SPLIT, BANNER_W - SPLIT)


def banner_pixel(x, y):
    if x < SPLIT:
        if (x, y) in BANNER_LEFT_TEXT:
            return LIGHT
        return to_bytes(blend(NAVY_LEFT, NAVY_RIGHT, x / (SPLIT - 1)))
    return DARK_BLUE if (x, y) in BANNER_RIGHT_TEXT else WHITE


# --- Icons: the logo mark -----------------------------------------------------

# The platform's standard 16 colours, in palette order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
    (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
NAVY, TEAL, SILVER, RED = 4, 6, 8, 9


def icon_pixel(size, x, y):
    """Palette index: a red chevron over a teal disc on silver."""
    if size >= 32 and (x in (0, size - 1) or y in (0, size - 1)):
        return NAVY
    scale = size / 32.0
    px, py = (x + 0.5) / scale, (y + 0.5) / scale
    chevron = min(segment(px, py, 8.0, 9.0, 16.0, 25.0, 2.6),
                  segment(px, py, 16.0, 25.0, 24.0, 9.0, 2.6))
    if chevron <= 0.0:
        return RED
    if disc(px, py, 16.0, 16.0, 12.0) <= 0.0:
        return TEAL
    return SILVER


# --- File forms ---------------------------------------------------------------


def info_header(width, height, bits, image_size, pels_per_metre):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       pels_per_metre, pels_per_metre, 0, 0)


def bmp_file(width, height, pixel, pels_per_metre):
    """A 24-bit bottom-up BMP file; windres keeps all but its 14-byte file header."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = info_header(width, height, 24, len(pixels), pels_per_metre)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(pixels), 0, 0,
                              14 + len(header))
    return file_header + header + pixels


def icon_image(size):
    """An icon resource: header (double height), palette, 4-bit image, 1-bit mask."""
    colour_stride = (size * 4 // 8 + 3) & ~3
    mask_stride = ((size + 7) // 8 + 3) & ~3
    colour = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(0, size, 2):
            row.append(icon_pixel(size, x, y) << 4 | icon_pixel(size, x + 1, y))
        colour += row + bytes(colour_stride - len(row))
    mask = bytes(mask_stride * size)  # every pixel opaque
    palette = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in PALETTE)
    header = info_header(size, size * 2, 4, len(colour) + len(mask), 0)
    return header + palette + bytes(colour) + mask


def ico_file(images):
    """An .ico file holding the given (size, image) pairs, in that order."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    for size, image in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(image for _, image in images)


def write(directory, name, data):
    with open(os.path.join(directory, name), "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_artwork.py OUTPUT_DIR\n")
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    write(out, "texture.bmp", bmp_file(TEXTURE_W, TEXTURE_H, texture_pixel, 2795))
    write(out, "banner.bmp", bmp_file(BANNER_W, BANNER_H, banner_pixel, 2834))
    write(out, "vorbix.ico", ico_file([(16, icon_image(16)), (32, icon_image(32))]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
