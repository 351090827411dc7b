#!/usr/bin/python3
"""Seeds for chart_substream_fuzz: the chart substreams (BOF to EOF) of the workbooks that
perl's Spreadsheet::WriteExcel and LibreOffice wrote (tests/fixtures), one file each.
Run: make_chart_corpus.py OUTPUT_FOLDER
"""
import os
import sys

import olefile

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "fixtures")


def substreams(path):
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    found, start, pos = [], None, 0
    while pos + 4 <= len(data):
        rid = int.from_bytes(data[pos:pos + 2], "little")
        length = int.from_bytes(data[pos + 2:pos + 4], "little")
        if rid == 0x0809 and data[pos + 6:pos + 8] == b"\x20\x00":
            start = pos
        pos += 4 + length
        if rid == 0x000A and start is not None:
            found.append(data[start:pos])
            start = None
    return found


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(FIXTURES)):
        if name.endswith(".xls"):
            for i, chart in enumerate(substreams(os.path.join(FIXTURES, name))):
                with open(os.path.join(out, "%s-%d.bin" % (name[:-4], i)), "wb") as f:
                    f.write(chart)


if __name__ == "__main__":
    main()
