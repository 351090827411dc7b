#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "workbook/api/formatted_obj.h"
#include "workbook/model/cell_area.h"

namespace xls {

class TXc12Manager;

// Kind of a range: one cell, one column over several rows, one row over several columns, or
// several rows and columns.
enum TXLSRangeKind : uint8_t { xrkCell = 0, xrkColumn = 1, xrkRow = 2, xrkArea = 3 };

// Formats a rectangle of a sheet in one call: every operation first stores blank cells where
// the rectangle has none, then edits the format of the cells it touches. Each distinct format
// of the touched cells is edited once; every cell that had it gets the same result.
class TXLSRange : public TCellAreaImpl {
public:
    TXLSRange(TXc12Manager& manager, TXLSCell& cell, TXLSCellMMU& cells);

    // Moves the range to an area text ("A1:D27", "B5", "Sheet1!A1:B2"). A text that is no area
    // is reported as error 3004 (which raises unless the error manager has a listener); the
    // range then touches no cell until it is given a good text.
    TXLSRange& GetItems(std::u16string_view ref);
    TXLSRangeKind Kind() const { return Kind_; }

    // Stores a blank with format 0 in every position of the range without a cell. A range
    // over whole rows or columns is first cut to the sheet's used area.
    void EnsureCells();

    void SetFillColor(uint32_t rgb);
    void SetFontName(std::u16string_view name);
    void SetFontSize(int points);
    void SetFontStyle(TXc12FontStyles style);
    void SetHorizAlignment(uint8_t value);
    void SetVertAlignment(uint8_t value);

    void SetBorderLeftColor(uint32_t rgb);
    void SetBorderLeftStyle(TXc12CellBorderStyle style);
    void SetBorderTopColor(uint32_t rgb);
    void SetBorderTopStyle(TXc12CellBorderStyle style);
    void SetBorderRightColor(uint32_t rgb);
    void SetBorderRightStyle(TXc12CellBorderStyle style);
    void SetBorderBottomColor(uint32_t rgb);
    void SetBorderBottomStyle(TXc12CellBorderStyle style);
    void SetBorderOutlineColor(uint32_t rgb);
    void SetBorderOutlineStyle(TXc12CellBorderStyle style);
    void SetBorderInsideHorizColor(uint32_t rgb);
    void SetBorderInsideHorizStyle(TXc12CellBorderStyle style);
    void SetBorderInsideVertColor(uint32_t rgb);
    void SetBorderInsideVertStyle(TXc12CellBorderStyle style);

private:
    using TChange = std::function<void(TXc12XFEditor&)>;
    // The range as it is worked on: cut to the used area when it spans the whole grid.
    TXLSCellArea WorkArea();
    // The rows of the work area to visit: all of them, or the stored ones over whole rows or
    // columns.
    std::vector<int> RowsOf(const TXLSCellArea& area);
    // The missing cells of the range stored as blanks and the change made on every cell of the
    // sub-rectangle (empty when col2 < col1 or row2 < row1).
    void Apply(int col1, int row1, int col2, int row2, const TChange& change);
    // The sides of the outline (bit 1 << line) a cell of the range lies on; 0 for none.
    using TMask = std::function<uint8_t(int col, int row)>;
    using TSidedChange = std::function<void(TXc12XFEditor&, uint8_t sides)>;
    // Stores the missing cells of the range and changes every cell the mask selects.
    void Visit(const TMask& mask, const TSidedChange& change);
    // The outline's sides in one pass over the range.
    void Outline(const std::function<void(TXc12XFEditor&, TXc12BorderLine)>& change);
    void ApplyWhole(const TChange& change);

    TXc12Manager& Manager_;
    TXLSCell& Cell_;
    TXLSCellMMU& Cells_;
    TXLSRangeKind Kind_ = xrkCell;
    bool Valid_ = true;
    bool WholeSpan_ = false;
};

}  // namespace xls
