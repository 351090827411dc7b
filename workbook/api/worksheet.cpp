#include "workbook/api/worksheet.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "workbook/api/workbook.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

// The binary document's compiler writes at most this many token bytes for one formula.
constexpr int BiffFormulaBufferSize = 1024;

}  // namespace

TXLSWorksheet::TXLSWorksheet(TXLSWorkbook& workbook, TXc12DataWorksheet& sheet, TXc12Manager& manager)
    : Workbook_(workbook),
      Manager_(manager),
      Sheet_(sheet),
      Cell_(manager.StyleSheet(), *sheet.sheetData),
      Rows_(manager.StyleSheet(), *sheet.sheetData),
      Columns_(sheet.cols, manager.StyleSheet()),
      Range_(manager, Cell_, *sheet.sheetData),
      Comments_(sheet.comments),
      Drawing_(manager, sheet.drawing.get()),
      PrintSettings_(sheet.pageSetup, sheet.headerFooter, sheet.rowBreaks, sheet.colBreaks),
      OwnView_(sheet.sheetViews.Count() == 0 ? std::make_unique<TXc12SheetView>() : nullptr),
      View_(OwnView_ ? OwnView_.get() : sheet.sheetViews.GetItems(0)),
      Pane_(View_->pane),
      Protection_(sheet.sheetProtection),
      FormattedCell_(manager.StyleSheet(), *sheet.sheetData, [this](int col, int row) { return DefaultXF(col, row); }) {
    Drawing_.SetColumnsRows(&Columns_, &Rows_);
    Drawing_.OnPictureAdded = [this](const TXLSPictureSource& picture) {
        Workbook_.AddPictureToBiff(picture, Index(), picture.Anchor.Row2Offset, picture.Anchor.Col2Offset);
    };
    if (Sheet_.pageSetup.paperSize == 0) Sheet_.pageSetup.paperSize = manager.DefaultPaperSize;
}

TXLSWorksheet::~TXLSWorksheet() = default;

void* TXLSWorksheet::QueryClass(const std::type_info& classRef) {
    if (classRef == typeid(TXc12DataWorksheet)) return &Sheet_;
    if (classRef == typeid(TXLSColumns)) return &Columns_;
    if (classRef == typeid(TXLSRows)) return &Rows_;
    if (classRef == typeid(TCellAreas)) return &SelectedAreas_;
    return nullptr;
}

int TXLSWorksheet::DefaultXF(int col, int row) {
    const TXLSColumn& column = Columns_.GetItems(col);
    if (column.Record() && column.Record()->style && column.Record()->style->Index() != 0)
        return column.Record()->style->Index();
    if (const TXLSMMURowHeader* header = Cells().GetRowHeader(row); header && header->XF() != 0) return header->XF();
    return 0;
}

void TXLSWorksheet::SetAsFloat(int col, int row, double value) {
    Cells().SetFloat(col, row, value, DefaultXF(col, row));
}

void TXLSWorksheet::SetAsString(int col, int row, std::u16string_view text) {
    Cells().SetString(col, row, text, DefaultXF(col, row));
}

void TXLSWorksheet::SetAsFormula(int col, int row, std::u16string_view formula) {
    const int xf = DefaultXF(col, row);
    if (IXLSBiffDocument* biff = Workbook_.GetBiff()) {
        std::vector<uint8_t> buffer(BiffFormulaBufferSize);
        const int length = biff->EncodeFormula(formula, 0, BiffFormulaBufferSize, buffer.data());
        if (length <= 0 || length > BiffFormulaBufferSize) return;
        Cells().StoreFormulaData(col, row, xf, length, buffer.data());
        return;
    }
    const std::vector<uint8_t> ptgs = Workbook_.Formulas().EncodeCellFormula(formula, false, row, col, Index());
    if (ptgs.empty()) return;
    Cells().StoreFormulaTokens(col, row, 0, static_cast<int>(ptgs.size()), ptgs.data(), xf);
}

bool TXLSWorksheet::IsEmpty() {
    Cells().BeginIterate(0);
    return !Cells().IterateNext();
}

void TXLSWorksheet::CalcDimensions() {
    Cells().CalcDimension();
    Sheet_.SetDimension(Cells().Dimension());
}

void TXLSWorksheet::ClearArea(int col1, int row1, int col2, int row2, uint8_t flags) {
    CalcDimensions();
    if (flags & xcfCells) {
        TXLSCellMMU& cells = Cells();
        if (col1 == 0 && col2 >= XLSMaxCol) {
            cells.ClearRows(row1, row2);
        } else if (flags & xcfFormats) {
            // Row by row over the stored rows, gathered first: the store may not be written
            // while it is iterated. Last row first: a row that shrinks or goes then has no
            // rows behind it in its block to move.
            std::vector<int> rows;
            cells.BeginIterateRows(std::max(row1, 0) - 1);
            while (cells.IterateNextRow() && cells.IterRow() <= row2) rows.push_back(cells.IterRow());
            for (auto row = rows.rbegin(); row != rows.rend(); ++row) cells.DeleteCells(col1, col2, *row);
        } else {
            std::vector<std::pair<int, int>> found;
            cells.BeginIterate(std::max(row1, 0));
            while (cells.IterateNext() && cells.IterRow() <= row2)
                if (cells.IterCol() >= col1 && cells.IterCol() <= col2)
                    found.emplace_back(cells.IterCol(), cells.IterRow());
            for (const auto& [col, row] : found) cells.ClearValue(col, row);
        }
        Sheet_.mergeCells->Delete(col1, row1, col2, row2);
        Sheet_.hyperlinks->Delete(col1, row1, col2, row2);
    }
    if (flags & xcfComments) Comments_.DeleteArea(col1, row1, col2, row2);
    if (flags & xcfValidations) Sheet_.dataValidations->DeleteArea(col1, row1, col2, row2);
    if (flags & xcfCondFormats) Sheet_.conditionalFormatting->DeleteArea(col1, row1, col2, row2);
    if (flags & xcfDrawing) Drawing_.ClearArea();
}

void TXLSWorksheet::Clear() {
    CalcDimensions();
    const TXLSCellArea used = Cells().Dimension();
    if (used.Row1 >= 0 && used.Col1 >= 0) ClearArea(used.Col1, used.Row1, used.Col2, used.Row2, xcfAll);
    Sheet_.mergeCells->Clear();
    Sheet_.dataValidations->Clear();
    Sheet_.hyperlinks->Clear();
    Sheet_.conditionalFormatting->Clear();
    Comments_.Clear();
    Columns_.Clear();
    CalcDimensions();
}

void TXLSWorksheet::CompileFormulas() {
    TXLSCellMMU& cells = Cells();
    std::vector<std::pair<int, int>> texts;
    cells.BeginIterate(0);
    while (cells.IterateNext()) {
        const TXLSMMUCell& cell = cells.IterCell();
        if ((cell.Type & XLSCellVariable) && !TXLSCellMMU::IsFormulaCompiled(cell))
            texts.emplace_back(cells.IterCol(), cells.IterRow());
    }
    for (const auto& [col, row] : texts) {
        TXLSMMUCell cell;
        if (!cells.FindCell(col, row, cell)) continue;
        std::u16string text;
        TXLSCellMMU::GetFormulaText(cell, text);
        const std::vector<uint8_t> ptgs = Workbook_.Formulas().EncodeFormula(text, Index());
        if (ptgs.empty()) continue;
        cells.ReplaceFormulaPtgs(col, row, cell, ptgs.data(), static_cast<int>(ptgs.size()));
    }
}

}  // namespace xls
