#!/usr/bin/python3
"""Makes the .xls files the reader's differential tests read, with producers other than ours:
python3-xlwt and perl's Spreadsheet::WriteExcel directly, and LibreOffice and gnumeric from one
.xlsx source written by openpyxl (LibreOffice: BIFF8; gnumeric: BIFF8 and BIFF7).

    gen_read_fixtures.py OUTDIR           writes the fixtures
    gen_read_fixtures.py --check OUTDIR   makes them again in a temporary folder and checks that
                                          python3-xlrd reads the same from both (the office
                                          programs stamp dates, so the bytes differ)
"""
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl
import xlwt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xlrd_read_dump  # noqa: E402


def make_xlwt(path):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("数据")
    bold = xlwt.easyxf("font: bold on, colour red; align: wrap on, vert centre, horiz center")
    sheet.write_merge(0, 0, 0, 3, "温湿度历史记录报表", bold)
    formats = ["0.00", "#,##0", "0%", "yyyy-mm-dd hh:mm:ss", "0.00E+00", '"¥"#,##0.00', "@", "h:mm AM/PM"]
    for i, fmt in enumerate(formats):
        sheet.write(1 + i, 0, 1234.5678 + i, xlwt.easyxf(num_format_str=fmt))
        sheet.write(1 + i, 1, "格式 %s" % fmt)
    values = [0, 1, -1, 65535, 2 ** 31, -2 ** 31 - 1, 0.1, 1e-300, 1e300, 3.141592653589793, 25.3, -0.5]
    for i, v in enumerate(values):
        sheet.write(10 + i, 2, v)
    sheet.write(10, 3, True)
    sheet.write(11, 3, False)
    sheet.write(12, 3, xlwt.Formula("C11+C12"))
    sheet.write(13, 3, xlwt.Formula('"a"&"b"'))
    sheet.write(14, 3, xlwt.Formula("SUM(C11:C22)"))
    sheet.write(15, 3, xlwt.Formula("1/0"))
    sheet.write(16, 3, "")
    sheet.col(0).width = 5000
    sheet.col(1).width = 9000
    sheet.col(5).hidden = True
    sheet.row(0).height_mismatch = True
    sheet.row(0).height = 800
    sheet.row(3).hidden = True
    # Enough distinct texts to spread the shared strings over CONTINUE records.
    other = book.add_sheet("Many")
    for i in range(3000):
        other.write(i // 10, i % 10, ("项目 %d " % i) * (1 + i % 7))
    other.write(301, 0, "长" * 9000)
    other.write(302, 0, "x" * 9000)
    book.add_sheet("Empty")
    book.save(path)


# Spreadsheet::WriteExcel: formats, merges, formulas with their cached results, UTF-16 and long
# texts, widths and heights, a hidden row and column, and a second sheet.
PERL = r"""
use strict;
use utf8;
use Spreadsheet::WriteExcel;
my $book = Spreadsheet::WriteExcel->new($ARGV[0]);
my $sheet = $book->add_worksheet('Messwerte');
my $bold = $book->add_format(bold => 1, align => 'center', bg_color => 'yellow', border => 1);
my $merge = $book->add_format(bold => 1, align => 'center', valign => 'vcenter');
$sheet->merge_range('A1:E1', '温湿度 Ombrix report', $merge);
my @formats = ('0.00', '#,##0', '0%', 'yyyy-mm-dd hh:mm', '0.00E+00', '@');
for my $i (0 .. $#formats) {
    $sheet->write_number($i + 1, 0, 20.5 + $i * 1.25, $book->add_format(num_format => $formats[$i]));
    $sheet->write_string($i + 1, 1, "Kanal $i äöü", $bold);
}
my @values = (0, 1, -1, 65536, 2 ** 31, 0.1, 1e-300, 1e300, 3.14159265358979, -273.15);
for my $i (0 .. $#values) { $sheet->write_number(8 + $i, 2, $values[$i]); }
$sheet->write_formula(8, 3, '=C9+C10', undef, 1);
$sheet->write_formula(9, 3, '=SUM(C9:C18)', undef, 65537.14);
$sheet->write_formula(10, 3, '="a"&"b"', undef, 'ab');
$sheet->write_formula(11, 3, '=C9>C10', undef, 'FALSE');
$sheet->write_utf16be_string(12, 3, pack('n*', 0x6E29, 0x5EA6, 0x0020, 0x0041));
$sheet->write_string(13, 3, 'x' x 300);
$sheet->write_blank(14, 3, $bold);
$sheet->write_string(15, 3, "line
break");
$sheet->set_column('A:A', 18);
$sheet->set_column('B:B', 30);
$sheet->set_column('F:F', undef, undef, 1);
$sheet->set_row(0, 30);
$sheet->set_row(4, undef, undef, 1);
my $other = $book->add_worksheet('Zweite');
for my $r (0 .. 199) {
    for my $c (0 .. 4) { $other->write($r, $c, $c == 0 ? "Zeile $r" : $r * 10 + $c); }
}
$book->close();
"""


def make_writeexcel(path):
    subprocess.run(["perl", "-e", PERL, path], check=True, capture_output=True, timeout=120)


def make_xlsx(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Report"
    sheet["A1"] = "温湿度历史记录报表"
    sheet.merge_cells("A1:D1")
    sheet.merge_cells("B3:C4")
    for r in range(5, 25):
        sheet.cell(row=r, column=1, value=r * 1.5)
        sheet.cell(row=r, column=2, value="行 %d" % r)
        sheet.cell(row=r, column=3, value="=A%d*2" % r)
    sheet["D5"] = "=SUM(A5:A24)"
    sheet["D6"] = '=CONCATENATE("平均", ROUND(AVERAGE(A5:A24),2))'
    sheet["D7"] = "=A5>3"
    sheet["D8"] = "=1/0"
    sheet["D9"] = '=IF(A5>100,"big","")'
    sheet["E5"] = True
    sheet["E6"] = 0.1
    sheet["E6"].number_format = "0.00%"
    sheet["E7"] = 44000.25
    sheet["E7"].number_format = "yyyy-mm-dd hh:mm"
    sheet["E8"] = 1234567.891
    sheet["E8"].number_format = "#,##0.00"
    sheet.column_dimensions["A"].width = 20
    sheet.column_dimensions["B"].width = 35
    sheet.row_dimensions[2].height = 30
    second = book.create_sheet("第二页")
    second["A1"] = "=Report!A5+1"
    second["A2"] = "text"
    second["B2"] = -7
    book.save(path)


def convert(tool, source, target, outdir):
    if tool == "soffice":
        profile = tempfile.mkdtemp(prefix="lo-profile-")
        try:
            subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--convert-to",
                            "xls:MS Excel 97", "--outdir", outdir, source], check=True, capture_output=True,
                           timeout=180)
        finally:
            shutil.rmtree(profile, ignore_errors=True)
        os.replace(os.path.join(outdir, os.path.splitext(os.path.basename(source))[0] + ".xls"), target)
    else:
        subprocess.run(["ssconvert", "-T", tool, source, target], check=True, capture_output=True, timeout=180)


def make_all(outdir):
    make_xlwt(os.path.join(outdir, "xlwt.xls"))
    make_writeexcel(os.path.join(outdir, "writeexcel.xls"))
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "office.xlsx")
        make_xlsx(source)
        convert("soffice", source, os.path.join(outdir, "libreoffice.xls"), tmp)
        convert("Gnumeric_Excel:excel_biff8", source, os.path.join(outdir, "gnumeric_biff8.xls"), tmp)
        convert("Gnumeric_Excel:excel_biff7", source, os.path.join(outdir, "gnumeric_biff7.xls"), tmp)


def main(argv):
    if argv[0] == "--check":
        outdir = argv[1]
        with tempfile.TemporaryDirectory() as tmp:
            make_all(tmp)
            failed = False
            for name in sorted(os.listdir(tmp)):
                fresh = xlrd_read_dump.dump(os.path.join(tmp, name))
                kept = xlrd_read_dump.dump(os.path.join(outdir, name))
                if fresh != kept:
                    print("%s: xlrd reads something else from a fresh copy" % name)
                    failed = True
            return 1 if failed else 0
    make_all(argv[0])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
