#include "workbook/biff/cell_areas97.h"

#include <utility>
#include <vector>

namespace xls {

void TCellArea97::Normalize() {
    if (GetCol2() < GetCol1()) {
        const int col = GetCol1();
        SetCol1(GetCol2());
        SetCol2(col);
    }
    if (GetRow2() < GetRow1()) {
        const int row = GetRow1();
        SetRow1(GetRow2());
        SetRow2(row);
    }
}

void TMergedCells::Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) {
    // The block's bounds come as the file's 16-bit values.
    const int c1 = static_cast<uint16_t>(col1), r1 = static_cast<uint16_t>(row1);
    const int c2 = static_cast<uint16_t>(col2), r2 = static_cast<uint16_t>(row2);
    std::vector<TXLSCellArea> copies;
    for (int i = 0; i < Count(); ++i) {
        const TCellArea& a = *GetItems(i);
        if (a.Meets(c1, r1, c2, r2))
            copies.push_back(
                MakeCellArea(a.GetCol1() + dCol, a.GetRow1() + dRow, a.GetCol2() + dCol, a.GetRow2() + dRow));
    }
    for (TXLSCellArea& t : copies)
        if (ClipArea97(t.Col1, t.Row1, t.Col2, t.Row2)) AddAreaRec(t);
}

}  // namespace xls
