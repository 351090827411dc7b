"""What the oracle-table generators share: the data sheet and the formulas written with openpyxl
(no cached values), recalculation by LibreOffice headless and by gnumeric, and the C++ text of
the results."""
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

from fixture_file import write_or_check

ERRORS = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"}


def write_book(path, data, formulas, column):
    """data: (column, row, value), 0-based; formulas (with their "=") one a row in column."""
    book = openpyxl.Workbook()
    sheet = book.active
    for col, row, value in data:
        sheet.cell(row=row + 1, column=col + 1, value=value)
    for i, f in enumerate(formulas):
        sheet.cell(row=i + 1, column=column, value=f)
    book.save(path)


def read_column(path, column, count):
    sheet = openpyxl.load_workbook(path, data_only=True).active
    return [sheet.cell(row=i + 1, column=column).value for i in range(count)]


def libreoffice_recalc(src, work):
    """The path of src as LibreOffice recalculates and saves it."""
    out = os.path.join(work, "libreoffice")
    os.mkdir(out)
    subprocess.run(["soffice", "-env:UserInstallation=file://" + os.path.join(work, "profile"), "--headless",
                    "--calc", "--convert-to", "xlsx", "--outdir", out, src],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    return os.path.join(out, os.path.basename(src))


def gnumeric_recalc(src, work):
    """The path of src as gnumeric's ssconvert recalculates and saves it."""
    out = os.path.join(work, "gnumeric.xlsx")
    subprocess.run(["ssconvert", "--recalc", src, out], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)
    return out


def show(value):
    if isinstance(value, bool):
        return "TRUE" if value else "FALSE"
    if isinstance(value, (int, float)):
        return "N:" + repr(float(value))
    if value is None:
        return "N:0.0"
    if value in ERRORS:
        return value
    return '"' + value + '"'


def cpp(text):
    return "u\"" + text.replace("\\", "\\\\").replace("\"", "\\\"") + "\""


def render_data(name, data):
    """The data sheet as a C++ array of TOracleCell; a formula cell stands for its error value."""
    out = [f"const TOracleCell {name}[] = {{\n"]
    for col, row, value in data:
        if isinstance(value, str) and value.startswith("="):
            out.append(f"    {{{col}, {row}, u\"#DIV/0!\", true}},\n")
        else:
            out.append(f"    {{{col}, {row}, {cpp(show(value))}, false}},\n")
    out.append("};\n")
    return out


def _recalculate(data, formulas):
    work = tempfile.mkdtemp()
    try:
        src = os.path.join(work, "in.xlsx")
        write_book(src, data, ["=" + f for f in formulas], 8)
        return [read_column(path, 8, len(formulas))
                for path in (libreoffice_recalc(src, work), gnumeric_recalc(src, work))]
    finally:
        shutil.rmtree(work)


def _same(a, b):
    if a.startswith("N:") and b.startswith("N:"):
        x, y = float(a[2:]), float(b[2:])
        return x == y or abs(x - y) <= 1e-14 * max(1.0, abs(x), abs(y))
    return a == b


def _render(script, data, formulas, decisions, values, gnumeric):
    out = [f"// Written by {script} from LibreOffice's results; do not edit.\n"]
    out += render_data("OracleData", data)
    out.append("const TOracleCase OracleCases[] = {\n")
    disputed = []
    for f, v, g in zip(formulas, values, gnumeric):
        theirs = show(v)
        other = show(g)
        if not _same(theirs, other) and f not in decisions:
            disputed.append(f"{f}: LibreOffice {theirs}, gnumeric {other}")
        ours, why = decisions.get(f, (theirs, ""))
        out.append(f"    {{{cpp(f)}, {cpp(ours)}, {cpp(theirs)}, {cpp(other)}, {cpp(why)}}},\n")
    if disputed:
        sys.exit("LibreOffice and gnumeric disagree; decide in DECISIONS:\n" + "\n".join(disputed))
    out.append("};\n")
    return "".join(out)


def oracle_table_main(data, formulas, decisions, argv):
    """Writes (or with --check compares) the table of formulas over the data sheet: each formula in
    column H, one a row, with LibreOffice's and gnumeric's results and ours where decisions (formula
    -> (our result, why)) differ on purpose. The C++ side reads it with RunOracleTable."""
    text = _render(os.path.basename(argv[0]), data, formulas, decisions, *_recalculate(data, formulas))
    write_or_check(text, argv)
