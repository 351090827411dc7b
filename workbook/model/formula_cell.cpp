// Formula cells of the cell store: one variable-size cell holding the flags, the XF, the cached
// result, the formula (token code or text) and the range and data-table blocks.
#include <cstring>
#include <functional>

#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr uint8_t FlagRange = 0x40;
constexpr uint8_t FlagTable = 0x80;
constexpr uint8_t TagTokens = 0xFF;
constexpr uint8_t TagText8 = 1;
constexpr uint8_t TagText16 = 0;

uint8_t StoredKind(uint8_t resultKind) {
    switch (resultKind) {
        case FormulaResultFloat: return xckFormulaFloat;
        case FormulaResultString: return xckFormulaString;
        case FormulaResultBoolean: return xckFormulaBoolean;
        case FormulaResultError: return xckFormulaError;
        default: throw EXLSError("Invalid formula cell type");
    }
}

void CheckFormula(const TXLSMMUCell& cell) {
    if (!cell.Data || !(cell.Type & XLSCellVariable)) throw EXLSError("Cell is not formula");
}

// Offset of the result from the cell's u16 length.
size_t ResultOffset(const TXLSMMUCell& cell) { return 3 + ((cell.Type & XLSCellHasXF) ? 2 : 0); }

size_t ResultSize(const TXLSMMUCell& cell) {
    switch (cell.Type & 0x1F) {
        case xckFormulaFloat: return 8;
        case xckFormulaString: return 2 + 2 * size_t{base::LoadLE16(cell.Data + ResultOffset(cell))};
        case xckFormulaBoolean:
        case xckFormulaError: return 1;
        default: throw EXLSError("Invalid XLate code");
    }
}

uint8_t* WriteCell(uint8_t* p, uint16_t col, int32_t row) {
    base::StoreLE16(p, col);
    base::StoreLE32(p + 2, static_cast<uint32_t>(row));
    return p + 6;
}

}  // namespace

const uint8_t* TXLSCellMMU::FormulaBody(const TXLSMMUCell& cell, uint8_t& kind) {
    CheckFormula(cell);
    kind = cell.Data[2] & 0x1F;
    return cell.Data + ResultOffset(cell) + ResultSize(cell);
}

void TXLSCellMMU::WriteFormulaRecord() {
    TXLSFormulaHelper& h = *FormulaHelper_;
    CheckPosition(h.Col, h.Row);
    const uint8_t kind = StoredKind(h.ResultKind);
    // Token code the caller points at may live in this store, which the write below can move.
    if (h.IsCompiled() && h.FormulaKind <= xfkArrayAnchor) h.SetPtgsCopy(h.Ptgs(), h.PtgsLen);
    const size_t size = static_cast<size_t>(h.StoredSize());
    const bool text8 = !h.IsCompiled() && AllCharsBelow256(h.Text);
    TXLSMMUBlock& block = BlockFor(h.Row);
    const int r = h.Row % MMURowsPerBlock;
    if (!TXLSMMUBlockManager::RowRecord(block, r)) StyleSheet_.XFEditor().UseDefaultXF();
    const uint8_t type = static_cast<uint8_t>(kind | (h.XF != 0 ? XLSCellHasXF : 0));
    uint8_t* p = Manager_.AddVarCell(block, r, h.Col, type, size) + 2;
    *p++ = static_cast<uint8_t>((h.FormulaKind & 0x1F) | (h.HasRange ? FlagRange : 0) | (h.HasTable ? FlagTable : 0));
    if (h.XF != 0) {
        base::StoreLE16(p, static_cast<uint16_t>(h.XF));
        p += 2;
    }
    switch (h.ResultKind) {
        case FormulaResultFloat:
            std::memcpy(p, &h.ResultFloat, 8);
            p += 8;
            break;
        case FormulaResultString:
            base::StoreLE16(p, static_cast<uint16_t>(h.ResultString.size()));
            std::memcpy(p + 2, h.ResultString.data(), 2 * h.ResultString.size());
            p += 2 + 2 * h.ResultString.size();
            break;
        default: *p++ = h.ResultByte; break;
    }
    if (h.FormulaKind == xfkTableAnchor) {
        base::StoreLE16(p, 14);
        p[2] = TagTokens;
        p[3] = PtgTableAnchor;
        p[4] = h.TableOptions;
        p = WriteCell(WriteCell(p + 5, h.TableR1Col, h.TableR1Row), h.TableR2Col, h.TableR2Row);
    } else if (h.FormulaKind >= xfkArrayMember && h.FormulaKind <= xfkTableMember) {
        static constexpr uint8_t Tokens[] = {PtgArrayMember, PtgAnchorMember, PtgTableMember};
        base::StoreLE16(p, 7);
        p[2] = TagTokens;
        p[3] = Tokens[h.FormulaKind - xfkArrayMember];
        p = WriteCell(p + 4, static_cast<uint16_t>(h.AnchorCol), h.AnchorRow);
    } else if (h.IsCompiled()) {
        base::StoreLE16(p, static_cast<uint16_t>(h.PtgsLen));
        p[2] = TagTokens;
        std::memcpy(p + 3, h.Ptgs(), static_cast<size_t>(h.PtgsLen));
        p += 3 + h.PtgsLen;
    } else {
        base::StoreLE16(p, static_cast<uint16_t>(h.Text.size()));
        p[2] = text8 ? TagText8 : TagText16;
        p += 3;
        if (text8) {
            for (char16_t c : h.Text) *p++ = static_cast<uint8_t>(c);
        } else {
            std::memcpy(p, h.Text.data(), 2 * h.Text.size());
            p += 2 * h.Text.size();
        }
    }
    if (h.HasRange) p = WriteCell(WriteCell(p, h.RangeCol1, h.RangeRow1), h.RangeCol2, h.RangeRow2);
    if (h.HasTable) {
        *p = h.TableOptions;
        WriteCell(WriteCell(p + 1, h.TableR1Col, h.TableR1Row), h.TableR2Col, h.TableR2Row);
    }
}

