#!/usr/bin/python3
"""The binding generator refuses enumeration tables that it cannot make sound code from."""

import os
import subprocess
import sys
import tempfile

GEN = sys.argv[1]

CASES = [
    ('two types sharing a prefix and a value',
     'unit t\nenum ST_A sta capital : left ctr\nenum ST_B sta capital : top ctr\n'),
    ('a value given the name another value has',
     'unit t\nenum ST_A sta capital : left ctr\nenum ST_B sta capital : top mid=staCtr\n'),
    ('more values than an ordinal holds beside "not set"',
     'unit t\nenum ST_A sta : %s\n' % ' '.join('v%d' % i for i in range(256))),
]

ACCEPTED = 'unit t\nenum ST_A sta capital : left ctr\nenum ST_B sta capital : top ctr=staCtr1\n'


def run(table):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, 't.xpg')
        with open(path, 'w', encoding='utf-8') as f:
            f.write(table)
        result = subprocess.run([sys.executable, GEN, path, os.path.join(folder, 't.h'),
                                 os.path.join(folder, 't.cpp'), '--include', 't.h'],
                                capture_output=True, text=True)
        header = ''
        if result.returncode == 0:
            with open(os.path.join(folder, 't.h'), encoding='utf-8') as f:
                header = f.read()
        return result.returncode, header


failed = 0
for what, table in CASES:
    code, _ = run(table)
    if code == 0:
        print('accepted: %s' % what)
        failed += 1
code, header = run(ACCEPTED)
if code != 0 or 'constexpr uint8_t staCtr1 = 1;' not in header:
    print('refused or misnamed: a value given its own name')
    failed += 1
print('%d passed, %d failed' % (len(CASES) + 1 - failed, failed))
sys.exit(1 if failed else 0)
