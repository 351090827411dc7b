#!/usr/bin/python3
"""Checks the built-in empty workbook (a ZIP archive with the single entry "Empty.xls") with
xlrd (one empty sheet, its fonts, formats, XFs and styles) and olefile (its three streams)."""
import io
import sys
import zipfile

import olefile
import xlrd


def check(path):
    problems = []

    def expect(what, got, want):
        if got != want:
            problems.append("%s: got %r, want %r" % (what, got, want))

    archive = zipfile.ZipFile(path)
    expect("entries", archive.namelist(), ["Empty.xls"])
    expect("compression", archive.infolist()[0].compress_type, zipfile.ZIP_DEFLATED)
    data = archive.read("Empty.xls")

    ole = olefile.OleFileIO(io.BytesIO(data))
    expect("streams", sorted("/".join(e) for e in ole.listdir()),
           sorted(["Workbook", "\x05SummaryInformation", "\x05DocumentSummaryInformation"]))
    expect("summary code page", ole.get_metadata().codepage, 1200)

    book = xlrd.open_workbook(file_contents=data, formatting_info=True)
    expect("BIFF version", book.biff_version, 80)
    expect("code page", book.codepage, 1200)
    expect("sheets", book.sheet_names(), ["Sheet1"])
    sheet = book.sheet_by_index(0)
    expect("cells", (sheet.nrows, sheet.ncols), (0, 0))
    expect("default row height", sheet.default_row_height, 255)
    expect("default column width", sheet.defcolwidth, 8)
    # xlrd adds the font index 4 that the file format skips.
    fonts = [(f.name, f.height, f.weight, f.colour_index) for f in book.font_list if f.font_index != 4]
    expect("fonts", fonts, [("Arial", 200, 400, 0x7FFF)] * 4)
    formats = sorted(k for k in book.format_map if k not in xlrd.formatting.std_format_code_types or
                     k in (5, 6, 7, 8, 41, 42, 43, 44))
    user_formats = sorted(k for k in formats if k in (5, 6, 7, 8, 41, 42, 43, 44))
    expect("format ids", user_formats, [5, 6, 7, 8, 41, 42, 43, 44])
    expect("XF count", len(book.xf_list), 21)
    style_xfs = [xf.xf_index for xf in book.xf_list if xf.is_style]
    expect("style XFs", style_xfs, list(range(15)) + list(range(16, 21)))
    default = book.xf_list[15]
    expect("default XF", (default.font_index, default.format_key, default.protection.cell_locked,
                          default.alignment.vert_align), (0, 0, 1, 2))
    expect("number style formats", [book.xf_list[i].format_key for i in range(16, 21)], [43, 41, 44, 42, 9])
    styles = {name: (builtin, xf) for name, (builtin, xf) in book.style_name_map.items()}
    expect("styles", styles, {"Normal": (1, 0), "Comma": (1, 16), "Comma [0]": (1, 17), "Currency": (1, 18),
                              "Currency [0]": (1, 19), "Percent": (1, 20)})
    return problems


def main():
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    if not problems:
        print("the empty workbook is as listed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
