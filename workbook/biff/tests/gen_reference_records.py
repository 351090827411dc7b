#!/usr/bin/python3
"""Writes reference_records.txt: the records python3-xlwt and perl's Spreadsheet::WriteExcel write
for one small workbook, where their output is deterministic: the order of the substreams' BOF and
EOF records, the SST bytes and the cells (record kind, row, column, value).

Usage: gen_reference_records.py OUT.txt            writes the table
       gen_reference_records.py --check OUT.txt    fails when the writers now write otherwise
       gen_reference_records.py --describe FILE    prints the same lines for another file
"""
import os
import struct
import subprocess
import sys
import tempfile

import olefile
import xlwt

# (row, column, value) of the workbook's one sheet "Data", in the order they are written.
CELLS = [(0, 0, 1.0), (0, 1, 2.5), (0, 2, "abc"), (0, 3, "温度"), (1, 0, "abc"), (1, 1, 1234567.0),
         (1, 2, 0.3333), (2, 0, 0.09999999999999999)]

PERL = r'''
use strict; use warnings; use utf8;
use Spreadsheet::WriteExcel;
my $book = Spreadsheet::WriteExcel->new($ARGV[0]) or die;
my $sheet = $book->add_worksheet("Data");
$sheet->write_number(0, 0, 1.0);
$sheet->write_number(0, 1, 2.5);
$sheet->write_string(0, 2, "abc");
$sheet->write_utf16le_string(0, 3, pack("v*", 0x6E29, 0x5EA6));
$sheet->write_string(1, 0, "abc");
$sheet->write_number(1, 1, 1234567.0);
$sheet->write_number(1, 2, 0.3333);
$sheet->write_number(2, 0, 0.09999999999999999);
$book->close();
'''

CELL_IDS = {0x0203: "NUMBER", 0x027E: "RK", 0x00BD: "MULRK", 0x00FD: "LABELSST", 0x0204: "LABEL",
            0x0201: "BLANK"}


def decode_rk(rk):
    if rk & 2:
        value = float(rk >> 2 if rk < 0x80000000 else (rk >> 2) - (1 << 30))
    else:
        value = struct.unpack("<d", struct.pack("<Q", (rk & 0xFFFFFFFC) << 32))[0]
    return value / 100 if rk & 1 else value


def records(path):
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    pos = 0
    while pos + 4 <= len(data):
        rid, length = struct.unpack_from("<HH", data, pos)
        yield rid, data[pos + 4:pos + 4 + length]
        pos += 4 + length


def describe(path, name):
    lines = []
    order = []
    sst = b""
    for rid, body in records(path):
        if rid in (0x0809, 0x000A):
            order.append("BOF" if rid == 0x0809 else "EOF")
        elif rid in (0x00FC, 0x003C) and (rid == 0x00FC or sst):
            sst += body
        elif rid in CELL_IDS:
            sst = sst or b"-"
            row, col = struct.unpack_from("<HH", body)
            kind = CELL_IDS[rid]
            if kind == "NUMBER":
                values = [repr(struct.unpack_from("<d", body, 6)[0])]
            elif kind == "RK":
                values = [repr(decode_rk(struct.unpack_from("<I", body, 6)[0]))]
            elif kind == "MULRK":
                count = (len(body) - 6) // 6
                values = [repr(decode_rk(struct.unpack_from("<I", body, 6 + 6 * i)[0])) for i in range(count)]
            elif kind == "LABELSST":
                values = ["sst%d" % struct.unpack_from("<I", body, 6)[0]]
            else:
                values = []
            for i, value in enumerate(values):
                lines.append("%s cell %d %d %s" % (name, row, col + i, value))
    lines.insert(0, "%s order %s" % (name, " ".join(order)))
    lines.insert(1, "%s sst %s" % (name, sst.rstrip(b"-").hex()))
    return lines


def build():
    with tempfile.TemporaryDirectory() as tmp:
        book = xlwt.Workbook(encoding="utf-8")
        sheet = book.add_sheet("Data")
        for row, col, value in CELLS:
            sheet.write(row, col, value)
        xlwt_path = os.path.join(tmp, "xlwt.xls")
        book.save(xlwt_path)
        perl_path = os.path.join(tmp, "writeexcel.xls")
        subprocess.run(["perl", "-e", PERL, perl_path], check=True)
        return "\n".join(describe(xlwt_path, "xlwt") + describe(perl_path, "writeexcel")) + "\n"


def main():
    args = sys.argv[1:]
    if args[0] == "--describe":
        print("\n".join(describe(args[1], "ours")))
        return
    check = "--check" in args
    out = [a for a in args if a != "--check"][0]
    text = build()
    if check:
        with open(out, encoding="utf-8") as f:
            if f.read() != text:
                sys.exit("%s is out of date" % out)
        return
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
