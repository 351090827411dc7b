#!/usr/bin/python3
"""Prints what python3-xlrd reads from an .xls file, one fact per line, for the writer's tests."""
import json
import sys

import xlrd


def facts(path):
    """The dump's lines."""
    book = xlrd.open_workbook(path, formatting_info=True)
    out = ["version biff=%d codepage=%s" % (book.biff_version, book.codepage)]
    for name in book.name_obj_list:
        out.append("name %s scope=%d builtin=%d formula=%s" % (
            name.name, name.scope, name.builtin, name.raw_formula.hex()))
        out.append("result %s %s" % (name.name, name.result.text if name.result is not None else "-"))
    for s in range(book.nsheets):
        sheet = book.sheet_by_index(s)
        out.append("sheet %d %s rows=%d cols=%d" % (s, sheet.name, sheet.nrows, sheet.ncols))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                out.append("cell %d %d %d %d %s" % (s, r, c, cell.ctype,
                                                    json.dumps(cell.value, ensure_ascii=False)))
                xf = book.xf_list[cell.xf_index]
                font = book.font_list[xf.font_index]
                fmt = book.format_map[xf.format_key].format_str
                b = xf.border
                out.append("xf %d %d %d font=%s,%d,%d,%d,%d fill=%d,%d,%d border=%d,%d,%d,%d,%d,%d align=%d,%d,%d fmt=%s" % (
                    s, r, c, font.name, font.height, font.weight * 10 + font.bold, font.italic, font.colour_index,
                    xf.background.fill_pattern, xf.background.pattern_colour_index,
                    xf.background.background_colour_index,
                    b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style,
                    b.left_colour_index, b.top_colour_index,
                    xf.alignment.hor_align, xf.alignment.vert_align, xf.alignment.text_wrapped,
                    json.dumps(fmt, ensure_ascii=False)))
        for (r1, r2, c1, c2) in sheet.merged_cells:
            out.append("merged %d %d %d %d %d" % (s, r1, r2, c1, c2))
        for link in sheet.hyperlink_list:
            out.append("hlink %d %d %d %d %d %s %s %s %s %s" % (
                s, link.frowx, link.lrowx, link.fcolx, link.lcolx, link.type, json.dumps(link.url_or_path),
                json.dumps(link.desc, ensure_ascii=False), json.dumps(link.textmark), json.dumps(link.quicktip)))
        for c in sorted(sheet.colinfo_map):
            info = sheet.colinfo_map[c]
            out.append("colinfo %d %d width=%d hidden=%d outline=%d" % (s, c, info.width, info.hidden,
                                                                        info.outline_level))
        for r in sorted(sheet.rowinfo_map):
            info = sheet.rowinfo_map[r]
            out.append("rowinfo %d %d height=%d hidden=%d" % (s, r, info.height, info.hidden))
    return out


def main(path):
    print("\n".join(facts(path)))


if __name__ == "__main__":
    main(sys.argv[1])
