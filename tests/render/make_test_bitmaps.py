#!/usr/bin/env python3
"""Writes the bitmaps that the texture loader must refuse as resources.

    make_test_bitmaps.py OUTPUT_DIR

eight_bit.bmp (4 x 4, 8 bits with a palette) and top_down.bmp (4 x 4, 24 bits,
negative height). Both are valid bitmaps that GDI loads; the texture's
resource load uploads pixels in place as 24-bit bottom-up rows, so it cannot
take them.
"""

import os
import struct
import sys


def bmp(width, height, bits, palette, pixels):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    off = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", off + len(pixels), 0, 0, off)
    return head + info + palette + pixels


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    grey = b"".join(bytes((i, i, i, 0)) for i in range(256))
    with open(os.path.join(out, "eight_bit.bmp"), "wb") as f:
        f.write(bmp(4, 4, 8, grey, bytes(range(16))))
    with open(os.path.join(out, "top_down.bmp"), "wb") as f:
        f.write(bmp(4, -4, 24, b"", bytes((7 * k) & 0xFF for k in range(48))))


main()
