#!/usr/bin/python3
"""Writes oracle_criteria.inc: the conditional aggregates and the database functions over a
small data sheet with the results LibreOffice and gnumeric give.

The sheet is written with openpyxl, recalculated by LibreOffice headless and by gnumeric's
ssconvert --recalc, and read back (spreadsheet_oracle.py). Where our results differ on purpose,
or the two disagree, DECISIONS holds the result we give and why.

Usage: gen_oracle_criteria.py OUT.inc            writes the table
       gen_oracle_criteria.py --check OUT.inc    fails when the programs now give another table
"""
import sys

from spreadsheet_oracle import oracle_table_main

# (column, row, value), 0-based. Column H holds the formulas.
# A: numbers, a number text, an empty cell; B: texts with wildcard characters and an
# error; C: the values to sum; D: numbers and a number text; E: Booleans.
DATA = [
    (0, 0, 1), (0, 1, 2), (0, 2, 3), (0, 3, 4), (0, 4, "3"), (0, 6, 10),
    (1, 0, "apple"), (1, 1, "Banana"), (1, 2, "berry"), (1, 3, "a*b"), (1, 4, "cherry"), (1, 5, "abc"),
    (1, 6, "a?b"), (1, 7, "=1/0"),
    (2, 0, 10), (2, 1, 20), (2, 2, 30), (2, 3, 40), (2, 4, 50), (2, 5, 60), (2, 6, 70), (2, 7, 80),
    (3, 0, 5), (3, 1, "5"), (3, 2, 7), (3, 3, -1),
    (4, 0, True), (4, 1, False), (4, 2, True), (4, 3, "TRUE"),
]
# A database in J1:M7 with its headings.
DATABASE = [
    ("Name", "Region", "Age", "Sales"),
    ("Ann", "North", 30, 100), ("Bob", "south", 45, 200), ("Cid", "North", 25, "n/a"),
    ("Dee", "East", 52, 400), ("Eve", "NORTH", 38, 250), ("Fay", "West", 41, 150),
]
for r, record in enumerate(DATABASE):
    DATA += [(9 + c, r, v) for c, v in enumerate(record)]
# Criteria areas, one a column from O: (first column, rows of cells; None an empty cell).
CRITERIA = [
    (14, [["Region"], ["North"]]),                      # O1:O2
    (15, [["Region", "Age"], ["North", ">28"]]),        # P1:Q2
    (17, [["Region", "age"], ["North", None], [None, ">50"]]),  # R1:S3, two rows
    (19, [["Region"]]),                                 # T1, headings only
    (20, [["Age"], [">=40"]]),                          # U1:U2
    (21, [["Name"], ["B*"]]),                           # V1:V2
    (22, [["Region"], ["North"], [None]]),              # W1:W3, an empty row
    (23, [["Sales"], [">150"]]),                        # X1:X2
    (24, [["Age"], [25]]),                              # Y1:Y2
    (25, [["Name"], ["Zed"]]),                          # Z1:Z2
    (26, [["Region"], [None]]),                         # AA1:AA2, no condition
]
for col, rows in CRITERIA:
    for r, cells in enumerate(rows):
        DATA += [(col + c, r, v) for c, v in enumerate(cells) if v is not None]

