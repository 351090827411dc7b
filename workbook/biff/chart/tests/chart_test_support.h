#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "workbook/biff/chart/chart_host.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/model/style_items.h"

namespace xls::testing {

// The workbook side of the charts for the tests: a font list in which file font f is model
// font f + 1 (model font 0 is the library's default font; file index 4 is a placeholder, as
// the reader makes it), sheets named "Sheet1".. with an EXTERNSHEET entry each as used, the
// BIFF8 encoder, and a decoder of the 3-D references that series links hold.
class TTestChartWorkbook : public TChartWorkbook {
public:
    TTestChartWorkbook();

    TXc12Fonts& Fonts() override { return Fonts_; }
    int FontFileIndex(const TXc12Font& font) override;
    TXc12Font& FontAtFileIndex(int index) override;
    void DropFont(TXc12Font& font) override;
    void UseSheet(int sheetIndex) override;
    int EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) override;
    std::u16string DecodeFormula(std::span<const uint8_t> tokens) override;

    // Adds a file font (the placeholder first when the next file index is 4).
    TXc12Font& AddFileFont(std::u16string_view name, double size);
    // EXTERNSHEET entries: the sheet index of each.
    std::vector<int> ExternSheets;

private:
    TXc12Fonts Fonts_;
    TEncodeFormula Encoder_;
};

// Owns chart trees the way a sheet's drawing does, and keeps the drawings of MsoDrawing records
// as their bytes, written back in the order they were read.
class TTestChartOwner : public TChartOwner, public TChartSheetDrawing {
public:
    explicit TTestChartOwner(TTestChartWorkbook& workbook) : Workbook_(workbook) {}

    TChartWorkbook& Workbook() override { return Workbook_; }
    bool HoldsDrawing() const override { return true; }
    void ReadDrawing(TXLSStream& stream, uint16_t length) override;
    void WriteDrawing(TXLSStream& stream) override;

    TChartRecord& AddChartShape() override;
    void DeleteChartShape(TChartRecord& root) override;

    TChartRecord& NewRoot() { return AddChartShape(); }
    int ShapeCount() const { return static_cast<int>(Roots_.size()); }
    void RewindDrawings() { NextDrawing_ = 0; }

private:
    TTestChartWorkbook& Workbook_;
    std::vector<std::unique_ptr<TChartRecord>> Roots_;
    std::vector<std::vector<uint8_t>> Drawings_;
    size_t NextDrawing_ = 0;
};

struct TRawRecord {
    uint16_t Id;
    std::vector<uint8_t> Data;
    bool operator==(const TRawRecord&) const = default;
};

// What the console does to the chart of every report sheet (sheet number, last data row): the
// charts cleared and a new chart set as SetReportChart sets it.
TDrwChart& ReportChart(TDrwCharts& charts, int sheet, int lastRow);
// The console's settings and two series on a new chart.
void SetReportChart(TDrwChart& chart, int sheet, int lastRow);

// The bytes the tree's children write.
std::vector<uint8_t> SaveBytes(TChartRecord& list, TTestChartOwner* owner = nullptr);
// Reads bytes into the list's children; the result is the count of bytes the reading consumed.
int64_t LoadBytes(TChartRecord& list, std::span<const uint8_t> bytes);
// The records of a byte stream in order.
std::vector<TRawRecord> SplitRecords(std::span<const uint8_t> bytes);
std::vector<uint8_t> JoinRecords(const std::vector<TRawRecord>& records);
// The bytes of hexadecimal text ("00 01 ...").
std::vector<uint8_t> Hex(std::string_view text);

}  // namespace xls::testing
