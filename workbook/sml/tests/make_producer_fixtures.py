#!/usr/bin/python3
"""Workbooks written by programs nobody here wrote, for the styles and shared-string checks.

openpyxl.xlsx is made with openpyxl (many fonts, fills, borders, number formats, alignments,
protections, named styles, a differential format, Chinese texts); xlsxwriter.xlsx by a small
C program over libxlsxwriter (rich text among others); libreoffice.xlsx and gnumeric.xlsx are what LibreOffice
(soffice --convert-to xlsx) and gnumeric (ssconvert) make of openpyxl.xlsx.

    make_producer_fixtures.py FOLDER            writes the fixtures into FOLDER
    make_producer_fixtures.py --check FOLDER    makes them again in a temporary folder and fails
                                                unless the styles and shared-string parts equal
                                                the committed ones (canonical XML)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import lxml.etree as etree
import openpyxl
from openpyxl.formatting.rule import CellIsRule
from openpyxl.styles import Alignment, Border, Font, GradientFill, NamedStyle, PatternFill, Protection, Side
from openpyxl.styles.differential import DifferentialStyle

PARTS = ('xl/styles.xml', 'xl/sharedStrings.xml')

XLSXWRITER_PROGRAM = r'''
#include <xlsxwriter.h>
int main(int argc, char** argv) {
    lxw_workbook* wb = workbook_new(argv[1]);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "数据");
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    format_set_font_color(bold, 0xFFFFFF);
    format_set_bg_color(bold, 0x1F4E78);
    format_set_border(bold, LXW_BORDER_MEDIUM_DASHED);
    lxw_format* num = workbook_add_format(wb);
    format_set_num_format(num, "0.0\"℃\"");
    format_set_underline(num, LXW_UNDERLINE_SINGLE);
    format_set_align(num, LXW_ALIGN_CENTER);
    format_set_text_wrap(num);
    format_set_unlocked(num);
    lxw_format* italic = workbook_add_format(wb);
    format_set_italic(italic);
    format_set_font_name(italic, "宋体");
    format_set_pattern(italic, LXW_PATTERN_GRAY_125);
    format_set_diag_type(italic, LXW_DIAGONAL_BORDER_UP_DOWN);
    format_set_diag_border(italic, LXW_BORDER_THIN);
    worksheet_write_string(ws, 0, 0, "温度", bold);
    worksheet_write_string(ws, 0, 1, " 湿度 ", italic);
    worksheet_write_number(ws, 1, 0, 21.5, num);
    lxw_format* red = workbook_add_format(wb);
    format_set_font_color(red, LXW_COLOR_RED);
    lxw_rich_string_tuple f1 = {.format = NULL, .string = "plain "};
    lxw_rich_string_tuple f2 = {.format = red, .string = "红色"};
    lxw_rich_string_tuple f3 = {.format = bold, .string = " bold"};
    lxw_rich_string_tuple* rich[] = {&f1, &f2, &f3, NULL};
    worksheet_write_rich_string(ws, 2, 0, rich, NULL);
    worksheet_write_string(ws, 3, 0, "line\nbreak", NULL);
    return workbook_close(wb);
}
'''


def make_openpyxl(path):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = '记录'
    thin, thick = Side(style='thin', color='FF000000'), Side(style='thick', color='FFFFFFFF')
    styles = [
        dict(font=Font(name='宋体', size=12, bold=True, color='FFFFFFFF'),
             fill=PatternFill('solid', fgColor='FFFFFFFF')),
        dict(font=Font(italic=True, underline='single', strike=True, vertAlign='superscript'),
             border=Border(left=thin, right=thick, top=Side(style='dashDot'), bottom=Side(style='double'),
                           diagonal=thin, diagonalUp=True)),
        dict(font=Font(underline='double', color='FF00FF00', charset=134, family=2, scheme='minor'),
             fill=PatternFill('darkTrellis', fgColor='FF112233', bgColor='FFFFFF00'),
             number_format='0.00"℃"'),
        dict(fill=GradientFill(degree=90, stop=('FFFFFFFF', 'FF4472C4')),
             alignment=Alignment(horizontal='centerContinuous', vertical='top', wrap_text=True, text_rotation=45,
                                 indent=2, shrink_to_fit=True),
             number_format='yyyy-mm-dd hh:mm'),
        dict(protection=Protection(locked=False, hidden=True), number_format='#,##0.000;[Red]-#,##0.000',
             alignment=Alignment(horizontal='right', readingOrder=2)),
        dict(font=Font(color='FF0000FF', sz=9), number_format='@'),
    ]
    for row, style in enumerate(styles, 1):
        cell = ws.cell(row=row, column=1, value='样式 %d' % row)
        for key, value in style.items():
            setattr(cell, key, value)
        ws.cell(row=row, column=2, value=row * 1.5).number_format = style.get('number_format', 'General')
    named = NamedStyle(name='温度标题')
    named.font = Font(bold=True, size=14, color='FFFFFFFF')
    named.fill = PatternFill('solid', fgColor='FF1F4E78')
    wb.add_named_style(named)
    ws['C1'].style = '温度标题'
    ws['C2'].style = 'Good'
    ws['C3'].value = '普通文本'
    ws['C4'].value = ' leading and trailing '
    ws['C5'].value = 'line\nbreak'
    dxf = DifferentialStyle(font=Font(bold=True, color='FF9C0006'), fill=PatternFill(bgColor='FFFFC7CE'))
    ws.conditional_formatting.add('B1:B6', CellIsRule(operator='greaterThan', formula=['3'], font=dxf.font,
                                                      fill=dxf.fill))
    wb.save(path)


def make_xlsxwriter(path, work):
    source = os.path.join(work, 'xlsxwriter_fixture.c')
    program = os.path.join(work, 'xlsxwriter_fixture')
    with open(source, 'w', encoding='utf-8') as f:
        f.write(XLSXWRITER_PROGRAM)
    subprocess.run(['cc', '-o', program, source, '-lxlsxwriter'], check=True)
    subprocess.run([program, path], check=True)


def convert(tool, source, target, work):
    if tool == 'libreoffice':
        out = os.path.join(work, 'lo')
        os.makedirs(out, exist_ok=True)
        subprocess.run(['soffice', '-env:UserInstallation=file://' + os.path.join(work, 'profile'), '--headless',
                        '--convert-to', 'xlsx', '--outdir', out, source], check=True, capture_output=True)
        shutil.move(os.path.join(out, os.path.splitext(os.path.basename(source))[0] + '.xlsx'), target)
    else:
        subprocess.run(['ssconvert', source, target], check=True, capture_output=True)


def make_all(folder):
    os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        make_openpyxl(os.path.join(folder, 'openpyxl.xlsx'))
        make_xlsxwriter(os.path.join(folder, 'xlsxwriter.xlsx'), work)
        source = os.path.join(work, 'source.xlsx')
        shutil.copy(os.path.join(folder, 'openpyxl.xlsx'), source)
        convert('libreoffice', source, os.path.join(folder, 'libreoffice.xlsx'), work)
        convert('gnumeric', source, os.path.join(folder, 'gnumeric.xlsx'), work)


def canonical_parts(path):
    result = {}
    with zipfile.ZipFile(path) as z:
        for part in PARTS:
            if part in z.namelist():
                result[part] = etree.tostring(etree.fromstring(z.read(part)), method='c14n')
    return result


def main():
    args = sys.argv[1:]
    check = args[:1] == ['--check']
    if check:
        args = args[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    folder = args[0]
    if not check:
        make_all(folder)
        return
    with tempfile.TemporaryDirectory() as fresh:
        make_all(fresh)
        failed = False
        for name in sorted(os.listdir(folder)):
            if canonical_parts(os.path.join(folder, name)) != canonical_parts(os.path.join(fresh, name)):
                print('%s: its styles or shared strings differ when made again' % name)
                failed = True
        sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
