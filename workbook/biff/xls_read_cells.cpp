#include <string>

#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_read.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"
#include "workbook/model/event_cell.h"
#include "workbook/model/formula_helper.h"

namespace xls {

namespace {

constexpr uint16_t FormulaShared = 0x0008;
constexpr size_t FormulaTokensAt = 22;
constexpr size_t SharedTokensAt = 10;
constexpr uint8_t ResultString = 0;
constexpr uint8_t ResultBoolean = 1;
constexpr uint8_t ResultError = 2;
constexpr uint8_t ResultEmpty = 3;

uint32_t AnchorKey(uint16_t row, uint16_t col) { return static_cast<uint32_t>(row) << 8 | (col & 0xFF); }

}  // namespace

template <class TSet>
bool TXLSReadBIFF::Direct(int col, int row, TSet set) {
    if (!Manager_.DirectRead) return false;
    Worksheet();
    TXLSEventCell& cell = Manager_.EventCell();
    cell.Reset();
    cell.SheetIndex = CurrentSheet_;
    cell.SheetName = Document_.Sheets().GetItems(CurrentSheet_).GetName();
    cell.SetCol(col);
    cell.SetRow(row);
    set(cell);
    Manager_.FireReadCell();
    return true;
}

void TXLSReadBIFF::ReadBlank() {
    const base::TByteReader r = Reader();
    Cells(r.U16LEAt(0)).StoreBlank(r.U16LEAt(2), r.U16LEAt(0), ModelXF(r.U16LEAt(4)));
}

void TXLSReadBIFF::ReadMulBlank() {
    const base::TByteReader r = Reader();
    const int row = r.U16LEAt(0);
    const int first = r.U16LEAt(2);
    if (r.Size() < 6) throw EBIFFError("Record too short");
    const size_t count = (r.Size() - 6) / 2;
    TXLSCellMMU& cells = Cells(row);
    for (size_t i = 0; i < count; ++i)
        cells.StoreBlank(first + static_cast<int>(i), row, ModelXF(r.U16LEAt(4 + 2 * i)));
}

void TXLSReadBIFF::StoreNumber(int col, int row, int xf, double value) {
    if (Direct(col, row, [&](TXLSEventCell& c) { c.SetAsFloat(value); })) return;
    Cells(row).StoreFloat(col, row, xf, value);
}

void TXLSReadBIFF::StoreText(int col, int row, int xf, const std::u16string& text) {
    if (Direct(col, row, [&](TXLSEventCell& c) { c.SetAsString(text); })) return;
    Cells(row).StoreString(col, row, xf, text);
}

void TXLSReadBIFF::StoreBoolErr(int col, int row, int xf, uint8_t value, bool error) {
    if (Direct(col, row, [&](TXLSEventCell& c) {
            if (error)
                c.SetAsError(BIFFErrorToCellError(value));
            else
                c.SetAsBoolean(value != 0);
        }))
        return;
    if (error)
        Cells(row).StoreError(col, row, xf, BIFFErrorToCellError(value));
    else
        Cells(row).StoreBoolean(col, row, xf, value != 0);
}

void TXLSReadBIFF::ReadNumber() {
    const base::TByteReader r = Reader();
    StoreNumber(r.U16LEAt(2), r.U16LEAt(0), ModelXF(r.U16LEAt(4)), base::LoadLEDouble(r.BytesAt(6, 8).data()));
}

void TXLSReadBIFF::ReadRK() {
    const base::TByteReader r = Reader();
    StoreNumber(r.U16LEAt(2), r.U16LEAt(0), ModelXF(r.U16LEAt(4)), DecodeRK(r.U32LEAt(6)));
}

void TXLSReadBIFF::ReadMulRK() {
    const base::TByteReader r = Reader();
    const int row = r.U16LEAt(0);
    const int first = r.U16LEAt(2);
    if (r.Size() < 6) throw EBIFFError("Record too short");
    const size_t count = (r.Size() - 6) / 6;
    TXLSCellMMU& cells = Cells(row);
    if (Manager_.DirectRead) {
        for (size_t i = 0; i < count; ++i) {
            const double value = DecodeRK(r.U32LEAt(6 + 6 * i));
            const int col = first + static_cast<int>(i);
            if (!Direct(col, row, [&](TXLSEventCell& c) { c.SetAsFloat(value); }))
                cells.StoreFloat(col, row, ModelXF(r.U16LEAt(4 + 6 * i)), value);
        }
        return;
    }
    // Runs of cells with one format are stored together: their format uses are counted once.
    constexpr size_t RunMax = 64;
    TXLSPackedFloat values[RunMax];
    size_t i = 0;
    while (i < count) {
        const uint16_t fileXF = r.U16LEAt(4 + 6 * i);
        size_t n = 0;
        while (i + n < count && n < RunMax && r.U16LEAt(4 + 6 * (i + n)) == fileXF) {
            values[n] = XLSPackRK(r.U32LEAt(6 + 6 * (i + n)));
            ++n;
        }
        cells.StoreFloatRun(first + static_cast<int>(i), row, ModelXF(fileXF), values, static_cast<int>(n));
        i += n;
    }
}

std::u16string TXLSReadBIFF::OldText(std::span<const uint8_t> chars, size_t count, int col, int row) {
    if (count > chars.size()) {
        Manager_.Errors().Warning(ColRowToRefStr(col, row), TXLSErrorManager::WarnTextCutShort);
        count = chars.size();
    }
    return ByteStrToWideStr(chars, static_cast<int>(count));
}

void TXLSReadBIFF::ReadLabel() {
    const base::TByteReader r = Reader();
    const int row = r.U16LEAt(0);
    const int col = r.U16LEAt(2);
    const size_t count = r.U16LEAt(6);
    std::u16string text;
    if (Biff8()) {
        text = BIFFBufToWideStr(r.BytesAt(8, r.Size() - 8), static_cast<int>(count));
    } else if (count > 0) {
        // BIFF3 to BIFF5: an optional width byte before the characters.
        const std::span<const uint8_t> rest = r.BytesAt(8, r.Size() - 8);
        const uint8_t mark = rest.empty() ? 0xFF : rest[0];
        if (mark == 0 && rest.size() >= 1 + count)
            text = ByteStrToWideStr(rest.subspan(1), static_cast<int>(count));
        else if (mark == 1 && rest.size() >= 1 + 2 * count)
            text = BIFFBufToWideStr(rest, static_cast<int>(count));
        else
            text = OldText(rest, count, col, row);
    }
    StoreText(col, row, ModelXF(r.U16LEAt(4)), text);
}

void TXLSReadBIFF::ReadLabelSST() {
    const base::TByteReader r = Reader();
    const uint32_t index = r.U32LEAt(6);
    if (index >= static_cast<uint32_t>(Manager_.SST().Count()))
        throw EBIFFError("Shared string index out of range (" + std::to_string(index) + ")");
    if (Direct(r.U16LEAt(2), r.U16LEAt(0),
               [&](TXLSEventCell& c) { c.SetAsString(Manager_.SST().GetText(static_cast<int>(index))); }))
        return;
    Cells(r.U16LEAt(0)).StoreSSTString(r.U16LEAt(2), r.U16LEAt(0), ModelXF(r.U16LEAt(4)), static_cast<int>(index));
}

void TXLSReadBIFF::ReadBoolErr() {
    const base::TByteReader r = Reader();
    StoreBoolErr(r.U16LEAt(2), r.U16LEAt(0), ModelXF(r.U16LEAt(4)), r.U8At(6), r.U8At(7) == 1);
}

int TXLSReadBIFF::Biff2XF(const base::TByteReader& r) { return Biff2AttrXF(r.BytesAt(4, 3)); }

void TXLSReadBIFF::ReadBiff2Cell() {
    const base::TByteReader r = Reader();
    const int row = r.U16LEAt(0);
    const int col = r.U16LEAt(2);
    const int xf = Biff2XF(r);
    switch (Header_.RecID) {
        case BIFFRECID_BLANK_BIFF2: Cells(row).StoreBlank(col, row, xf); break;
        case BIFFRECID_BOOLERR_BIFF2: StoreBoolErr(col, row, xf, r.U8At(7), r.U8At(8) == 1); break;
        case BIFFRECID_INTEGER_BIFF2: StoreNumber(col, row, xf, r.U16LEAt(7)); break;
        case BIFFRECID_NUMBER_BIFF2: StoreNumber(col, row, xf, base::LoadLEDouble(r.BytesAt(7, 8).data())); break;
        default: StoreText(col, row, xf, OldText(r.BytesAt(8, r.Size() - 8), r.U8At(7), col, row));
    }
}

void TXLSReadBIFF::ReadBiff2Row() {
    const base::TByteReader r = Reader();
    // Bit 15 of the height marks the default height; the attributes follow when byte 10 is set.
    const uint16_t height = r.U16LEAt(6);
    const int xf = r.U8At(10) ? Biff2AttrXF(r.BytesAt(13, 3)) : 0;
    Worksheet();
    PendingRows_.push_back({r.U16LEAt(0), static_cast<uint16_t>(xf), static_cast<uint16_t>(height & 0x7FFF), 0,
                            static_cast<uint8_t>((height & 0x8000) ? 0 : 0x02)});
}

void TXLSReadBIFF::ReadRow() {
    const base::TByteReader r = Reader();
    const uint8_t options = r.U8At(12);
    const int xf = (options & 0x80) ? ModelXF(r.U16LEAt(14) & 0x0FFF) : 0;
    uint8_t flags = 0;
    if (options & 0x10) flags |= 0x04;
    if (options & 0x20) flags |= 0x01;
    if (options & 0x40) flags |= 0x02;
    Worksheet();
    PendingRows_.push_back(
        {r.U16LEAt(0), static_cast<uint16_t>(xf), r.U16LEAt(6), static_cast<uint8_t>(options & 0x07), flags});
}

void TXLSReadBIFF::ReadFormula() {
    const base::TByteReader r = Reader();
    const int row = r.U16LEAt(0);
    const int col = r.U16LEAt(2);
    // BIFF2 has 3 attribute bytes and 8-bit option and length fields; BIFF3 and BIFF4 lack the
    // 4 bytes before the token length that BIFF5 and later have.
    const bool biff2 = Header_.RecID == BIFFRECID_FORMULA && Version_ == xvExcel21;
    const bool biff34 = Header_.RecID != BIFFRECID_FORMULA;
    const int xf = biff2 ? Biff2XF(r) : ModelXF(r.U16LEAt(4));
    const std::span<const uint8_t> result = r.BytesAt(biff2 ? 7 : 6, 8);
    const uint16_t options = biff2 ? r.U8At(15) : r.U16LEAt(14);
    const size_t tokensAt = biff2 ? 17 : biff34 ? 18 : FormulaTokensAt;
    const uint16_t tokenLength = biff2 ? r.U8At(16) : r.U16LEAt(tokensAt - 2);
    std::span<const uint8_t> tokens = r.BytesAt(tokensAt, tokenLength);
    std::span<const uint8_t> extra = r.BytesAt(tokensAt + tokenLength, r.Size() - tokensAt - tokenLength);
    TXLSCellMMU& cells = Cells(row);
    TXLSFormulaHelper& helper = cells.FormulaHelper();
    std::vector<uint8_t> shared;

    uint16_t anchorRow = 0, anchorCol = 0;
    if (ExpAnchor(tokens, anchorRow, anchorCol)) {
        if (options & FormulaShared) {
            const TSharedFormula* entry = ReadSharedFormula(row, col, anchorRow, anchorCol);
            shared = entry->Tokens;
            FixupSharedFormula(Biff8(), shared, row, col);
            tokens = shared;
            extra = {};
        } else if (ReadArray(row, col, xf, result, helper)) {
            return;
        }
    }
    // A formula without tokens whose result is a number carries nothing a cell could hold.
    const bool numberResult = !(result[0] < 4 && result[6] == 0xFF && result[7] == 0xFF);
    if (tokens.empty() && numberResult) return;
    helper.Clear();
    helper.Col = col;
    helper.Row = row;
    helper.XF = xf;
    if (extra.empty()) {
        helper.SetPtgs(tokens.data(), static_cast<int>(tokens.size()));
    } else {
        std::vector<uint8_t> joined(tokens.begin(), tokens.end());
        joined.insert(joined.end(), extra.begin(), extra.end());
        helper.SetPtgsWithExtra(joined.data(), static_cast<int>(tokens.size()), static_cast<int>(extra.size()));
    }
    ReadFormulaResult(helper, result);
    // The direct road reports a formula by its cached result only.
    if (Direct(col, row, [&](TXLSEventCell& c) {
            switch (helper.ResultKind) {
                case FormulaResultString: c.SetAsString(helper.GetResultString()); break;
                case FormulaResultBoolean: c.SetAsBoolean(helper.GetResultBoolean()); break;
                case FormulaResultError: c.SetAsError(helper.GetResultError()); break;
                default: c.SetAsFloat(helper.GetResultFloat());
            }
        }))
        return;
    cells.StoreFormula();
}

const TXLSReadBIFF::TSharedFormula* TXLSReadBIFF::ReadSharedFormula(int row, int col, uint16_t anchorRow,
                                                                    uint16_t anchorCol) {
    const uint16_t next = Stream_.PeekRecordId();
    if (next == BIFFRECID_SHRFMLA || next == BIFFRECID_SHRFMLA_BIFF5) {
        uint16_t id = 0;
        ReadNextRecord(id, Extra_);
        const base::TByteReader s(Extra_, [] { throw EBIFFError("SHRFMLA record too short"); });
        const uint16_t length = s.U16LEAt(8);
        TSharedFormula entry{s.U16LEAt(0), s.U16LEAt(2), s.U8At(4), s.U8At(5), {}};
        const std::span<const uint8_t> tokens = s.BytesAt(SharedTokensAt, length);
        entry.Tokens.assign(tokens.begin(), tokens.end());
        SharedByAnchor_.try_emplace(AnchorKey(entry.Row1, entry.Col1), SharedFormulas_.size());
        SharedFormulas_.push_back(std::move(entry));
    }
    // The anchor is the top-left cell of its range in every file seen; other files are searched.
    const auto found = SharedByAnchor_.find(AnchorKey(anchorRow, anchorCol));
    if (found != SharedByAnchor_.end()) return &SharedFormulas_[found->second];
    for (const TSharedFormula& entry : SharedFormulas_)
        if (anchorRow >= entry.Row1 && anchorRow <= entry.Row2 && anchorCol >= entry.Col1 && anchorCol <= entry.Col2)
            return &entry;
    throw EBIFFError("Fixup error in shared formula at C=" + std::to_string(col) + ",R=" + std::to_string(row) + " (" +
                     base::Utf16ToUtf8(ColRowToRefStrAbs(col, row, true, true)) + ")");
}

bool TXLSReadBIFF::ReadArray(int row, int col, int xf, std::span<const uint8_t> result, TXLSFormulaHelper& helper) {
    if (Stream_.PeekRecordId() == ArrayRecordId()) {
        uint16_t id = 0;
        ReadNextRecord(id, PendingArray_);
        const base::TByteReader a(PendingArray_, [] { throw EBIFFError("ARRAY record too short"); });
        const auto [tokensAt, length] = ArrayTokens(a);
        const std::span<const uint8_t> tokens = a.BytesAt(tokensAt, length);
        helper.Clear();
        helper.Col = col;
        helper.Row = row;
        helper.XF = xf;
        helper.SetRange(a.U8At(4), a.U16LEAt(0), a.U8At(5), a.U16LEAt(2));
        helper.HasRange = true;
        helper.FormulaKind = xfkArrayAnchor;
        const size_t extra = a.Size() - tokensAt - length;
        if (extra > 0)
            helper.SetPtgsWithExtra(PendingArray_.data() + tokensAt, length, static_cast<int>(extra));
        else
            helper.SetPtgs(tokens.data(), length);
        ReadFormulaResult(helper, result);
        if (!Manager_.DirectRead) Cells(row).StoreFormula();
        return true;
    }
    if (PendingArray_.size() < 6) return false;
    const base::TByteReader a(PendingArray_);
    const int row1 = a.U16LEAt(0), row2 = a.U16LEAt(2), col1 = a.U8At(4), col2 = a.U8At(5);
    if (row < row1 || row > row2 || col < col1 || col > col2) {
        PendingArray_.clear();
        return false;
    }
    helper.Clear();
    helper.Col = col;
    helper.Row = row;
    helper.XF = xf;
    helper.AnchorCol = col1;
    helper.AnchorRow = row1;
    helper.FormulaKind = xfkAnchorMember;
    ReadFormulaResult(helper, result);
    if (!Manager_.DirectRead) Cells(row).StoreFormula();
    return true;
}

void TXLSReadBIFF::ReadFormulaResult(TXLSFormulaHelper& helper, std::span<const uint8_t> result) {
    if (result[0] >= 4 || result[6] != 0xFF || result[7] != 0xFF) {
        helper.SetResultFloat(base::LoadLEDouble(result.data()));
        return;
    }
    switch (result[0]) {
        case ResultBoolean: helper.SetResultBoolean(result[2] != 0); return;
        case ResultError: helper.SetResultError(BIFFErrorToCellError(result[2])); return;
        case ResultEmpty: helper.SetResultString(u""); return;
        case ResultString: break;
        default: return;
    }
    const uint16_t next = Stream_.PeekRecordId();
    if (next == BIFFRECID_SHRFMLA || next == BIFFRECID_SHRFMLA_BIFF5) throw EBIFFError("Unxepected SHRFMLA");
    // A text result whose STRING record is missing keeps the formula with an empty text.
    if (next != BIFFRECID_STRING && next != BIFFRECID_STRING_BIFF2) {
        helper.SetResultString(u"");
        return;
    }
    uint16_t id = 0;
    ReadNextRecord(id, Extra_);
    const base::TByteReader s(Extra_, [] { throw EBIFFError("STRING record too short"); });
    std::u16string text;
    if (id == BIFFRECID_STRING_BIFF2) {
        text = OldText(s.BytesAt(1, s.Size() - 1), s.U8At(0), helper.Col, helper.Row);
    } else if (Biff8()) {
        text = BIFFBufToWideStr(s.BytesAt(2, s.Size() - 2), s.U16LEAt(0));
    } else {
        text = OldText(s.BytesAt(2, s.Size() - 2), s.U16LEAt(0), helper.Col, helper.Row);
    }
    helper.SetResultString(text);
}

}  // namespace xls
