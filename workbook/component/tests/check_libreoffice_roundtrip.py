#!/usr/bin/python3
"""Workbooks with pictures, notes, charts and chart sheets read and written back through the workbook
component (the roundtrip tool), and a new workbook with a picture added through the sheet's
drawing interface, as LibreOffice sees them: each file is converted to .xlsx and its pictures
(with their cells), comments (cell and text) and charts (series formulas) are listed.

Usage: check_libreoffice_roundtrip.py TOOL [--check]
Without --check the listing is written to libreoffice_roundtrip.txt beside this script; with
--check it is compared with that file. Either way every round-tripped workbook must show what
LibreOffice shows for the original."""
import os
import posixpath
import re
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

from lxml import etree

here = os.path.dirname(os.path.abspath(__file__))
fixtures = os.path.join(here, '..', '..', 'biff', 'drawing', 'tests', 'fixtures')
chart_fixtures = os.path.join(here, '..', '..', 'biff', 'chart', 'tests', 'fixtures')
WORKBOOKS = [os.path.join(fixtures, 'writeexcel_drawing.xls'), os.path.join(fixtures, 'libreoffice_drawing.xls'),
             os.path.join(chart_fixtures, 'writeexcel_chart_sheet.xls')]
table_path = os.path.join(here, 'libreoffice_roundtrip.txt')
NS = {
    'm': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main',
    'r': 'http://schemas.openxmlformats.org/officeDocument/2006/relationships',
    'pr': 'http://schemas.openxmlformats.org/package/2006/relationships',
    'xdr': 'http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing',
    'c': 'http://schemas.openxmlformats.org/drawingml/2006/chart',
}


def rels(book, part):
    folder, name = posixpath.split(part)
    path = posixpath.join(folder, '_rels', name + '.rels')
    if path not in book.namelist():
        return {}
    root = etree.fromstring(book.read(path))
    return {r.get('Id'): (r.get('Type').rsplit('/', 1)[-1], posixpath.normpath(posixpath.join(folder, r.get('Target'))))
            for r in root.findall('pr:Relationship', NS)}


def cell(col, row):
    name = ''
    col += 1
    while col:
        col, rem = divmod(col - 1, 26)
        name = chr(65 + rem) + name
    return '%s%d' % (name, row + 1)


def position(corner):
    """A corner as cell+column offset+row offset (EMU); '?' when the anchor has none."""
    if corner is None:
        return '?'
    col, col_off, row, row_off = (int(corner.find('xdr:' + name, NS).text) for name in ('col', 'colOff', 'row', 'rowOff'))
    return '%s+%d+%d' % (cell(col, row), col_off, row_off)


def chart_lines(book, part):
    root = etree.fromstring(book.read(part))
    kinds = [e.tag.split('}')[1] for e in root.find('.//c:plotArea', NS) if e.tag.endswith('Chart')]
    lines = ['  chart ' + ','.join(kinds)]
    for ser in root.iter('{%s}ser' % NS['c']):
        refs = []
        for what in ('tx', 'cat', 'val'):
            f = ser.find('c:%s//c:f' % what, NS)
            refs.append('%s=%s' % (what, f.text if f is not None else '-'))
        lines.append('    series ' + ' '.join(refs))
    return lines


