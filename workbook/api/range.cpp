#include "workbook/api/range.h"

#include <algorithm>
#include <string>
#include <vector>

#include "workbook/model/cell_reference.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int ErrInvalidCellReference = 3004;

}  // namespace

TXLSRange::TXLSRange(TXc12Manager& manager, TXLSCell& cell, TXLSCellMMU& cells)
    : Manager_(manager), Cell_(cell), Cells_(cells) {}

TXLSRange& TXLSRange::GetItems(std::u16string_view ref) {
    int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
    // A typo must not leave the range where it was and format that instead.
    if (!AreaStrToColRow(ref, col1, row1, col2, row2)) {
        Valid_ = false;
        Manager_.Errors().Error(ref, ErrInvalidCellReference);
        return *this;
    }
    Valid_ = true;
    SetBounds(std::min(col1, col2), std::min(row1, row2), std::max(col1, col2), std::max(row1, row2));
    const bool oneCol = GetCol1() == GetCol2(), oneRow = GetRow1() == GetRow2();
    Kind_ = oneCol && oneRow ? xrkCell : oneCol ? xrkColumn : oneRow ? xrkRow : xrkArea;
    return *this;
}

TXLSCellArea TXLSRange::WorkArea() {
    WholeSpan_ = false;
    if (!Valid_) return MakeCellArea(1, 1, 0, 0);
    TXLSCellArea area = GetBounds();
    const bool wholeCols = area.Row1 == 0 && area.Row2 >= XLSMaxRow;
    const bool wholeRows = area.Col1 == 0 && area.Col2 >= XLSMaxCol;
    if (!wholeCols && !wholeRows) return area;
    // Formatting whole rows or columns formats the cells the sheet has there, not a million
    // blanks.
    WholeSpan_ = true;
    Cells_.CalcDimension();
    const TXLSCellArea& used = Cells_.Dimension();
    if (used.Row1 < 0 || used.Col1 < 0) return MakeCellArea(1, 1, 0, 0);
    area.Col1 = std::max(area.Col1, used.Col1);
    area.Row1 = std::max(area.Row1, used.Row1);
    area.Col2 = std::min(area.Col2, used.Col2);
    area.Row2 = std::min(area.Row2, used.Row2);
    return area;
}

std::vector<int> TXLSRange::RowsOf(const TXLSCellArea& area) {
    std::vector<int> rows;
    if (area.Row2 < area.Row1 || area.Col2 < area.Col1) return rows;
    if (!WholeSpan_) {
        rows.reserve(static_cast<size_t>(area.Row2 - area.Row1 + 1));
        for (int row = area.Row1; row <= area.Row2; ++row) rows.push_back(row);
        return rows;
    }
    // Over whole rows or columns only the rows the sheet stores count.
    Cells_.BeginIterateRows(area.Row1 - 1);
    while (Cells_.IterateNextRow() && Cells_.IterRow() <= area.Row2) rows.push_back(Cells_.IterRow());
    return rows;
}

void TXLSRange::EnsureCells() {
    const TXLSCellArea area = WorkArea();
    for (int row : RowsOf(area))
        for (int col = area.Col1; col <= area.Col2; ++col)
            if (Cells_.IsEmpty(col, row)) Cells_.StoreBlank(col, row, 0);
}

void TXLSRange::Visit(const TMask& mask, const TSidedChange& change) {
    const TXLSCellArea area = WorkArea();
    // Cells that shared a format before share the edited one after: one edit per source format
    // (and per set of sides), kept by source index * 16 + sides; -1 is not edited yet.
    std::vector<int> edited;
    TXLSMMUCell cell;
    for (int row : RowsOf(area)) {
        for (int col = area.Col1; col <= area.Col2; ++col) {
            // The whole range gets its missing cells; the change goes where the mask says.
            const uint8_t sides = mask(col, row);
            if (!Cells_.FindCell(col, row, cell)) {
                Cells_.StoreBlank(col, row, 0);
                if (sides == 0) continue;
                Cells_.FindCell(col, row, cell);
            } else if (sides == 0) {
                continue;
            }
            const size_t key = static_cast<size_t>(TXLSCellMMU::GetXF(cell)) * 16 + sides;
            if (key < edited.size() && edited[key] >= 0) {
                Cells_.SetXF(col, row, edited[key]);
                continue;
            }
            Cell_.Locate(col, row);
            Cell_.Edit([&](TXc12XFEditor& editor) { change(editor, sides); });
            if (key >= edited.size()) edited.resize(key + 1, -1);
            edited[key] = Cell_.GetXF()->Index();
        }
    }
}

void TXLSRange::Apply(int col1, int row1, int col2, int row2, const TChange& change) {
    Visit([&](int col,
              int row) { return static_cast<uint8_t>(col >= col1 && col <= col2 && row >= row1 && row <= row2); },
          [&](TXc12XFEditor& editor, uint8_t) { change(editor); });
}

