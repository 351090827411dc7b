#include "workbook/api/workbook.h"

#include <vector>

#include "base/format.h"
#include "base/text_encoding.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int MaxNameCandidates = 1001;

char16_t FoldLetter(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameText(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldLetter(a[i]) != FoldLetter(b[i])) return false;
    return true;
}

}  // namespace

TXLSWorkbook::TXLSWorkbook(TXc12Manager& manager, TXLSFormulaServices& formulas)
    : Manager_(manager),
      Formulas_(formulas),
      Options_(manager.Workbook()),
      WorkbookData_(manager.Workbook()),
      CmdFormat_(manager),
      Clipboard_(manager) {
    Names_ = dynamic_cast<TXLSNames*>(manager.Workbook().definedNames.get());
    if (Names_) {
        Names_->SetFormulas(&formulas);
        manager.Names = Names_;
    }
}

TXLSWorkbook::~TXLSWorkbook() = default;

TXLSWorksheet* TXLSWorkbook::AppendSheet(TXc12DataWorksheet& sheet) {
    auto created = std::make_unique<TXLSWorksheet>(*this, sheet, Manager_);
    TXLSWorksheet* result = created.get();
    Sheets_.Add(std::move(created));
    return result;
}

TXLSWorksheet* TXLSWorkbook::FindSheet(std::u16string_view name) const {
    for (int i = 0; i < SheetCount(); ++i)
        if (TXLSWorksheet* sheet = GetSheets(i); SameText(sheet->GetName(), name)) return sheet;
    return nullptr;
}

std::u16string TXLSWorkbook::NextSheetName() const {
    // The count includes the sheet being added.
    const int first = Manager_.Worksheets().Count() + 1;
    for (int i = 0; i < MaxNameCandidates; ++i) {
        std::u16string candidate = SheetPrefix + base::Utf8ToUtf16(base::Format("%d", {first + i}));
        if (!FindSheet(candidate)) return candidate;
    }
    throw EXLSError("Can not create unique worksheet name");
}

TXLSWorksheet* TXLSWorkbook::AddSheet() {
    // Named before anything is added, so that a failure leaves no half-made sheet behind.
    const std::u16string name = NextSheetName();
    TXc12DataWorksheets& sheets = Manager_.Worksheets();
    TXc12DataWorksheet* sheet = sheets.Add(-1);
    sheet->Name = name;
    TXLSWorksheet* added = nullptr;
    try {
        added = AppendSheet(*sheet);
        if (Biff_) Biff_->AddSheet(0);
    } catch (...) {
        // The three sheet lists stay in step: what was added goes again.
        if (added) Sheets_.Delete(SheetCount() - 1);
        sheets.Delete(sheets.Count() - 1);
        throw;
    }
    if (Biff_) Biff_->SheetInserted(SheetCount() - 1);
    return added;
}

void TXLSWorkbook::DeleteSheet(int index, int count) {
    TXc12DataWorksheets& sheets = Manager_.Worksheets();
    if (index < 0 || index >= sheets.Count() || count < 1) return;
    if (count > sheets.Count() - index) throw EListError::IndexOutOfBounds(index + count - 1);
    if (!Compiled_) CompileFormulas();
    for (int i = 0; i < count; ++i) {
        // The sheet's cells, row headers and column records give back their uses of formats
        // and strings before the sheet goes.
        TXLSWorksheet* sheet = GetSheets(index);
        sheet->Cells().ClearRows(0, XLSMaxRow);
        sheet->GetColumns().Clear();
        Sheets_.Delete(index);
        sheets.Delete(index);
        if (Biff_) Biff_->DeleteSheet(index, false);
    }
    AdjustSheetRefs(index, -count);
}

void TXLSWorkbook::ClearSheets() {
    Sheets_.Clear();
    Options_.ClearFlags();
    Compiled_ = false;
    CmdFormat_.Reset();
}

void TXLSWorkbook::BuildSheets() {
    Compiled_ = false;
    TXc12DataWorksheets& sheets = Manager_.Worksheets();
    for (int i = 0; i < sheets.Count(); ++i) AppendSheet(*sheets.GetItems(i));
    for (int i = 0; i < SheetCount(); ++i) GetSheets(i)->GetDrawing().Rescan();
    if (Names_) Names_->CompileAll();
}

void TXLSWorkbook::CompileFormulas() {
    Manager_.BeginProgress(xptBuildSheets, SheetCount());
    CalcAllDimensions();
    for (int i = 0; i < SheetCount(); ++i) {
        Manager_.UpdateProgress(i + 1);
        GetSheets(i)->CompileFormulas();
    }
    Manager_.EndProgress();
    Compiled_ = true;
}

void TXLSWorkbook::AdjustSheetRefs(int sheetIndex, int delta) {
    TXc12DataWorksheets& sheets = Manager_.Worksheets();
    for (int s = 0; s < sheets.Count(); ++s) {
        TXLSCellMMU& cells = *sheets.GetItems(s)->sheetData;
        // Positions first: the store may not be written while it is iterated.
        std::vector<std::pair<int, int>> formulas;
        cells.BeginIterate(0);
        while (cells.IterateNext())
            if (cells.IterCell().Type & XLSCellVariable) formulas.emplace_back(cells.IterCol(), cells.IterRow());
        for (const auto& [col, row] : formulas) {
            TXLSMMUCell cell;
            if (!cells.FindCell(col, row, cell) || !TXLSCellMMU::IsFormulaCompiled(cell)) continue;
            const uint8_t* ptgs = nullptr;
            const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
            std::vector<uint8_t> adjusted(ptgs, ptgs + length);
            TXLSFormulaServices::AdjustSheetRefs(adjusted.data(), length, delta, sheetIndex);
            if (std::equal(adjusted.begin(), adjusted.end(), ptgs)) continue;
            cells.ReplaceFormulaPtgs(col, row, cell, adjusted.data(), length);
        }
    }
    if (Names_) Names_->SheetsChanged(sheetIndex, delta);
}

void TXLSWorkbook::CalcAllDimensions() {
    for (int i = 0; i < SheetCount(); ++i) GetSheets(i)->CalcDimensions();
}

}  // namespace xls