void TXLSCellMMU::StoreFormula() {
    TXLSFormulaHelper& h = *FormulaHelper_;
    StoredKind(h.ResultKind);
    CheckXF(h.XF);
    ++Changes_;
    ++FormulaChanges_;
    WriteFormulaRecord();
    // The row is valid once written.
    const size_t block = static_cast<size_t>(h.Row) / MMURowsPerBlock;
    if (FormulaBlocks_.size() <= block) FormulaBlocks_.resize(block + 1);
    FormulaBlocks_[block] = true;
    StyleSheet_.XFEditor().AddRefXF(h.XF);
}

void TXLSCellMMU::LoadFormula(const TXLSMMUCell& cell) {
    TXLSFormulaHelper& h = *FormulaHelper_;
    uint8_t formulaKind = 0;
    const uint8_t* body = FormulaBody(cell, formulaKind);
    const uint8_t* end = cell.Data + 2 + base::LoadLE16(cell.Data);
    h.Clear();
    const uint8_t flags = cell.Data[2];
    switch (cell.Type & 0x1F) {
        case xckFormulaFloat: h.ResultKind = FormulaResultFloat; break;
        case xckFormulaString: h.ResultKind = FormulaResultString; break;
        case xckFormulaBoolean: h.ResultKind = FormulaResultBoolean; break;
        default: h.ResultKind = FormulaResultError; break;
    }
    h.FormulaKind = formulaKind;
    h.XF = GetXF(cell);
    const uint8_t* result = cell.Data + ResultOffset(cell);
    if (h.ResultKind == FormulaResultFloat) {
        std::memcpy(&h.ResultFloat, result, 8);
    } else if (h.ResultKind == FormulaResultString) {
        h.ResultString.resize(base::LoadLE16(result));
        std::memcpy(h.ResultString.data(), result + 2, 2 * h.ResultString.size());
    } else {
        h.ResultByte = *result;
    }
    const size_t n = base::LoadLE16(body);
    const uint8_t tag = body[2];
    const uint8_t* data = body + 3;
    size_t bodySize = 3 + n;
    if (formulaKind == xfkTableAnchor) {
        h.TableOptions = data[1];
        h.SetTableR1Cell(base::LoadLE16(data + 2), static_cast<int32_t>(base::LoadLE32(data + 4)));
        h.SetTableR2Cell(base::LoadLE16(data + 8), static_cast<int32_t>(base::LoadLE32(data + 10)));
    } else if (formulaKind >= xfkArrayMember && formulaKind <= xfkTableMember) {
        h.AnchorCol = base::LoadLE16(data + 1);
        h.AnchorRow = static_cast<int32_t>(base::LoadLE32(data + 3));
    } else if (tag == TagTokens) {
        h.SetPtgsCopy(data, static_cast<int>(n));
    } else if (tag == TagText8) {
        h.Text.assign(data, data + n);
    } else if (tag == TagText16) {
        bodySize = 3 + 2 * n;
        h.Text.resize(n);
        std::memcpy(h.Text.data(), data, 2 * n);
    } else {
        throw EXLSError("Invalid stored formula");
    }
    const uint8_t* p = body + bodySize;
    if (flags & FlagRange) {
        if (p + 12 > end) throw EXLSError("Invalid stored formula");
        h.SetRange(base::LoadLE16(p), static_cast<int32_t>(base::LoadLE32(p + 2)), base::LoadLE16(p + 6),
                   static_cast<int32_t>(base::LoadLE32(p + 8)));
        h.HasRange = true;
        p += 12;
    }
    if (flags & FlagTable) {
        if (p + 13 > end) throw EXLSError("Invalid stored formula");
        h.TableOptions = p[0];
        h.SetTableR1Cell(base::LoadLE16(p + 1), static_cast<int32_t>(base::LoadLE32(p + 3)));
        h.SetTableR2Cell(base::LoadLE16(p + 7), static_cast<int32_t>(base::LoadLE32(p + 9)));
        h.HasTable = true;
    }
}

