#!/usr/bin/python3
"""BIFF8 formulas of .xls files that other programs wrote, with python3-xlrd's text of each.

Stage 1 (--make, needs LibreOffice, python3-openpyxl and python3-xlwt): writes the workbooks in
biff_formula_fixtures/: an .xlsx made with openpyxl and converted by LibreOffice (soffice) to
libreoffice.xls, and xlwt.xls written by python3-xlwt.

Stage 2 (always; needs python3-xlrd and python3-olefile): reads the FORMULA, SHRFMLA and ARRAY
records of the committed .xls files and writes biff_formula_fixtures.inc: per formula the tokens
(0xFE with the array-constant data where there is any), the cell, whether it is a shared formula
and xlrd's decompiled text in this library's spelling (normalise below). Per workbook the table
also holds the sheet prefix of each EXTERNSHEET entry and the defined names as xlrd writes them,
which the test's callback answers with. biff_decode_formula_test.cpp decodes the tokens with
DecodeBiffFormula (shared formulas also after FixupSharedFormula) and compares.

Run with Debian's interpreter: /usr/bin/python3 gen_biff_formula_fixtures.py [--make] [--check] [OUTPUT]
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

import olefile
import xlrd
import xlrd.formula

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, 'biff_formula_fixtures')
OUTPUT = os.path.join(HERE, 'biff_formula_fixtures.inc')

# Cell formulas of Sheet1 (column A holds numbers 1..12, column B the formulas).
FORMULAS = [
    '1+2*3', '(1+2)*3', '-A1^2', 'A1%', '2^3^2', 'A1&"x"&A2', '"say ""hi"""', 'A1<>A2', 'A1<=A2', 'A1>=A2',
    'TRUE', 'NOT(FALSE)', 'NA()', '1/0', 'ISERROR(#N/A)', 'PI()', 'SUM(A1:A12)', 'SUM(A1)', 'SUM(A1,A2,,A3)',
    'AVERAGE($A$1:$A$12)', 'MIN(A$1:A$12)+MAX($A1:$A12)', 'ROUND(AVERAGE(A1:A12),2)', 'IF(A1>5,"big","small")',
    'IF(A1,1)', 'CHOOSE(2,A1,A2,A3)', 'VLOOKUP(A3,A1:A12,1,FALSE)', 'INDEX(A1:A12,3)', 'OFFSET(A1,1,0)',
    "'Data 2'!A1+Sheet3!B2", "SUM('Data 2'!A1:B3)", "SUM(Sheet1:Sheet3!A1)", 'Rate*2', 'SUM(Prices)',
    'A1:A3 A2:A4', 'SUM((A1,A3))', 'SUM({1,2;3,4})', '{1,"a";TRUE,#N/A}', 'LEN("\u6e29\u5ea6")',
    '"\u6e7f\u5ea6:"&TEXT(A1,"0.00")', 'COUNTIF(A1:A12,">3")', 'SUMPRODUCT(A1:A3,A4:A6)', 'DATE(2026,12,10)',
    'A1:A12', 'ROW()', 'A65536', 'IV1', '0.125*1E+20', '$A$1+A2*-1',
]
# Relative formulas filled down column C (LibreOffice writes them as one shared formula).
SHARED = ['A{r}*2+$A$1', 'SUM(A$1:A{r})', 'A{r}&B{r}']


