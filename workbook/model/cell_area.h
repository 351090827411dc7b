#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls {

// A rectangle of cells, 0-based; all four -1 = unset. The fields are in the original's order
// (Row1, Row2, Col1, Col2); the routines take and pass them as Col1, Row1, Col2, Row2.
struct TXLSCellArea {
    int32_t Row1 = -1;
    int32_t Row2 = -1;
    int32_t Col1 = -1;
    int32_t Col2 = -1;

    bool operator==(const TXLSCellArea&) const = default;
};

void ClearCellArea(TXLSCellArea& area);
void SetCellAreaToCell(TXLSCellArea& area, int col, int row);
TXLSCellArea CellToCellArea(int col, int row);
// Stored unchanged (no ordering).
void SetCellArea(TXLSCellArea& area, int col1, int row1, int col2, int row2);
TXLSCellArea MakeCellArea(int col1, int row1, int col2, int row2);

// Col1 >= 0 and Row1 >= 0.
bool CellAreaAssigned(const TXLSCellArea& area);
bool CellAreaIsCell(const TXLSCellArea& area);
// Larger firsts and smaller lasts; true when the result is not empty.
bool IntersectCellArea(const TXLSCellArea& a, const TXLSCellArea& b, TXLSCellArea& result);
// Smaller firsts, larger lasts.
void UnionCellArea(const TXLSCellArea& a, const TXLSCellArea& b, TXLSCellArea& result);
// The area grows to cover the given one; an unset area becomes the given one (taking the
// minimum with -1 would keep it unset for ever).
void ExtendCellArea(TXLSCellArea& area, int col1, int row1, int col2, int row2);

// Every value inside the model grid (no ordering test).
bool IsValidColRow(int col, int row);
bool IsValidArea(int col1, int row1, int col2, int row2);

// Empty when Col1 or Row1 is negative; one cell (also when Col2 or Row2 is negative) as a cell
// text; else both corners joined by ":". Relative references only.
std::u16string CellAreaToRefStr(const TXLSCellArea& area);
// Empty text: the unset area; with ":" AreaStrToColRow; else one cell for both corners. A text
// that does not parse also gives the unset area (the original left whatever the parse wrote).
void RefStrToCellArea(std::u16string_view text, TXLSCellArea& area);

}  // namespace xls
