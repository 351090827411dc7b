#!/usr/bin/python3
"""Merged cells and data validations of every type, with input and error messages in Chinese,
through our .xls reader and writer.

openpyxl makes the workbook, LibreOffice converts it to .xls (the committed fixture), our
component reads that and writes it again, LibreOffice converts both .xls files to .xlsx, and
openpyxl must report the same merged cells and validations for both.

    gen_validation_oracle.py ROUNDTRIP OUTDIR      makes the fixture in OUTDIR
    gen_validation_oracle.py ROUNDTRIP --check DIR  checks our road with the fixture in DIR
"""
import os
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.worksheet.datavalidation import DataValidation

FIXTURE = "validations_libreoffice.xls"

VALIDATIONS = [
    ("whole", "between", "1", "10", ["A10:A20"]),
    ("decimal", "greaterThan", "0.5", None, ["B10:B20"]),
    ("list", None, '"是,否,也许"', None, ["C10:C20"]),
    ("date", "lessThanOrEqual", "45000", None, ["D10:D20"]),
    ("time", "notBetween", "0.25", "0.5", ["E10:E20"]),
    ("textLength", "equal", "5", None, ["F10:F20"]),
    ("custom", None, "MOD(G10,2)=0", None, ["G10:G20"]),
    ("list", None, "$H$1:$H$5", None, ["H10:H20", "J10:J12"]),
]


def make_source(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws["A1"] = 1
    ws.merge_cells("B2:C3")
    ws.merge_cells("E5:E9")
    for kind, op, f1, f2, refs in VALIDATIONS:
        dv = DataValidation(type=kind, operator=op, formula1=f1, formula2=f2, allow_blank=True,
                            showErrorMessage=True, showInputMessage=True,
                            errorStyle="warning" if kind == "date" else "stop",
                            promptTitle="提示", prompt="请输入" + kind, errorTitle="错误", error="不对: " + kind)
        for ref in refs:
            dv.add(ref)
        ws.add_data_validation(dv)
    wb.save(path)


def convert(path, kind, outdir):
    subprocess.run(["soffice", "--headless", "--convert-to", kind, "--outdir", outdir, path],
                   check=True, capture_output=True, timeout=300)
    return os.path.join(outdir, os.path.splitext(os.path.basename(path))[0] + "." + kind)


def describe(path):
    ws = openpyxl.load_workbook(path).active
    out = [("merged", sorted(str(r) for r in ws.merged_cells.ranges))]
    for dv in ws.data_validations.dataValidation:
        out.append((str(dv.sqref), dv.type, dv.operator, dv.formula1, dv.formula2, dv.allow_blank,
                    dv.showErrorMessage, dv.showInputMessage, dv.errorStyle, dv.promptTitle, dv.prompt,
                    dv.errorTitle, dv.error))
    return out


def main():
    args = sys.argv[1:]
    if len(args) == 3 and args[1] == "--check":
        roundtrip, fixture_dir = args[0], args[2]
    elif len(args) == 2:
        roundtrip, fixture_dir = args
    else:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory() as tmp:
        fixture = os.path.join(fixture_dir, FIXTURE)
        if len(args) == 2:
            source = os.path.join(tmp, "validations_libreoffice.xlsx")
            make_source(source)
            os.makedirs(fixture_dir, exist_ok=True)
            os.replace(convert(source, "xls", tmp), fixture)
        ours = os.path.join(tmp, "ours.xls")
        subprocess.run([roundtrip, fixture, ours], check=True, timeout=300)
        theirs_dir = os.path.join(tmp, "theirs")
        expected = describe(convert(fixture, "xlsx", theirs_dir))
        got = describe(convert(ours, "xlsx", tmp))
    if got != expected:
        for e, g in zip(expected, got):
            if e != g:
                print("expected", e, "\n     got", g)
        if len(expected) != len(got):
            print("expected", len(expected), "items, got", len(got))
        sys.exit(1)
    print("same merged cells and", len(got) - 1, "validations")


if __name__ == "__main__":
    main()
