#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/tests/biff_test_workbook.h"

namespace xls::testing {

// The console's report workbook as the library's own BIFF8 writer writes it, with the sheet's
// drawing and its chart made through the document's drawing layer.
class TReportWorkbook {
public:
    TReportWorkbook();

    // The report's table: the column heads on row 28, then rows of number, temperature,
    // humidity and time text (the console's layout from row 29 on).
    void FillRows(int rows);
    // What every report does to the sheet's chart: the charts cleared, the console's chart over
    // rows 29 to lastRow added and anchored from A10 to E27.
    TDrwChart& AddReportChart(int lastRow);
    int ChartShapeCount() const { return Book.Document->GetSheet(0).EscherDrawing->ShapeCount(); }

    // Writes the file (a compound file with its Workbook stream).
    void Write(const std::string& path);
    std::vector<uint8_t> WriteStream() { return Book.WriteStream(); }

    test::TBIFFTestWorkbook Book;
};

}  // namespace xls::testing
