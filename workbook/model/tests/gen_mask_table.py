#!/usr/bin/python3
"""Writes mask_table.inc: number formats applied by LibreOffice's TEXT() to a value each.

The formulas are written with openpyxl (no cached values), recalculated and saved by LibreOffice
headless (en-US), and read back with openpyxl. Where our text differs on purpose, DECISIONS holds
ours and why; the table keeps both.

Usage: gen_mask_table.py OUT.inc            writes the table
       gen_mask_table.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

DEC_8_2026 = 46364  # a Tuesday
HALF_PAST = 30.0 / 1440

CASES = [
    # Numbers
    ("0.00", 3.14159), ("0.00", 2.675), ("0.00", -0.001), ("#,##0", 1234567), ("#,##0.00", -1234.567),
    ("0,", 1234567), ('#,##0,,"M"', 123456789), ("0%", 0.25), ("0.0%", 0.0125), ("0.0?", 1.5),
    ("0.0?", 1.25), ("0.##", 2), ("00000", 42), ("000", -5), ("#", 0), ("#", 5.5), ("0;(0)", -5),
    ('0;-0;"zero"', 0), ("0.00;-0.00;0.0", 0), (";;;", 5), ('"Total: "0', 7), ('0" kg"', 7),
    ("[Red]0.0", 2), ("[$\u20ac-407] #,##0", 5), ("0_)", 3), ("\\$0", 3), ("0.00E+00", 12345),
    ("0.00E+00", 0.000123), ("0.0E+0", 99.99), ("General", 1234.5), ("General", 0.00001),
    ("0.00;General", -1.25), ("#,##0.000", 0.0005), ("0", 1e15),
    # Dates and times
    ("yyyy-mm-dd", DEC_8_2026), ("d/m/yy", DEC_8_2026), ("mmmm d, yyyy", DEC_8_2026),
    ("ddd dddd mmm mmmmm", DEC_8_2026), ("h:mm", 0.75 + HALF_PAST), ("hh:mm:ss", 0.5 + 59.6 / 86400),
    ("h:mm:ss.00", 0.5 + 1.234 / 86400), ("mm:ss", 90.0 / 86400), ("h:mm AM/PM", HALF_PAST),
    ("h:mm AM/PM", 0.5 + 5.0 / 1440), ("hh am/pm", 0.75), ("h a/p", 0.25), ("[h]:mm", 1.5),
    ("[h]", 0.99), ("[mm]:ss", 1.0 / 24 + 5.0 / 86400), ("[s]", 0.5),
    ("yyyy-mm-dd hh:mm", DEC_8_2026 + 0.5), ("yy", 61), ("dd.mm.yyyy", 61),
]

# Fractions: every mask with every value (whole parts, improper fractions, fixed denominators,
# the placeholders' padding, signs, rounding to the nearest numerator).
FRACTION_MASKS = [
    "# ?/?", "# ??/??", "# ???/???", "?/?", "??/??", "# ?/2", "# ?/4", "# ?/8", "# ??/16", "# ?/10",
    "# ??/100", "?/8", "0 ?/?", "#,##0 ?/?", "# #/#", "0 #/#", "# 0/0", "0/0", "# 00/00", "# ?0/?0",
    "# ?/#", '# ?/? "in"', "# ?/?;(# ?/?)", "[Red]# ?/?",
]
FRACTION_VALUES = [2.5, 0, 0.5, -2.5, 3, 0.333333333, 1.75, 1.3125, 123.456, -0.125, 0.001, 3.14159265, 0.99,
                   2.0001, 1234567.25, 0.0625, 0.375, 0.625]
CASES += [(mask, value) for mask in FRACTION_MASKS for value in FRACTION_VALUES]

# Texts we give on purpose where LibreOffice differs: (mask, value) -> (ours, why).
DECISIONS = {
    ("0.##", 2): ("2.", "the decimal point stands also with no digits after it; LibreOffice drops it"),
    ("hh am/pm", 0.75): ("06 pm", "the marker is written in the case the format gives; LibreOffice always writes PM"),
    ("General", 0.00001): ("1E-05", "the general number text of every number-to-text conversion here: "
                                    "15 significant digits, an exponent below 1E-4"),
}


def formula(mask, value):
    return '=TEXT(%r,"%s")' % (value, mask.replace('"', '""'))


def recalculate():
    work = tempfile.mkdtemp()
    try:
        book = openpyxl.Workbook()
        sheet = book.active
        for i, (mask, value) in enumerate(CASES):
            sheet.cell(row=i + 1, column=1, value=formula(mask, value))
        src = os.path.join(work, "in.xlsx")
        book.save(src)
        out = os.path.join(work, "out")
        os.mkdir(out)
        subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(work, "profile"), "--headless",
                        "--calc", "--convert-to", "xlsx", "--outdir", out, src],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300,
                       env=dict(os.environ, LC_ALL="en_US.UTF-8", LANG="en_US.UTF-8"))
        result = openpyxl.load_workbook(os.path.join(out, "in.xlsx"), data_only=True).active
        return ["" if result.cell(row=i + 1, column=1).value is None else str(result.cell(row=i + 1, column=1).value)
                for i in range(len(CASES))]
    finally:
        shutil.rmtree(work)


def cpp(text):
    # "?" is escaped too: "??/" would read as a trigraph.
    return "u\"" + "".join(c if 32 <= ord(c) < 127 and c not in '\\"?' else
                           ("\\" + c if c in '\\"?' else "\\u%04x" % ord(c)) for c in text) + "\""


def render(texts):
    out = ["// Written by gen_mask_table.py from LibreOffice's TEXT(); do not edit.\n",
           "const TMaskCase MaskCases[] = {\n"]
    for (mask, value), theirs in zip(CASES, texts):
        ours, why = DECISIONS.get((mask, value), (theirs, ""))
        out.append(f"    {{{cpp(mask)}, {value!r}, {cpp(ours)}, {cpp(theirs)}, {cpp(why)}}},\n")
    out.append("};\n")
    return "".join(out)


def main():
    check = sys.argv[1] == "--check"
    target = sys.argv[-1]
    text = render(recalculate())
    if check:
        with open(target, encoding="utf-8") as f:
            if f.read() != text:
                print(target + " is not what LibreOffice gives now; run gen_mask_table.py to refresh it")
                return 1
        return 0
    with open(target, "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
