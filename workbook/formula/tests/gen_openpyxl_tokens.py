#!/usr/bin/python3
"""Writes the table of how openpyxl's formula tokenizer splits a corpus of formulas, as words the
C++ test builds from the model tokenizer's output the same way. With --check the committed table
must still be what openpyxl gives.

Words: R:<reference or name text>, N:<number>, S:<string as written>, B:<boolean>, E:<error>,
F:<function name upper case> (the call's "("), ( ) { } for parentheses, closing calls and arrays,
, and ; for separators, u- u+ for signs, % and the infix operators by their text. Whitespace
(also an intersection, which openpyxl keeps as whitespace) is left out."""
import sys

from openpyxl.formula import Tokenizer

CORPUS = [
    "1+2*3", "(1+2)*3", "1 + 2", " SUM(A1:B2)", "-A1%", "+1", "2^-2", "1=2<3", "1<>2", "A1>=B1",
    "A1<=B1", "\"a\"&\"b\"", "SUM($A$1:B$2,C:C,3:$5)", "'My Sheet'!A1+'It''s'!B2+Sheet1!C3",
    "SUM('Sheet1:My Sheet'!A1:B2)", "Sheet1:Sheet3!A1", "[1]Data!A1", "'[Book1.xlsx]Data'!$A$1",
    "Rate*2", "\"say \"\"hi\"\"\"", "{1,2;3,4}", "{\"a\",TRUE;#N/A,-1}",
    "IF(A1>=1,VLOOKUP(A1,Sheet1!$A$1:$C$10,3,FALSE),\"\")", "SUM(1,,2)", "A1:B2 B1:C3", "(A1,B2)",
    "FOO(1,2)", "1.5E+300", "PI()", "SUM(A:A)", "AVERAGE(Data!B2:B100)", "MAX(1,2)/MIN(3,4)",
    "Table1[[#Headers],[Sales]]", "Table1[Sales]", "SUM(Table1[Sales Amount])", "SUM(Table1[Sales])", "#DIV/0!", "TRUE", "FALSE",
    "IF(AND(A1>0,B1<0),\"x\",\"y\")", "ROUND(A1*1.1,2)", "INDEX(A1:C3,2,3)", "COUNTIF(A:A,\">5\")",
    "LOG10(100)", "ATAN2(1,2)", "SUM(XFD1048576,A1)", "A1%*2", "--A1", "1.5", ".5", "12E3",
    "SUMPRODUCT((A1:A3>0)*(B1:B3))", "CONCATENATE(\"a\",\"b\",\"c\")", "NOW()-TODAY()",
    "Sheet2!A1:B2", "$A1+A$1", "IFERROR(1/0,0)", "_x.y+1",
]


def words(formula):
    out = []
    for t in Tokenizer("=" + formula).items:
        if t.type == "WHITE-SPACE":
            continue
        if t.type == "OPERAND":
            kind = {"RANGE": "R", "NUMBER": "N", "TEXT": "S", "LOGICAL": "B", "ERROR": "E"}[t.subtype]
            out.append(kind + ":" + t.value)
        elif t.type == "FUNC":
            out.append("F:" + t.value[:-1].upper() if t.subtype == "OPEN" else ")")
        elif t.type in ("PAREN", "ARRAY"):
            out.append(t.value)
        elif t.type == "SEP":
            out.append(t.value)
        elif t.type == "OPERATOR-PREFIX":
            out.append("u" + t.value)
        else:
            out.append(t.value)
    return " ".join(out)


def cstr(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def table():
    lines = ["// Written by gen_openpyxl_tokens.py from python3-openpyxl; do not edit."]
    for f in CORPUS:
        lines.append("{u%s, %s}," % (cstr(f), cstr(words(f))))
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    if args and args[0] == "--check":
        with open(args[1], encoding="utf-8") as f:
            if f.read() != table():
                sys.exit("openpyxl's tokens differ from " + args[1])
        return
    with open(args[0], "w", encoding="utf-8") as f:
        f.write(table())


if __name__ == "__main__":
    main()
