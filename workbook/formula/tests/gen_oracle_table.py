#!/usr/bin/python3
"""Writes oracle_table.inc: formulas over a small data sheet with the results LibreOffice and
gnumeric give.

The sheet is written with openpyxl (no cached values), recalculated and saved by LibreOffice
headless and by gnumeric's ssconvert --recalc, and read back with openpyxl. Where our results
differ from LibreOffice's on purpose, or the two disagree, DECISIONS holds the result we give
and why; the table keeps all three.

Usage: gen_oracle_table.py OUT.inc            writes the table
       gen_oracle_table.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import sys

from spreadsheet_oracle import oracle_table_main

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
    "ISNA(NA())", "ISNA(1/0)", "ISNA(B3)", "ISLOGICAL(A5)", "ISLOGICAL(1)", "ISNONTEXT(C1)", "ISNONTEXT(B2)",
    "ISREF(A1)", "ISREF(1)", "N(TRUE)", "N(\"7\")", "N(A1)", "N(B3)", "T(C1)", "T(1)", "T(B3)",
    # Basic math
    "PI()", "SIN(PI()/2)", "COS(0)", "TAN(1)", "ATAN(1)", "ASIN(2)", "ACOS(-1)", "SINH(1)", "COSH(1)",
    "TANH(0.5)", "ASINH(1)", "ACOSH(0.5)", "ATANH(1)", "ATANH(0.5)", "EXP(1)", "EXP(1000)", "LOG10(1000)",
    "LOG10(0)", "LOG(8,2)", "LOG(100)", "LOG(10,1)", "LOG(-1)", "LOG(8,-2)", "SIGN(-0.5)", "SIGN(0)",
    "ATAN2(1,1)", "ATAN2(0,0)", "ATAN2(-1,0)", "ATAN2(1,-1)",
    # Text
    "MID(\"abcdef\",2,3)", "MID(\"abc\",5,1)", "MID(\"abc\",0,1)", "MID(\"abc\",1,-1)", "LEFT(\"abc\")",
    "LEFT(\"abc\",5)", "RIGHT(\"abc\",2)", "RIGHT(\"abc\")", "LEFT(\"abc\",-1)", "LEFT(123.5,3)",
    "CHAR(65)", "CHAR(233)", "CHAR(0)", "CHAR(256)", "CODE(\"A\")", "CODE(\"\")", "CODE(\"abc\")",
    "EXACT(\"a\",\"A\")", "EXACT(1,\"1\")", "EXACT(\"\",B2)", "TRIM(\"  a   b  \")", "TRIM(12)",
    "DOLLAR(1234.567)", "DOLLAR(-1234.567,1)", "DOLLAR(1234.567,-2)", "DOLLAR(0.125,2)", "FIXED(1234.567)",
    "FIXED(1234.567,1,TRUE)", "FIXED(-0.5,0)", "FIXED(1234567.891,-3)", "FIXED(2.675,2,FALSE)",
    # Dates and times written as text
    "DATEVALUE(\"2024-03-15\")", "DATEVALUE(\"3/15/2024\")", "DATEVALUE(\"1900-02-28\")",
    "DATEVALUE(\"1900-03-01\")", "DATEVALUE(\"2023-02-29\")", "DATEVALUE(\"12/31/99\")",
    "DATEVALUE(\"1/1/29\")", "DATEVALUE(\"x\")", "TIMEVALUE(\"12:30\")", "TIMEVALUE(\"6:15:30 PM\")",
    "TIMEVALUE(\"12:00 AM\")", "TIMEVALUE(\"2024-01-01 06:00\")", "TIMEVALUE(\"25:00\")",
    "\"2024-01-02\"+1", "\"12:00\"*2", "\"3/1/2024 18:00\"-0", "SUM(\"2024-01-01\",1)",
    # References
    "ROW()", "COLUMN()", "ROW(B3:C5)", "COLUMN(D2)", "INDIRECT(\"A2\")", "INDIRECT(\"a3\")",
    "INDIRECT(\"R2C1\",FALSE)", "SUM(INDIRECT(\"D1:D6\"))", "INDIRECT(\"Nope!A1\")", "INDIRECT(\"1x\")",
    "SUM(INDIRECT(\"R1C4:R6C4\",FALSE))",
    # Constants, the clock and random numbers
    "TRUE()", "FALSE()", "AND(RAND()>=0,RAND()<1)", "NOW()>=TODAY()", "TODAY()=INT(TODAY())",
]

# Results we give on purpose where LibreOffice differs: formula -> (our result, why).
NOT_FINITE = "infinities and NaN are never stored: #NUM!; gnumeric stores infinity"
EMPTY_TEXT = "LibreOffice's empty text reads back as no value"
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
    "E1*E1": ("#NUM!", NOT_FINITE),
    "1/3&\"\"": ('"0.333333333333333"', "numbers join with 15 significant digits, as LibreOffice; gnumeric 20"),
    "EXP(1000)": ("#NUM!", NOT_FINITE),
    "SUM(\"x\")": ("#VALUE!", "a text typed as an argument that is no number is an error; gnumeric takes it as 0"),
    "LOWER(\"ÄÖÜ Σ\")": ('"äöü σ"', "one character for one: gnumeric writes the final form of sigma"),
    "SUBTOTAL(12,D1)": ("#VALUE!", "an unknown function code is a wrong argument (#VALUE!), as in LibreOffice"),
    "N(\"7\")": ("N:0.0", "N gives 0 for every text; gnumeric converts a number text"),
    "ACOSH(0.5)": ("#NUM!", ARG_ERROR),
    "ATANH(1)": ("#NUM!", ARG_ERROR),
    "LOG10(0)": ("#NUM!", ARG_ERROR),
    "LOG(-1)": ("#NUM!", ARG_ERROR),
    "LOG(8,-2)": ("#NUM!", ARG_ERROR),
    "LOG(10,1)": ("#DIV/0!", "the logarithm of base 1 divides by ln 1 = 0; LibreOffice saves Err:502 as #VALUE!"),
    "ATAN2(0,0)": ("#DIV/0!", "the angle of the origin is undefined: #DIV/0! as gnumeric; LibreOffice gives 0"),
    "MID(\"abc\",5,1)": ('""', EMPTY_TEXT),
    "T(1)": ('""', EMPTY_TEXT),
    "CHAR(233)": ('"é"', "codes are those of the Western ANSI code page, as gnumeric; LibreOffice gives U+FFFD"),
    "CHAR(0)": ("#VALUE!", "codes start at 1, as gnumeric; LibreOffice writes the control character"),
    "CODE(\"\")": ("#VALUE!", "an empty text has no first character, as gnumeric; LibreOffice gives 0"),
    "DOLLAR(-1234.567,1)": ('"($1,234.6)"', "the format settings' negative currency pattern ($1), as gnumeric"),
    "FIXED(2.675,2,FALSE)": ('"2.68"', "rounds half away from zero as the number is written, as LibreOffice"),
    "DATEVALUE(\"1900-02-28\")": ("N:59.0", "serials count the 29 February 1900 of the file format, as gnumeric"),
    "SUM(\"2024-01-01\",1)": ("N:45293.0", "a date text typed as an argument converts as the operators convert it"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
