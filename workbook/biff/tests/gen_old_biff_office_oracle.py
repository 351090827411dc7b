#!/usr/bin/python3
"""Writes old_biff_office_oracle.txt: the array formulas LibreOffice finds in the hand-made
BIFF2, BIFF3 and BIFF4 files of read_fixtures (the record forms of ARRAY and of the anchor token
differ from later versions). LibreOffice converts each file to .xlsx, where openpyxl reads each
array formula's range and text. The reader's test compares its anchors with the table, so the
check holds where LibreOffice is not installed.

Usage: gen_old_biff_office_oracle.py FIXTURES OUT.txt            writes the table
       gen_old_biff_office_oracle.py FIXTURES --check OUT.txt    fails when LibreOffice now reads otherwise
"""
import os
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.utils import range_boundaries

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "formula", "tests"))
from fixture_file import write_or_check  # noqa: E402

FILES = ("biff2.xls", "biff20.xls", "biff3.xls", "biff4.xls")


def table(fixtures):
    lines = []
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["soffice", "--headless", "--convert-to", "xlsx", "--outdir", work]
                       + [os.path.join(fixtures, name) for name in FILES],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for name in FILES:
            sheet = openpyxl.load_workbook(os.path.join(work, name.replace(".xls", ".xlsx"))).active
            for anchor, attributes in sorted(sheet.formula_attributes.items()):
                if attributes.get("t") != "array":
                    continue
                col1, row1, col2, row2 = range_boundaries(attributes["ref"])
                text = sheet[anchor].value.lstrip("=")
                lines.append("array %s %d %d %d %d %s" % (name, col1 - 1, row1 - 1, col2 - 1, row2 - 1, text))
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    write_or_check(table(sys.argv[1]), sys.argv[1:])
