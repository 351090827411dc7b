#!/usr/bin/python3
"""Writes the reader's fuzz seeds beside the fixture files: plain record streams (read as a
worksheet file is) that list more sheets than they hold, in BIFF5 and BIFF8 form; a BIFF5 sheet
with a note; and the workbook stream of the chart-sheet fixture, so that changes reach its
records without passing the container first.

    gen_read_seeds.py OUTDIR
"""
import os
import struct
import sys

import olefile

HERE = os.path.dirname(os.path.abspath(__file__))


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


def biff5_note():
    out = record(0x0809, struct.pack("<HHHH", 0x0500, 0x0005, 0, 0))
    sheet_at = len(out) + 4
    out += record(0x0085, struct.pack("<IBBB", 0, 0, 0, 6) + b"Sheet1") + record(0x000A)
    out = out[:sheet_at] + struct.pack("<I", len(out)) + out[sheet_at + 4:]
    out += record(0x0809, struct.pack("<HHHH", 0x0500, 0x0010, 0, 0))
    out += record(0x0203, struct.pack("<HHHd", 0, 0, 15, 21.5))
    out += record(0x001C, struct.pack("<HHH", 0, 0, 5) + b"hello")
    return out + record(0x000A)


def workbook_stream(path):
    return olefile.OleFileIO(path).openstream("Workbook").read()


def main(outdir):
    chart_sheet = os.path.join(HERE, "..", "chart", "tests", "fixtures", "writeexcel_chart_sheet.xls")
    for name, data in (("many_sheets_biff5.bin", many_sheets(0x0500, 4000)),
                       ("many_sheets_biff8.bin", many_sheets(0x0600, 4000)),
                       ("note_biff5.bin", biff5_note()),
                       ("chart_sheet_biff8.bin", workbook_stream(chart_sheet))):
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
