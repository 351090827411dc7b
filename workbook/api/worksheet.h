#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/api/drawing.h"
#include "workbook/api/formatted_obj.h"
#include "workbook/api/range.h"
#include "workbook/api/sheet_comments.h"
#include "workbook/api/sheet_wrappers.h"
#include "workbook/model/style_object.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

class TXc12Manager;
class TXLSWorkbook;

// What ClearArea removes.
enum TXLSClearFlag : uint8_t {
    xcfCells = 0x01,
    xcfFormats = 0x02,  // with xcfCells: the cells go with their formats
    xcfComments = 0x04,
    xcfValidations = 0x08,
    xcfCondFormats = 0x10,
    xcfAutofilter = 0x20,
    xcfDrawing = 0x40,
    xcfAll = 0x7F,
};

// One worksheet of the interface: typed cell setters, the shared cell, range, row and column
// cursors, clearing and the used area over the model's sheet and its cell store.
class TXLSWorksheet : public TIndexObject {
public:
    TXLSWorksheet(TXLSWorkbook& workbook, TXc12DataWorksheet& sheet, TXc12Manager& manager);
    ~TXLSWorksheet() override;

    void SetAsFloat(int col, int row, double value);
    void SetAsString(int col, int row, std::u16string_view text);
    // Compiles formula (without "=") and stores it as a formula cell with a cached result of 0:
    // as BIFF8 tokens while the workbook keeps a binary document, else as own token code. A
    // text that does not compile into own code stores nothing.
    void SetAsFormula(int col, int row, std::u16string_view formula);
    // The format a new cell at (col, row) gets: its column's, else its row's, else 0.
    int DefaultXF(int col, int row);
    // The cell cursor at (col, row); nullptr when no cell is stored there.
    TXLSCell* GetCell(int col, int row) { return Cell_.Locate(col, row); }
    // The formatting cursor at (col, row), also where no cell is stored yet.
    TXLSFormattedCell& GetFormattedCell(int col, int row) { return FormattedCell_.Locate(col, row); }

    TXLSRange& Range() { return Range_; }
    TXLSRows& GetRows() { return Rows_; }
    TXLSColumns& GetColumns() { return Columns_; }
    TXc12MergedCells& GetMergedCells() { return *Sheet_.mergeCells; }
    TXc12Hyperlinks& GetHyperlinks() { return *Sheet_.hyperlinks; }
    TXLSComments& GetComments() { return Comments_; }
    TXLSDrawing& GetDrawing() { return Drawing_; }
    TXLSSelectedAreas& GetSelectedAreas() { return SelectedAreas_; }
    TXLSPrintSettings& GetPrintSettings() { return PrintSettings_; }
    // View 0 of the model sheet, or the sheet's own view when the model has none.
    TXc12SheetView& GetSheetView() const { return *View_; }
    bool OwnsView() const { return OwnView_ != nullptr; }
    TXLSPane& GetPane() { return Pane_; }
    TXLSSheetProtection& GetProtection() { return Protection_; }
    TCellAreas& GetAreas() { return Areas_; }
    TXc12DataWorksheet& Model() const { return Sheet_; }
    TXLSCellMMU& Cells() const { return *Sheet_.sheetData; }
    const std::u16string& GetName() const { return Sheet_.Name; }

    // True when no cell is stored anywhere on the sheet.
    bool IsEmpty();
    // Recomputes the used area and gives it to the model sheet.
    void CalcDimensions();
    int FirstCol() const { return Sheet_.GetDimension().Col1; }
    int FirstRow() const { return Sheet_.GetDimension().Row1; }
    int LastCol() const { return Sheet_.GetDimension().Col2; }
    int LastRow() const { return Sheet_.GetDimension().Row2; }

    // Removes what flags (TXLSClearFlag) say from the rectangle. Work follows the stored cells,
    // not the size of the rectangle.
    void ClearArea(int col1, int row1, int col2, int row2, uint8_t flags);
    // Empties the sheet: cells, merged areas, validations, hyperlinks, conditional formats,
    // comments and column records.
    void Clear();
    // Compiles every formula held as text into own token code.
    void CompileFormulas();

    void* QueryClass(const std::type_info& classRef) override;

private:
    TXLSWorkbook& Workbook_;
    TXc12Manager& Manager_;
    TXc12DataWorksheet& Sheet_;
    TXLSCell Cell_;
    TXLSRows Rows_;
    TXLSColumns Columns_;
    TXLSRange Range_;
    TXLSComments Comments_;
    TXLSDrawing Drawing_;
    TXLSSelectedAreas SelectedAreas_;
    TXLSPrintSettings PrintSettings_;
    std::unique_ptr<TXc12SheetView> OwnView_;
    TXc12SheetView* View_;
    TXLSPane Pane_;
    TXLSSheetProtection Protection_;
    TCellAreas Areas_;
    TXLSFormattedCell FormattedCell_;
};

}  // namespace xls
