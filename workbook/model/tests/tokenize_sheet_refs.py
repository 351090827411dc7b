#!/usr/bin/python3
"""Reads formula texts (one per line, UTF-8) and prints, per line, how openpyxl's formula
tokenizer splits them: the token count, the first token's type and subtype, and the sheet name
of a sheet-qualified reference with its quoting undone ("-" when it does not tokenize)."""
import sys

from openpyxl.formula import Tokenizer


def sheet_of(value):
    sheet = value.rsplit("!", 1)[0]
    if sheet.startswith("'") and sheet.endswith("'") and len(sheet) >= 2:
        sheet = sheet[1:-1].replace("''", "'")
    return sheet


for line in sys.stdin.read().split("\n"):
    if not line:
        continue
    try:
        items = Tokenizer(line).items
    except Exception:
        print("0\t-\t-\t-")
        continue
    first = items[0] if items else None
    print("%d\t%s\t%s\t%s" % (len(items), first.type if first else "-", first.subtype if first else "-",
                               sheet_of(first.value) if first else "-"))
