#pragma once

// The console's history-report sheet built through the workbook interface: its layout recipe,
// record rows and the finishing of one sheet (without the chart and the file). Shared by the
// tests and the benchmark.

#include <cstdio>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/api/workbook.h"

namespace xls::report {

constexpr int FirstDataRow = 28;  // 0-based row of the first record
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Silver = 0xC0C0C0;
constexpr uint32_t Red = 255;

inline std::u16string U(const char* utf8) { return base::Utf8ToUtf16(utf8); }

inline void LayoutReportSheet(TXLSWorksheet& sheet, const std::u16string& title) {
    sheet.GetRows().GetItems(0).SetHeight(1000);
    for (int row : {1, 8, 26}) sheet.GetRows().GetItems(row).SetHeight(360);
    TXLSRange& range = sheet.Range();
    range.GetItems(u"A1:D27").SetVertAlignment(1);
    sheet.GetMergedCells().AddArea(0, 0, 3, 0);
    sheet.SetAsString(0, 0, title);
    range.GetItems(u"A1:D1").SetBorderOutlineStyle(cbsThin);
    range.GetItems(u"A1:D1").SetHorizAlignment(2);
    range.GetItems(u"A1:D2").SetFontStyle(xfsBold);
    sheet.SetAsString(0, 1, U("1.设备信息："));
    range.GetItems(u"A3:D26").SetHorizAlignment(1);
    range.GetItems(u"A2:D27").SetFontSize(9);
    range.GetItems(u"A3:D8").SetBorderOutlineStyle(cbsThin);
    range.GetItems(u"A9:D9").SetFontStyle(xfsBold);
    sheet.SetAsString(0, 8, U("2.温湿度曲线："));
    range.GetItems(u"A27:D27").SetFontStyle(xfsBold);
    sheet.SetAsString(0, 26, U("3.详细数据："));
    range.GetItems(u"A1:D27").SetFillColor(White);
    range.GetItems(u"A2:D2").SetFillColor(Silver);
    range.GetItems(u"A9:D9").SetFillColor(Silver);
    range.GetItems(u"A27:D27").SetFillColor(Silver);
    range.GetItems(u"A1:D27").SetBorderRightStyle(cbsThin);
    range.GetItems(u"A1:D27").SetBorderLeftStyle(cbsThin);
    for (int col = 0; col < 4; ++col) sheet.GetColumns().GetItems(col).SetHorizAlignment(2);
    const char* headers[] = {"序号", "温度", "湿度", "记录时间"};
    for (int col = 0; col < 4; ++col) sheet.SetAsString(col, 27, U(headers[col]));
    for (int col = 0; col < 3; ++col) sheet.GetColumns().GetItems(col).SetWidth(4400);
    sheet.GetColumns().GetItems(3).SetWidth(8800);
    range.GetItems(u"A1:D1").SetFontSize(18);
}

// Record n (1-based) at its row: number, temperature, humidity and date-time text.
inline void AddReportRow(TXLSWorksheet& sheet, int row, int number) {
    sheet.SetAsFloat(0, row, number);
    sheet.SetAsFloat(1, row, (200 + number % 150) / 10.0);
    sheet.SetAsFloat(2, row, (400 + number % 300) / 10.0);
    char text[32];
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d", 2026, 12, 1 + number % 28, number % 24,
                  number % 60, (number * 7) % 60);
    sheet.SetAsString(3, row, base::Utf8ToUtf16(text));
}

inline std::u16string Fill(const char* utf8, int value) {
    char text[128];
    std::snprintf(text, sizeof text, utf8, value);
    return base::Utf8ToUtf16(text);
}

// The six formula texts of a sheet whose last data row (1-based) is last, in the order A5, D5,
// A6, D6, A7, D7.
inline std::vector<std::u16string> ReportFormulas(int last) {
    return {Fill("\"    温度平均值:\"&ROUND(AVERAGE(B28:B%d),2)", last),
            Fill("\"    湿度平均值:\"&ROUND(AVERAGE(C28:C%d),2)", last),
            Fill("\"    温度最小值:\"&MIN(B28:B%d)", last),
            Fill("\"    湿度最小值:\"&MIN(C28:C%d)", last),
            Fill("\"    温度最大值:\"&MAX(B28:B%d)", last),
            Fill("\"    湿度最大值:\"&MAX(C28:C%d)", last)};
}

// The finishing of one sheet of a one-sheet report with records records; last is the last
// data row (1-based).
inline void FinishReportSheet(TXLSWorksheet& sheet, int records, int last) {
    sheet.SetAsString(0, 2, Fill("    设备ID:%d", 1));
    sheet.SetAsString(3, 2, Fill("    本页条数:%d", records));
    sheet.SetAsString(0, 3, U("    开始时间:2026-12-01 00:00:00"));
    sheet.SetAsString(3, 3, U("    结束时间:2026-12-02 00:00:00"));
    sheet.SetAsString(3, 2, Fill("    记录条数:%d", records));
    TXLSRange& range = sheet.Range();
    range.GetItems(u"A1:D" + Fill("%d", last)).SetFontName(U("宋体"));
    sheet.CalcDimensions();
    const std::vector<std::u16string> formulas = ReportFormulas(last);
    const int cells[6][2] = {{0, 4}, {3, 4}, {0, 5}, {3, 5}, {0, 6}, {3, 6}};
    for (int i = 0; i < 6; ++i) sheet.SetAsFormula(cells[i][0], cells[i][1], formulas[static_cast<size_t>(i)]);
    range.GetItems(u"A28:D" + Fill("%d", last));
    range.SetBorderInsideVertStyle(cbsThin);
    range.SetBorderInsideHorizStyle(cbsThin);
    range.SetBorderOutlineStyle(cbsThin);
    range.SetBorderInsideVertColor(Red);
    range.SetBorderInsideHorizColor(Red);
    range.SetBorderOutlineColor(Red);
}

// A whole one-sheet report of records records.
inline void BuildReportSheet(TXLSWorksheet& sheet, int records) {
    LayoutReportSheet(sheet, U("温湿度历史记录报表"));
    for (int n = 1; n <= records; ++n) AddReportRow(sheet, FirstDataRow + n - 1, n);
    FinishReportSheet(sheet, records, FirstDataRow + records);
}

}  // namespace xls::report
