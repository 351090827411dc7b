#!/usr/bin/python3
"""Writes oracle_lookup.inc: the lookup, reference, information and logical functions over a small
data sheet with the results LibreOffice and gnumeric give (see spreadsheet_oracle.py).

Usage: gen_oracle_lookup.py OUT.inc            writes the table
       gen_oracle_lookup.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import sys

from spreadsheet_oracle import oracle_table_main

# (column, row, value), 0-based. A1:C5 a table sorted on its numbers (with a repeated key), D1:E4
# one sorted on texts, F1:F3 a descending column, G1:G8 values of every kind, A10:D11 a table
# laid out in rows, and one far row (1000) that lookups over whole columns (65,536 rows in the
# file format of the compiled formulas) must reach.
DATA = [
    (0, 0, 1), (0, 1, 2), (0, 2, 2), (0, 3, 3), (0, 4, 5),
    (1, 0, "one"), (1, 1, "two-a"), (1, 2, "two-b"), (1, 3, "three"), (1, 4, "five"),
    (2, 0, 10), (2, 1, 20), (2, 2, 30), (2, 3, 40), (2, 4, 50),
    (3, 0, "apple"), (3, 1, "bob"), (3, 2, "Carl"), (3, 3, "dave"),
    (4, 0, 100), (4, 1, 200), (4, 2, 300), (4, 3, 400),
    (5, 0, 30), (5, 1, 20), (5, 2, 10),
    (6, 0, True), (6, 1, "=1/0"), (6, 2, "a[b]c"), (6, 3, "x*y"), (6, 4, "3"), (6, 5, "Ab?"), (6, 6, 2.5),
    (6, 7, "xay"),
    (0, 9, 1), (1, 9, 2), (2, 9, 3), (3, 9, 4),
    (0, 10, "a"), (1, 10, "b"), (2, 10, "c"), (3, 10, "d"),
    (0, 999, 7), (1, 999, "far"), (2, 999, 70),
]

FORMULAS = [
    # VLOOKUP and HLOOKUP: approximate and exact, first column and first row
    "VLOOKUP(2,A1:C5,2)", "VLOOKUP(2,A1:C5,2,FALSE)", "VLOOKUP(4,A1:C5,3)", "VLOOKUP(0,A1:C5,2)",
    "VLOOKUP(9,A1:C5,2)", "VLOOKUP(4,A1:B5,3)", "VLOOKUP(4,A1:B5,0)", "VLOOKUP(4,A1:C5,2,FALSE)",
    "VLOOKUP(\"b*\",D1:E4,2,FALSE)", "VLOOKUP(\"CARL\",D1:E4,2,FALSE)", "VLOOKUP(\"c?rl\",D1:E4,2,FALSE)",
    "VLOOKUP(\"bz\",D1:E4,2)", "VLOOKUP(\"a\",D1:E4,2)", "VLOOKUP(\"zzz\",D1:E4,2,TRUE)",
    "VLOOKUP(\"a[b]c\",G1:G8,1,FALSE)", "VLOOKUP(\"x~*y\",G1:G8,1,FALSE)", "VLOOKUP(\"xzy\",G1:G8,1,FALSE)",
    "VLOOKUP(\"x*y\",G1:G8,1,FALSE)", "VLOOKUP(\"ab~?\",G1:G8,1,FALSE)", "VLOOKUP(3,G1:G8,1,FALSE)",
    "VLOOKUP(\"3\",G1:G8,1,FALSE)", "VLOOKUP(TRUE,G1:G8,1,FALSE)", "VLOOKUP(2.5,G1:G8,1,FALSE)",
    "VLOOKUP(NA(),A1:C5,2)", "VLOOKUP(1,1,1)", "VLOOKUP(1,#REF!,1)", "VLOOKUP(7,A1:C65536,2,FALSE)",
    "VLOOKUP(7,A1:C65536,3,FALSE)", "VLOOKUP(8,A1:C65536,2,FALSE)",
    "VLOOKUP(3,A1:C5,2,0)", "VLOOKUP(A4,A1:C5,3,FALSE)",
    "HLOOKUP(3,A10:D11,2)", "HLOOKUP(2.5,A10:D11,2)", "HLOOKUP(3,A10:D11,2,FALSE)", "HLOOKUP(0,A10:D11,2)",
    "HLOOKUP(3,A10:D11,3)", "HLOOKUP(\"c\",A11:D11,1,FALSE)",
    "HLOOKUP(1,1/0,1)",
    # LOOKUP: vector and array forms
    "LOOKUP(2,A1:A5,C1:C5)", "LOOKUP(4,A1:A5,B1:B5)", "LOOKUP(0,A1:A5,C1:C5)", "LOOKUP(9,A1:A5,C1:C5)",
    "LOOKUP(\"c\",D1:D4,E1:E4)", "LOOKUP(4,A1:C5)", "LOOKUP(3,A10:D11)", "LOOKUP(NA(),A1:A5)", "LOOKUP(3,A1:A5,C1:C3)",
    "LOOKUP(7,A1:A65536,C1:C65536)",
    # MATCH
    "MATCH(3,A10:D10,0)", "MATCH(40,F1:F3,-1)", "MATCH(5,F1:F3,-1)", "MATCH(2,A1:A5)", "MATCH(2,A1:A5,0)",
    "MATCH(\"c*\",D1:D4,0)", "MATCH(\"CARL\",D1:D4)", "MATCH(\"x\",D1:D4,0)", "MATCH(1,A1:C5,0)",
    "MATCH(7,A1:A65536,0)", "MATCH(\"far\",B1:B65536,0)", "MATCH(1/0,A1:A5,0)", "MATCH(2,A1:A5,2)", "MATCH(3,A1:A5,-2)",
    "MATCH(\"?b*\",G1:G8,0)", "MATCH(TRUE,G1:G8,0)",
    # INDEX
    "INDEX(A1:C5,2,3)", "INDEX(A1:A5,3)", "INDEX(A10:D10,2)", "INDEX(A1:A5,3,0)", "SUM(INDEX(A1:C5,0,3))",
    "SUM(INDEX(A1:C5,2,0))", "SUM(INDEX(A1:C5,0,0))", "INDEX(A1:C5,6,1)", "INDEX(A1:C5,1,4)", "INDEX(A1:C5,-1,1)",
    "INDEX(A1:C5,1,1,2)", "INDEX(5,1,1)",
    "INDEX(5,2,1)", "ROW(INDEX(A1:C5,4,2))",
    # OFFSET
    "OFFSET(A1,1,1)", "SUM(OFFSET(A1:B2,0,0))", "SUM(OFFSET(A1,0,0,2,3))", "OFFSET(A1,-1,0)",
    "OFFSET(A1,0,0,0)", "SUM(OFFSET(A1:A5,1,2))", "SUM(OFFSET(C5,0,0,-3))", "SUM(OFFSET(A1:C5,1,0,1))",
    "ROWS(OFFSET(A1:C5,0,0,,2))", "COLUMNS(OFFSET(A1:C5,0,0,2))", "OFFSET(1,0,0)", "OFFSET(A1,0,-1)",
    # CHOOSE, TRANSPOSE, AREAS, ROWS, COLUMNS
    "CHOOSE(2,A1,C1)", "CHOOSE(3,1,2)", "CHOOSE(0,1,2)", "CHOOSE(2.9,\"a\",\"b\",\"c\")", "SUM(CHOOSE(2,A1:A5,C1:C5))",
    "CHOOSE(\"x\",1,2)", "CHOOSE(1/0,1,2)", "INDEX(TRANSPOSE(A1:C2),3,2)",
    "ROWS(TRANSPOSE(A1:C2))", "AREAS(A1:B2)", "AREAS(A1)", "ROWS(A1:C5)", "COLUMNS(A1:C5)", "ROWS(A1:A65536)",
    "COLUMNS(B3)", "ROWS(5)",
    # ADDRESS
    "ADDRESS(1,1)", "ADDRESS(2,3,4)", "ADDRESS(2,3,2)", "ADDRESS(2,3,3)", "ADDRESS(1,1,1,TRUE,\"Sheet2\")",
    "ADDRESS(0,1)", "ADDRESS(1,16385)", "ADDRESS(1048576,16384)", "ADDRESS(2,3,1,FALSE)", "ADDRESS(2,3,4,FALSE)",
    "ADDRESS(2,3,2,FALSE)", "ADDRESS(5,28)", "ADDRESS(1,1,5)",
    # CELL
    "CELL(\"row\",B5)", "CELL(\"col\",C2:D4)", "CELL(\"address\",B2)", "CELL(\"type\",G10)", "CELL(\"type\",A1)",
    "CELL(\"type\",B1)", "CELL(\"nothing\",A1)", "CELL(\"ROW\",D7)", "CELL(\"row\",1)",
    # ERROR.TYPE, INFO, TYPE
    "ERROR.TYPE(NA())", "ERROR.TYPE(1)", "ERROR.TYPE(1/0)", "ERROR.TYPE(G2)", "ERROR.TYPE(#NULL!)",
    "ERROR.TYPE(#REF!)", "ERROR.TYPE(#NAME?)", "ERROR.TYPE(#NUM!)", "ERROR.TYPE(#VALUE!)", "ERROR.TYPE(A1)",
    "TYPE(1)", "TYPE(\"a\")", "TYPE(TRUE)", "TYPE(NA())", "TYPE(A1)", "TYPE(B1)", "TYPE(G1)",
    "TYPE(G2)", "TYPE(G10)",
    # Logical functions
    "AND(TRUE,1,\"true\")", "AND(\"x\")", "AND(TRUE,FALSE)", "AND(A1:A5)", "AND(G1:G1)", "OR(0,FALSE)",
    "OR(A1:A3)", "OR(G2,TRUE)", "AND(B1:B2)", "OR(A20:A22)", "NOT(1)", "NOT(\"x\")", "IF(1,\"y\")",
    "IF(0,\"y\")", "IF(\"x\",1,2)", "ISERROR(G2)", "ISNA(VLOOKUP(9,A1:B5,2,FALSE))",
    "INFO(\"PIG\")", "INFO(\"system\")", "INFO(\"\")", "VLOOKUP(REPT(\"*\",40)&\"bob\",D1:E4,2,FALSE)",
    "MATCH(\"[ab]*\",D1:D4,0)", "MATCH(\"*\",A1:B1,0)", "ISREF(OFFSET(A1,1,1))", "ISTEXT(B1)", "ISNUMBER(G5)", "ISLOGICAL(G1)", "ISBLANK(G10)", "ISNONTEXT(G10)",
]

WIDTH_REF = "an index beyond the table's width is #REF!, as gnumeric; LibreOffice gives #VALUE!"
OUTSIDE_REF = "a reference moved or indexed outside its area or the sheet is #REF!, as gnumeric; LibreOffice #VALUE!"
OWN_ERROR = "an argument's own error value is the result, as LibreOffice"
NO_BOOLEANS = "LibreOffice keeps TRUE as the number 1; Booleans are a type of their own here, as gnumeric"
NO_SIZE = "a zero height or width is no reference: #REF!"
DECISIONS = {
    "VLOOKUP(4,A1:B5,3)": ("#REF!", WIDTH_REF),
    "HLOOKUP(3,A10:D11,3)": ("#REF!", WIDTH_REF),
    "VLOOKUP(1,#REF!,1)": ("#REF!", "a table given as an error value gives that error, as gnumeric"),
    "VLOOKUP(TRUE,G1:G8,1,FALSE)": ("TRUE", NO_BOOLEANS),
    "LOOKUP(3,A1:A5,C1:C3)": ("N:40.0", "a short result vector goes on in its direction, as LibreOffice"),
    "MATCH(1,A1:C5,0)": ("#N/A", "a table of several rows and columns is no vector: #N/A, as gnumeric"),
    "MATCH(1/0,A1:A5,0)": ("#DIV/0!", OWN_ERROR),
    "CHOOSE(1/0,1,2)": ("#DIV/0!", OWN_ERROR),
    "INDEX(A10:D10,2)": ("N:2.0", "one row indexed by one number counts along the row, as LibreOffice"),
    "INDEX(A1:A5,3,0)": ("N:2.0", "column 0 of one column is that column, as LibreOffice"),
    "SUM(INDEX(A1:C5,0,3))": ("N:150.0", "row 0 selects the whole column, as LibreOffice"),
    "SUM(INDEX(A1:C5,2,0))": ("N:22.0", "column 0 selects the whole row, as LibreOffice"),
    "SUM(INDEX(A1:C5,0,0))": ("N:163.0", "row and column 0 select the whole area, as LibreOffice"),
    "INDEX(A1:C5,6,1)": ("#REF!", OUTSIDE_REF),
    "INDEX(A1:C5,1,4)": ("#REF!", OUTSIDE_REF),
    "INDEX(A1:C5,-1,1)": ("#VALUE!", "a negative index is a wrong argument, as LibreOffice"),
    "INDEX(5,1,1)": ("N:5.0", "a single value is its own first row and column"),
    "INDEX(5,2,1)": ("#REF!", OUTSIDE_REF),
    "OFFSET(A1,-1,0)": ("#REF!", OUTSIDE_REF),
    "OFFSET(A1,0,-1)": ("#REF!", OUTSIDE_REF),
    "OFFSET(A1,0,0,0)": ("#REF!", NO_SIZE),
    "SUM(OFFSET(C5,0,0,-3))": ("N:120.0", "a negative height reaches up from the moved corner; both peers refuse it"),
    "ROWS(5)": ("N:1.0", "a single value is one row, as gnumeric"),
    "CELL(\"row\",1)": ("#VALUE!", "a value given for the reference is a wrong argument, as gnumeric"),
    "ERROR.TYPE(#NULL!)": ("N:1.0", "#NULL! is error 1, as gnumeric; LibreOffice reads the constant otherwise"),
    "TYPE(TRUE)": ("N:4.0", NO_BOOLEANS),
    "TYPE(G1)": ("N:4.0", NO_BOOLEANS),
    "AND(TRUE,1,\"true\")": ("TRUE", "a typed text TRUE or FALSE is a truth value, as gnumeric"),
    "IF(\"x\",1,2)": ("#VALUE!", "a text that is no truth value is a wrong condition, as LibreOffice"),
    "INFO(\"PIG\")": ('"Oink!"', "this engine answers the pig"),
    "INFO(\"\")": ("#VALUE!", "an empty info type is a wrong argument, as LibreOffice"),
    "MATCH(\"*\",A1:B1,0)": ("N:2.0", "a text pattern matches texts only, as gnumeric"),
    "INFO(\"system\")": ("#N/A", "the engine tells nothing of the system it runs on"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