void TXLSCellMMU::StoreNewFormula(int col, int row, int xf, double value, const std::function<void()>& setTokens) {
    CheckPosition(col, row);
    TXLSMMUCell old;
    if (FindCell(col, row, old)) xf = GetXF(old);
    CheckXF(xf);
    TXLSFormulaHelper& h = *FormulaHelper_;
    h.Clear();
    h.Col = col;
    h.Row = row;
    h.XF = xf;
    setTokens();
    h.SetResultFloat(value);
    h.StoredSize();
    // The new formula replaces the cell: what the old one held goes back first.
    ReleaseCell(old);
    StoreFormula();
}

void TXLSCellMMU::StoreFormulaTokens(int col, int row, double value, int ptgsLen, const uint8_t* ptgs, int xf) {
    StoreNewFormula(col, row, xf, value, [&] { FormulaHelper_->SetPtgsCopy(ptgs, ptgsLen); });
}

void TXLSCellMMU::StoreFormulaData(int col, int row, int xf, int len, const uint8_t* data) {
    StoreNewFormula(col, row, xf, 0, [&] { FormulaHelper_->SetPtgs(data, len); });
}

void TXLSCellMMU::ReplaceFormulaPtgs(int col, int row, const TXLSMMUCell& cell, const uint8_t* ptgs, int len) {
    if (!cell.Data || !cell.Type || !(cell.Type & XLSCellVariable)) throw EXLSError("Invalid formula");
    std::vector<uint8_t> copy(ptgs, ptgs + std::max(len, 0));
    LoadFormula(cell);
    TXLSFormulaHelper& h = *FormulaHelper_;
    h.Col = col;
    h.Row = row;
    h.SetPtgsCopy(copy.data(), len);
    h.StoredSize();
    ++Changes_;
    ++FormulaChanges_;
    WriteFormulaRecord();
}

void TXLSCellMMU::SetFormulaResultFloat(const TXLSMMUCell& cell, int col, int row, double value) {
    CheckFormula(cell);
    if ((cell.Type & 0x1F) == xckFormulaFloat) {
        std::memcpy(cell.Data + ResultOffset(cell), &value, 8);
        return;
    }
    LoadFormula(cell);
    FormulaHelper_->Col = col;
    FormulaHelper_->Row = row;
    FormulaHelper_->SetResultFloat(value);
    WriteFormulaRecord();
}

void TXLSCellMMU::SetFormulaResultBoolean(const TXLSMMUCell& cell, int col, int row, bool value) {
    CheckFormula(cell);
    if ((cell.Type & 0x1F) == xckFormulaBoolean) {
        cell.Data[ResultOffset(cell)] = value ? 1 : 0;
        return;
    }
    LoadFormula(cell);
    FormulaHelper_->Col = col;
    FormulaHelper_->Row = row;
    FormulaHelper_->SetResultBoolean(value);
    WriteFormulaRecord();
}

