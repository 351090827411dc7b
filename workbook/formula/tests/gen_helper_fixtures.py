#!/usr/bin/python3
"""Writes helper_fixtures.inc: t-test and z-test probabilities, least-squares lines and
matrix determinants and inverses as python3-scipy and numpy give them.

Usage: gen_helper_fixtures.py OUT.inc          writes the table
       gen_helper_fixtures.py --check OUT.inc  fails when the table is not what it writes
"""
import math
import sys

import numpy
from scipy import stats

from fixture_file import write_or_check

SAMPLES = [
    ([3, 4, 5, 8, 9, 1, 2, 4, 5], [6, 19, 3, 2, 14, 4, 5, 17, 1]),
    ([21.5, 22.25, 19.75, 23.0, 20.5], [24.0, 25.5, 23.25, 26.0, 22.75]),
    ([1e-3, 2e-3, 1.5e-3, 3e-3], [1.1e-3, 2.2e-3, 1.4e-3, 3.5e-3]),
]

LINES = [
    ([1, 2, 3], [1, 2, 3]),
    ([2.1, 3.9, 6.2, 7.8, 10.1], [1, 2, 3, 4, 5]),
    ([5.5, 3.25, 8.0, 1.0, 9.75, 4.5], [10, -2, 7.5, 3, 0.25, 6]),
]

Z_TESTS = [
    ([3, 6, 7, 8, 6, 5, 4, 2, 1, 9], 4, None),
    ([3, 6, 7, 8, 6, 5, 4, 2, 1, 9], 4, 1000.0),
    ([3, 6, 7, 8, 6, 5, 4, 2, 1, 9], 6, 2.5),
]

MATRICES = [
    [[2, -1, 0], [-1, 2, -1], [0, -1, 2]],
    [[0, 2, 1, 3], [1, 0, 4, 1], [2, 1, 0, 5], [3, 4, 1, 0]],
    [[1e-3, 2, 3], [4, 5e3, 6], [7, 8, 9e-2]],
    [[1 / (i + j + 1) for j in range(5)] for i in range(5)],
]


def doubles(xs):
    return ", ".join(repr(float(x)) for x in xs)


def render():
    out = ["// Written by gen_helper_fixtures.py from python3-scipy and numpy; do not edit.\n"]
    out.append("const TTTestCase TTestCases[] = {\n")
    for a, b in SAMPLES:
        for tails in (1, 2):
            paired = stats.ttest_rel(a, b).pvalue
            pooled = stats.ttest_ind(a, b, equal_var=True).pvalue
            welch = stats.ttest_ind(a, b, equal_var=False).pvalue
            for kind, p in ((1, paired), (2, pooled), (3, welch)):
                value = p if tails == 2 else p / 2
                out.append(f"    {{{{{doubles(a)}}}, {{{doubles(b)}}}, {kind}, {tails}, {value!r}}},\n")
    out.append("};\n")
    out.append("const TLineCase LineCases[] = {\n")
    for y, x in LINES:
        r = stats.linregress(x, y)
        out.append(f"    {{{{{doubles(y)}}}, {{{doubles(x)}}}, {float(r.slope)!r}, {float(r.intercept)!r}, "
                   f"{float(r.rvalue ** 2)!r}, {float(r.stderr)!r}, {float(r.intercept_stderr)!r}}},\n")
    out.append("};\n")
    out.append("const TZTestCase ZTestCases[] = {\n")
    for values, mu, sigma in Z_TESTS:
        n = len(values)
        s = sigma if sigma is not None else numpy.std(values, ddof=1)
        z = math.sqrt(n) * (numpy.mean(values) - mu) / s
        has = "true" if sigma is not None else "false"
        out.append(f"    {{{{{doubles(values)}}}, {float(mu)!r}, {has}, {float(sigma or 0)!r}, "
                   f"{float(stats.norm.sf(z))!r}}},\n")
    out.append("};\n")
    out.append("const TMatrixCase MatrixCases[] = {\n")
    for m in MATRICES:
        a = numpy.array(m, dtype=float)
        inv = numpy.linalg.inv(a)
        out.append(f"    {{{len(m)}, {{{doubles(a.flatten())}}}, {float(numpy.linalg.det(a))!r}, "
                   f"{{{doubles(inv.flatten())}}}}},\n")
    out.append("};\n")
    return "".join(out)


def main():
    write_or_check(render(), sys.argv)


if __name__ == "__main__":
    main()
