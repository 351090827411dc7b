#!/usr/bin/python3
"""Compares two metafiles by what the converter's tests use them for: the same records in the
same order with the same drawing (objects, coordinates, paths, bitmaps, clipping, text and its
reference point), leaving out what the machine's fonts decide: the text records' bounds and
advances, a font's face name, and the header's and the comments' bounds.

  emf_records.py A.emf B.emf    exits 0 when the two agree, else prints the first difference
"""
import struct
import sys

HEADER, GDICOMMENT, EXTCREATEFONTINDIRECTW, EXTTEXTOUTA, EXTTEXTOUTW = 1, 70, 82, 83, 84


def records(data):
    pos = 0
    while pos + 8 <= len(data):
        kind, size = struct.unpack_from("<II", data, pos)
        if size < 8 or size % 4 or pos + size > len(data):
            raise ValueError("broken record at %d" % pos)
        yield kind, data[pos:pos + size]
        pos += size
        if kind == 14:  # EOF
            return
    raise ValueError("no end-of-file record")


def essence(kind, record):
    if kind in (HEADER, GDICOMMENT):
        return None
    if kind == EXTCREATEFONTINDIRECTW:
        # Object slot, height, escapement, orientation, weight, italic, underline, strike-out.
        handle, height, _width, escapement, orientation, weight = struct.unpack_from("<Iiiiii", record, 8)
        return handle, height, escapement, orientation, weight, record[32:35]
    if kind in (EXTTEXTOUTA, EXTTEXTOUTW):
        mode = struct.unpack_from("<I", record, 24)[0]
        x, y, count, offset, options = struct.unpack_from("<iiIII", record, 36)
        width = 2 if kind == EXTTEXTOUTW else 1
        return mode, x, y, options, record[offset:offset + count * width]
    return record[8:]


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    lists = []
    for name in sys.argv[1:]:
        with open(name, "rb") as f:
            lists.append([(kind, essence(kind, record)) for kind, record in records(f.read())])
    first, second = lists
    if [k for k, _ in first] != [k for k, _ in second]:
        print("the record kinds differ:\n%s\n%s" % ([k for k, _ in first], [k for k, _ in second]))
        return 1
    for index, (a, b) in enumerate(zip(first, second)):
        if a != b:
            print("record %d (kind %d) differs:\n%r\n%r" % (index, a[0], a[1], b[1]))
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
