#!/usr/bin/python3
"""Formulas of .xlsx files that other programs wrote, for the formula encoder.

Stage 1 (--make, needs python3-openpyxl and LibreOffice): writes xlsx_formula_fixtures/openpyxl.xlsx
with openpyxl (the formulas of gen_biff_formula_fixtures.py plus structured references to a
table) and xlsx_formula_fixtures/libreoffice.xlsx, the same workbook opened and saved again by
LibreOffice (soffice), which writes the formulas in its own spelling.

Stage 2 (always; needs nothing beyond Python): reads the committed files and writes
xlsx_formula_fixtures.inc: per workbook its sheets, defined names and tables (name, area,
header and totals rows, columns), and every formula text of its cells with the cell.
xlsx_formula_fixtures_test.cpp builds the same workbook model and compiles every formula: none
may report. With --check the committed table must be what the committed files hold and, where
LibreOffice is installed, what the two programs write now (stage 1 into a temporary folder).

Run with Debian's interpreter: /usr/bin/python3 gen_xlsx_formula_fixtures.py [--make] [--check] [OUTPUT]
"""
import os
import posixpath
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

from gen_biff_formula_fixtures import quote, source_book

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, 'xlsx_formula_fixtures')
OUTPUT = os.path.join(HERE, 'xlsx_formula_fixtures.inc')
NS = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main',
      'r': 'http://schemas.openxmlformats.org/officeDocument/2006/relationships',
      'rel': 'http://schemas.openxmlformats.org/package/2006/relationships'}

TABLE_FORMULAS = [
    'SUM(Sales[Amount])', 'Sales[[#Headers],[Cost]]', 'SUM(Sales[[Amount]:[Cost]])', 'COUNTA(Sales[#All])',
    'ROWS(Sales[#Data])', 'SUM(Sales[[#Totals],[Amount]])', 'INDEX(Sales[Name],2)', 'SUM(Sales)',
]


