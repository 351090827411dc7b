#include "workbook/model/event_cell.h"

#include "workbook/model/cell_reference.h"

namespace xls {

TXLSEventCell::TXLSEventCell(int firstCol, int firstRow, int lastCol, int lastRow)
    : FirstRow(firstRow), LastRow(lastRow), FirstCol(firstCol), LastCol(lastCol) {
    Reset();
}

void TXLSEventCell::Reset() {
    Col = FirstCol - 1;
    Row = FirstRow;
    PrevCol = -1;
    PrevRow = -1;
    ClearValue();
}

void TXLSEventCell::ClearValue() {
    CellType = 0;
    Formula.clear();
    HasFormula = 0;
    Format = nullptr;
}

void TXLSEventCell::SetAsBoolean(bool value) {
    AsBoolean = value ? 1 : 0;
    SetType(2, 8);
}

void TXLSEventCell::SetAsError(uint8_t value) {
    AsError = value;
    SetType(3, 9);
}

void TXLSEventCell::SetAsFloat(double value) {
    AsFloat = value;
    SetType(5, 6);
}

void TXLSEventCell::SetAsString(std::u16string_view value) {
    AsString = value;
    SetType(4, 7);
}

void TXLSEventCell::SetFormula(std::u16string_view text) {
    Formula = text;
    HasFormula = 1;
}

bool TXLSEventCell::SetRef(std::u16string_view text) {
    int col = 0;
    int row = 0;
    if (!RefStrToColRow(text, col, row)) return false;
    Col = col;
    Row = row;
    return true;
}

}  // namespace xls