def source_book():
    """The openpyxl workbook both fixture scripts start from: numbers in column A of three sheets,
    the formulas in column B of Sheet1, the shared ones in C:E, an array formula, two names."""
    import openpyxl
    from openpyxl.workbook.defined_name import DefinedName
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = 'Sheet1'
    data = book.create_sheet('Data 2')
    third = book.create_sheet('Sheet3')
    for r in range(1, 13):
        sheet.cell(r, 1, r)
        data.cell(r, 1, r * 10)
        data.cell(r, 2, r * 100)
        third.cell(r, 2, r + 0.5)
    for i, f in enumerate(FORMULAS):
        sheet.cell(i + 1, 2, '=' + f)
    for k, f in enumerate(SHARED):
        for r in range(1, 13):
            sheet.cell(r, 3 + k, '=' + f.format(r=r))
    sheet['G1'] = '=A1:A3*2'
    sheet.formula_attributes['G1'] = {'t': 'array', 'ref': 'G1:G3'}
    book.defined_names.append(DefinedName('Rate', attr_text='Sheet1!$A$2'))
    book.defined_names.append(DefinedName('Prices', attr_text="'Data 2'!$A$1:$A$12"))
    return book


def make(folder):
    import xlwt
    book = source_book()
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, 'libreoffice.xlsx')
        book.save(source)
        subprocess.run(['soffice', '--headless', '-env:UserInstallation=file://' + tmp + '/profile',
                        '--convert-to', 'xls', '--outdir', folder, source],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wb = xlwt.Workbook()
    ws = wb.add_sheet('Sheet1')
    wb.add_sheet('Data 2')
    wb.add_sheet('Sheet3')
    for r in range(12):
        ws.write(r, 0, r + 1)
    # Only what xlwt's own compiler parses (it knows no names, arrays, unions, error constants).
    row = 0
    for f in FORMULAS:
        try:
            formula = xlwt.Formula(f)
        except Exception:
            continue
        ws.write(row, 1, formula)
        row += 1
    wb.save(os.path.join(folder, 'xlwt.xls'))


def records(path):
    """(id, body) of every record of the workbook stream; CONTINUE bodies are appended."""
    data = olefile.OleFileIO(path).openstream('Workbook').read()
    pos = 0
    out = []
    while pos + 4 <= len(data):
        rid, size = struct.unpack_from('<HH', data, pos)
        body = data[pos + 4:pos + 4 + size]
        pos += 4 + size
        if rid == 0x003C and out:
            out[-1] = (out[-1][0], out[-1][1] + body)
        else:
            out.append((rid, body))
    return out


def tokens_hex(rgce, extra):
    if extra:
        return 'fe' + struct.pack('<H', len(extra)).hex() + rgce.hex() + extra.hex()
    return rgce.hex()


def normalise(text):
    """xlrd's text in this library's spelling: numbers without a ".0" (and with an upper-case
    exponent), error constants without the quotes xlrd gives them, a 3-D cell as a cell, not
    a one-cell range. String constants stay as they are."""
    def outside_strings(part):
        part = re.sub(r'(?<![A-Za-z$\d.])\d+(?:\.\d+)?(?:e[+-]?\d+)?(?![\d:])',
                      lambda m: '%.15G' % float(m.group(0)), part)
        return re.sub(r'!(\$?[A-Z]+\$?\d+):\1(?![\d:])', r'!\1', part)
    text = re.sub(r'"(#NULL!|#DIV/0!|#VALUE!|#REF!|#NAME\?|#NUM!|#N/A)"', r'\1', text)
    pieces = re.split(r'("(?:[^"]|"")*")', text)
    return ''.join(p if p.startswith('"') else outside_strings(p) for p in pieces)


def quote(text):
    return '"' + ''.join('\\"' if c == '"' else '\\\\' if c == '\\' else c if ord(c) < 128
                         else '\\u%04X' % ord(c) for c in text) + '"'


def book_rows(path):
    book = xlrd.open_workbook(path)
    prefixes = []
    for ixti in range(len(book._externsheet_info)):
        area = bytes([0x3B]) + struct.pack('<HHHHH', ixti, 0, 0, 0, 0)
        text = xlrd.formula.decompile_formula(book, area, len(area), xlrd.formula.FMLA_TYPE_CELL, 0, 0)
        prefixes.append(text[:text.rindex('!') + 1])
    names = [n.name for n in book.name_obj_list]
    rows = []
    shared = {}
    recs = records(path)
    for rid, body in recs:
        if rid == 0x04BC:  # SHRFMLA: RefU, reserved, cUse, cce, rgce, extra
            r1, r2, c1, c2 = struct.unpack_from('<HHBB', body)
            cce = struct.unpack_from('<H', body, 8)[0]
            shared[(r1, c1)] = (body[10:10 + cce], body[10 + cce:], True)
        if rid == 0x0221:  # ARRAY: RefU, flags, chn, cce, rgce, extra
            r1, r2, c1, c2 = struct.unpack_from('<HHBB', body)
            cce = struct.unpack_from('<H', body, 12)[0]
            shared[(r1, c1)] = (body[14:14 + cce], body[14 + cce:], False)
    for rid, body in recs:
        if rid != 0x0006:
            continue
        row, col = struct.unpack_from('<HH', body)
        cce = struct.unpack_from('<H', body, 20)[0]
        rgce = body[22:22 + cce]
        extra = body[22 + cce:]
        if rgce[:1] == b'\x01':  # ptgExp: the cell uses a shared or array formula
            anchor = struct.unpack_from('<HH', rgce, 1)
            if anchor not in shared:
                continue
            rgce, extra, is_shared = shared[anchor]
        else:
            is_shared = False
        fmla_type = xlrd.formula.FMLA_TYPE_SHARED if is_shared else xlrd.formula.FMLA_TYPE_CELL
        try:
            text = xlrd.formula.decompile_formula(book, rgce, len(rgce), fmla_type, browx=row, bcolx=col)
        except Exception:
            # xlrd 1.2 fails on relative 3-D areas when given the cell, which a cell formula
            # does not need; whatever it still refuses has nothing to compare with.
            try:
                text = xlrd.formula.decompile_formula(book, rgce, len(rgce), fmla_type)
            except Exception:
                continue
        if text is None or '?' in text:
            continue  # xlrd writes no text for array constants and some tokens
        rows.append((tokens_hex(rgce, extra), row, col, is_shared, normalise(text)))
    return prefixes, names, rows


def render():
    out = ['// Generated by gen_biff_formula_fixtures.py from python3-xlrd %s; do not edit.' % xlrd.__VERSION__,
           '// Regenerate: /usr/bin/python3 gen_biff_formula_fixtures.py biff_formula_fixtures.inc', '',
           'struct TBiffFixtureBook { const char* File; const char16_t* Prefixes; const char16_t* Names; };',
           'struct TBiffFixture { int Book; const char* Hex; int Row; int Col; bool Shared; const char16_t* Text; };',
           '']
    books = []
    fixtures = []
    for index, name in enumerate(sorted(f for f in os.listdir(FIXTURES) if f.endswith('.xls'))):
        prefixes, names, rows = book_rows(os.path.join(FIXTURES, name))
        books.append('    {"%s", u%s, u%s},' % (name, quote('|'.join(prefixes)), quote('|'.join(names))))
        for hexs, row, col, is_shared, text in rows:
            fixtures.append('    {%d, "%s", %d, %d, %s, u%s},' % (index, hexs, row, col,
                                                                 'true' if is_shared else 'false', quote(text)))
    out.append('constexpr TBiffFixtureBook BiffFixtureBooks[] = {')
    out += books
    out.append('};')
    out.append('constexpr TBiffFixture BiffFixtures[] = {')
    out += fixtures
    out.append('};')
    return '\n'.join(out) + '\n'


def main(argv):
    check = '--check' in argv
    if '--make' in argv:
        os.makedirs(FIXTURES, exist_ok=True)
        make(FIXTURES)
    paths = [a for a in argv[1:] if not a.startswith('--')]
    target = paths[0] if paths else OUTPUT
    text = render()
    if check:
        with open(target, encoding='utf-8') as f:
            if f.read() != text:
                print('%s is not what python3-xlrd gives; regenerate it' % target)
                return 1
        return 0
    with open(target, 'w', encoding='utf-8') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
