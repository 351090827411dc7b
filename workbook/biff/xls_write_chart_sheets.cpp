#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/xls_write.h"

namespace xls {

namespace {

constexpr uint8_t EntryChartSheet = 1;

}  // namespace

void TXLSWriteBIFF::ListChartSheets(int lastTab) {
    const TChartSheetsPart* charts = Document_.ChartSheets.get();
    for (int c = 0; charts && c < charts->Count(); ++c) {
        if (ChartsListed_[static_cast<size_t>(c)] || charts->SheetIndex(c) > lastTab) continue;
        ChartsListed_[static_cast<size_t>(c)] = true;
        TBoundsheetData entry;
        entry.Type = EntryChartSheet;
        entry.Index = c;
        entry.Name = charts->Name(c);
        SheetEntries_.push_back(entry);
    }
}

void TXLSWriteBIFF::WriteChartSheets(int lastTab) {
    TChartSheetsPart* charts = Document_.ChartSheets.get();
    for (int c = 0; charts && c < charts->Count(); ++c) {
        if (ChartsWritten_[static_cast<size_t>(c)] || charts->SheetIndex(c) > lastTab) continue;
        ChartsWritten_[static_cast<size_t>(c)] = true;
        FindEntry(true, c).PatchPosition(Stream_);
        charts->SaveChartSheet(c, Stream_);
    }
}

const TBoundsheetData& TXLSWriteBIFF::FindEntry(bool chart, int index) const {
    for (const TBoundsheetData& entry : SheetEntries_)
        if (entry.IsChartSheet() == chart && entry.Index == index) return entry;
    throw EBIFFError("The sheet list of the workbook globals is missing");
}

std::vector<int> TXLSWriteBIFF::TabOfSheet() const {
    std::vector<int> tabs(static_cast<size_t>(Document_.Sheets().Count()));
    for (size_t tab = 0; tab < SheetEntries_.size(); ++tab)
        if (!SheetEntries_[tab].IsChartSheet())
            tabs[static_cast<size_t>(SheetEntries_[tab].Index)] = static_cast<int>(tab);
    return tabs;
}

}  // namespace xls
