"""What the oracle-table generators share: the data sheet and the formulas written with openpyxl
(no cached values), recalculation by LibreOffice headless and by gnumeric, and the C++ text of
the results."""
import os
import subprocess

import openpyxl

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
