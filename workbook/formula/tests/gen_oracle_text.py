#!/usr/bin/python3
"""Writes oracle_text.inc: the text functions and TEXT() with every kind of format token over a
small data sheet, with the results LibreOffice and gnumeric give.

The sheet is written with openpyxl (no cached values), recalculated and saved by LibreOffice
headless and by gnumeric's ssconvert --recalc, and read back with openpyxl. Where our results
differ from LibreOffice's on purpose, or the two disagree, DECISIONS holds the result we give
and why; the table keeps all three.

Usage: gen_oracle_text.py OUT.inc            writes the table
       gen_oracle_text.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import sys

from spreadsheet_oracle import oracle_table_main

# (column, row, value) of the data sheet, 0-based; "=..." is a formula whose result the sheet
# holds (an error value).
DATA = [
    (0, 0, "ab"), (0, 1, 1.5), (0, 2, True), (0, 4, "=1/0"), (0, 5, "温度计"),
    (1, 0, 46364.5), (1, 1, 0.99), (1, 2, 1.75),
]

DEC_8_2026 = "46364"

FORMULAS = [
    # Joining
    "CONCATENATE(\"a\",1.5,TRUE)", "CONCATENATE(A1,\"-\",A2,\"-\",A3,\"-\",A4)", "CONCATENATE(\"a\",A5)",
    "CONCATENATE(\"a\",NA(),\"b\")", "CONCATENATE(1/3)", "CONCATENATE(\"温\",\"度\")",
    # Cleaning
    "CLEAN(\"a b\"&CHAR(9)&\"c\")", "CLEAN(CHAR(1)&\" x \"&CHAR(31))", "CLEAN(\"温度\"&CHAR(10))", "CLEAN(\"\")",
    "CLEAN(\"a\"&CHAR(127)&\"b\")",
    # Replacing and substituting
    "REPLACE(\"abcdef\",2,3,\"X\")", "REPLACE(\"abc\",0,1,\"X\")", "REPLACE(\"abc\",5,1,\"X\")",
    "REPLACE(\"abc\",1,-1,\"X\")", "REPLACE(\"温度计\",2,1,\"x\")", "REPLACE(\"abc\",2,0,\"XY\")",
    "SUBSTITUTE(\"aaa\",\"aa\",\"b\")", "SUBSTITUTE(\"aaa\",\"aa\",\"b\",2)", "SUBSTITUTE(\"abc\",\"x\",\"y\",1)",
    "SUBSTITUTE(\"温度温度\",\"度\",\"°C\")", "SUBSTITUTE(\"a-b-c\",\"-\",\"+\",2)", "SUBSTITUTE(\"abc\",\"\",\"x\")",
    "SUBSTITUTE(\"abc\",\"b\",\"x\",0)", "SUBSTITUTE(\"ÄÖÜ€\",\"Ö\",\"o\")", "SUBSTITUTE(\"aAa\",\"a\",\"x\")",
    # Searching, in characters
    "FIND(\"B\",\"abc\")", "SEARCH(\"B\",\"abc\")", "FIND(\"c\",\"abc\",4)", "FIND(\"a\",\"abc\",0)",
    "FIND(\"b\",\"abcb\",3)", "FIND(\"度\",\"温度计\")", "SEARCH(\"计\",\"温度计\",2)", "FIND(\"\",\"abc\",2)",
    "FIND(\"\",\"abc\",5)", "SEARCH(\"ä\",\"XÄY\")", "FIND(\"x\",\"abc\")", "SEARCH(\"C\",\"abc\",4)",
    "FIND(1,12.5)",
    # The byte forms count the bytes of code page 936
    "LENB(\"温度\")", "LENB(\"a温b\")", "LENB(A6)", "LENB(\"\")", "LEFTB(\"温度计\",2)", "LEFTB(\"温度计\",3)",
    "LEFTB(\"a温\")", "RIGHTB(\"温度计\",4)", "RIGHTB(\"温度计\",3)", "RIGHTB(\"ab\")", "MIDB(\"温度计\",3,2)",
    "MIDB(\"温度计\",2,2)", "MIDB(\"温度计\",3,3)", "MIDB(\"abc\",5,1)", "MIDB(\"abc\",0,1)", "LEFTB(\"abc\",-1)",
    "FINDB(\"度\",\"温度计\")", "FINDB(\"c\",\"温c\")", "FINDB(\"计\",\"温度计\",4)", "SEARCHB(\"B\",\"温ab\")",
    "FINDB(\"x\",\"温度\")", "REPLACEB(\"温度计\",3,2,\"x\")", "REPLACEB(\"abc\",2,1,\"温\")",
    "LEN(\"温度计\")", "MID(\"温度计\",2,1)", "LEFT(\"温度\",1)",
    # TEXT: numbers, sections, literals, scientific
    "TEXT(3.14159,\"0.00\")", "TEXT(1234567,\"#,##0\")", "TEXT(0.25,\"0%\")", "TEXT(1.5,\"0.0?\")",
    "TEXT(42,\"00000\")", "TEXT(-5,\"0;(0)\")", "TEXT(0,\"0;-0;\"&CHAR(34)&\"zero\"&CHAR(34))", "TEXT(12345,\"0.00E+00\")",
    "TEXT(0.000123,\"0.0E+0\")", "TEXT(1234567,\"0.0,,\"&CHAR(34)&\"M\"&CHAR(34))", "TEXT(7,CHAR(34)&\"n=\"&CHAR(34)&\"0\")",
    "TEXT(3,\"\\$0_)\")", "TEXT(-1.25,\"0.00;General\")", "TEXT(1234.5,\"General\")", "TEXT(A2,\"0.000\")",
    "TEXT(\"2.5\",\"0.0\")", "TEXT(5,\"[Red]0.0\")", "TEXT(A5,\"0\")",
    # TEXT: dates, times and elapsed times
    "TEXT(" + DEC_8_2026 + ",\"yyyy-mm-dd\")", "TEXT(" + DEC_8_2026 + ",\"d/m/yy\")",
    "TEXT(" + DEC_8_2026 + ",\"dddd, mmmm d, yyyy\")", "TEXT(" + DEC_8_2026 + ",\"ddd mmm mmmmm\")",
    "TEXT(B1,\"yyyy-mm-dd hh:mm:ss\")", "TEXT(B1,\"h:mm AM/PM\")", "TEXT(0.0208333333333333,\"h:mm AM/PM\")",
    "TEXT(0.75,\"hh am/pm\")", "TEXT(0.25,\"h a/p\")", "TEXT(0.5+1.234/86400,\"h:mm:ss.00\")",
    "TEXT(90/86400,\"mm:ss\")", "TEXT(B3,\"[h]:mm\")", "TEXT(B2,\"[h]\")", "TEXT(B2,\"[mm]\")",
    "TEXT(1/24+5/86400,\"[mm]:ss\")", "TEXT(0.5,\"[s]\")", "TEXT(B3,\"[h]:mm:ss\")", "TEXT(61,\"dd.mm.yyyy\")",
    "TEXT(59,\"yyyy-mm-dd\")", "TEXT(60,\"yyyy-mm-dd\")", "TEXT(1,\"yyyy-mm-dd ddd\")",
    # Reading numbers
    "VALUE(\"1.5\")", "VALUE(\"abc\")", "VALUE(A5)", "VALUE(\"\")", "VALUE(\" 12 \")", "VALUE(\"1e3\")",
    "TEXT(VALUE(\"2024-03-15\"),\"0.000\")", "TEXT(VALUE(\"12:30\"),\"0.000\")", "VALUE(\"$12.50\")", "VALUE(12)", "VALUE(\"-3\")", "VALUE(\"1,000\")", "VALUE(\"50%\")",
    # Links
    "HYPERLINK(\"x\")", "HYPERLINK(\"x\",\"y\")", "HYPERLINK(\"http://a.b/c\",12)",
]

# Results we give on purpose where LibreOffice differs, or where the two disagree:
# formula -> (our result, why).
NO_BOOLEANS = "LibreOffice keeps TRUE as the number 1; Booleans join as TRUE, as gnumeric"
EMPTY_TEXT = "LibreOffice's empty text reads back as no value"
CP936 = "the byte forms count the bytes of code page 936, as LibreOffice; gnumeric counts UTF-8 bytes"
CUT = ("a double-byte character cut by the byte count leaves a space, as LibreOffice; gnumeric refuses "
       "the cut")
EARLY_SERIALS = ("serials count 1900 as a leap year, as DATE, WEEKDAY and the files do (1 is 1900-01-01, a Sunday; "
                 "60 the 29 February that never was); LibreOffice has no such day, gnumeric shows none")
DECISIONS = {
    "CONCATENATE(\"a\",1.5,TRUE)": ('"a1.5TRUE"', NO_BOOLEANS),
    "CONCATENATE(A1,\"-\",A2,\"-\",A3,\"-\",A4)": ('"ab-1.5-TRUE-"', NO_BOOLEANS),
    "CONCATENATE(1/3)": ('"0.333333333333333"', "numbers join with 15 significant digits, as LibreOffice; gnumeric 20"),
    "CLEAN(\"\")": ('""', EMPTY_TEXT),
    "MIDB(\"abc\",5,1)": ('""', EMPTY_TEXT),
    "SUBSTITUTE(\"aaa\",\"aa\",\"b\",2)": ('"ab"', "an instance counts overlapping occurrences: the second \"aa\" "
                                                    "starts at the second character; both peers count without overlap"),
    "FIND(\"\",\"abc\",2)": ("#VALUE!", "an empty text is never found, as LibreOffice; gnumeric gives the start"),
    "LENB(\"温度\")": ("N:4.0", CP936),
    "LENB(\"a温b\")": ("N:4.0", CP936),
    "LENB(A6)": ("N:6.0", CP936),
    "LEFTB(\"温度计\",2)": ('"温"', CP936),
    "LEFTB(\"温度计\",3)": ('"温 "', CUT),
    "RIGHTB(\"温度计\",4)": ('"度计"', CP936),
    "RIGHTB(\"温度计\",3)": ('" 计"', CUT),
    "MIDB(\"温度计\",3,2)": ('"度"', CP936),
    "MIDB(\"温度计\",2,2)": ('"  "', CUT),
    "MIDB(\"温度计\",3,3)": ('"度 "', CUT),
    "FINDB(\"度\",\"温度计\")": ("N:3.0", CP936),
    "FINDB(\"c\",\"温c\")": ("N:3.0", CP936),
    "FINDB(\"计\",\"温度计\",4)": ("N:5.0", CP936),
    "SEARCHB(\"B\",\"温ab\")": ("N:4.0", CP936),
    "REPLACEB(\"温度计\",3,2,\"x\")": ('"温x计"', CP936),
    "TEXT(0.75,\"hh am/pm\")": ('"06 pm"', "the marker is written in the case the format gives; both peers write PM"),
    "TEXT(59,\"yyyy-mm-dd\")": ('"1900-02-28"', EARLY_SERIALS),
    "TEXT(60,\"yyyy-mm-dd\")": ('"1900-02-29"', EARLY_SERIALS),
    "TEXT(1,\"yyyy-mm-dd ddd\")": ('"1900-01-01 Sun"', EARLY_SERIALS),
    "VALUE(\"1,000\")": ("#VALUE!", "VALUE reads what numbers read everywhere here: no thousands separators"),
    "VALUE(\"50%\")": ("#VALUE!", "VALUE reads what numbers read everywhere here: no percent sign"),
    "HYPERLINK(\"http://a.b/c\",12)": ('"12"', "the friendly name is given as text"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
