#include "workbook/biff/chart/tests/report_workbook.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/biff/chart/tests/chart_test_support.h"

namespace xls::testing {

TReportWorkbook::TReportWorkbook() { AttachDrawingLayer(*Book.Document); }

void TReportWorkbook::FillRows(int rows) {
    TXLSCellMMU& cells = Book.Cells(0);
    // The console's column widths, which give the chart over columns A to E its size.
    for (int c = 0; c < 4; ++c) {
        TXc12Column* col = Book.Sheet(0).cols.Add(nullptr);
        col->min = col->max = c;
        col->width = c == 3 ? 8800 : 4400;
    }
    const char16_t* heads[4] = {u"序号", u"温度", u"湿度", u"记录时间"};
    for (int c = 0; c < 4; ++c) cells.StoreString(c, 27, 0, heads[c]);
    char text[64];
    for (int r = 0; r < rows; ++r) {
        cells.StoreFloat(0, 28 + r, 0, r + 1);
        cells.StoreFloat(1, 28 + r, 0, (200 + r % 100) / 10.0);
        cells.StoreFloat(2, 28 + r, 0, (500 + r % 300) / 10.0);
        std::snprintf(text, sizeof text, "2026-%.2d-%.2d %.2d:%.2d:00", 1 + r / 2880 % 12, 1 + r / 96 % 28, r / 4 % 24,
                      r % 4 * 15);
        cells.StoreString(3, 28 + r, 0, base::Utf8ToUtf16(text));
    }
}

TDrwChart& TReportWorkbook::AddReportChart(int lastRow) {
    TSheet& sheet = Book.Document->GetSheet(0);
    sheet.Charts().Clear();
    TDrwChart& chart = sheet.AddChart();
    chart.Anchor().SetCol1(0);
    chart.Anchor().SetRow1(9);
    chart.Anchor().SetCol2(4);
    chart.Anchor().SetRow2(26);
    SetReportChart(chart, 1, lastRow);
    return chart;
}

void TReportWorkbook::Write(const std::string& path) {
    Book.Document->SetFilename(path);
    Book.Document->Write();
}

}  // namespace xls::testing
