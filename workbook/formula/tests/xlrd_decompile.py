#!/usr/bin/python3
"""Decompiles BIFF8 cell-formula tokens with python3-xlrd: one hexadecimal token string per line of
the file named on the command line, one formula text (or "!" and the error) per line out.
3-D references resolve through EXTERNSHEET entries 0 and 1 to the sheets Sheet1 and Sheet2."""
import sys

import xlrd.formula


class Book:
    biff_version = 80
    logfile = sys.stderr
    _supbook_locals_inx = 0
    _supbook_addins_inx = 1
    _externsheet_info = [(0, 0, 0), (0, 1, 1)]
    _all_sheets_map = [0, 1]

    def sheet_names(self):
        return ['Sheet1', 'Sheet2']


def main(path):
    book = Book()
    with open(path) as f:
        for line in f:
            data = bytes.fromhex(line.strip())
            try:
                text = xlrd.formula.decompile_formula(book, data, len(data), xlrd.formula.FMLA_TYPE_CELL,
                                                      browx=0, bcolx=0)
            except Exception as e:  # the test shows what xlrd refused
                text = '!%s' % e
            print(text)


if __name__ == '__main__':
    main(sys.argv[1])
