#!/usr/bin/python3
"""Writes oracle_fixtures.inc: what independent implementations answer for the workbook model's
references, RK numbers, BIFF error codes, default palette, built-in number formats and CRC-32.

Oracles: python3-openpyxl (openpyxl.utils.cell), python3-xlrd (cellname, colname, cellnameabs,
unpack_RK, error_text_from_code, excel_default_palette_b8, std_format_strings) and Python's zlib. The C++ tests
(oracle_test.cpp) compare the library with this table; CTest reruns this script with --check so
that the committed table never drifts from the oracles.

Run with Debian's interpreter: /usr/bin/python3 gen_oracle_fixtures.py [--check] [OUTPUT]
"""
import random
import struct
import sys
import zlib

import openpyxl.utils.cell as ocell
import xlrd
import xlrd.biffh
import xlrd.formatting
import xlrd.sheet

RNG = random.Random(20261210)  # fixed: the output must be the same on every run


def cxx_string(text):
    """A C++ UTF-16 string-view literal (its length counts embedded NULs); non-ASCII and
    specials as universal character names."""
    out = []
    for ch in text:
        code = ord(ch)
        if ch == '"' or ch == '\\':
            out.append('\\' + ch)
        elif ch == '?':
            out.append('\\?')  # no "??x" trigraph sequences
        elif 0x20 <= code < 0x7F:
            out.append(ch)
        elif code < 0x20 or code == 0x7F:
            out.append('\\x%02X""' % code)  # closed so that a following hex digit is not eaten
        elif code <= 0xFFFF:
            out.append('\\u%04X' % code)
        else:
            out.append('\\U%08X' % code)
    return 'u"' + ''.join(out) + '"sv'


HUGE = 2000000000  # stands for any number past both grids (openpyxl has no row limit)


def opt(value):
    return -1 if value is None else min(value, HUGE)


# --- column letters and cell names ---

def column_cases():
    cols = set(range(0, 60))
    cols.update(range(60, 800, 7))
    cols.update(range(800, 18278, 97))
    cols.update([701, 702, 703, 727, 728, 1377, 1378, 16383, 16384, 18276, 18277, 255, 256])
    return sorted(cols)


def cellname_cases():
    pairs = [(0, 0), (0, 25), (0, 26), (0, 701), (65535, 255), (1048575, 255), (9, 27), (99, 700)]
    for _ in range(120):
        pairs.append((RNG.randrange(0, 1048576), RNG.randrange(0, 702)))
    return pairs


# --- A1 parse cases ---

LETTERS = 'ABCDEFGHIJKLMNOPQRSTUVWXYZ'


def letters_of(col):
    return ocell.get_column_letter(col + 1)


def cell_text(col, row, rng, lower=False):
    letters = letters_of(col)
    if lower:
        letters = ''.join(c.lower() if rng.random() < 0.5 else c for c in letters)
    return ('$' if rng.random() < 0.3 else '') + letters + ('$' if rng.random() < 0.3 else '') + str(row + 1)


