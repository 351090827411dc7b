#!/usr/bin/python3
"""Prints what a console workbook holds, as JSON, read by xlrd and olefile: each sheet's name,
its cells, the formats of chosen cells, column widths, row heights, merged areas, and the charts
embedded in it with their series' references, legend, chart type, markers, the font indexes
of their Fbi records and the label and tick-mark intervals of their category axes. With --fonts first: the workbook's font list instead."""
import json
import os
import struct
import sys

import olefile
import xlrd


def colour(book, index):
    rgb = book.colour_map.get(index)
    return None if rgb is None else "%02X%02X%02X" % rgb


def cell_format(book, sheet, row, col):
    xf = book.xf_list[sheet.cell_xf_index(row, col)]
    font = book.font_list[xf.font_index]
    b = xf.border
    return {
        "font": font.name, "size": font.height, "bold": bool(font.bold),
        "horiz": xf.alignment.hor_align, "vert": xf.alignment.vert_align,
        "fill": colour(book, xf.background.pattern_colour_index) if xf.background.fill_pattern else None,
        "border": [b.left_line_style, b.top_line_style, b.right_line_style, b.bottom_line_style],
        "borderColour": [colour(book, c) if s else None for s, c in (
            (b.left_line_style, b.left_colour_index), (b.top_line_style, b.top_colour_index),
            (b.right_line_style, b.right_colour_index), (b.bottom_line_style, b.bottom_colour_index))],
    }


def records(stream):
    at = 0
    while at + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, at)
        yield rid, stream[at + 4:at + 4 + size]
        at += 4 + size


def reference(tokens, sheets, externs):
    if not tokens:
        return None
    ptg = tokens[0]
    if ptg in (0x3B, 0x5B, 0x7B):
        ixti, r1, r2, c1, c2 = struct.unpack_from("<HHHHH", tokens, 1)
        name = sheets[externs[ixti]]
        return "%s!%s%d:%s%d" % (name, chr(65 + (c1 & 0xFF)), r1 + 1, chr(65 + (c2 & 0xFF)), r2 + 1)
    if ptg in (0x3A, 0x5A, 0x7A):
        ixti, r, c = struct.unpack_from("<HHH", tokens, 1)
        return "%s!%s%d" % (sheets[externs[ixti]], chr(65 + (c & 0xFF)), r + 1)
    return "ptg%02X" % ptg


def charts(path, sheets):
    stream = olefile.OleFileIO(path).openstream("Workbook").read()
    externs, found, depth, sheet, chart = [], [[] for _ in sheets], 0, -1, None
    for rid, data in records(stream):
        if rid == 0x0809:
            kind = struct.unpack_from("<H", data, 2)[0]
            depth += 1
            if kind == 0x0010:
                sheet += 1
            elif kind == 0x0020 and depth == 2:
                chart = {"series": [], "legend": False, "line": False, "markers": [], "fonts": [],
                         "categoryAxes": []}
                found[sheet].append(chart)
        elif rid == 0x000A:
            depth -= 1
            if depth == 1:
                chart = None
        elif rid == 0x0017:
            count = struct.unpack_from("<H", data, 0)[0]
            externs = [struct.unpack_from("<HHH", data, 2 + 6 * i)[1] for i in range(count)]
        elif chart is not None:
            if rid == 0x1003:
                chart["series"].append({})
            elif rid == 0x1051 and chart["series"]:
                link, cce = data[0], struct.unpack_from("<H", data, 6)[0]
                key = {0: "name", 1: "values", 2: "category"}.get(link)
                if key and cce:
                    chart["series"][-1][key] = reference(data[8:8 + cce], sheets, externs)
            elif rid == 0x1015:
                chart["legend"] = True
            elif rid == 0x1018:
                chart["line"] = True
            elif rid == 0x1009:
                chart["markers"].append(struct.unpack_from("<H", data, 8)[0])
            elif rid == 0x1060:
                chart["fonts"].append(struct.unpack_from("<H", data, 8)[0])
            elif rid == 0x1020:
                label, mark = struct.unpack_from("<HH", data, 2)
                chart["categoryAxes"].append({"labelEvery": label, "tickEvery": mark})
    return found


def main(path, format_cells):
    book = xlrd.open_workbook(path, formatting_info=True, logfile=open(os.devnull, "w"))
    names = [s.name for s in book.sheets()]
    found = charts(path, names)
    out = []
    for index, sheet in enumerate(book.sheets()):
        out.append({
            "name": sheet.name,
            "rows": [[sheet.cell_value(r, c) for c in range(min(sheet.ncols, 4))] for r in range(sheet.nrows)],
            "formats": {"%d,%d" % rc: cell_format(book, sheet, *rc) for rc in format_cells
                        if rc[0] < sheet.nrows and rc[1] < sheet.ncols},
            "widths": {str(c): info.width for c, info in sheet.colinfo_map.items()},
            "heights": {str(r): info.height for r, info in sheet.rowinfo_map.items() if r < 40},
            "merged": [list(m) for m in sheet.merged_cells],
            "charts": found[index],
        })
    json.dump(out, sys.stdout, ensure_ascii=False)


def fonts(path):
    """The workbook's fonts by file index (xlrd puts a dummy at the unused index 4)."""
    book = xlrd.open_workbook(path, formatting_info=True, logfile=open(os.devnull, "w"))
    json.dump([{"name": f.name, "height": f.height, "weight": f.weight, "italic": f.italic,
                "underline": f.underline_type, "colour": f.colour_index, "family": f.family,
                "charset": f.character_set} for f in book.font_list], sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    if sys.argv[1] == "--fonts":
        fonts(sys.argv[2])
    else:
        cells = [tuple(int(v) for v in arg.split(",")) for arg in sys.argv[2:]]
        main(sys.argv[1], cells)
