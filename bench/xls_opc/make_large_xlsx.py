#!/usr/bin/python3
"""Writes the large package the OPC benchmark opens: openpyxl's write-only workbook of random
numbers (which deflate poorly, so the file is about as large as its sheets are long).

  make_large_xlsx.py OUT [--megabytes N]    about N MB (default 200), four worksheets

The benchmark takes the file from the environment variable OMBRIX_LARGE_XLSX.
"""
import argparse
import os
import random

import openpyxl

# Compressed bytes per cell of a random double, as openpyxl writes it.
BYTES_PER_CELL = 12.5
COLUMNS = 20
SHEETS = 4


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("out")
    parser.add_argument("--megabytes", type=int, default=200)
    args = parser.parse_args()
    rows = int(args.megabytes * 1e6 / BYTES_PER_CELL / COLUMNS / SHEETS)
    numbers = random.Random(17)
    book = openpyxl.Workbook(write_only=True)
    for sheet in range(SHEETS):
        ws = book.create_sheet("Sheet%d" % (sheet + 1))
        for _ in range(rows):
            ws.append([numbers.random() for _ in range(COLUMNS)])
    book.save(args.out)
    print("%s: %.1f MB" % (args.out, os.path.getsize(args.out) / 1e6))


if __name__ == "__main__":
    main()
