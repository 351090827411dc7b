#include "workbook/biff/chart/sheet_charts.h"

#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/model/exceptions.h"

namespace xls {

TSheetChart::TSheetChart(TChartOwner& owner, std::u16string name, int sheetIndex)
    : Root_(TChartRecord::CreateRoot(owner)), Name_(std::move(name)), SheetIndex_(sheetIndex) {}

TSheetChart::~TSheetChart() = default;

TSheetCharts::TSheetCharts(TChartWorkbook& workbook, std::function<std::unique_ptr<TChartDrawing>()> newDrawing)
    : Workbook_(workbook), NewDrawing_(std::move(newDrawing)) {}

TSheetCharts::~TSheetCharts() = default;

TSheetChart& TSheetCharts::LoadChartSheet(TXLSStream& stream, std::u16string name, int sheetIndex,
                                          std::span<const uint8_t> bofData) {
    Items_.push_back(std::make_unique<TSheetChart>(*this, std::move(name), sheetIndex));
    TChartRecord& root = Items_.back()->Rec();
    root.Append(CHARTRECID_BOF, bofData);
    root.LoadFromStream(stream);
    return *Items_.back();
}

void TSheetCharts::SaveChartSheet(int index, TXLSStream& stream) {
    TSheetChart& sheet = GetItems(index);
    Writing_ = index;
    try {
        sheet.Rec().SaveToStream(stream);
    } catch (...) {
        Writing_ = -1;
        throw;
    }
    Writing_ = -1;
}

TSheetChart& TSheetCharts::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Items_[index];
}

void TSheetCharts::ReadDrawing(TXLSStream& stream, uint16_t length) {
    if (Items_.empty() || !NewDrawing_) throw EXLSError("Chart record parent is not of excpected type");
    std::unique_ptr<TChartDrawing> drawing = NewDrawing_();
    drawing->LoadFromStream(stream, length);
    Items_.back()->AddDrawing(std::move(drawing));
}

void TSheetCharts::WriteDrawing(TXLSStream& stream) {
    if (Writing_ < 0 || !GetItems(Writing_).Drawing()) throw EXLSError("Chart record parent is not of excpected type");
    GetItems(Writing_).Drawing()->SaveToStream(stream);
}

}  // namespace xls