void TXLSRange::Outline(const std::function<void(TXc12XFEditor&, TXc12BorderLine)>& change) {
    const int col1 = GetCol1(), row1 = GetRow1(), col2 = GetCol2(), row2 = GetRow2();
    // One pass: each cell gets its sides in the order left, top, right, bottom.
    Visit(
        [&](int col, int row) {
            return static_cast<uint8_t>((col == col1) | (row == row1) << 1 | (col == col2) << 2 | (row == row2) << 3);
        },
        [&](TXc12XFEditor& editor, uint8_t sides) {
            for (TXc12BorderLine line : {xblLeft, xblTop, xblRight, xblBottom})
                if (sides & (1 << line)) change(editor, line);
        });
}

void TXLSRange::ApplyWhole(const TChange& change) { Apply(GetCol1(), GetRow1(), GetCol2(), GetRow2(), change); }

void TXLSRange::SetFillColor(uint32_t rgb) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetFillColor(rgb); });
}
void TXLSRange::SetFontName(std::u16string_view name) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetFontName(name); });
}
void TXLSRange::SetFontSize(int points) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetFontSize(points); });
}
void TXLSRange::SetFontStyle(TXc12FontStyles style) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetFontStyle(style); });
}
void TXLSRange::SetHorizAlignment(uint8_t value) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetHorizAlignment(value); });
}
void TXLSRange::SetVertAlignment(uint8_t value) {
    ApplyWhole([&](TXc12XFEditor& e) { e.SetVertAlignment(value); });
}

void TXLSRange::SetBorderLeftColor(uint32_t rgb) {
    Apply(GetCol1(), GetRow1(), GetCol1(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderLeftColor(rgb); });
}
void TXLSRange::SetBorderLeftStyle(TXc12CellBorderStyle style) {
    Apply(GetCol1(), GetRow1(), GetCol1(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderLeftStyle(style); });
}
void TXLSRange::SetBorderTopColor(uint32_t rgb) {
    Apply(GetCol1(), GetRow1(), GetCol2(), GetRow1(), [&](TXc12XFEditor& e) { e.SetBorderTopColor(rgb); });
}
void TXLSRange::SetBorderTopStyle(TXc12CellBorderStyle style) {
    Apply(GetCol1(), GetRow1(), GetCol2(), GetRow1(), [&](TXc12XFEditor& e) { e.SetBorderTopStyle(style); });
}
void TXLSRange::SetBorderRightColor(uint32_t rgb) {
    Apply(GetCol2(), GetRow1(), GetCol2(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderRightColor(rgb); });
}
void TXLSRange::SetBorderRightStyle(TXc12CellBorderStyle style) {
    Apply(GetCol2(), GetRow1(), GetCol2(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderRightStyle(style); });
}
void TXLSRange::SetBorderBottomColor(uint32_t rgb) {
    Apply(GetCol1(), GetRow2(), GetCol2(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderBottomColor(rgb); });
}
void TXLSRange::SetBorderBottomStyle(TXc12CellBorderStyle style) {
    Apply(GetCol1(), GetRow2(), GetCol2(), GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderBottomStyle(style); });
}

void TXLSRange::SetBorderOutlineColor(uint32_t rgb) {
    Outline([&](TXc12XFEditor& e, TXc12BorderLine line) {
        switch (line) {
            case xblLeft: return e.SetBorderLeftColor(rgb);
            case xblTop: return e.SetBorderTopColor(rgb);
            case xblRight: return e.SetBorderRightColor(rgb);
            default: return e.SetBorderBottomColor(rgb);
        }
    });
}

void TXLSRange::SetBorderOutlineStyle(TXc12CellBorderStyle style) {
    Outline([&](TXc12XFEditor& e, TXc12BorderLine line) {
        switch (line) {
            case xblLeft: return e.SetBorderLeftStyle(style);
            case xblTop: return e.SetBorderTopStyle(style);
            case xblRight: return e.SetBorderRightStyle(style);
            default: return e.SetBorderBottomStyle(style);
        }
    });
}

void TXLSRange::SetBorderInsideHorizColor(uint32_t rgb) {
    Apply(GetCol1(), GetRow1(), GetCol2(), GetRow2() - 1, [&](TXc12XFEditor& e) { e.SetBorderBottomColor(rgb); });
}
void TXLSRange::SetBorderInsideHorizStyle(TXc12CellBorderStyle style) {
    Apply(GetCol1(), GetRow1(), GetCol2(), GetRow2() - 1, [&](TXc12XFEditor& e) { e.SetBorderBottomStyle(style); });
}
void TXLSRange::SetBorderInsideVertColor(uint32_t rgb) {
    Apply(GetCol1(), GetRow1(), GetCol2() - 1, GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderRightColor(rgb); });
}
void TXLSRange::SetBorderInsideVertStyle(TXc12CellBorderStyle style) {
    Apply(GetCol1(), GetRow1(), GetCol2() - 1, GetRow2(), [&](TXc12XFEditor& e) { e.SetBorderRightStyle(style); });
}

}  // namespace xls
