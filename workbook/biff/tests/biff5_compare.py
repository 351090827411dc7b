#!/usr/bin/python3
"""Compares what python3-xlrd and, where it is installed, LibreOffice read from a BIFF5 workbook
and from the same workbook as the writer wrote it back.

    biff5_compare.py ORIGINAL WRITTEN

xlrd: the version of the file written (it must be 50), then the sheets, cells, cell formats,
names, column and row facts of both files (xlrd_dump.py). LibreOffice: both files converted to
.xlsx, then per cell its value, formula, number format, font and alignment, and the defined
names. A row record the written file has and the file read had not is no difference (the writer
writes one for every row). Prints the facts that differ and exits with 1 when any do; prints the readers it asked."""
import os
import re
import subprocess
import sys
import tempfile

import openpyxl

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xlrd_dump  # noqa: E402


def xlrd_facts(path):
    """The dump's lines less the version; a fill colour 65 (window background) reads as 64: both
    are the automatic colour, and the model keeps no difference between them."""
    out = []
    for line in xlrd_dump.facts(path):
        if line.startswith("version "):
            continue
        if line.startswith("xf "):
            line = re.sub(r" fill=(\d+),65,", r" fill=\1,64,", line)
        out.append(line)
    return out


def rowinfo_key(line):
    return tuple(line.split()[1:3])


def without_default_rows(original, written):
    """The written facts less the ROW records of rows that the original file gave none: the
    writer gives every row that holds cells a ROW record at the sheet's default height."""
    rows = {rowinfo_key(line) for line in original if line.startswith("rowinfo ")}
    return [line for line in written if not line.startswith("rowinfo ") or rowinfo_key(line) in rows]


def office_facts(path, work):
    out_dir = os.path.join(work, os.path.basename(path) + ".out")
    profile = "file://" + os.path.join(work, "profile")
    result = subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "xlsx",
                             "--outdir", out_dir, path], capture_output=True, text=True, timeout=240)
    xlsx = os.path.join(out_dir, os.path.splitext(os.path.basename(path))[0] + ".xlsx")
    if result.returncode != 0 or not os.path.exists(xlsx):
        raise RuntimeError("LibreOffice did not convert %s: %s %s" % (path, result.stdout, result.stderr))
    formulas = openpyxl.load_workbook(xlsx)
    values = openpyxl.load_workbook(xlsx, data_only=True)
    facts = ["name %s %s" % (name, formulas.defined_names[name].attr_text) for name in formulas.defined_names]
    for sheet in formulas.worksheets:
        facts.append("sheet %s" % sheet.title)
        for row in sheet.iter_rows():
            for cell in row:
                if cell.value is None:
                    continue
                value = values[sheet.title][cell.coordinate].value
                font = cell.font
                facts.append("cell %s!%s %r %r fmt=%s font=%s,%s,%s,%s align=%s,%s,%s" % (
                    sheet.title, cell.coordinate, cell.value, value, cell.number_format, font.name, font.sz,
                    font.b, font.i, cell.alignment.horizontal, cell.alignment.vertical, cell.alignment.wrap_text))
    return facts


def differences(reader, original, written):
    lost = [line for line in original if line not in written]
    # The writer gives every row a ROW record: a row the file left to the default height gets one.
    added = [line for line in written if line not in original and not line.startswith("rowinfo ")]
    return ["%s lost: %s" % (reader, line) for line in lost] + ["%s added: %s" % (reader, line) for line in added]


def main(original, written):
    problems = []
    version = xlrd_dump.facts(written)[0]
    print("xlrd " + version)
    # xlrd tells BIFF5 from BIFF7 by the build and year of the BOF alone: both are the same format.
    if not version.startswith(("version biff=50 ", "version biff=70 ")):
        problems.append("xlrd reads no BIFF5 file: " + version)
    before = xlrd_facts(original)
    problems += differences("xlrd", before, without_default_rows(before, xlrd_facts(written)))
    if subprocess.run(["sh", "-c", "command -v soffice"], capture_output=True).returncode == 0:
        with tempfile.TemporaryDirectory() as work:
            office = [office_facts(original, work), office_facts(written, work)]
        print("libreoffice %d facts" % len(office[0]))
        problems += differences("libreoffice", office[0], office[1])
    else:
        print("libreoffice not installed")
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