def describe(xlsx):
    """The pictures, comments and charts of each sheet, one line each."""
    lines = []
    with zipfile.ZipFile(xlsx) as book:
        wb = etree.fromstring(book.read('xl/workbook.xml'))
        wb_rels = rels(book, 'xl/workbook.xml')
        for sheet in wb.find('m:sheets', NS):
            part = wb_rels[sheet.get('{%s}id' % NS['r'])][1]
            lines.append('sheet ' + sheet.get('name'))
            for kind, target in sorted(rels(book, part).values()):
                if kind == 'drawing':
                    drawing = etree.fromstring(book.read(target))
                    drawing_rels = rels(book, target)
                    for anchor in drawing:
                        where = ':'.join(position(anchor.find(corner, NS)) for corner in ('xdr:from', 'xdr:to'))
                        if anchor.find('xdr:pic', NS) is not None:
                            lines.append('  picture ' + where)
                        for frame in anchor.findall('xdr:graphicFrame', NS):
                            ref = frame.find('.//c:chart', NS)
                            if ref is not None:
                                lines.append('  chart at ' + where)
                                lines.extend(chart_lines(book, drawing_rels[ref.get('{%s}id' % NS['r'])][1]))
                elif kind == 'comments':
                    root = etree.fromstring(book.read(target))
                    for comment in root.iter('{%s}comment' % NS['m']):
                        text = ''.join(comment.itertext()).replace('\n', ' ')
                        lines.append('  comment %s %s' % (comment.get('ref'), text))
    return lines


def convert(path, tmp):
    env = dict(os.environ, HOME=tmp)
    out = os.path.join(tmp, 'xlsx')
    subprocess.run(['soffice', '--headless', '--convert-to', 'xlsx', '--outdir', out, path],
                   check=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return describe(os.path.join(out, os.path.splitext(os.path.basename(path))[0] + '.xlsx'))


def main():
    tool = sys.argv[1]
    check = '--check' in sys.argv[2:]
    failures = []
    table = []
    with tempfile.TemporaryDirectory() as tmp:
        for path in WORKBOOKS:
            name = os.path.splitext(os.path.basename(path))[0]
            original = convert(path, tmp)
            ours = os.path.join(tmp, 'ours_' + name + '.xls')
            subprocess.run([tool, path, ours], check=True)
            seen = convert(ours, tmp)
            # The cells must be the original's; the offsets in EMU follow the row heights.
            if cells_only(seen) != cells_only(original):
                failures.append('%s after our round trip:\n%s\nthe original:\n%s' %
                                (name, '\n'.join(seen), '\n'.join(original)))
            table.append('# %s.xls read and written back through the component' % name)
            table.extend(seen)
        picture = os.path.join(tmp, 'added.png')
        with open(picture, 'wb') as f:
            f.write(png_bytes())
        added = os.path.join(tmp, 'added_picture.xls')
        subprocess.run([tool, '--picture', picture, added], check=True)
        seen = convert(added, tmp)
        if len(seen) != 2 or not added_anchor_right(seen[1]):
            failures.append('picture added through the interface: %s' % seen)
        table.append('# a new workbook with a picture added through the drawing interface')
        table.extend(seen)
    text = '\n'.join(table) + '\n'
    if check:
        with open(table_path, encoding='utf-8') as f:
            if f.read() != text:
                failures.append('LibreOffice now sees something else than %s:\n%s' % (table_path, text))
    else:
        with open(table_path, 'w', encoding='utf-8') as f:
            f.write(text)
    if failures:
        print('\n'.join(failures))
        sys.exit(1)
    print(text, end='')


# The height of a default row in EMU (12.75 points); LibreOffice rounds EMU to 0.01 mm.
ROW_EMU = 161925
ROUNDING = 1000


def cells_only(lines):
    return [re.sub(r'\+\d+\+\d+', '', line) for line in lines]


def added_anchor_right(line):
    """The added picture from B2 to the top left of E8, which LibreOffice may give as the
    bottom of E7."""
    found = re.fullmatch(r'  picture B2\+0\+0:E(\d+)\+(\d+)\+(\d+)', line)
    if not found:
        return False
    row, col_off, row_off = (int(v) for v in found.groups())
    return col_off < ROUNDING and ((row == 8 and row_off < ROUNDING) or
                                   (row == 7 and abs(row_off - ROW_EMU) < ROUNDING))


def png_bytes():
    """A 4x3 RGB picture with fixed pixels."""
    w, h = 4, 3
    raw = b''.join(b'\x00' + b''.join(bytes((x * 60, y * 100, 200)) for x in range(w)) for y in range(h))

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


if __name__ == '__main__':
    main()