def make(folder):
    from openpyxl.worksheet.table import Table
    book = source_book()
    data = book['Data 2']
    # The table Sales at J1:L6 of Data 2: a header row, four data rows, a totals row.
    for c, name in enumerate(['Name', 'Amount', 'Cost']):
        data.cell(1, 10 + c, name)
    for r in range(2, 6):
        data.cell(r, 10, 'item%d' % r)
        data.cell(r, 11, r * 3)
        data.cell(r, 12, r * 2)
    data['J6'] = 'Total'
    data['K6'] = '=SUBTOTAL(109,Sales[Amount])'
    table = Table(displayName='Sales', ref='J1:L6', totalsRowCount=1)
    data.add_table(table)
    for i, f in enumerate(TABLE_FORMULAS):
        data.cell(i + 1, 14, '=' + f)
    book.save(os.path.join(folder, 'openpyxl.xlsx'))
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(['soffice', '--headless', '-env:UserInstallation=file://' + tmp + '/profile',
                        '--convert-to', 'xlsx', '--outdir', tmp, os.path.join(folder, 'openpyxl.xlsx')],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.copy(os.path.join(tmp, 'openpyxl.xlsx'), os.path.join(folder, 'libreoffice.xlsx'))


def part_rels(archive, part):
    """Target paths of a part's relationships by id."""
    rels = posixpath.join(posixpath.dirname(part), '_rels', posixpath.basename(part) + '.rels')
    if rels not in archive.namelist():
        return {}
    root = ET.fromstring(archive.read(rels))
    def resolve(target):
        if target.startswith('/'):
            return target[1:]
        return posixpath.normpath(posixpath.join(posixpath.dirname(part), target))
    return {r.get('Id'): resolve(r.get('Target')) for r in root.findall('rel:Relationship', NS)}


def cell_position(ref):
    m = re.fullmatch(r'([A-Z]+)(\d+)', ref)
    col = 0
    for ch in m.group(1):
        col = col * 26 + ord(ch) - 64
    return col - 1, int(m.group(2)) - 1


def read_book(path):
    archive = zipfile.ZipFile(path)
    workbook = ET.fromstring(archive.read('xl/workbook.xml'))
    rels = part_rels(archive, 'xl/workbook.xml')
    sheets, formulas, tables = [], [], []
    for index, s in enumerate(workbook.findall('m:sheets/m:sheet', NS)):
        sheets.append(s.get('name'))
        part = rels[s.get('{%s}id' % NS['r'])]
        root = ET.fromstring(archive.read(part))
        for c in root.iter('{%s}c' % NS['m']):
            f = c.find('m:f', NS)
            if f is not None and f.text:
                col, row = cell_position(c.get('r'))
                formulas.append((index, col, row, f.text))
        sheet_rels = part_rels(archive, part)
        for t in root.findall('m:tableParts/m:tablePart', NS):
            table = ET.fromstring(archive.read(sheet_rels[t.get('{%s}id' % NS['r'])]))
            columns = [c.get('name') for c in table.findall('m:tableColumns/m:tableColumn', NS)]
            tables.append((index, table.get('displayName'), table.get('ref'),
                           int(table.get('headerRowCount', '1')), int(table.get('totalsRowCount', '0')), columns))
    names = [(n.get('name'), int(n.get('localSheetId', '-1'))) for n in workbook.findall('m:definedNames/m:definedName', NS)
             if not n.get('name').startswith('_xlnm.')]
    return sheets, names, tables, formulas


def render(folder=FIXTURES):
    out = ['// Generated by gen_xlsx_formula_fixtures.py; do not edit.',
           '// Regenerate: /usr/bin/python3 gen_xlsx_formula_fixtures.py xlsx_formula_fixtures.inc', '',
           'struct TXlsxFixtureBook { const char* File; const char16_t* Sheets; const char16_t* Names; };',
           'struct TXlsxFixtureTable { int Book; int Sheet; const char16_t* Name; const char* Ref; int Headers; '
           'int Totals; const char16_t* Columns; };',
           'struct TXlsxFixture { int Book; int Sheet; int Col; int Row; const char16_t* Text; };', '']
    books, tables, formulas = [], [], []
    for index, name in enumerate(sorted(f for f in os.listdir(folder) if f.endswith('.xlsx'))):
        sheets, names, book_tables, book_formulas = read_book(os.path.join(folder, name))
        books.append('    {"%s", u%s, u%s},' % (name, quote('|'.join(sheets)),
                                               quote('|'.join('%s@%d' % n for n in names))))
        for sheet, tname, ref, headers, totals, columns in book_tables:
            tables.append('    {%d, %d, u%s, "%s", %d, %d, u%s},' % (index, sheet, quote(tname), ref, headers, totals,
                                                                   quote('|'.join(columns))))
        for sheet, col, row, text in book_formulas:
            formulas.append('    {%d, %d, %d, %d, u%s},' % (index, sheet, col, row, quote(text)))
    for title, rows in (('TXlsxFixtureBook XlsxFixtureBooks', books), ('TXlsxFixtureTable XlsxFixtureTables', tables),
                        ('TXlsxFixture XlsxFixtures', formulas)):
        out.append('constexpr %s[] = {' % title)
        out += rows
        out.append('};')
    return '\n'.join(out) + '\n'


def main(argv):
    if '--make' in argv:
        os.makedirs(FIXTURES, exist_ok=True)
        make(FIXTURES)
    paths = [a for a in argv[1:] if not a.startswith('--')]
    target = paths[0] if paths else OUTPUT
    text = render()
    if '--check' in argv:
        with open(target, encoding='utf-8') as f:
            if f.read() != text:
                print('%s is not what the committed workbooks hold; regenerate it' % target)
                return 1
        # Where LibreOffice is installed, the workbooks written now must hold the same formulas.
        if shutil.which('soffice'):
            with tempfile.TemporaryDirectory() as fresh:
                make(fresh)
                if render(fresh) != text:
                    print('openpyxl and LibreOffice now write other formulas than the committed workbooks hold')
                    return 1
        return 0
    with open(target, 'w', encoding='utf-8') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
