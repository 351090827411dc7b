#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/biff/chart/chart_host.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/tests/biff_test_workbook.h"

namespace xls::testing {

// The console's report workbook as the library's own BIFF8 writer writes it, with the sheet's
// drawing and its chart: the workbook side of the charts is the document's font list and
// formula handler, the chart's tree is the substream of a chart shape in the sheet's drawing,
// and the drawing and the drawing group are the parts the writer writes.
class TReportWorkbook : public TChartWorkbook, public TChartOwner, public TChartSheetDrawing {
public:
    TReportWorkbook();
    ~TReportWorkbook() override;

    // The report's table: the column heads on row 28, then rows of number, temperature,
    // humidity and time text (the console's layout from row 29 on).
    void FillRows(int rows);
    // What every report does to the sheet's chart: the charts cleared, the console's chart over
    // rows 29 to lastRow added and anchored from A10 to E27.
    TDrwChart& AddReportChart(int lastRow);
    int ChartShapeCount() const { return Drawing_->ShapeCount(); }

    // Writes the file (a compound file with its Workbook stream).
    void Write(const std::string& path);
    std::vector<uint8_t> WriteStream() { return Book.WriteStream(); }

    TXc12Fonts& Fonts() override;
    int FontFileIndex(const TXc12Font& font) override;
    TXc12Font& FontAtFileIndex(int index) override;
    void UseSheet(int sheetIndex) override;
    int EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) override;
    std::u16string DecodeFormula(std::span<const uint8_t> tokens) override;

    TChartWorkbook& Workbook() override { return *this; }
    // The charts made here hold no drawing of their own.
    bool HoldsDrawing() const override { return false; }
    void ReadDrawing(TXLSStream& stream, uint16_t length) override;
    void WriteDrawing(TXLSStream& stream) override;

    TChartRecord& AddChartShape() override;
    void DeleteChartShape(TChartRecord& root) override;

    test::TBIFFTestWorkbook Book;

private:
    // The document owns both as the parts its writer writes.
    TEscherGroup* Group_ = nullptr;
    TEscherDrawing* Drawing_ = nullptr;
    TDrwCharts Charts_;
    TShapeClientAnchor* LastChartShape_ = nullptr;
};

}  // namespace xls::testing
