#!/usr/bin/python3
"""What python3-xlrd reads from an .xls file, in the reader test's line format: sheets, cell
values (formula cells by their cached value), merged areas, column widths and row heights.

    xlrd_read_dump.py FILE             the values and the sheet layout
    xlrd_read_dump.py --formats FILE   each cell's and column's number format, font, horizontal
                                       alignment, fill pattern and border line styles
    xlrd_read_dump.py --formulas FILE  the text xlrd's decompiler gives each cell formula of a
                                       BIFF8 file, but shared ones and those naming other sheets
    xlrd_read_dump.py --all-formulas FILE
                                       the same with those naming other sheets
    xlrd_read_dump.py --heights FILE   the height of every row up to the last cell, from its ROW
                                       record or the sheet's default, and whether the file marks
                                       it as set by hand
    xlrd_read_dump.py --colours FILE   each cell's fill pattern with its two palette indexes and
                                       its font's palette index, as the file gives them
"""
import json
import re
import struct
import sys

import olefile

import xlrd
import xlrd.formula


def number(value):
    if value == int(value) and abs(value) < 1e15:
        return str(int(value))
    return repr(value)


def dump(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for s in range(book.nsheets):
        sheet = book.sheet_by_index(s)
        # A BIFF2-4 worksheet file has no sheet name: xlrd makes up "Sheet 1", the reader "Sheet1".
        name = "Sheet1" if book.biff_version < 50 else sheet.name
        out.append("sheet %d %s" % (s, json.dumps(name, ensure_ascii=False)))
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
            # xlrd gives width 0 to a column the file formats but gives no width (BIFF2).
            width = str(info.width) if info.width else "default"
            out.append("col %d %d %s %d" % (s, c, width, info.hidden))
        for r in sorted(sheet.rowinfo_map):
            info = sheet.rowinfo_map[r]
            out.append("row %d %d %d %d" % (s, r, info.height, info.hidden or 0))
    return "\n".join(out) + "\n"


def describe(book, xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    b = xf.border
    return "%s %s %d %d %d %d %d %d %d %d %d" % (
        json.dumps(book.format_map[xf.format_key].format_str, ensure_ascii=False),
        json.dumps(font.name, ensure_ascii=False), font.height, font.bold, font.italic, xf.alignment.hor_align,
        xf.background.fill_pattern, b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style)


def dump_formats(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for s in range(book.nsheets):
        sheet = book.sheet_by_index(s)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                out.append("format %d %d %d %s" % (s, r, c, describe(book, cell.xf_index)))
        for c in sorted(sheet.colinfo_map):
            # A column without a format of its own (a BIFF2 width alone) has none here.
            if sheet.colinfo_map[c].xf_index >= 0:
                out.append("column %d %d %s" % (s, c, describe(book, sheet.colinfo_map[c].xf_index)))
    return "\n".join(out) + "\n"


def dump_heights(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for s, sheet in enumerate(book.sheets()):
        for r in range(sheet.nrows):
            info = sheet.rowinfo_map.get(r)
            height = info.height if info else sheet.default_row_height
            custom = info.height_mismatch if info else 0
            out.append("row %d %d %s %d" % (s, r, height, custom))
    return "\n".join(out) + "\n"


def dump_colours(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    out = []
    for s, sheet in enumerate(book.sheets()):
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                if sheet.cell_type(r, c) == xlrd.XL_CELL_EMPTY:
                    continue
                xf = book.xf_list[sheet.cell_xf_index(r, c)]
                fill = xf.background
                out.append("colours %d %d %d %d %d %d %d" % (s, r, c, fill.fill_pattern, fill.pattern_colour_index,
                                                             fill.background_colour_index,
                                                             book.font_list[xf.font_index].colour_index))
    return "\n".join(out) + "\n"


def dump_formulas(path, other_sheets=False):
    book = xlrd.open_workbook(path, formatting_info=True)
    data = olefile.OleFileIO(path).openstream("Workbook").read()
    out = []
    pos, sheet = 0, -1
    while pos + 4 <= len(data):
        rid, length = struct.unpack("<HH", data[pos:pos + 4])
        body = data[pos + 4:pos + 4 + length]
        pos += 4 + length
        if rid == 0x0809 and struct.unpack("<H", body[2:4])[0] == 0x0010:
            sheet += 1
        if rid != 0x0006:
            continue
        row, col = struct.unpack("<HH", body[0:4])
        count = struct.unpack("<H", body[20:22])[0]
        text = xlrd.formula.decompile_formula(book, body[22:22 + count], count, xlrd.formula.FMLA_TYPE_CELL,
                                              browx=row, bcolx=col)
        if text.startswith("SHARED FMLA") or ("!" in text and not other_sheets):
            continue
        # xlrd writes every number as a float.
        text = re.sub(r"(?<![\w.])(\d+)\.0(?![\d])", r"\1", text)
        out.append("formula %d %d %d %s" % (sheet, row, col, text))
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    if sys.argv[1] == "--heights":
        sys.stdout.write(dump_heights(sys.argv[2]))
    elif sys.argv[1] == "--formulas":
        sys.stdout.write(dump_formulas(sys.argv[2]))
    elif sys.argv[1] == "--all-formulas":
        sys.stdout.write(dump_formulas(sys.argv[2], True))
    elif sys.argv[1] == "--colours":
        sys.stdout.write(dump_colours(sys.argv[2]))
    elif sys.argv[1] == "--formats":
        sys.stdout.write(dump_formats(sys.argv[2]))
    else:
        sys.stdout.write(dump(sys.argv[1]))
