#!/usr/bin/python3
"""Seed for emf_fuzz: a metafile holding each of the seven raster records once.

The records carry small device-independent bitmaps of every kind the converter reads (1, 4, 8,
16, 24 and 32 bits, a colour table, bit fields, a run-length coded one, a top-down one), so that
mutations start from well-formed bitmap headers, offsets and sizes. Run:
make_raster_seed.py OUTPUT_FILE
"""
import struct
import sys

SRCCOPY = 0xCC0020


def words(*values):
    return struct.pack("<%dI" % len(values), *[v & 0xFFFFFFFF for v in values])


def info(width, height, bits, compression=0, table=(), used=0):
    return words(40, width, height) + struct.pack("<HH", 1, bits) + words(compression, 0, 0, 0, used, 0) + words(*table)


def with_dib(fields, off_bmi, bmi, bits):
    fixed = 8 + 4 * len(fields)
    fields = list(fields)
    fields[off_bmi:off_bmi + 4] = [fixed, len(bmi), fixed + len(bmi), len(bits)]
    return words(*fields) + bmi + bits


def blt(x, y, cx, cy, rop, bmi, bits, tail=()):
    fields = [x, y, x + cx - 1, y + cy - 1, x, y, cx, cy, rop, 0, 0, 0x3F800000, 0, 0, 0x3F800000, 0, 0, 0, 0,
              0, 0, 0, 0] + list(tail)
    return with_dib(fields, 19, bmi, bits)


def record(kind, body):
    body += b"\0" * (-len(body) % 4)
    return words(kind, 8 + len(body)) + body


def main():
    palette = (0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF)
    records = [
        record(76, blt(0, 0, 8, 2, SRCCOPY, info(8, 2, 1, table=(0, 0xFFFFFF)), words(0xA5, 0x5A))),
        record(77, blt(10, 0, 16, 8, 0x330008, info(3, 2, 4, table=palette, used=4), words(0x0123, 0x3210),
                       (3, 2))),
        # The mask fields follow the source's; the mask bitmap is not used.
        record(78, blt(30, 0, 3, 2, SRCCOPY, info(3, -2, 8, table=palette, used=4), words(0x020100, 0x000103),
                       (0,) * 7)),
        record(80, with_dib([40, 0, 42, 1, 40, 0, 0, 0, 3, 2, 0, 0, 0, 0, 0, 0, 2], 10,
                            info(3, 2, 16, 3, (0xF800, 0x07E0, 0x001F)), words(0xF800001F, 0x07E0, 0xFFFF0000, 0))),
        record(81, with_dib([50, 0, 52, 1, 50, 0, 0, 0, 3, 2, 0, 0, 0, 0, 0, SRCCOPY, 3, 2], 10,
                            info(3, 2, 8, 1, palette, 4), b"\0\x03\x00\x01\x02\0\0\0\x03\x03\0\x01")),
        record(114, blt(60, 0, 2, 2, 0x01800000, info(2, 2, 32), words(0x80FF0000, 0xFF00FF00, 0x400000FF, 0),
                        (2, 2))),
        record(116, blt(70, 0, 2, 2, 0xFFFFFF, info(2, 2, 24), words(0xFF0000FF, 0x00FF0000, 0xFF00FFFF, 0x0000),
                        (2, 2))),
        record(14, words(0, 16, 20)),
    ]
    body = b"".join(records)
    header = words(1, 108, 0, 0, 80, 10, 0, 0, 2117, 265, 0x464D4520, 0x10000, 108 + len(body), len(records) + 1)
    header += struct.pack("<HH", 1, 0) + words(0, 0, 0, 800, 600, 211, 158, 0, 0, 0, 211000, 158000)
    with open(sys.argv[1], "wb") as out:
        out.write(header + body)


if __name__ == "__main__":
    main()
