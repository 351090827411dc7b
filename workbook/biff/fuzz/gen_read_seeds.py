#!/usr/bin/python3
"""Writes the reader's fuzz seeds beside the fixture files: plain record streams (read as a
worksheet file is) that list more sheets than they hold, in BIFF5 and BIFF8 form.

    gen_read_seeds.py OUTDIR
"""
import os
import struct
import sys


def record(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def many_sheets(version, count):
    bof = struct.pack("<HH", version, 0x0005) + bytes(12 if version == 0x0600 else 4)
    out = record(0x0809, bof)
    for i in range(count):
        name = ("S%d" % i).encode("ascii")
        flags = bytes([0]) if version == 0x0600 else b""
        out += record(0x0085, struct.pack("<IBBB", 0, 0, 0, len(name)) + flags + name)
    out += record(0x000A)
    out += record(0x0809, struct.pack("<HH", version, 0x0010) + bof[4:])
    out += record(0x0203, struct.pack("<HHHd", 0, 0, 15, 1.5))
    return out + record(0x000A)


def main(outdir):
    for name, data in (("many_sheets_biff5.bin", many_sheets(0x0500, 4000)),
                       ("many_sheets_biff8.bin", many_sheets(0x0600, 4000))):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