DB = "J1:M7"
FORMULAS = [
    # Criteria: operators, numbers against number texts, Booleans, errors, empty cells
    "COUNTIF(A1:A8,\">2\")", "COUNTIF(A1:A8,\"<>3\")", "COUNTIF(A1:A8,3)", "COUNTIF(A1:A8,\"3\")",
    "COUNTIF(A1:A8,\">0\")", "COUNTIF(A1:A8,\"=0\")", "COUNTIF(A1:A8,\">=2.5\")", "COUNTIF(A1:A8,\"<=2\")",
    "COUNTIF(E1:E4,TRUE)", "COUNTIF(E1:E4,\"TRUE\")", "COUNTIF(E1:E4,\"<>FALSE\")", "COUNTIF(A1:A8,\"<4\")", "COUNTIF(D1:D4,5)",
    "COUNTIF(D1:D4,\"5\")", "COUNTIF(D1:D4,\"=5\")", "COUNTIF(D1:D4,\"<>5\")", "COUNTIF(D1:D4,\">-2\")",
    "COUNTIF(B1:B8,\"#DIV/0!\")", "COUNTIF(A1:A8,D1)", "COUNTIF(A1:A8,A1:A2)",
    "COUNTIF(A1:A65536,\">1\")", "COUNTIF(C1:C65536,\">=40\")",
    # Wildcards and text order
    "COUNTIF(B1:B8,\"b*\")", "COUNTIF(B1:B8,\"B*\")", "COUNTIF(B1:B8,\"a?b\")", "COUNTIF(B1:B8,\"a~*b\")",
    "COUNTIF(B1:B8,\"a~?b\")", "COUNTIF(B1:B8,\"*\")", "COUNTIF(B1:B8,\"?????\")", "COUNTIF(B1:B8,\"*e*\")",
    "COUNTIF(B1:B8,\"*r*y\")", "COUNTIF(B1:B8,\"a**\")", "COUNTIF(B1:B8,\"<c\")", "COUNTIF(B1:B8,\">=BANANA\")",
    "COUNTIF(B1:B8,\"<>apple\")", "COUNTIF(B1:B8,\"apple\")", "COUNTIF(B1:B8,\"APPLE\")", "COUNTIF(B1:B65536,\"*e*\")",
    # Several criteria
    "COUNTIFS(A1:A3,\">1\",B1:B4,\">1\")", "COUNTIFS(A1:A8,\">1\",C1:C8,\"<60\")",
    "COUNTIFS(A1:A8,\">1\",B1:B8,\"b*\")", "COUNTIFS(B1:B8,\"*\",C1:C8,\">20\",A1:A8,\"<4\")",
    # Sums and averages
    "SUMIF(A1:A8,\">2\")", "SUMIF(A1:A8,\">2\",C1:C8)", "SUMIF(A1:A8,\">2\",C1)", "SUMIF(A1:A8,\">2\",C2)",
    "SUMIF(B1:B8,\"b*\",C1:C8)", "SUMIF(A1:A8,\"<>3\",C1:C8)", "SUMIF(C1:C8,\">25\")", "SUMIF(A1:A8,\"x\")",
    "SUMIF(C1:C8,\">0\",B1:B8)", "SUMIF(A1:A65536,\">1\",C1:C65536)",
    "SUMIFS(C1:C8,A1:A8,\">1\",B1:B8,\"<>cherry\")", "SUMIFS(C1:C8,A1:A8,\">1\")", "SUMIFS(C1:C7,A1:A8,\">1\")",
    "SUMIFS(C1:C8,B1:B8,\"?????\",A1:A8,\"<3\")",
    "AVERAGEIF(A1:A8,\">1\")", "AVERAGEIF(A1:A8,\">2\",C1:C8)", "AVERAGEIF(B1:B8,\"cherry\",B1:B8)",
    "AVERAGEIF(A1:A8,\">100\")", "AVERAGEIF(C1:C8,\">10\",B1:B8)", "AVERAGEIF(B1:B8,\"a*\",C1:C8)",
    "AVERAGEIFS(C1:C8,A1:A8,\">1\",A1:A8,\"<10\")", "AVERAGEIFS(B1:B8,A1:A8,\">1\")",
    "AVERAGEIFS(C1:C8,B1:B8,\"a*\",C1:C8,\">10\")",
    "COUNTBLANK(A1:A8)", "COUNTBLANK(A1:D8)", "SUMPRODUCT(A1:A4,C1:C4)",
    # Database functions
    f"DCOUNT({DB},\"Age\",O1:O2)", f"DCOUNT({DB},\"AGE\",P1:Q2)", f"DCOUNT({DB},3,R1:S3)",
    f"DCOUNT({DB},0,O1:O2)", f"DCOUNT({DB},99,O1:O2)", f"DCOUNT({DB},\"Age\",T1)",
    f"DCOUNT({DB},\"Age\",AA1:AA2)", f"DCOUNT({DB},\"Weight\",O1:O2)",
    f"DCOUNTA({DB},\"Sales\",O1:O2)", f"DCOUNTA({DB},\"Name\",W1:W3)", f"DCOUNT({DB},\"Sales\",W1:W3)",
    f"DSUM({DB},\"Sales\",O1:O2)", f"DSUM({DB},4,X1:X2)", f"DSUM({DB},\"Sales\",R1:S3)",
    f"DAVERAGE({DB},\"Age\",U1:U2)", f"DAVERAGE({DB},\"Sales\",Y1:Y2)", f"DAVERAGE({DB},\"Sales\",V1:V2)",
    f"DMIN({DB},\"Age\",O1:O2)", f"DMAX({DB},\"Age\",O1:O2)", f"DMAX({DB},\"Sales\",Y1:Y2)",
    f"DPRODUCT({DB},\"Age\",P1:Q2)", f"DPRODUCT({DB},\"Sales\",Y1:Y2)",
    f"DSTDEV({DB},\"Age\",O1:O2)", f"DSTDEVP({DB},\"Age\",O1:O2)", f"DVAR({DB},\"Age\",O1:O2)",
    f"DVARP({DB},\"Age\",O1:O2)", f"DVAR({DB},\"Age\",V1:V2)", f"DSTDEVP({DB},\"Sales\",Y1:Y2)",
    f"DGET({DB},\"Name\",V1:V2)", f"DGET({DB},\"Name\",O1:O2)", f"DGET({DB},\"Name\",Z1:Z2)",
    f"DGET({DB},\"Sales\",Y1:Y2)", f"DCOUNT({DB},\"Age\",X1:X2)", f"DCOUNT(J1:M65536,\"Age\",U1:U2)",
]