def parse_cases():
    fixed = [
        '', '$', ':', '!', '1', 'A', 'AB', '$A', '$1', 'A1', 'A0', 'A00', 'A01', 'A001', 'a1', 'aB2', 'A1B', '1A',
        'A1.5', 'A-1', 'A+1', ' A1', 'A1 ', 'A 1', '$A$1', '$$A1', 'A$$1', '$A1$', 'A$1', '$A1',
        'XFD1', 'XFE1', 'XFD1048576', 'XFD1048577', 'A1048576', 'A1048577', 'A0001048576', 'A99999999999999999999',
        'ZZZ1', 'AAAA1', 'IV65536', 'IV65537', 'IW1', 'A65536', 'A65537',
        '\uFF21\uFF11', 'A\u0661', '\u00C41', 'A1\u0000',
        'A1:B2', 'B2:A1', '$A$1:$B$2', 'A1:B2:C3', 'A1:', ':A1', 'A1:B', 'A:B', 'B:A', 'A:A', '$A:$B', 'A:XFD',
        'A:XFE', '3:5', '5:3', '1:1048576', '1:1048577', '$3:$5', '0:5', 'A1:1', 'A:1', 'IV:IV', 'IW:IW',
        '65536:65536', '65537:65537', 'Sheet1!B2:C3', 'Sheet1!A:B', 'Sheet1!3:5', '!A1', 'S!A1', 'S!', 'a!b!A1',
        "'My Sheet'!A1", 'Sheet1!a1', 'A1:b2', 'a:b', 'A1::B2',
    ]
    generated = []
    for _ in range(150):
        col = RNG.choice([RNG.randrange(0, 26), RNG.randrange(0, 702), RNG.randrange(0, 18278)])
        row = RNG.choice([RNG.randrange(0, 100), RNG.randrange(0, 65536), RNG.randrange(0, 1100000)])
        generated.append(cell_text(col, row, RNG, lower=RNG.random() < 0.15))
    for _ in range(120):
        a = cell_text(RNG.randrange(0, 300), RNG.randrange(0, 70000), RNG)
        b = cell_text(RNG.randrange(0, 300), RNG.randrange(0, 70000), RNG)
        generated.append(a + ':' + b)
    for _ in range(40):
        c1, c2 = RNG.randrange(0, 17000), RNG.randrange(0, 17000)
        generated.append(letters_of(c1) + ':' + letters_of(c2))
        r1, r2 = RNG.randrange(0, 1100000), RNG.randrange(0, 1100000)
        generated.append('%d:%d' % (r1 + 1, r2 + 1))
    # Mutations: a character inserted, deleted or replaced.
    alphabet = LETTERS + 'abz0123456789$:!. -'
    for _ in range(200):
        base = RNG.choice(generated[:270])
        i = RNG.randrange(0, len(base) + 1)
        kind = RNG.randrange(3)
        if kind == 0:
            base = base[:i] + RNG.choice(alphabet) + base[i:]
        elif kind == 1 and base:
            i = min(i, len(base) - 1)
            base = base[:i] + base[i + 1:]
        elif base:
            i = min(i, len(base) - 1)
            base = base[:i] + RNG.choice(alphabet) + base[i + 1:]
        generated.append(base)
    seen = set()
    cases = []
    for text in fixed + generated:
        if text not in seen and '\n' not in text:
            seen.add(text)
            cases.append(text)
    return cases


def openpyxl_cell(text):
    """(ok, col, row), 1-based, from coordinate_from_string and column_index_from_string."""
    try:
        letters, row = ocell.coordinate_from_string(text)
        col = ocell.column_index_from_string(letters)
        return (1, col, min(row, HUGE))
    except Exception:
        return (0, 0, 0)


def openpyxl_area(text):
    """range_boundaries of the text after a sheet prefix (up to the first "!" at position 2 or
    later, the library's rule; openpyxl's range_to_tuple would also take trailing garbage).
    (ok, min_col, min_row, max_col, max_row), 1-based, -1 where openpyxl gives None."""
    bang = text.find('!')
    if bang >= 1:
        text = text[bang + 1:]
    try:
        b = ocell.range_boundaries(text)
        return (1,) + tuple(opt(v) for v in b)
    except Exception:
        return (0, 0, 0, 0, 0)


# --- RK numbers ---

def rk_cases():
    values = [0x00000000, 0x00000001, 0x00000002, 0x00000003, 0x3FF00000, 0x3FF00001, 0x0000000A, 0x0000000B,
              ((-4) << 2 | 2) & 0xFFFFFFFF, ((-4) << 2 | 3) & 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFF, 0x7FFFFFFE,
              0x7FFFFFFF, 0x80000002, 0x80000003, 0x80000000, 0x80000001, 0x7FF00000, 0xFFF00000, 0x7FF00004,
              0x40590000, 0x40590001, 0xC0590000, 0x00100000, 0x3FEFFFFC, 0x405EDD2F & ~3]
    for _ in range(200):
        values.append(RNG.getrandbits(32))
    out = []
    for v in values:
        d = xlrd.sheet.unpack_RK(struct.pack('<I', v))
        out.append((v, struct.unpack('<Q', struct.pack('<d', d))[0]))
    return out


# --- CRC-32 ---

def crc_cases():
    blobs = [b'', b'a', b'abc', b'123456789', bytes(range(256)), b'\x00', b'\xff\xff\xff\xff',
             'Calibri'.encode('utf-16-le'), '\u5b8b\u4f53'.encode('utf-16-le'), 'General'.encode('utf-16-le')]
    for n in range(1, 80, 7):
        blobs.append(bytes(RNG.getrandbits(8) for _ in range(n)))
    return [(b, zlib.crc32(b) ^ 0xFFFFFFFF) for b in blobs]


