#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "workbook/biff/chart/chart_host.h"

namespace xls {

class TChartRecord;

// A chart sheet: its record tree, written back as it was read, and the drawing over it.
class TSheetChart {
public:
    TSheetChart(TChartOwner& owner, std::u16string name, int sheetIndex);
    ~TSheetChart();

    // The sheet's position among all sheets.
    int SheetIndex() const { return SheetIndex_; }
    void SetSheetIndex(int value) { SheetIndex_ = value; }
    const std::u16string& Name() const { return Name_; }
    void SetName(std::u16string value) { Name_ = std::move(value); }
    TChartDrawing* Drawing() const { return Drawing_.get(); }
    void AddDrawing(std::unique_ptr<TChartDrawing> drawing) { Drawing_ = std::move(drawing); }
    TChartRecord& Rec() const { return *Root_; }

private:
    std::unique_ptr<TChartRecord> Root_;
    std::unique_ptr<TChartDrawing> Drawing_;
    std::u16string Name_;
    int SheetIndex_ = 0;
};

// The workbook's chart sheets. It owns their trees; an MsoDrawing record in a chart sheet's
// substream gives that sheet a drawing made by NewDrawing.
class TSheetCharts : public TChartOwner {
public:
    TSheetCharts(TChartWorkbook& workbook, std::function<std::unique_ptr<TChartDrawing>()> newDrawing);
    ~TSheetCharts() override;

    // A chart sheet read from the stream, which stands after the substream's BOF (its data is
    // bofData): the rest of the substream up to its EOF.
    TSheetChart& LoadChartSheet(TXLSStream& stream, std::u16string name, int sheetIndex,
                                std::span<const uint8_t> bofData);
    // Writes chart sheet index in the place of that sheet's substream.
    void SaveChartSheet(int index, TXLSStream& stream);
    int Count() const { return static_cast<int>(Items_.size()); }
    // Raises the list's index error outside 0..Count-1.
    TSheetChart& GetItems(int index) const;
    void Clear() { Items_.clear(); }

    TChartWorkbook& Workbook() override { return Workbook_; }
    bool HoldsDrawing() const override { return true; }
    void ReadDrawing(TXLSStream& stream, uint16_t length) override;
    void WriteDrawing(TXLSStream& stream) override;

private:
    TChartWorkbook& Workbook_;
    std::function<std::unique_ptr<TChartDrawing>()> NewDrawing_;
    std::vector<std::unique_ptr<TSheetChart>> Items_;
    int Writing_ = -1;
};

}  // namespace xls
