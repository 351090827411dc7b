#!/usr/bin/python3
"""Writes function_tables.inc, the constant tables of worksheet functions, from function_table.txt,
and checks every function number of that table against two independent function lists:
python3-xlrd (xlrd.formula.func_defs) and python3-xlwt (xlwt.ExcelMagic.all_funcs_by_name).

The comparison covers names, whether the count of arguments is fixed, the count of fixed-count
functions and the operand classes. Every difference must be one of the explained ones below;
a new difference, or an explained one that has gone, fails the run.

Run with Debian's interpreter: /usr/bin/python3 gen_function_tables.py [--check]
--check rewrites nothing: it fails when the committed function_tables.inc is not what the table
file gives, or when the oracles disagree in an unexplained way.
"""
import os
import sys

import xlrd
import xlrd.formula
import xlwt
import xlwt.ExcelMagic

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, 'function_table.txt')
OUTPUT = os.path.join(HERE, 'function_tables.inc')

# Numbers the worksheet formulas may not call in the BIFF table, though the oracles give them limits:
# macro-sheet functions and the East Asian conversions that the BIFF encoder refuses ("Invalid function name").
UNUSABLE_KNOWN_TO_ORACLES = {92, 204, 214, 215, 351, 352, 353, 358}

# Explained differences, as (number, oracle, what differs).
EXPLAINED = {
    # ERROR.TYPE reads its argument as a reference; a reference class is harmless for a scalar
    # argument (the function reads the cell), so the table keeps it.
    (261, 'xlrd', 'classes'), (261, 'xlwt', 'classes'),
    # The table carries no classes for these; the encoder then uses the value class, which is what
    # the oracles give, except xlwt's reference class for PHONETIC (it takes a cell).
    (360, 'xlwt', 'classes'),
    # xlrd files SERIESSUM under 92; in BIFF8 92 is the macro-sheet SERIES, and SERIESSUM is an
    # add-in function that formulas call by name.
    (92, 'xlrd', 'name'),
}

CLASS_BYTES = {'R': 0x20, 'V': 0x40, 'A': 0x60}
# Functions that an array formula calls once with its whole arguments: their result is an array
# that fills the formula's range (not one value per cell).
WHOLE_ARRAY_RESULTS = {'MINVERSE', 'MMULT', 'LINEST', 'LOGEST', 'TREND', 'GROWTH', 'FREQUENCY', 'MODE.MULT'}


def read_table():
    rows = []
    with open(TABLE, encoding='utf-8') as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            number, name, bmin, bmax, classes, model, kinds = line.split()
            rows.append({
                'number': int(number), 'name': name,
                'bmin': None if bmin == '-' else int(bmin), 'bmax': None if bmax == '-' else int(bmax),
                'classes': '' if classes == '-' else classes,
                'model': None if model == '-' else tuple(int(v) for v in model.split('/')),
                'kinds': None if kinds == '-' else kinds.split('/'),
            })
    numbers = [r['number'] for r in rows]
    if numbers != sorted(set(numbers)):
        raise SystemExit('function_table.txt: numbers must ascend without repeats')
    biff = [r for r in rows if r['bmin'] is not None]
    if [r['number'] for r in biff] != list(range(len(biff))):
        raise SystemExit('function_table.txt: the BIFF table must hold every number from 0')
    return rows


def expand_classes(text, count=6):
    """Classes of arguments 1..count, each missing one repeating the one before (value first)."""
    out = []
    for i in range(count):
        if i < len(text) and text[i] in 'RVA':
            out.append(text[i])
        else:
            out.append(out[-1] if out else 'V')
    return ''.join(out)


def oracle_lists():
    xlrd_defs = {n: (d[0], d[1], d[2], d[6]) for n, d in xlrd.formula.func_defs.items()}
    # xlwt: 'D' is its reference class for areas (a single cell becomes a value); '+' repeats the
    # class before it. Add-in functions carry number -1.
    xlwt_defs = {}
    for name, (number, fmin, fmax, _ftype, args) in xlwt.ExcelMagic.all_funcs_by_name.items():
        if number >= 0:
            xlwt_defs[number] = (name, fmin, fmax, args.replace('D', 'R').replace('+', '').replace('-', ''))
    return {'xlrd': xlrd_defs, 'xlwt': xlwt_defs}