def generate():
    lines = ['// Generated by gen_oracle_fixtures.py from python3-openpyxl %s, python3-xlrd %s and zlib;'
             % (__import__('openpyxl').__version__, xlrd.__version__),
             '// do not edit. Regenerate: /usr/bin/python3 gen_oracle_fixtures.py oracle_fixtures.inc',
             '// Needs <cstdint>, <string_view> and std::literals in scope.',
             '']

    lines.append('// xlrd.formatting.excel_default_palette_b8: (red, green, blue) of palette indexes 8..63.')
    lines.append('constexpr uint8_t OracleDefaultPaletteB8[][3] = {')
    for r, g, b in xlrd.formatting.excel_default_palette_b8:
        lines.append('    {%d, %d, %d},' % (r, g, b))
    lines.append('};')
    lines.append('')

    lines.append('// xlrd.biffh.error_text_from_code: every code that has a text.')
    lines.append('struct TOracleErrorCode { int Code; std::u16string_view Text; };')
    lines.append('constexpr TOracleErrorCode OracleErrorCodes[] = {')
    for code in sorted(xlrd.biffh.error_text_from_code):
        lines.append('    {0x%02X, %s},' % (code, cxx_string(xlrd.biffh.error_text_from_code[code])))
    lines.append('};')
    lines.append('')

    lines.append('// xlrd.sheet.unpack_RK: RK value -> bits of the double.')
    lines.append('struct TOracleRK { uint32_t RK; uint64_t Bits; };')
    lines.append('constexpr TOracleRK OracleRK[] = {')
    for rk, bits in rk_cases():
        lines.append('    {0x%08Xu, 0x%016Xull},' % (rk, bits))
    lines.append('};')
    lines.append('')

    lines.append('// openpyxl get_column_letter (1-based) and xlrd colname ("" past ZZ) of 0-based columns.')
    lines.append('struct TOracleColumn { int Col; std::u16string_view Openpyxl; std::u16string_view Xlrd; };')
    lines.append('constexpr TOracleColumn OracleColumns[] = {')
    for col in column_cases():
        x = xlrd.colname(col) if col <= 701 else ''
        lines.append('    {%d, %s, %s},' % (col, cxx_string(ocell.get_column_letter(col + 1)), cxx_string(x)))
    lines.append('};')
    lines.append('')

    lines.append('// xlrd cellname, cellnameabs and cellnameabs(r1c1=1) of (row, col).')
    lines.append('struct TOracleCellName { int Row; int Col; std::u16string_view Name; std::u16string_view Abs; '
                 'std::u16string_view R1C1; };')
    lines.append('constexpr TOracleCellName OracleCellNames[] = {')
    for row, col in cellname_cases():
        lines.append('    {%d, %d, %s, %s, %s},' % (row, col, cxx_string(xlrd.cellname(row, col)),
                                                   cxx_string(xlrd.cellnameabs(row, col)),
                                                   cxx_string(xlrd.cellnameabs(row, col, r1c1=1))))
    lines.append('};')
    lines.append('')

    lines.append('// openpyxl on reference texts: coordinate_from_string + column_index_from_string (Cell*) and')
    lines.append('// range_boundaries after the sheet prefix (Area*); 1-based, -1 for None, Ok 0 when it raised.')
    lines.append('struct TOracleParse { std::u16string_view Text; int CellOk, CellCol, CellRow; '
                 'int AreaOk, MinCol, MinRow, MaxCol, MaxRow; };')
    lines.append('constexpr TOracleParse OracleParses[] = {')
    for text in parse_cases():
        c = openpyxl_cell(text)
        a = openpyxl_area(text)
        lines.append('    {%s, %d, %d, %d, %d, %d, %d, %d, %d},' % ((cxx_string(text),) + c + a))
    lines.append('};')
    lines.append('')

    lines.append('// xlrd.formatting.std_format_strings: the standard strings of the built-in number formats.')
    lines.append('struct TOracleNumFmt { int Id; std::u16string_view Text; };')
    lines.append('constexpr TOracleNumFmt OracleNumFmts[] = {')
    for fmt_id in sorted(xlrd.formatting.std_format_strings):
        lines.append('    {%d, %s},' % (fmt_id, cxx_string(xlrd.formatting.std_format_strings[fmt_id])))
    lines.append('};')
    lines.append('')

    lines.append('// zlib.crc32(data) ^ 0xFFFFFFFF: the CRC register without the final inversion.')
    lines.append('struct TOracleCrc { const char* Hex; uint32_t Register; };')
    lines.append('constexpr TOracleCrc OracleCrcs[] = {')
    for blob, reg in crc_cases():
        lines.append('    {"%s", 0x%08Xu},' % (blob.hex(), reg))
    lines.append('};')
    return '\n'.join(lines) + '\n'


def main(argv):
    check = '--check' in argv
    paths = [a for a in argv if a != '--check']
    path = paths[0] if paths else 'oracle_fixtures.inc'
    text = generate()
    if check:
        with open(path, encoding='utf-8') as f:
            if f.read() != text:
                print('%s differs from what the oracles answer now; regenerate it' % path)
                return 1
        print('%s matches the oracles' % path)
        return 0
    with open(path, 'w', encoding='utf-8') as f:
        f.write(text)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
