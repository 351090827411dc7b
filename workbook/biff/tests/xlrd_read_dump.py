#!/usr/bin/python3
"""What python3-xlrd reads from an .xls file, in the reader test's line format: sheets, cell
values (formula cells by their cached value), merged areas, column widths and row heights."""
import json
import sys

import xlrd


def number(value):
    if value == int(value) and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


def dump(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for s in range(book.nsheets):
        sheet = book.sheet_by_index(s)
        out.append("sheet %d %s" % (s, json.dumps(sheet.name, ensure_ascii=False)))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                    out.append("cell %d %d %d n %s" % (s, r, c, number(cell.value)))
                elif cell.ctype == xlrd.XL_CELL_TEXT:
                    out.append("cell %d %d %d s %s" % (s, r, c, json.dumps(cell.value, ensure_ascii=False)))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    out.append("cell %d %d %d b %d" % (s, r, c, cell.value))
                elif cell.ctype == xlrd.XL_CELL_ERROR:
                    out.append("cell %d %d %d e %d" % (s, r, c, cell.value))
        for (r1, r2, c1, c2) in sorted(sheet.merged_cells):
            out.append("merged %d %d %d %d %d" % (s, r1, r2 - 1, c1, c2 - 1))
        for c in sorted(sheet.colinfo_map):
            info = sheet.colinfo_map[c]
            out.append("col %d %d %d %d" % (s, c, info.width, info.hidden))
        for r in sorted(sheet.rowinfo_map):
            info = sheet.rowinfo_map[r]
            out.append("row %d %d %d %d" % (s, r, info.height, info.hidden))
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    sys.stdout.write(dump(sys.argv[1]))
