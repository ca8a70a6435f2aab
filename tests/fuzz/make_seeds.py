#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora: small bitmap files of the accepted shapes
and of every refusal class, and command tails from the mode table."""
import os
import struct
import sys


def bitmap(width, height, bits=24, compression=0, size_image=None, off_bits=54,
           info_size=40, pixel_bytes=None, file_type=b"BM"):
    row = ((bits * abs(width) + 31) // 32) * 4 if width > 0 else 0
    data_size = row * abs(height) if pixel_bytes is None else pixel_bytes
    if size_image is None:
        size_image = 0
    header_block = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression,
                               size_image, 2835, 2835, 0, 0)
    header_block += bytes(max(0, off_bits - 14 - len(header_block)))
    header_block = header_block[:max(0, off_bits - 14)]
    pixels = bytes((i * 37 + 11) & 0xFF for i in range(data_size))
    file_header = file_type + struct.pack("<IHHI", 14 + len(header_block) + len(pixels), 0, 0, off_bits)
    return file_header + header_block + pixels


def main(out):
    seeds = {
        "bitmap": {
            "ok_1x1": bitmap(1, 1),
            "ok_2x3_size_zero": bitmap(2, 3),
            "ok_256x2_size_zero": bitmap(256, 2),
            "ok_5x4_size_given": bitmap(5, 4, size_image=64),
            "ok_3x2_top_down": bitmap(3, -2),
            "ok_colour_table_gap": bitmap(2, 2, off_bits=54 + 16),
            "no_short_file_header": b"BM\x00\x00",
            "no_not_bm": bitmap(2, 2, file_type=b"MB"),
            "no_off_bits_below_54": bitmap(2, 2, off_bits=40),
            "no_short_header_block": bitmap(2, 2)[:30],
            "no_eight_bits": bitmap(4, 4, bits=8, off_bits=54 + 1024),
            "no_compressed": bitmap(2, 2, compression=1),
            "no_size_image_too_small": bitmap(4, 4, size_image=8),
            "no_width_zero": bitmap(0, 4),
            "no_width_negative": bitmap(-4, 4, pixel_bytes=48),
            "no_height_zero": bitmap(4, 0),
            "no_overflow": bitmap(0x7FFFFFFF, 0x7FFFFFFF, pixel_bytes=16),
            "no_short_pixels": bitmap(16, 16, pixel_bytes=100),
            "no_core_header": bitmap(2, 2, info_size=12),
        },
        "command_tail": {
            "full_slash_s": b"vorbix.scr /s",
            "full_save": b"\"C:\\Program Files\\vorbix.scr\" /save",
            "preview_space": b"vorbix.scr /p 1234",
            "preview_tab": b"vorbix.scr /p\t1234",
            "preview_colon": b"vorbix.scr /p:1234",
            "preview_word": b"vorbix.scr /preview 1234",
            "preview_wrap": b"vorbix.scr /p 99999999999",
            "configure_empty": b"vorbix.scr",
            "configure_number": b"vorbix.scr /c:1234",
            "no_letter": b"vorbix.scr -h 123 /x",
            "password": b"vorbix.scr /a 99",
            "unterminated_quote": b"\"vorbix.scr /s",
            "high_bytes": b"v.scr \xe9\xf1\x80 -\x01S",
        },
    }
    for corpus, files in seeds.items():
        folder = os.path.join(out, corpus)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus"))
