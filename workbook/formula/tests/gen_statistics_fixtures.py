#!/usr/bin/python3
"""Writes statistics_fixtures.inc: data sets with the descriptive statistics that Python's
statistics module (and exact fractions, for the moments it lacks) gives for them.

Usage: gen_statistics_fixtures.py OUT.inc      writes the table
       gen_statistics_fixtures.py --check OUT.inc  fails when the table is not what it writes
"""
import statistics
import sys
from fractions import Fraction

from fixture_file import write_or_check

DATA_SETS = [
    [3, 1, 4, 1, 5, 9],
    [21.5, 22.25, 19.75, 23.0, 20.5, 21.5, 24.125],
    [2.675, -1.5, 1e-9, 1e9, 7, 7, -3.25, 0.1, 0.2, 0.3],
    [10, 20, 30, 40],
    [-5.5, -2.25, 0, 0, 3.75, 8, 12.5, 12.5, 12.5, 100],
    [1e15, 1e15 + 2, 1e15 + 4, 1e15 + 6],
]


def moments(xs):
    fx = [Fraction(x) for x in xs]
    n = len(fx)
    m = sum(fx) / n
    devsq = sum((x - m) ** 2 for x in fx)
    avedev = sum(abs(x - m) for x in fx) / n
    s2 = devsq / (n - 1)
    sd = float(s2) ** 0.5
    skew = n / ((n - 1) * (n - 2)) * sum((float(x - m) / sd) ** 3 for x in fx)
    kurt = (n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * sum((float(x - m) / sd) ** 4 for x in fx)
            - 3 * (n - 1) ** 2 / ((n - 2) * (n - 3)))
    return float(devsq), float(avedev), skew, kurt


def expected(xs):
    rows = []
    devsq, avedev, skew, kurt = moments(xs)
    rows.append(("AVERAGE", statistics.fmean(xs)))
    rows.append(("MEDIAN", statistics.median(xs)))
    rows.append(("STDEV", statistics.stdev(xs)))
    rows.append(("STDEVP", statistics.pstdev(xs)))
    rows.append(("VAR", statistics.variance(xs)))
    rows.append(("VARP", statistics.pvariance(xs)))
    rows.append(("DEVSQ", devsq))
    rows.append(("AVEDEV", avedev))
    rows.append(("SKEW", skew))
    rows.append(("KURT", kurt))
    rows.append(("MIN", min(xs)))
    rows.append(("MAX", max(xs)))
    rows.append(("SUM", float(sum(Fraction(x) for x in xs))))
    if all(x > 0 for x in xs):
        rows.append(("GEOMEAN", statistics.geometric_mean(xs)))
        rows.append(("HARMEAN", statistics.harmonic_mean(xs)))
    q = statistics.quantiles(xs, n=4, method="inclusive")
    for k in (1, 2, 3):
        rows.append((f"QUARTILE:{k}", q[k - 1]))
    counts = {x: xs.count(x) for x in xs}
    if max(counts.values()) > 1:
        rows.append(("MODE", statistics.mode(xs)))
    return rows


def render():
    out = ["// Written by gen_statistics_fixtures.py from Python's statistics module; do not edit.\n"]
    for i, xs in enumerate(DATA_SETS):
        out.append(f"constexpr double StatData{i}[] = {{{', '.join(repr(float(x)) for x in xs)}}};\n")
    out.append("const TStatCase StatCases[] = {\n")
    for i, xs in enumerate(DATA_SETS):
        for name, value in expected(xs):
            func, _, k = name.partition(":")
            out.append(f'    {{StatData{i}, u"{func}", {k or 0}, {float(value)!r}}},\n')
    out.append("};\n")
    return "".join(out)


def main():
    write_or_check(render(), sys.argv)


if __name__ == "__main__":
    main()
