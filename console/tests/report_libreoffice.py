#!/usr/bin/python3
"""What LibreOffice reads in a history report workbook written by the console: the committed
report_two_sheets.xls (a report of 6 records at 4 to a sheet) converted to .xlsx by LibreOffice
headless and read with openpyxl. It checks that LibreOffice finds the merged title, the six
summary formulas with the values the data rows give, the rows, and a line chart whose two series
cover the data rows, then writes the table of what it read (with --check: compares it with the
committed table)."""
import os
import shutil
import sys
import tempfile

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "workbook", "formula", "tests"))
from fixture_file import write_or_check  # noqa: E402
from spreadsheet_oracle import libreoffice_recalc  # noqa: E402

REPORT = os.path.join(HERE, "report_two_sheets.xls")
HEADER_ROWS = 28  # the data rows start below the column heads of row 28


def shown(value):
    """A number as a text join shows it."""
    return "%.15g" % value


def expected_summary(temperatures, humidities):
    """The six formulas' results, by cell, computed from the data rows."""
    return {
        "A5": "    温度平均值:" + shown(round(sum(temperatures) / len(temperatures), 2)),
        "D5": "    湿度平均值:" + shown(round(sum(humidities) / len(humidities), 2)),
        "A6": "    温度最小值:" + shown(min(temperatures)),
        "D6": "    湿度最小值:" + shown(min(humidities)),
        "A7": "    温度最大值:" + shown(max(temperatures)),
        "D7": "    湿度最大值:" + shown(max(humidities)),
    }


def reference(ref):
    return None if ref is None else ref.f


def chart_lines(chart):
    lines = ["  chart %s, legend %s, anchored at %s" % (
        chart.tagname, "yes" if chart.legend is not None else "no", chart.anchor._from.row + 1)]
    for s in chart.series:
        name = reference(s.tx.strRef) if s.tx is not None else None
        values = reference(s.val.numRef) if s.val is not None else None
        category = None
        if s.cat is not None:
            category = reference(s.cat.numRef) or reference(s.cat.strRef)
        lines.append("  series name %s values %s categories %s" % (name, values, category))
    return lines


def sheet_lines(formulas, values, faults):
    name = values.title
    last = values.max_row
    lines = ["sheet %s: rows %d, merged %s" % (name, last, " ".join(sorted(str(r) for r in values.merged_cells.ranges)))]
    for row in range(1, HEADER_ROWS + 1):
        for col in "ABCD":
            cell = col + str(row)
            value, formula = values[cell].value, formulas[cell].value
            if value is None:
                continue
            text = "  %s %r" % (cell, value)
            if isinstance(formula, str) and formula.startswith("="):
                text += " from " + formula
            lines.append(text)
    temperatures, humidities = [], []
    for row in range(HEADER_ROWS + 1, last + 1):
        cells = [values[col + str(row)].value for col in "ABCD"]
        temperatures.append(cells[1])
        humidities.append(cells[2])
        lines.append("  row %d %r" % (row, cells))
    if temperatures:
        for cell, text in expected_summary(temperatures, humidities).items():
            if values[cell].value != text:
                faults.append("%s!%s: LibreOffice has %r, the rows give %r" % (name, cell, values[cell].value, text))
    charts = values._charts
    for chart in charts:
        lines += chart_lines(chart)
        ranges = {"$%s$%d:$%s$%d" % (c, HEADER_ROWS + 1, c, last) for c in "BCD"}
        for s in chart.series:
            if s.val is None or s.val.numRef is None or s.val.numRef.f.split("!")[-1] not in ranges:
                faults.append("%s: a series does not cover the data rows" % name)
    if temperatures and len(charts) != 1:
        faults.append("%s: %d charts" % (name, len(charts)))
    return lines


def main(argv):
    work = tempfile.mkdtemp()
    try:
        # LibreOffice names its .xlsx after the .xls it converted.
        converted = os.path.splitext(libreoffice_recalc(REPORT, work))[0] + ".xlsx"
        formulas = openpyxl.load_workbook(converted)
        values = openpyxl.load_workbook(converted, data_only=True)
        faults, lines = [], []
        for sheet in values.worksheets:
            lines += sheet_lines(formulas[sheet.title], sheet, faults)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if faults:
        sys.exit("\n".join(faults))
    write_or_check("\n".join(lines) + "\n", argv)


if __name__ == "__main__":
    main(sys.argv)
