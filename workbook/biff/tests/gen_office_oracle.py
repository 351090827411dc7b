#!/usr/bin/python3
"""Writes office_oracle.txt: what LibreOffice and gnumeric make of the writer's report block.

The block is written by the xls_biff_write_sample tool. LibreOffice converts it to .xlsx, where
openpyxl reads the formulas and styles LibreOffice understood; the formulas are then saved
without cached values and LibreOffice recalculates them into CSV. gnumeric's ssconvert
recalculates the .xls itself and must not print any warning. Every recalculated value must equal
the cached value the writer stored (read with xlrd); the table keeps the values and styles so
that the tests compare later files with them where the office programs are not installed.

Usage: gen_office_oracle.py TOOL OUT.txt            writes the table
       gen_office_oracle.py TOOL --check OUT.txt    fails when the programs now give another table
"""
import csv
import os
import subprocess
import sys
import tempfile

import openpyxl
import xlrd


def cached_values(path):
    book = xlrd.open_workbook(path)
    values = {}
    for s in range(book.nsheets):
        sheet = book.sheet_by_index(s)
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_TEXT):
                    values[(s, r, c)] = cell.value
    return values


def same(cached, text):
    if isinstance(cached, float):
        try:
            return abs(float(text) - cached) < 1e-9
        except ValueError:
            return False
    return cached == text


def read_csvs(paths):
    result = {}
    for s, path in enumerate(paths):
        with open(path, encoding="utf-8", newline="") as f:
            for r, row in enumerate(csv.reader(f)):
                for c, text in enumerate(row):
                    if text != "":
                        result[(s, r, c)] = text
    return result


def soffice(source, target_filter, outdir):
    subprocess.run(["soffice", "--headless", "--norestore", "-env:UserInstallation=file://" + outdir + "/profile",
                    "--convert-to", target_filter, "--outdir", outdir, source],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def build(tool):
    lines = []
    with tempfile.TemporaryDirectory() as tmp:
        xls = os.path.join(tmp, "book.xls")
        subprocess.run([tool, xls], check=True)
        cached = cached_values(xls)

        soffice(xls, "xlsx", tmp)
        book = openpyxl.load_workbook(os.path.join(tmp, "book.xlsx"))
        for s, sheet in enumerate(book.worksheets):
            lines.append("libreoffice sheet %d %s" % (s, sheet.title))
            for merged in sorted(str(m) for m in sheet.merged_cells.ranges):
                lines.append("libreoffice merged %d %s" % (s, merged))
            for key in sorted(sheet.column_dimensions):
                width = sheet.column_dimensions[key].width
                if width:
                    lines.append("libreoffice width %d %s %.2f" % (s, key, width))
            for row in sheet.iter_rows():
                for cell in row:
                    if cell.value is None:
                        continue
                    f = cell.font
                    fill = cell.fill.fgColor.rgb if cell.fill.fill_type else "none"
                    # The font name is left out: LibreOffice puts the face it substitutes for a missing
                    # one into the file, which depends on the fonts installed.
                    lines.append("libreoffice style %d %s font=%s,%s fill=%s border=%s,%s align=%s,%s" % (
                        s, cell.coordinate, f.sz, f.b, fill, cell.border.left.style, cell.border.top.style,
                        cell.alignment.horizontal, cell.alignment.vertical))
                    if isinstance(cell.value, str) and cell.value.startswith("="):
                        lines.append("libreoffice formula %d %s %s" % (s, cell.coordinate, cell.value))
        # Without cached values LibreOffice computes every formula when it loads the file.
        book.save(os.path.join(tmp, "nocache.xlsx"))
        soffice(os.path.join(tmp, "nocache.xlsx"),
                'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1', tmp)
        titles = [sheet.title for sheet in book.worksheets]
        values = read_csvs([os.path.join(tmp, "nocache-%s.csv" % title) for title in titles])
        for key in sorted(values):
            if key in cached and not same(cached[key], values[key]):
                sys.exit("libreoffice computes %s for %s, the file holds %r" % (values[key], key, cached[key]))
            lines.append("libreoffice value %d %d %d %s" % (key[0], key[1], key[2], values[key]))

        run = subprocess.run(["ssconvert", "-S", "--recalc", xls, os.path.join(tmp, "gnumeric-%n.csv")],
                             capture_output=True, text=True)
        if run.returncode != 0 or run.stderr.strip():
            sys.exit("ssconvert: %s" % (run.stderr or run.returncode))
        values = read_csvs([os.path.join(tmp, "gnumeric-%d.csv" % s) for s in range(len(titles))])
        for key in sorted(values):
            if key in cached and not same(cached[key], values[key]):
                sys.exit("gnumeric computes %s for %s, the file holds %r" % (values[key], key, cached[key]))
            lines.append("gnumeric value %d %d %d %s" % (key[0], key[1], key[2], values[key]))
    return "\n".join(lines) + "\n"


def main():
    args = sys.argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    tool, out = args
    text = build(tool)
    if check:
        with open(out, encoding="utf-8") as f:
            if f.read() != text:
                sys.exit("%s is out of date: the office programs now read the block differently" % out)
        return
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
