#!/usr/bin/python3
"""Checks the built-in empty workbook (a ZIP archive with the single entry "Empty.xls") with
xlrd (one empty sheet, its fonts, formats, XFs and styles) and olefile (its three streams)."""
import io
import struct
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
    # The records themselves, beside what xlrd makes of them.
    stream = ole.openstream("Workbook").read()
    records = []
    pos = 0
    while pos + 4 <= len(stream):
        rid, length = struct.unpack_from("<HH", stream, pos)
        records.append((rid, stream[pos + 4:pos + 4 + length]))
        pos += 4 + length
    expect("record stream length", pos, len(stream))
    ids = [rid for rid, _ in records]
    expect("FONT records", ids.count(0x0031), 4)
    expect("FORMAT ids", [struct.unpack_from("<H", body)[0] for rid, body in records if rid == 0x041E],
           [5, 6, 7, 8, 41, 42, 43, 44])
    expect("XF records", ids.count(0x00E0), 21)
    expect("STYLE records", ids.count(0x0293), 6)
    expect("CODEPAGE", [struct.unpack_from("<H", body)[0] for rid, body in records if rid == 0x0042], [1200])
    expect("SST", [struct.unpack_from("<II", body) for rid, body in records if rid == 0x00FC], [(0, 0)])
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
