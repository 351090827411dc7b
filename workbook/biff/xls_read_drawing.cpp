#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_read.h"

namespace xls {

bool TXLSReadBIFF::DrawingLayerTakes(uint16_t id) const {
    // Only BIFF8 carries OfficeArt drawings; without a drawing layer the records are kept raw.
    if (!Biff8() || !Document_.PictureGroup || !Document_.NewSheetDrawing) return false;
    return id == BIFFRECID_MSODRAWINGGROUP || InWorksheet_;
}

void TXLSReadBIFF::ReadDrawing() {
    const uint16_t id = Header_.RecID;
    Stream_.BeginContinueRead();
    try {
        if (id == BIFFRECID_MSODRAWINGGROUP) {
            if (CurrentSheet_ >= 0) throw EBIFFError("Drawing group outside the workbook globals");
            if (GroupRead_) throw EBIFFError("Second drawing group in the workbook");
            GroupRead_ = true;
            Storage_->SetInsertPoint(INSERT_DRAWINGGROUP);
            Document_.PictureGroup->LoadFromStream(Stream_, Header_.Length);
        } else {
            TSheet& sheet = Document_.Sheets().GetItems(CurrentSheet_);
            Storage_->SetInsertPoint(INSERT_TRAILING);
            if (id == BIFFRECID_NOTE) {
                sheet.DrawingLayer().LoadNote(Stream_, Header_.Length);
            } else {
                // A sheet holds one drawing: its shapes, their objects and charts come in one run.
                if (DrawingSheet_ == CurrentSheet_) throw EBIFFError("Second drawing in one sheet");
                DrawingSheet_ = CurrentSheet_;
                sheet.DrawingLayer().LoadFromStream(Stream_, Header_.Length);
            }
        }
    } catch (...) {
        Stream_.EndContinueRead();
        throw;
    }
    Stream_.EndContinueRead();
}

void TXLSReadBIFF::FinishDrawings() {
    TSheets& sheets = Document_.Sheets();
    for (int i = 0; i < sheets.Count(); ++i)
        if (sheets.GetItems(i).EscherDrawing) sheets.GetItems(i).EscherDrawing->AfterRead();
    if (Document_.ChartSheets) Document_.ChartSheets->AfterRead();
}

bool TXLSReadBIFF::TakesChartSheet() const {
    return Biff8() && Document_.ChartSheets && !InWorksheet_ && CurrentSubstream_ >= 0 &&
           CurrentSubstream_ < SheetList_.GetCount();
}

void TXLSReadBIFF::ReadChartSheet() {
    Document_.ChartSheets->LoadChartSheet(Stream_, SheetList_.GetString(CurrentSubstream_), CurrentSubstream_, Data());
    if (CurrentSubstream_ >= SheetList_.GetCount() - 1) Done_ = true;
}

}  // namespace xls