EMPTY = "an empty cell meets no criterion, so a whole column counts the same as its used rows"
TEXT_NUMBER = "a number criterion meets numbers only, never a text that reads as one"
OTHER_TYPE = "a value of another type does not equal the criterion, so <> meets it"
DECISIONS = {
    "COUNTIF(A1:A8,\"<>3\")": ("N:5.0", EMPTY),
    "SUMIF(A1:A8,\"<>3\",C1:C8)": ("N:190.0", EMPTY),
    "COUNTIF(A1:A8,3)": ("N:1.0", TEXT_NUMBER),
    "COUNTIF(A1:A8,\"3\")": ("N:1.0", TEXT_NUMBER + "; a number written as text is the same number"),
    "COUNTIF(D1:D4,\"5\")": ("N:1.0", TEXT_NUMBER + "; a number written as text is the same number"),
    "COUNTIF(D1:D4,\"=5\")": ("N:1.0", TEXT_NUMBER + "; a number written as text is the same number"),
    "COUNTIF(A1:A8,A1:A2)": ("N:1.0", "an area as criterion gives the cell beside the formula, else its first cell"),
    "COUNTIF(D1:D4,5)": ("N:1.0", TEXT_NUMBER),
    "COUNTIF(D1:D4,\"<>5\")": ("N:3.0", OTHER_TYPE + " (as gnumeric)"),
    "COUNTIF(B1:B8,\"<>apple\")": ("N:7.0", OTHER_TYPE + " (as LibreOffice)"),
    "COUNTIF(E1:E4,\"TRUE\")": ("N:2.0", "the text TRUE as a criterion is the Boolean, which a text never equals (as gnumeric)"),
    "COUNTIF(B1:B8,\"#DIV/0!\")": ("N:1.0", "an error text as a criterion is that error, and meets it (as LibreOffice)"),
    "COUNTIF(B1:B8,\"*\")": ("N:7.0", "a pattern meets texts only, not errors (as gnumeric)"),
    "SUMIF(A1:A8,\">2\",C1)": ("N:140.0", "the sum range takes the criteria range's shape from its first cell (as LibreOffice)"),
    "SUMIF(A1:A8,\">2\",C2)": ("N:170.0", "the sum range takes the criteria range's shape from its first cell (as LibreOffice)"),
    "DCOUNT(J1:M7,0,O1:O2)": ("#VALUE!", "a field number counts from 1 to the database's columns"),
    "DCOUNT(J1:M7,99,O1:O2)": ("#VALUE!", "a field number counts from 1 to the database's columns (as LibreOffice)"),
    "DCOUNT(J1:M7,\"Age\",T1)": ("N:0.0", "criteria without a row below their headings match no record"),
    "DCOUNT(J1:M7,\"Weight\",O1:O2)": ("#VALUE!", "a field name that no heading has (as LibreOffice)"),
    "DCOUNTA(J1:M7,\"Name\",W1:W3)": ("N:6.0", "a criteria row without conditions is met by every record (as gnumeric)"),
    "DCOUNT(J1:M7,\"Sales\",W1:W3)": ("N:5.0", "a criteria row without conditions is met by every record (as gnumeric)"),
    "DAVERAGE(J1:M7,\"Sales\",Y1:Y2)": ("#DIV/0!", "no number to average divides by zero (as LibreOffice)"),
    "DMAX(J1:M7,\"Sales\",Y1:Y2)": ("N:0.0", "no number gives 0 (as LibreOffice)"),
    "DPRODUCT(J1:M7,\"Sales\",Y1:Y2)": ("N:1.0", "the product of no number is 1 (as gnumeric)"),
    "DCOUNT(J1:M7,\"Age\",AA1:AA2)": ("N:0.0", "criteria that use no field end the records at the first (no field tells them from empty rows)"),
    "DVAR(J1:M7,\"Age\",V1:V2)": ("#DIV/0!", "one number has no sample variance: it divides by zero, as VAR does"),
    "DSTDEVP(J1:M7,\"Sales\",Y1:Y2)": ("#DIV/0!", "no number has no population deviation: it divides by zero, as STDEVP does"),
    "DGET(J1:M7,\"Name\",O1:O2)": ("#NUM!", "several matching records are no single value: #NUM!"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
