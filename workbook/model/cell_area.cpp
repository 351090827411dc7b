#include "workbook/model/cell_area.h"

#include <algorithm>

#include "workbook/model/cell_reference.h"

namespace xls {

void ClearCellArea(TXLSCellArea& area) { area = TXLSCellArea{}; }

void SetCellAreaToCell(TXLSCellArea& area, int col, int row) { SetCellArea(area, col, row, col, row); }

TXLSCellArea CellToCellArea(int col, int row) { return MakeCellArea(col, row, col, row); }

void SetCellArea(TXLSCellArea& area, int col1, int row1, int col2, int row2) {
    area.Col1 = col1;
    area.Row1 = row1;
    area.Col2 = col2;
    area.Row2 = row2;
}

TXLSCellArea MakeCellArea(int col1, int row1, int col2, int row2) {
    TXLSCellArea area;
    SetCellArea(area, col1, row1, col2, row2);
    return area;
}

bool CellAreaAssigned(const TXLSCellArea& area) { return area.Col1 >= 0 && area.Row1 >= 0; }

bool CellAreaIsCell(const TXLSCellArea& area) { return area.Col1 == area.Col2 && area.Row1 == area.Row2; }

bool IntersectCellArea(const TXLSCellArea& a, const TXLSCellArea& b, TXLSCellArea& result) {
    result = MakeCellArea(std::max(a.Col1, b.Col1), std::max(a.Row1, b.Row1), std::min(a.Col2, b.Col2),
                          std::min(a.Row2, b.Row2));
    return result.Col2 >= result.Col1 && result.Row2 >= result.Row1;
}

void UnionCellArea(const TXLSCellArea& a, const TXLSCellArea& b, TXLSCellArea& result) {
    result = MakeCellArea(std::min(a.Col1, b.Col1), std::min(a.Row1, b.Row1), std::max(a.Col2, b.Col2),
                          std::max(a.Row2, b.Row2));
}

void ExtendCellArea(TXLSCellArea& area, int col1, int row1, int col2, int row2) {
    if (!CellAreaAssigned(area)) {
        SetCellArea(area, col1, row1, col2, row2);
        return;
    }
    area.Col1 = std::min(area.Col1, col1);
    area.Row1 = std::min(area.Row1, row1);
    area.Col2 = std::max(area.Col2, col2);
    area.Row2 = std::max(area.Row2, row2);
}

bool IsValidColRow(int col, int row) { return col >= 0 && col <= XLSMaxCol && row >= 0 && row <= XLSMaxRow; }

bool IsValidArea(int col1, int row1, int col2, int row2) {
    return IsValidColRow(col1, row1) && IsValidColRow(col2, row2);
}

std::u16string CellAreaToRefStr(const TXLSCellArea& area) {
    if (area.Col1 < 0 || area.Row1 < 0) return {};
    if (area.Col2 < 0 || area.Row2 < 0 || CellAreaIsCell(area)) return ColRowToRefStr(area.Col1, area.Row1);
    return AreaToRefStr(area.Col1, area.Row1, area.Col2, area.Row2);
}

void RefStrToCellArea(std::u16string_view text, TXLSCellArea& area) {
    ClearCellArea(area);
    if (text.empty()) return;
    int col1 = -1, row1 = -1, col2 = -1, row2 = -1;
    if (text.find(u':') != std::u16string_view::npos) {
        if (AreaStrToColRow(text, col1, row1, col2, row2)) SetCellArea(area, col1, row1, col2, row2);
    } else if (RefStrToColRow(text, col1, row1)) {
        SetCellAreaToCell(area, col1, row1);
    }
}

}  // namespace xls