void TXLSCellMMU::SetFormulaResultError(const TXLSMMUCell& cell, int col, int row, uint8_t code) {
    CheckFormula(cell);
    if (code == 0 || code >= Xc12CellErrorCount) throw EXLSError("Invalid error value");
    if ((cell.Type & 0x1F) == xckFormulaError) {
        cell.Data[ResultOffset(cell)] = code;
        return;
    }
    LoadFormula(cell);
    FormulaHelper_->Col = col;
    FormulaHelper_->Row = row;
    FormulaHelper_->SetResultError(code);
    WriteFormulaRecord();
}

void TXLSCellMMU::SetFormulaResultString(const TXLSMMUCell& cell, int col, int row, std::u16string_view text) {
    CheckFormula(cell);
    // Only a string result equal to the text is left alone: an empty text on a number result
    // must still turn the result into an empty string.
    if ((cell.Type & 0x1F) == xckFormulaString && GetFormulaResultString(cell) == text) return;
    if (text.size() > 0xFFFF) throw EXLSError("Formula result longer than 65535 characters");
    LoadFormula(cell);
    FormulaHelper_->Col = col;
    FormulaHelper_->Row = row;
    FormulaHelper_->SetResultString(text);
    WriteFormulaRecord();
}

double TXLSCellMMU::GetFormulaResultFloat(const TXLSMMUCell& cell) {
    if (!cell.Data || (cell.Type & 0x9F) != (XLSCellVariable | xckFormulaFloat)) return 0;
    double value;
    std::memcpy(&value, cell.Data + ResultOffset(cell), 8);
    return value;
}

bool TXLSCellMMU::GetFormulaResultBoolean(const TXLSMMUCell& cell) {
    return cell.Data && (cell.Type & 0x9F) == (XLSCellVariable | xckFormulaBoolean) &&
           cell.Data[ResultOffset(cell)] != 0;
}

uint8_t TXLSCellMMU::GetFormulaResultError(const TXLSMMUCell& cell) {
    if (!cell.Data || (cell.Type & 0x9F) != (XLSCellVariable | xckFormulaError)) return 0;
    return cell.Data[ResultOffset(cell)];
}

std::u16string TXLSCellMMU::GetFormulaResultString(const TXLSMMUCell& cell) {
    if (!cell.Data || (cell.Type & 0x9F) != (XLSCellVariable | xckFormulaString)) return {};
    const uint8_t* result = cell.Data + ResultOffset(cell);
    std::u16string text(base::LoadLE16(result), u'\0');
    std::memcpy(text.data(), result + 2, 2 * text.size());
    return text;
}

void TXLSCellMMU::GetFormulaText(const TXLSMMUCell& cell, std::u16string& text) {
    text.clear();
    if (!cell.Data) return;
    uint8_t kind = 0;
    const uint8_t* body = FormulaBody(cell, kind);
    const size_t n = base::LoadLE16(body);
    switch (body[2]) {
        case TagTokens: throw EXLSError("Formula is compiled");
        case TagText8: text.assign(body + 3, body + 3 + n); break;
        case TagText16:
            text.resize(n);
            std::memcpy(text.data(), body + 3, 2 * n);
            break;
        default: throw EXLSError("Invalid formula");
    }
}

int TXLSCellMMU::GetFormulaPtgs(const TXLSMMUCell& cell, const uint8_t*& ptgs) {
    uint8_t kind = 0;
    const uint8_t* body = FormulaBody(cell, kind);
    if (body[2] != TagTokens) throw EXLSError("Formula is not compiled");
    ptgs = body + 3;
    return base::LoadLE16(body);
}

bool TXLSCellMMU::IsFormulaCompiled(const TXLSMMUCell& cell) {
    uint8_t kind = 0;
    return FormulaBody(cell, kind)[2] == TagTokens;
}

const uint8_t* TXLSCellMMU::GetFormulaRange(const TXLSMMUCell& cell) {
    uint8_t kind = 0;
    const uint8_t* body = FormulaBody(cell, kind);
    if (!(cell.Data[2] & FlagRange)) return nullptr;
    const size_t n = base::LoadLE16(body);
    return body + 3 + (body[2] == TagText16 ? 2 * n : n);
}

uint8_t TXLSCellMMU::IterFormulaKind() const {
    CheckFormula(IterCell_);
    return IterCell_.Data[2];
}

}  // namespace xls
