#include "workbook/biff/biff_sheets.h"

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_formula_handler.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr uint16_t Window2Base = 0x04A0;
constexpr uint16_t Window2Options = soShowFormulas | soGridlines | soRowColHeadings | soFrozenPanes | soShowZeros;
constexpr uint16_t WorkspaceMask =
    woShowAutoBreaks | woApplyStyles | woRowSumsBelow | woColSumsRight | woFitToPage | woOutlineSymbols;

uint16_t Word(std::span<const uint8_t> data, size_t offset) {
    if (data.size() < offset + 2) throw EBIFFError("Record data too short");
    return base::LoadLE16(data.data() + offset);
}

void SetWord(std::span<uint8_t> data, size_t offset, uint16_t value) {
    if (data.size() < offset + 2) throw EBIFFError("Record data too short");
    base::StoreLE16(data.data() + offset, value);
}

}  // namespace

TDrwCharts& TSheetDrawingPart::Charts() { throw EBIFFError("The drawing holds no charts"); }

TDrwChart& TSheetDrawingPart::AddChart(int) { throw EBIFFError("The drawing holds no charts"); }

void TSheetDrawingPart::LoadFromStream(TXLSStream&, uint16_t) { throw EBIFFError("The drawing reads no files"); }

void TSheetDrawingPart::LoadNote(TXLSStream&, uint16_t) { throw EBIFFError("The drawing reads no files"); }

TSheet::TSheet(TSheets& owner, uint8_t kind) : Owner_(owner), Kind_(kind) {}

void TSheet::Clear() {
    SheetProtection = 0x7FFF;
    Records_.SetDefaults();
    AfterCellRecords_.Clear();
    StorageFilled = false;
    if (EscherDrawing) EscherDrawing->Clear();
}

TSheetDrawingPart& TSheet::DrawingLayer() {
    if (!EscherDrawing) {
        const auto& make = Owner_.GetOwner().NewSheetDrawing;
        if (!make) throw EBIFFError("The document has no drawing layer");
        EscherDrawing = make(*this);
    }
    return *EscherDrawing;
}

void TSheet::Assign(const TSheet& source) {
    SetDefaultColWidth(source.GetDefaultColWidth());
    SetOptions(source.GetOptions());
    SetWorkspaceOptions(source.GetWorkspaceOptions());
    SheetProtection = source.SheetProtection;
    SetZoom(source.GetZoom());
    SetZoomPreview(source.GetZoomPreview());
    RecalcFormulas = source.RecalcFormulas;
    Hidden = source.Hidden;
}

void TSheet::SetName(const std::u16string& value) {
    const std::u16string upper = WideUpperCaseStr(value);
    if (upper == WideUpperCaseStr(Name_)) return;
    for (int i = 0; i < Owner_.Count(); ++i) {
        const TSheet& other = Owner_.GetItems(i);
        if (&other != this && WideUpperCaseStr(other.GetName()) == upper)
            throw EBIFFError("Sheet name \"" + base::Utf16ToUtf8(value) + "\" allready exists");
    }
    Name_ = value;
}

int TSheet::GetIndex() const { return Owner_.IndexOf(*this); }

TSheetOptions TSheet::GetOptions() const { return Word(Records_.WINDOW2(), 0) & Window2Options; }

void TSheet::SetOptions(TSheetOptions value) {
    SetWord(Records_.WINDOW2(), 0, static_cast<uint16_t>(Window2Base | (value & Window2Options)));
}

TWorkspaceOptions TSheet::GetWorkspaceOptions() const { return Records_.WSBOOL() & WorkspaceMask; }

void TSheet::SetWorkspaceOptions(TWorkspaceOptions value) {
    Records_.SetWSBOOL(static_cast<uint16_t>(value & WorkspaceMask));
}

uint16_t TSheet::GetZoom() const { return Word(Records_.WINDOW2(), 12); }
void TSheet::SetZoom(uint16_t value) { SetWord(Records_.WINDOW2(), 12, value); }
uint16_t TSheet::GetZoomPreview() const { return Word(Records_.WINDOW2(), 10); }
void TSheet::SetZoomPreview(uint16_t value) { SetWord(Records_.WINDOW2(), 10, value); }

TSheet& TSheets::Add(uint8_t kind) {
    Items_.push_back(std::make_unique<TSheet>(*this, kind));
    TSheet& sheet = *Items_.back();
    sheet.SetNameDirect(u"Sheet" + base::Utf8ToUtf16(std::to_string(++Running_)));
    return sheet;
}

TSheet& TSheets::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EBIFFError("List index out of bounds (" + std::to_string(index) + ")");
    return *Items_[static_cast<size_t>(index)];
}

TSheet* TSheets::FindByName(const std::u16string& name) const {
    const std::u16string upper = WideUpperCaseStr(name);
    for (const auto& sheet : Items_)
        if (WideUpperCaseStr(sheet->GetName()) == upper) return sheet.get();
    return nullptr;
}

void TSheets::Delete(int index, bool keepOne) {
    GetItems(index);
    Items_.erase(Items_.begin() + index);
    if (Items_.empty() && keepOne)
        Add(0);
    else
        Handler_.SheetDeleted(index);
}

void TSheets::Clear() {
    for (auto& sheet : Items_) sheet->Clear();
    Items_.clear();
}

TSheet& TSheets::ClearToOne() {
    Clear();
    return Add(0);
}

int TSheets::IndexOf(const TSheet& sheet) const {
    for (size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].get() == &sheet) return static_cast<int>(i);
    return -1;
}

}  // namespace xls
