#!/usr/bin/python3
"""Writes oracle_table.inc: formulas over a small data sheet with the results LibreOffice gives.

The sheet is written with openpyxl (no cached values), recalculated and saved by LibreOffice
headless, and read back with openpyxl. Where our results differ on purpose, DECISIONS holds the
result we give and why; the table keeps both.

Usage: gen_oracle_table.py OUT.inc            writes the table
       gen_oracle_table.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import os
import shutil
import sys
import tempfile

from spreadsheet_oracle import cpp, libreoffice_recalc, read_column, render_data, show, write_book

# (column, row, value) of the data sheet, 0-based; "=..." is a formula whose result the sheet
# holds (an error value).
DATA = [
    (0, 0, 1), (0, 1, 2), (0, 2, 3), (0, 3, "4"), (0, 4, True),
    (1, 0, 10), (1, 2, "=1/0"),
    (2, 0, "abc"),
    (3, 0, 3), (3, 1, 1), (3, 2, 4), (3, 3, 1), (3, 4, 5), (3, 5, 9),
    (4, 0, 1e300), (4, 1, -1e-300), (4, 2, 0.5), (4, 3, 2.5), (4, 4, -2.5), (4, 5, 2.675),
]

FORMULAS = [
    # Operators
    "1+2*3", "2^10", "2^-1", "-3+1", "50%", "1/0", "0^-1", "(-8)^0.5", "E1*E1", "1+B2", "1+A4",
    "1+TRUE", "1+C1", "#N/A+#REF!", "1+B3", "1&2", "TRUE&1", "\"a\"&B3", "0.1+0.2&\"\"", "10^20&\"\"",
    "B2=B2", "B2=0", "B2=\"\"", "B2<1", "5<\"a\"", "TRUE>1", "TRUE=\"TRUE\"", "TRUE>\"zzz\"",
    "\"abc\"=\"ABC\"", "\"a\"<\"B\"", "1<>1", "B3=1", "E2<0", "1/3&\"\"",
    # Gathering numbers from references and typed values
    "SUM(A1:A5)", "SUM(A1:A5,TRUE,\"4\")", "SUM(\"x\")", "AVERAGE(A1:A5)", "COUNT(A1:A5)",
    "COUNT(A1:A5,1,\"2\",\"x\")", "COUNTA(A1:C3)", "MIN(A1:A5)", "MAX(A1:A5)", "MAX(C1)", "AVERAGE(C1)",
    "SUM(B1:B3)", "SUM(E1:E2)", "MIN(E1:E6)", "MAX(E1:E6)",
    # Descriptive statistics
    "ROUND(AVERAGE(D1:D6),2)", "MEDIAN(D1:D6)", "MODE(D1:D6)", "STDEVP(5)", "STDEV(5)", "VAR(D1:D6)",
    "VARP(D1:D6)", "STDEV(D1:D6)", "STDEVP(D1:D6)", "DEVSQ(D1:D6)", "AVEDEV(D1:D6)", "GEOMEAN(D1:D6)",
    "HARMEAN(D1:D6)", "SKEW(D1:D6)", "KURT(D1:D6)", "KURT(1,2,3)", "SKEW(1,2)", "LARGE(D1:D6,2)",
    "SMALL(D1:D6,2)", "LARGE(D1:D6,7)", "PERCENTILE(D1:D6,0.3)", "QUARTILE(D1:D6,3)",
    "QUARTILE(D1:D6,5)", "RANK(1,D1:D6,0)", "RANK(1,D1:D6,1)", "RANK(2,D1:D6,0)", "GEOMEAN(1,0)",
    "MODE(1,2,3)", "MEDIAN(C1)", "STDEV(A1:A5)", "VAR(B1:B2)", "MEDIAN(E1:E6)", "SUMSQ(1,2)",
    "PRODUCT(A1:A3)",
    # Math and logic
    "ROUND(2.675,2)", "ROUND(E6,2)", "ROUND(25,-1)", "ROUND(-2.5,0)", "ROUND(E4,0)", "ROUND(E5,0)",
    "ROUND(0.5,0)", "ROUND(1.005,2)", "ROUND(-1.005,2)", "ROUND(1234.5678,-2)", "INT(-1.5)",
    "INT(1.5)", "MOD(-3,2)", "MOD(3,-2)", "MOD(5.5,2)", "MOD(1,0)", "SQRT(-1)", "SQRT(16)", "LN(0)",
    "POWER(0,-1)", "POWER(2,0.5)", "ABS(-2)", "ISERR(NA())", "ISERR(1/0)", "ISERROR(NA())",
    "IF(A1>0,\"y\",\"n\")", "IF(A1>5,1)", "IF(B3,1,2)", "AND(TRUE,A1)", "OR(FALSE,B2)", "NOT(0)",
    "CONCATENATE(\"a\",1,TRUE)",
    # Text and information
    "UPPER(\"straße ÿ\")", "LOWER(\"ÄÖÜ Σ\")", "PROPER(\"hello wORLD-x 2nd\")", "LEN(\"温度\")",
    "REPT(\"ab\",3)", "REPT(\"a\",-1)", "LEN(REPT(\"a\",32767))", "ISTEXT(C1)",
    "ISNUMBER(A4)", "ISBLANK(B2)", "ISBLANK(A1)", "AVERAGEA(A1:A5)", "MAXA(C1,-1)", "COUNTBLANK(A1:C3)",
    "TRIMMEAN(D1:D6,0.4)", "PERCENTRANK(D1:D6,4)", "PERCENTRANK(D1:D6,2)", "SUBTOTAL(9,D1:D6)",
    "SUBTOTAL(1,D1:D6)", "SUBTOTAL(12,D1)", "STDEVA(A1:A5)", "VARPA(A1:C1)", "MODE(D1:D6,3,3)",
]

# Results we give on purpose where LibreOffice differs: formula -> (our result, why).
NO_BOOLEANS = "LibreOffice keeps TRUE as the number 1; Booleans are a type of their own here"
STATS_SKIP = "a Boolean read through a reference is left out of statistics; LibreOffice counts it as 1"
ARG_ERROR = "LibreOffice saves its argument error (Err:502) as #VALUE!; the error is #NUM!"
DECISIONS = {
    "0^-1": ("#DIV/0!", "zero to a negative power divides by zero"),
    "POWER(0,-1)": ("#DIV/0!", "zero to a negative power divides by zero"),
    "TRUE&1": ('"TRUE1"', NO_BOOLEANS + " and join as TRUE"),
    "CONCATENATE(\"a\",1,TRUE)": ('"a1TRUE"', NO_BOOLEANS + " and join as TRUE"),
    "TRUE>1": ("TRUE", NO_BOOLEANS + " and rank above numbers"),
    "TRUE>\"zzz\"": ("TRUE", NO_BOOLEANS + " and rank above texts"),
    "10^20&\"\"": ('"1E+20"', "the general format writes two exponent digits; LibreOffice three"),
    "SUM(A1:A5)": ("N:6.0", STATS_SKIP),
    "AVERAGE(A1:A5)": ("N:2.0", STATS_SKIP),
    "COUNT(A1:A5)": ("N:3.0", STATS_SKIP),
    "COUNT(A1:A5,1,\"2\",\"x\")": ("N:5.0", STATS_SKIP),
    "STDEV(A1:A5)": ("N:1.0", STATS_SKIP),
    "SUM(A1:A5,TRUE,\"4\")": ("N:11.0", "a number text typed as an argument counts; LibreOffice refuses it"),
    "LARGE(D1:D6,7)": ("#NUM!", ARG_ERROR),
    "QUARTILE(D1:D6,5)": ("#NUM!", ARG_ERROR),
    "MEDIAN(C1)": ("#NUM!", ARG_ERROR),
    "SQRT(-1)": ("#NUM!", ARG_ERROR),
    "LN(0)": ("#NUM!", ARG_ERROR),
    "MODE(1,2,3)": ("#N/A", "no number repeats: #N/A; LibreOffice saves its argument error as #VALUE!"),
    "RANK(2,D1:D6,0)": ("#N/A", "a number not in the list has no rank; LibreOffice gives where it would stand"),
    "UPPER(\"straße ÿ\")": ('"STRAßE Ÿ"', "one character for one: ß has no upper case of its own; LibreOffice writes U+1E9E"),
    "GEOMEAN(1,0)": ("#NUM!", "the geometric mean is defined for positive numbers only; LibreOffice gives 0"),
}


def recalculate():
    work = tempfile.mkdtemp()
    try:
        src = os.path.join(work, "in.xlsx")
        write_book(src, DATA, ["=" + f for f in FORMULAS], 8)
        return read_column(libreoffice_recalc(src, work), 8, len(FORMULAS))
    finally:
        shutil.rmtree(work)


def render(values):
    out = ["// Written by gen_oracle_table.py from LibreOffice's results; do not edit.\n"]
    out += render_data("OracleData", DATA)
    out.append("const TOracleCase OracleCases[] = {\n")
    for f, v in zip(FORMULAS, values):
        theirs = show(v)
        ours, why = DECISIONS.get(f, (theirs, ""))
        out.append(f"    {{{cpp(f)}, {cpp(ours)}, {cpp(theirs)}, {cpp(why)}}},\n")
    out.append("};\n")
    return "".join(out)


def main():
    check = sys.argv[1] == "--check"
    path = sys.argv[-1]
    text = render(recalculate())
    if check:
        with open(path, encoding="utf-8") as f:
            if f.read() != text:
                sys.exit(f"{path} is not what LibreOffice gives now")
        return
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