def differences(rows):
    found = set()
    lists = oracle_lists()
    by_number = {r['number']: r for r in rows}
    for oracle, defs in lists.items():
        for number, (name, fmin, fmax, args) in defs.items():
            row = by_number.get(number)
            if row is None:
                found.add((number, oracle, 'missing'))
                continue
            if row['name'] != name:
                found.add((number, oracle, 'name'))
            if row['bmin'] is None:
                continue
            if row['bmin'] == 255:
                if number not in UNUSABLE_KNOWN_TO_ORACLES:
                    found.add((number, oracle, 'unusable'))
                continue
            if (row['bmin'] == row['bmax']) != (fmin == fmax) or (fmin == fmax and fmin != row['bmin']):
                found.add((number, oracle, 'count'))
            if row['classes'] and expand_classes(row['classes']) != expand_classes(args):
                found.add((number, oracle, 'classes'))
            if not row['classes'] and args and expand_classes(args) != 'V' * 6:
                found.add((number, oracle, 'classes'))
    for number in UNUSABLE_KNOWN_TO_ORACLES:
        if by_number[number]['bmin'] != 255:
            found.add((number, 'table', 'no longer unusable'))
    return found


def cxx_name(name):
    return 'u"%s"' % name


def generate(rows):
    lines = ['// Generated by gen_function_tables.py from function_table.txt (checked against python3-xlrd %s'
             % xlrd.__version__,
             '// and python3-xlwt %s); do not edit. Regenerate: /usr/bin/python3 gen_function_tables.py'
             % xlwt.__VERSION__,
             '']
    biff = [r for r in rows if r['bmin'] is not None]
    lines.append('// TExcelFunctions: one record per BIFF function number.')
    lines.append('constexpr TExcelFunction ExcelFunctionRecords[%d] = {' % len(biff))
    for r in biff:
        classes = [CLASS_BYTES[c] for c in r['classes']] + [0] * (6 - len(r['classes']))
        lines.append('    {%d, %d, %s, {%s}},' % (r['bmin'], r['bmax'], cxx_name(r['name']),
                                                  ', '.join('0x%02X' % c for c in classes)))
    lines.append('};')
    lines.append('')
    model = [r for r in rows if r['model'] is not None]
    lines.append('// TXc12FuncData: the functions of the workbook model, ascending by number.')
    lines.append('constexpr TXc12FuncDataRecord Xc12FuncDataRecords[%d] = {' % len(model))
    for r in model:
        flags = 1 if r['name'] in WHOLE_ARRAY_RESULTS else 0
        lines.append('    {%d, %d, %d, %d, %s},' % (flags, r['number'], r['model'][0], r['model'][1],
                                                  cxx_name(r['name'])))
    lines.append('};')
    lines.append('')
    kinds = [r for r in rows if r['kinds'] is not None]
    lines.append('// TXc12FuncArgKinds: how array formulas feed the arguments of a function.')
    lines.append('constexpr TXc12FuncArgKinds Xc12FuncArgKindsRecords[%d] = {' % len(kinds))
    for r in kinds:
        count, result, args = r['kinds']
        args = '' if args == '-' else args
        if len(args) > 11:
            raise SystemExit('%s: at most 11 argument kinds' % r['name'])
        values = [int(c) for c in args] + [0] * (11 - len(args))
        lines.append('    {%d, %s, %s, {%s}},' % (r['number'], count, result, ', '.join(str(v) for v in values)))
    lines.append('};')
    return '\n'.join(lines) + '\n'


def main(argv):
    check = '--check' in argv
    rows = read_table()
    status = 0
    found = differences(rows)
    for diff in sorted(found - EXPLAINED):
        print('unexplained difference: function %d, %s: %s' % diff)
        status = 1
    for diff in sorted(EXPLAINED - found):
        print('explained difference no longer seen: function %d, %s: %s' % diff)
        status = 1
    text = generate(rows)
    if check:
        with open(OUTPUT, encoding='utf-8') as f:
            if f.read() != text:
                print('%s is not what function_table.txt gives; regenerate it' % OUTPUT)
                status = 1
        if status == 0:
            print('function tables match the table file and the oracles')
        return status
    with open(OUTPUT, 'w', encoding='utf-8') as f:
        f.write(text)
    return status


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
