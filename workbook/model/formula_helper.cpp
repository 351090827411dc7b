#include "workbook/model/formula_helper.h"

#include <cstring>

#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

void CheckLength(int64_t len) {
    if (len < 0 || len > MaxStoredFormulaSize) throw EXLSError("Formula data longer than 65535 bytes");
}

}  // namespace

void TXLSFormulaHelper::Clear() {
    Owned_.clear();
    Ptgs_ = nullptr;
    PtgsLen = -1;
    Col = Row = -1;
    XF = 64;
    Text.clear();
    ResultKind = FormulaResultNone;
    FormulaKind = xfkNormal;
    HasRange = false;
    ResultFloat = 0;
    ResultByte = 0;
    ResultString.clear();
    TableR1Col = TableR2Col = TableCellUnset;
    HasTable = false;
    Options = 0;
}

void TXLSFormulaHelper::Own(size_t size) {
    Owned_.assign(size, 0);
    Ptgs_ = Owned_.data();
    PtgsLen = static_cast<int32_t>(size);
}

void TXLSFormulaHelper::SetPtgs(const uint8_t* data, int len) {
    CheckLength(int64_t{len} + 1);
    Own(static_cast<size_t>(len) + 1);
    Owned_[0] = PtgsBIFF8;
    if (len > 0) std::memcpy(Owned_.data() + 1, data, static_cast<size_t>(len));
}

void TXLSFormulaHelper::SetPtgsWithExtra(const uint8_t* data, int len, int extraLen) {
    if (len < 0 || extraLen < 0 || extraLen > 0xFFFF) throw EXLSError("Formula data longer than 65535 bytes");
    CheckLength(int64_t{len} + extraLen + 3);
    Own(static_cast<size_t>(len + extraLen) + 3);
    Owned_[0] = PtgsBIFF8Extra;
    Owned_[1] = static_cast<uint8_t>(extraLen);
    Owned_[2] = static_cast<uint8_t>(extraLen >> 8);
    if (len + extraLen > 0) std::memcpy(Owned_.data() + 3, data, static_cast<size_t>(len + extraLen));
}

void TXLSFormulaHelper::SetPtgsCopy(const uint8_t* data, int len) {
    CheckLength(len);
    // Built aside first: data may point into the buffer being replaced.
    std::vector<uint8_t> copy;
    if (len > 0) copy.assign(data, data + len);
    Owned_.swap(copy);
    Ptgs_ = Owned_.data();
    PtgsLen = len;
}

void TXLSFormulaHelper::SetPtgsPointer(const uint8_t* ptgs) {
    Owned_.clear();
    Ptgs_ = ptgs;
}

void TXLSFormulaHelper::SetResultFloat(double value) {
    ResultKind = FormulaResultFloat;
    ResultFloat = value;
}

void TXLSFormulaHelper::SetResultString(std::u16string_view text) {
    if (text.size() > 0xFFFF) throw EXLSError("Formula result longer than 65535 characters");
    ResultKind = FormulaResultString;
    ResultString = text;
}

void TXLSFormulaHelper::SetResultBoolean(bool value) {
    ResultKind = FormulaResultBoolean;
    ResultByte = value ? 1 : 0;
}

void TXLSFormulaHelper::SetResultError(uint8_t code) {
    if (code == 0 || code >= Xc12CellErrorCount) throw EXLSError("Invalid error value");
    ResultKind = FormulaResultError;
    ResultByte = code;
}

void TXLSFormulaHelper::SetResultErrorText(std::u16string_view text) { SetResultError(ErrorTextToCellError(text)); }

std::u16string TXLSFormulaHelper::GetResultErrorText() const {
    return std::u16string(CellErrorToText(GetResultError()));
}

void TXLSFormulaHelper::SetRange(int col1, int row1, int col2, int row2) {
    RangeCol1 = static_cast<uint16_t>(col1);
    RangeRow1 = row1;
    RangeCol2 = static_cast<uint16_t>(col2);
    RangeRow2 = row2;
}

void TXLSFormulaHelper::SetRangeRef(std::u16string_view text) {
    if (text.empty()) {
        HasRange = false;
        return;
    }
    int col1, row1, col2, row2;
    if (!AreaStrToColRow(text, col1, row1, col2, row2)) throw EXLSError("Invalid area reference");
    SetRange(col1, row1, col2, row2);
    HasRange = true;
}

std::u16string TXLSFormulaHelper::GetRangeRef() const {
    return AreaToRefStr(RangeCol1, RangeRow1, RangeCol2, RangeRow2);
}

namespace {

void ParseCell(std::u16string_view text, uint16_t& col, int32_t& row) {
    int c, r;
    if (!RefStrToColRow(text, c, r)) throw EXLSError("Invalid cell reference");
    col = static_cast<uint16_t>(c);
    row = r;
}

std::u16string CellText(uint16_t col, int32_t row) {
    return col == TableCellUnset ? std::u16string() : ColRowToRefStr(col, row);
}

}  // namespace

void TXLSFormulaHelper::SetTableR1(std::u16string_view text) {
    ParseCell(text, TableR1Col, TableR1Row);
    HasTable = true;
}

void TXLSFormulaHelper::SetTableR2(std::u16string_view text) {
    ParseCell(text, TableR2Col, TableR2Row);
    HasTable = true;
}

void TXLSFormulaHelper::SetTableR1Cell(int col, int row) {
    TableR1Col = static_cast<uint16_t>(col);
    TableR1Row = row;
}

void TXLSFormulaHelper::SetTableR2Cell(int col, int row) {
    TableR2Col = static_cast<uint16_t>(col);
    TableR2Row = row;
}

std::u16string TXLSFormulaHelper::GetTableR1() const { return CellText(TableR1Col, TableR1Row); }
std::u16string TXLSFormulaHelper::GetTableR2() const { return CellText(TableR2Col, TableR2Row); }

bool TXLSFormulaHelper::SetCellRef(std::u16string_view text) {
    int col, row;
    if (!RefStrToColRow(text, col, row)) return false;
    Col = col;
    Row = row;
    return true;
}

int TXLSFormulaHelper::StoredSize() const {
    int64_t size = 1 + (XF != 0 ? 2 : 0);
    switch (ResultKind) {
        case FormulaResultFloat: size += 8; break;
        case FormulaResultString: size += 2 + 2 * int64_t(ResultString.size()); break;
        case FormulaResultBoolean:
        case FormulaResultError: size += 1; break;
        default: throw EXLSError("Invalid formula cell type");
    }
    if (FormulaKind == xfkTableAnchor)
        size += 17;
    else if (FormulaKind >= xfkArrayMember && FormulaKind <= xfkTableMember)
        size += 10;
    else if (IsCompiled())
        size += 3 + int64_t{PtgsLen};
    else
        size += 3 + int64_t(Text.size()) * (AllCharsBelow256(Text) ? 1 : 2);
    if (HasRange) size += 12;
    if (HasTable) size += 13;
    if (size > MaxStoredFormulaSize) throw EXLSError("Formula data longer than 65535 bytes");
    return static_cast<int>(size);
}

}  // namespace xls
