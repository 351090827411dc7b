#!/usr/bin/python3
"""Writes small BIFF2, BIFF3 and BIFF4 worksheet files record by record, from the published
record layouts, for the reader's differential tests against python3-xlrd.

    gen_old_biff_fixtures.py OUTDIR           writes biff2.xls, biff20.xls, biff3.xls and biff4.xls
    gen_old_biff_fixtures.py --check OUTDIR   fails when the files in OUTDIR differ from these
"""
import os
import struct
import sys


def record(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def text8(value):
    return value.encode("cp1252")


def biff2_attr(xf, font=0, fmt=0, align=0):
    # Attribute bytes of a BIFF2 cell: XF index, number format and font, alignment.
    return bytes([xf & 0x3F, (fmt & 0x3F) | (font << 6), align])


def biff2():
    out = record(0x0009, struct.pack("<HH", 0x0002, 0x0010))
    out += record(0x0042, struct.pack("<H", 1252))
    out += record(0x0000, struct.pack("<HHHH", 0, 12, 0, 5))
    for height, options, name in ((200, 0, "Arial"), (240, 1, "Arial"), (200, 2, "Courier New")):
        out += record(0x0031, struct.pack("<HHB", height, options, len(name)) + text8(name))
    for fmt in ("General", "0.00", "0%", "d-mmm-yy", "#,##0.00"):
        out += record(0x001E, bytes([len(fmt)]) + text8(fmt))
    # XF: font, unused, number format with the protection bits, alignment and borders.
    # The last one is shaded (bit 7 of the alignment byte).
    for font, fmt, align in ((0, 0, 0), (1, 0, 2), (0, 1, 3), (0, 2, 0), (2, 3, 0x08 | 0x40), (0, 4, 0x80 | 0x20)):
        out += record(0x0043, bytes([font, 0, fmt | 0x40, align]))
    out += record(0x0024, bytes([0, 0]) + struct.pack("<H", 4000))
    out += record(0x0024, bytes([2, 3]) + struct.pack("<H", 6000))
    # COLUMNDEFAULT: first column, the column after the last, then each column's cell
    # attributes: column B has a format but no width, C and D a width and a format.
    out += record(0x0020, struct.pack("<HH", 1, 4) + biff2_attr(2) + biff2_attr(5) + biff2_attr(1))
    # ROW: row, first and last+1 column, height, reserved, no default attributes, offset.
    out += record(0x0008, struct.pack("<HHHHHBH", 0, 0, 5, 400, 0, 0, 0))
    out += record(0x0008, struct.pack("<HHHHHBH", 4, 0, 5, 0x8000 | 255, 0, 0, 0))
    out += record(0x0004, struct.pack("<HH", 0, 0) + biff2_attr(1) + bytes([14]) + text8("Logger report "))
    out += record(0x0004, struct.pack("<HH", 0, 1) + biff2_attr(0) + bytes([6]) + text8("Zürich"))
    out += record(0x0002, struct.pack("<HH", 1, 0) + biff2_attr(0) + struct.pack("<H", 65535))
    out += record(0x0002, struct.pack("<HH", 1, 1) + biff2_attr(0) + struct.pack("<H", 0))
    out += record(0x0003, struct.pack("<HH", 2, 0) + biff2_attr(2) + struct.pack("<d", 21.75))
    out += record(0x0003, struct.pack("<HH", 2, 1) + biff2_attr(3) + struct.pack("<d", 0.125))
    out += record(0x0003, struct.pack("<HH", 2, 2) + biff2_attr(4) + struct.pack("<d", 44000.0))
    out += record(0x0003, struct.pack("<HH", 2, 3) + biff2_attr(0) + struct.pack("<d", -1e300))
    out += record(0x0005, struct.pack("<HH", 3, 0) + biff2_attr(0) + bytes([1, 0]))
    out += record(0x0005, struct.pack("<HH", 3, 1) + biff2_attr(0) + bytes([0, 0]))
    out += record(0x0005, struct.pack("<HH", 3, 2) + biff2_attr(0) + bytes([0x07, 1]))
    out += record(0x0005, struct.pack("<HH", 3, 3) + biff2_attr(0) + bytes([0x2A, 1]))
    out += record(0x0001, struct.pack("<HH", 4, 4) + biff2_attr(1))
    # FORMULA: cached result, recalculation flag, token length, tokens (here: 1+2 as two
    # integers and an addition), then a text result with its STRING record.
    tokens = bytes([0x1E]) + struct.pack("<H", 1) + bytes([0x1E]) + struct.pack("<H", 2) + bytes([0x03])
    out += record(0x0006, struct.pack("<HH", 5, 0) + biff2_attr(0) + struct.pack("<d", 3.0) + bytes([0, len(tokens)])
                  + tokens)
    text_tokens = bytes([0x17, 2]) + text8("ok")
    out += record(0x0006, struct.pack("<HH", 5, 1) + biff2_attr(0) + bytes([0, 0, 0, 0, 0, 0, 0xFF, 0xFF])
                  + bytes([0, len(text_tokens)]) + text_tokens)
    out += record(0x0007, bytes([2]) + text8("ok"))
    out += record(0x0003, struct.pack("<HH", 6, 0) + biff2_attr(5) + struct.pack("<d", 0.5))
    # An array formula over A8:B9: the anchor's FORMULA with an anchor token (row, one-byte
    # column), the ARRAY record (range, flag byte, token length byte, tokens: 7+5), then the
    # other cells' FORMULA records pointing at the anchor.
    anchor = bytes([0x01]) + struct.pack("<HB", 7, 0)
    array_tokens = bytes([0x1E]) + struct.pack("<H", 7) + bytes([0x1E]) + struct.pack("<H", 5) + bytes([0x03])
    for i, (row, col) in enumerate(((7, 0), (7, 1), (8, 0), (8, 1))):
        out += record(0x0006, struct.pack("<HH", row, col) + biff2_attr(0) + struct.pack("<d", 12.0)
                      + bytes([0, len(anchor)]) + anchor)
        if i == 0:
            out += record(0x0021, struct.pack("<HHBB", 7, 8, 0, 1) + bytes([0, len(array_tokens)]) + array_tokens)
    out += record(0x0004, struct.pack("<HH", 11, 4) + biff2_attr(0) + bytes([0]))
    out += record(0x000A)
    return out


def biff20():
    # A BIFF2 file without XF records: each cell's attribute bytes are its format (protection
    # bits, then number format and font, then alignment, borders and shade).
    def attr(prot, fmt, font, look):
        return bytes([prot, fmt | (font << 6), look])

    out = record(0x0009, struct.pack("<HH", 0x0002, 0x0010))
    out += record(0x0042, struct.pack("<H", 1252))
    for height, options, name in ((200, 0, "Arial"), (240, 1, "Arial"), (160, 2, "Times New Roman")):
        out += record(0x0031, struct.pack("<HHB", height, options, len(name)) + text8(name))
    for fmt in ("General", "0.00", "0%"):
        out += record(0x001E, bytes([len(fmt)]) + text8(fmt))
    out += record(0x0024, bytes([0, 0]) + struct.pack("<H", 5000))
    out += record(0x0020, struct.pack("<HH", 1, 3) + attr(0x40, 2, 2, 0x03) + attr(0x40, 1, 0, 0x80))
    out += record(0x0004, struct.pack("<HH", 0, 0) + attr(0x40, 0, 1, 0x02) + bytes([5]) + text8("Title"))
    out += record(0x0003, struct.pack("<HH", 1, 0) + attr(0x40, 1, 0, 0x80 | 0x08) + struct.pack("<d", 1.5))
    out += record(0x0003, struct.pack("<HH", 1, 1) + attr(0x00, 2, 2, 0x78) + struct.pack("<d", 0.25))
    out += record(0x0002, struct.pack("<HH", 2, 0) + attr(0x40, 0, 0, 0) + struct.pack("<H", 7))
    out += record(0x0002, struct.pack("<HH", 2, 1) + attr(0x40, 1, 0, 0x80 | 0x08) + struct.pack("<H", 8))
    out += record(0x000A)
    return out


def biff34_xf(version, font, fmt, align=0, fill=0, borders=b"\0\0\0\0"):
    if version == 3:
        # font, format, type and protection, used attributes, alignment with the parent, fill, borders
        return bytes([font, fmt, 0x01, 0]) + struct.pack("<HH", align & 0x0F, fill) + borders
    return bytes([font, fmt]) + struct.pack("<H", 0x0001) + bytes([align, 0]) + struct.pack("<H", fill) + borders


def biff34(version):
    bof, font_id, format_id, xf_id, formula_id = {
        3: (0x0209, 0x0231, 0x001E, 0x0243, 0x0206),
        4: (0x0409, 0x0231, 0x041E, 0x0443, 0x0406)}[version]
    out = record(bof, struct.pack("<HHH", 0, 0x0010, 0))
    out += record(0x0042, struct.pack("<H", 1252))
    for height, options, colour, name in ((200, 0, 0x7FFF, "Arial"), (220, 1, 10, "Arial"), (180, 2, 12, "Tahoma")):
        out += record(font_id, struct.pack("<HHHB", height, options, colour, len(name)) + text8(name))
    formats = ("General", "0.00", "0.0%", "yyyy-mm-dd", "#,##0")
    for fmt in formats:
        prefix = b"" if version == 3 else struct.pack("<H", 0)
        out += record(format_id, prefix + bytes([len(fmt)]) + text8(fmt))
    out += record(xf_id, biff34_xf(version, 0, 0))
    out += record(xf_id, biff34_xf(version, 1, 1, align=2 | 0x08, fill=1 | (10 << 6) | (9 << 11)))
    out += record(xf_id, biff34_xf(version, 2, 2, borders=bytes([1 | (8 << 3), 0, 2 | (8 << 3), 0])))
    out += record(xf_id, biff34_xf(version, 0, 3, align=3 | (0x20 if version == 4 else 0)))
    out += record(xf_id, biff34_xf(version, 0, 4))
    out += record(0x0200, struct.pack("<HHHHH", 0, 9, 0, 5, 0))
    # COLINFO: first and last column, width, XF, options (bit 0 hidden), reserved.
    out += record(0x007D, struct.pack("<HHHHHH", 0, 0, 5000, 0, 0, 0))
    out += record(0x007D, struct.pack("<HHHHHH", 1, 2, 3000, 0, 0, 0))
    out += record(0x007D, struct.pack("<HHHHHH", 4, 4, 2000, 0, 1, 0))
    # ROW: row, first and last+1 column, height, reserved, reserved, options (custom height,
    # hidden), XF.
    out += record(0x0208, struct.pack("<HHHHHHHH", 0, 0, 5, 500, 0, 0, 0x0140, 0))
    out += record(0x0208, struct.pack("<HHHHHHHH", 3, 0, 5, 255, 0, 0, 0x0120, 0))
    title = "Logger %d report" % version
    out += record(0x0204, struct.pack("<HHHH", 0, 0, 1, len(title)) + text8(title))
    out += record(0x0204, struct.pack("<HHHH", 0, 1, 0, 4) + text8("Grad"))
    out += record(0x0203, struct.pack("<HHH", 1, 0, 1) + struct.pack("<d", 25.375))
    out += record(0x027E, struct.pack("<HHH", 1, 1, 2) + struct.pack("<I", (12 << 2) | 2))
    out += record(0x027E, struct.pack("<HHH", 1, 2, 0) + struct.pack("<I", 1234 | 1))
    out += record(0x0203, struct.pack("<HHH", 1, 3, 3) + struct.pack("<d", 45000.5))
    out += record(0x0203, struct.pack("<HHH", 1, 4, 4) + struct.pack("<d", 1234567.0))
    out += record(0x0205, struct.pack("<HHH", 2, 0, 0) + bytes([1, 0]))
    out += record(0x0205, struct.pack("<HHH", 2, 1, 0) + bytes([0x24, 1]))
    out += record(0x0201, struct.pack("<HHH", 2, 2, 3))
    # FORMULA: cached result, options, token length, tokens: A2*2 (relative reference, integer,
    # multiplication), then a text result followed by its STRING record and a boolean result.
    ref = bytes([0x44]) + struct.pack("<H", 0xC000 | 1) + bytes([0])
    tokens = ref + bytes([0x1E]) + struct.pack("<H", 2) + bytes([0x05])
    out += record(formula_id, struct.pack("<HHH", 4, 0, 0) + struct.pack("<d", 50.75) + struct.pack("<HH", 0,
                                                                                                   len(tokens))
                  + tokens)
    text_tokens = bytes([0x17, 3]) + text8("abc")
    out += record(formula_id, struct.pack("<HHH", 4, 1, 0) + bytes([0, 0, 0, 0, 0, 0, 0xFF, 0xFF])
                  + struct.pack("<HH", 0, len(text_tokens)) + text_tokens)
    out += record(0x0207, struct.pack("<H", 3) + text8("abc"))
    bool_tokens = bytes([0x1D, 1])
    out += record(formula_id, struct.pack("<HHH", 4, 2, 0) + bytes([1, 0, 1, 0, 0, 0, 0xFF, 0xFF])
                  + struct.pack("<HH", 0, len(bool_tokens)) + bool_tokens)
    out += record(0x00BD, struct.pack("<HH", 6, 1) + struct.pack("<HI", 0, (7 << 2) | 2)
                  + struct.pack("<HI", 0, (100 << 2) | 3) + struct.pack("<H", 2))
    out += record(0x00BE, struct.pack("<HH", 7, 0) + struct.pack("<HHH", 1, 2, 3) + struct.pack("<H", 2))
    # An array formula over A10:A11: ARRAY with range, flag word, token length word, tokens.
    anchor = bytes([0x01]) + struct.pack("<HH", 9, 0)
    array_tokens = bytes([0x1E]) + struct.pack("<H", 7) + bytes([0x1E]) + struct.pack("<H", 5) + bytes([0x05])
    for row in (9, 10):
        out += record(formula_id, struct.pack("<HHH", row, 0, 0) + struct.pack("<d", 35.0)
                      + struct.pack("<HH", 0, len(anchor)) + anchor)
        if row == 9:
            out += record(0x0221, struct.pack("<HHBBHH", 9, 10, 0, 0, 0, len(array_tokens)) + array_tokens)
    out += record(0x0204, struct.pack("<HHHH", 8, 4, 0, 9) + text8("Ende äöü."))
    out += record(0x000A)
    return out


def main(argv):
    files = {"biff2.xls": biff2(), "biff20.xls": biff20(), "biff3.xls": biff34(3), "biff4.xls": biff34(4)}
    outdir = argv[-1]
    if argv[0] != "--check":
        for name, data in files.items():
            with open(os.path.join(outdir, name), "wb") as f:
                f.write(data)
        return 0
    stale = []
    for name, data in sorted(files.items()):
        with open(os.path.join(outdir, name), "rb") as f:
            if f.read() != data:
                stale.append(name)
    for name in stale:
        print("%s is not what the script makes now" % name)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
