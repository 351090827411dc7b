#include "workbook/model/cell_store.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "workbook/model/biff_values.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr int32_t LowestInt32 = -2147483646;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TXLSPackedFloat AsDouble(double x) { return {xckDouble, std::bit_cast<int64_t>(x)}; }

double Decode(uint8_t kind, int64_t value) {
    switch (kind) {
        case xckHundredths: return static_cast<double>(value) / 100.0;
        case xckTenThousandths: return static_cast<double>(value) / 10000.0;
        default: return static_cast<double>(value);
    }
}

// The runtime's default float-to-text conversion: 15 significant digits, exponent form
// outside 1e-5 .. 1e15 written as "1E20" / "1E-5".
std::u16string FloatToText(double value) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::u16string text;
    for (const char* p = buffer; p < result.ptr; ++p) {
        if (*p == 'e') {
            text += u'E';
            ++p;
            if (*p == '-') text += u'-';
            ++p;
            while (p + 1 < result.ptr && *p == '0') ++p;
            for (; p < result.ptr; ++p) text += static_cast<char16_t>(*p);
            break;
        }
        text += static_cast<char16_t>(*p);
    }
    return text;
}

}  // namespace

TXLSPackedFloat XLSPackFloat(double x) {
    // Outside the 32-bit range (infinities and NaN too) nothing packs; inside it integer
    // conversions truncate and round exactly, without calls into the maths library.
    if (!(x >= LowestInt32 && x <= 2147483647.0)) return AsDouble(x);
    const double whole = static_cast<double>(static_cast<int64_t>(x));
    const double fraction = x - whole;
    if (whole == 0 && fraction < 1e-8) return AsDouble(x);
    if (fraction == 0) {
        if (x >= -128 && x <= 127) return {xckInt8, static_cast<int64_t>(x)};
        if (x >= -32768 && x <= 32767) return {xckInt16, static_cast<int64_t>(x)};
        return {xckInt32, static_cast<int64_t>(x)};
    }
    const double y = x * 10000;
    // Half away from zero; where that differs from the nearest even, y is half-way and no form fits.
    const double rounded = static_cast<double>(static_cast<int64_t>(y >= 0 ? y + 0.5 : y - 0.5));
    const double d = rounded - y;
    if (d <= -1e-8 || d >= 1e-8) return AsDouble(x);
    const int64_t c = static_cast<int64_t>(rounded);
    // A packed form counts only when it gives back the very same double: 3 + 1e-13 lies within
    // the tolerance of 3 but is not 3.
    TXLSPackedFloat packed = AsDouble(x);
    if (c % 10000 == 0)
        packed = {xckInt32, c / 10000};
    else if (c % 100 == 0 && c / 100 >= -2147483647 && c / 100 <= 2147483647)
        packed = {xckHundredths, c / 100};
    else if (c >= -2147483647 && c <= 2147483647)
        packed = {xckTenThousandths, c};
    if (packed.Kind != xckDouble && !SameBits(Decode(packed.Kind, packed.Value), x)) return AsDouble(x);
    return packed;
}

TXLSPackedFloat XLSPackRK(uint32_t rk) {
    if (rk & 1) {
        // A whole number v in hundredths (either form) that is no multiple of 100 packs as v
        // hundredths: below 2^17 the two roundings of the quotient keep 10,000 times it within
        // 1e-8 of 100 v, and v hundredths decode to the very quotient. Between -1 and 0 the
        // packer keeps the double.
        const double hundredths = RKUnscaled(rk);
        constexpr double Limit = 1 << 17;
        if (hundredths > -Limit && hundredths < Limit) {
            const int32_t v = static_cast<int32_t>(hundredths);
            if (v == hundredths && v % 100 != 0 && (v > 0 || v <= -100)) return {xckHundredths, v};
        }
    }
    return XLSPackFloat(DecodeRK(rk));
}

TXLSCellMMU::TXLSCellMMU(int sheetIndex, TXc12DataStyleSheet& styleSheet, TXc12DataSST& sst)
    : SheetIndex_(sheetIndex),
      StyleSheet_(styleSheet),
      SST_(sst),
      // A row that a cell makes has no height of its own: it takes the sheet's default.
      DefaultHeader_{0, 0, 0, 0, XLSRowHeightNotGiven & 0xFF, XLSRowHeightNotGiven >> 8},
      Manager_(DefaultHeader_),
      FormulaHelper_(std::make_unique<TXLSFormulaHelper>()) {}

TXLSCellMMU::~TXLSCellMMU() = default;

void TXLSCellMMU::CheckPosition(int col, int row) const {
    if (col < 0 || col > XLSMaxCol || row < 0 || row > XLSMaxRow) throw EXLSError("Index out of range");
}

TXc12XF& TXLSCellMMU::CheckXF(int xf) const {
    TXc12XF* item = xf < 0 || xf > 0xFFFF || xf >= StyleSheet_.XFs().Count() ? nullptr : StyleSheet_.XFs().GetItems(xf);
    if (!item) throw EXLSError("Invalid XF index");
    return *item;
}

TXLSMMUBlock& TXLSCellMMU::BlockFor(int row) {
    const size_t index = static_cast<size_t>(row) / MMURowsPerBlock;
    if (Blocks_.size() <= index) Blocks_.resize(index + 1);
    if (!Blocks_[index]) {
        Blocks_[index] = std::make_unique<TXLSMMUBlock>();
        // The blocks of a sheet filled row after row tend to be alike: a new one starts with the
        // room the one before takes and a little more, instead of being copied on each step of
        // its growth.
        if (index > 0 && Blocks_[index - 1]) {
            const size_t before = Blocks_[index - 1]->Area.size();
            Blocks_[index]->Area.reserve(before + before / 16);
        }
    }
    return *Blocks_[index];
}

TXLSMMUBlock* TXLSCellMMU::ExistingBlock(int row) const {
    if (row < 0) return nullptr;
    const size_t index = static_cast<size_t>(row) / MMURowsPerBlock;
    return index < Blocks_.size() ? Blocks_[index].get() : nullptr;
}

bool TXLSCellMMU::InFormulaBlock(int row) const {
    const size_t b = static_cast<size_t>(row) / MMURowsPerBlock;
    return b < FormulaBlocks_.size() && FormulaBlocks_[b];
}

void TXLSCellMMU::NoteReplacedFormula(int col, int row) {
    TXLSMMUCell cell;
    if (InFormulaBlock(row) && FindCell(col, row, cell) && (cell.Type & XLSCellVariable)) ++FormulaChanges_;
}

namespace {

// Largest stored fixed cell: an XF and a double.
constexpr size_t MaxCellBytes = 10;

// The stored type and bytes of a fixed cell of the kind; returns the byte count.
size_t CellBytes(uint8_t kind, int xf, const void* value, size_t size, uint8_t& type, uint8_t* bytes) {
    const bool withXF = xf != 0 || kind == xckBlank;
    type = static_cast<uint8_t>(kind | (withXF ? XLSCellHasXF : 0));
    size_t at = 0;
    if (withXF) {
        base::StoreLE16(bytes, static_cast<uint16_t>(xf));
        at = 2;
    }
    if (size > 0) std::memcpy(bytes + at, value, size);
    return at + size;
}

// A number cell in its packed form.
size_t FloatCellBytes(int xf, const TXLSPackedFloat& packed, uint8_t& type, uint8_t* bytes) {
    uint8_t v[8];
    switch (packed.Kind) {
        case xckInt8: v[0] = static_cast<uint8_t>(packed.Value); return CellBytes(xckInt8, xf, v, 1, type, bytes);
        case xckInt16:
            base::StoreLE16(v, static_cast<uint16_t>(packed.Value));
            return CellBytes(xckInt16, xf, v, 2, type, bytes);
        case xckInt32:
        case xckHundredths:
        case xckTenThousandths:
            base::StoreLE32(v, static_cast<uint32_t>(static_cast<int32_t>(packed.Value)));
            return CellBytes(packed.Kind, xf, v, 4, type, bytes);
        case xckDouble:
            base::StoreLE64(v, static_cast<uint64_t>(packed.Value));
            return CellBytes(xckDouble, xf, v, 8, type, bytes);
        default: throw EXLSError("Invalid XLate");
    }
}

size_t SSTCellBytes(int xf, int64_t index, uint8_t& type, uint8_t* bytes) {
    uint8_t v[4];
    if (index <= 0xFFFF) {
        base::StoreLE16(v, static_cast<uint16_t>(index));
        return CellBytes(xckString16, xf, v, 2, type, bytes);
    }
    base::StoreLE32(v, static_cast<uint32_t>(static_cast<int32_t>(index)));
    return CellBytes(xckString32, xf, v, 4, type, bytes);
}

}  // namespace

void TXLSCellMMU::WriteFixedBytes(int col, int row, uint8_t type, const uint8_t* bytes) {
    CheckPosition(col, row);
    ++Changes_;
    NoteReplacedFormula(col, row);
    TXLSMMUBlock& block = BlockFor(row);
    const int r = row % MMURowsPerBlock;
    if (!TXLSMMUBlockManager::RowRecord(block, r)) StyleSheet_.XFEditor().UseDefaultXF();
    uint8_t* data = Manager_.AddFixedCell(block, r, col, type);
    std::memcpy(data, bytes, static_cast<size_t>(MMUTypeSize(type)));
}

void TXLSCellMMU::WriteFixed(int col, int row, uint8_t kind, int xf, const void* value, size_t size) {
    uint8_t type = 0;
    uint8_t bytes[MaxCellBytes];
    CellBytes(kind, xf, value, size, type, bytes);
    WriteFixedBytes(col, row, type, bytes);
}

bool TXLSCellMMU::AppendCells(int col, int row, const uint8_t* types, const uint8_t* bytes, int count) {
    if (col < 0 || count > XLSMaxCol + 1 - col || row < 0 || row > XLSMaxRow) return false;
    TXLSMMUBlock& block = BlockFor(row);
    const int r = row % MMURowsPerBlock;
    if (!Manager_.AtRowEnd(block, r, col)) return false;
    Changes_ += static_cast<uint64_t>(count);
    if (!TXLSMMUBlockManager::RowRecord(block, r)) StyleSheet_.XFEditor().UseDefaultXF();
    Manager_.AppendFixedCells(block, r, col, types, bytes, count);
    return true;
}

void TXLSCellMMU::ReleaseOccupant(int col, int row) {
    TXLSMMUCell cell;
    if (FindCell(col, row, cell)) ReleaseCell(cell);
}

void TXLSCellMMU::PutCell(int col, int row, uint8_t type, const uint8_t* bytes) {
    if (AppendCells(col, row, &type, bytes, 1)) return;
    ReleaseOccupant(col, row);
    WriteFixedBytes(col, row, type, bytes);
}

void TXLSCellMMU::StoreFixed(int col, int row, uint8_t kind, int xf, const void* value, size_t size) {
    TXc12XF& format = CheckXF(xf);
    uint8_t type = 0;
    uint8_t bytes[MaxCellBytes];
    CellBytes(kind, xf, value, size, type, bytes);
    PutCell(col, row, type, bytes);
    StyleSheet_.XFEditor().UseXF(format);
}

void TXLSCellMMU::StoreBlank(int col, int row, int xf) { StoreFixed(col, row, xckBlank, xf, nullptr, 0); }

void TXLSCellMMU::StoreBoolean(int col, int row, int xf, bool value) {
    const uint8_t v = value ? 1 : 0;
    StoreFixed(col, row, xckBoolean, xf, &v, 1);
}

void TXLSCellMMU::StoreError(int col, int row, int xf, uint8_t errorCode) {
    StoreFixed(col, row, xckError, xf, &errorCode, 1);
}

void TXLSCellMMU::StoreFloat(int col, int row, int xf, double value) {
    TXc12XF& format = CheckXF(xf);
    uint8_t type = 0;
    uint8_t bytes[MaxCellBytes];
    FloatCellBytes(xf, XLSPackFloat(value), type, bytes);
    PutCell(col, row, type, bytes);
    StyleSheet_.XFEditor().UseXF(format);
}

void TXLSCellMMU::StoreFloatRun(int firstCol, int row, int xf, const TXLSPackedFloat* values, int count) {
    TXc12XF& format = CheckXF(xf);
    constexpr int Batch = 64;
    uint8_t types[Batch];
    uint8_t bytes[Batch * MaxCellBytes];
    size_t offsets[Batch];
    int stored = 0;
    try {
        while (stored < count) {
            const int n = std::min(count - stored, Batch);
            size_t size = 0;
            for (int i = 0; i < n; ++i) {
                offsets[i] = size;
                size += FloatCellBytes(xf, values[stored + i], types[i], bytes + size);
            }
            // The cells from the first one after the row's last cell on go in together; those
            // before replace theirs one by one.
            for (int i = 0; i < n; ++i, ++stored) {
                if (AppendCells(firstCol + stored, row, types + i, bytes + offsets[i], n - i)) {
                    stored += n - i;
                    break;
                }
                ReleaseOccupant(firstCol + stored, row);
                WriteFixedBytes(firstCol + stored, row, types[i], bytes + offsets[i]);
            }
        }
    } catch (...) {
        // The cells written before the failure hold their uses, as after single stores.
        StyleSheet_.XFEditor().UseXF(format, stored);
        throw;
    }
    StyleSheet_.XFEditor().UseXF(format, count);
}

void TXLSCellMMU::StoreSSTString(int col, int row, int xf, int index) {
    TXc12XF& format = CheckXF(xf);
    CheckPosition(col, row);
    SST_.AddRef(index);
    uint8_t type = 0;
    uint8_t bytes[MaxCellBytes];
    SSTCellBytes(xf, index, type, bytes);
    PutCell(col, row, type, bytes);
    StyleSheet_.XFEditor().UseXF(format);
}

void TXLSCellMMU::StoreString(int col, int row, int xf, std::u16string_view text) {
    CheckXF(xf);
    CheckPosition(col, row);
    StoreSSTString(col, row, xf, SST_.AddString(text));
}

void TXLSCellMMU::ReleaseCell(const TXLSMMUCell& cell) {
    if (!cell.Data) return;
    const uint8_t kind = cell.Type & 0x1F;
    if (kind == xckString16 || kind == xckString32) SST_.Release(static_cast<int>(GetSSTIndex(cell)));
    StyleSheet_.XFEditor().ReleaseXF(GetXF(cell));
}

void TXLSCellMMU::SetByteCell(int col, int row, uint8_t kind, uint8_t value, int xf) {
    TXLSMMUCell cell;
    if (FindCell(col, row, cell)) {
        if (cell.Type & XLSCellVariable) {
            if (kind == xckBoolean) return SetFormulaResultBoolean(cell, col, row, value != 0);
            return SetFormulaResultError(cell, col, row, value);
        }
        if ((cell.Type & 0x1F) == kind) {
            ++Changes_;
            cell.Data[(cell.Type & XLSCellHasXF) ? 2 : 0] = value;
            return;
        }
        if (GetXF(cell) != 0) xf = GetXF(cell);
        CheckXF(xf);
        ReleaseCell(cell);
    }
    CheckXF(xf);
    WriteFixed(col, row, kind, xf, &value, 1);
    StyleSheet_.XFEditor().AddRefXF(xf);
}

void TXLSCellMMU::SetBoolean(int col, int row, bool value, int xf) {
    SetByteCell(col, row, xckBoolean, value ? 1 : 0, xf);
}

void TXLSCellMMU::SetError(int col, int row, uint8_t errorCode, int xf) {
    SetByteCell(col, row, xckError, errorCode, xf);
}

void TXLSCellMMU::SetFloat(int col, int row, double value, int xf) {
    TXLSMMUCell cell;
    if (FindCell(col, row, cell)) {
        if (cell.Type & XLSCellVariable) return SetFormulaResultFloat(cell, col, row, value);
        if (GetXF(cell) != 0) xf = GetXF(cell);
    }
    StoreFloat(col, row, xf, value);
}

void TXLSCellMMU::SetString(int col, int row, std::u16string_view text, int xf) {
    TXLSMMUCell cell;
    if (!FindCell(col, row, cell)) return StoreString(col, row, xf, text);
    if (cell.Type & XLSCellVariable) return SetFormulaResultString(cell, col, row, text);
    const uint8_t kind = cell.Type & 0x1F;
    if (GetXF(cell) != 0 || kind == xckString16 || kind == xckString32) xf = GetXF(cell);
    CheckXF(xf);
    if (kind == xckString16 || kind == xckString32) {
        const int old = static_cast<int>(GetSSTIndex(cell));
        const int index = SST_.AddString(text);
        const uint8_t newKind = index <= 0xFFFF ? xckString16 : xckString32;
        if (newKind == kind) {
            ++Changes_;
            SST_.AddRef(index);
            SST_.Release(old);
            uint8_t* value = cell.Data + ((cell.Type & XLSCellHasXF) ? 2 : 0);
            if (kind == xckString16)
                base::StoreLE16(value, static_cast<uint16_t>(index));
            else
                base::StoreLE32(value, static_cast<uint32_t>(index));
            return;
        }
        StoreSSTString(col, row, xf, index);
        return;
    }
    StoreString(col, row, xf, text);
}

void TXLSCellMMU::RewriteWithXF(int col, int row, const TXLSMMUCell& cell, int xf) {
    const uint8_t kind = cell.Type & 0x1F;
    uint8_t value[8];
    const size_t size = static_cast<size_t>(MMUTypeSize(kind));
    if (size > 0) std::memcpy(value, cell.Data + ((cell.Type & XLSCellHasXF) ? 2 : 0), size);
    WriteFixed(col, row, kind, xf, value, size);
}

void TXLSCellMMU::SetXF(int col, int row, int xf) {
    TXLSMMUCell cell;
    if (!FindCell(col, row, cell)) return;
    const int old = GetXF(cell);
    if (old == xf) return;
    CheckXF(xf);
    ++Changes_;
    if (cell.Type & XLSCellVariable) {
        LoadFormula(cell);
        FormulaHelper_->Col = col;
        FormulaHelper_->Row = row;
        FormulaHelper_->XF = xf;
        WriteFormulaRecord();
    } else if ((cell.Type & XLSCellHasXF) && (xf != 0 || (cell.Type & 0x1F) == xckBlank)) {
        base::StoreLE16(cell.Data, static_cast<uint16_t>(xf));
    } else {
        RewriteWithXF(col, row, cell, xf);
    }
    StyleSheet_.XFEditor().AddRefXF(xf);
    StyleSheet_.XFEditor().ReleaseXF(old);
}

void TXLSCellMMU::ClearValue(int col, int row) {
    TXLSMMUCell cell;
    if (!FindCell(col, row, cell) || (cell.Type & 0x1F) == xckBlank) return;
    const int xf = GetXF(cell);
    if (xf == 0) return DeleteCell(col, row);
    const uint8_t kind = cell.Type & 0x1F;
    if (kind == xckString16 || kind == xckString32) SST_.Release(static_cast<int>(GetSSTIndex(cell)));
    // The blank keeps the cell's use of its XF.
    WriteFixed(col, row, xckBlank, xf, nullptr, 0);
}

bool TXLSCellMMU::HeaderIsDefault(const uint8_t* header) const {
    return std::memcmp(header, DefaultHeader_, MMURowHeaderSize) == 0;
}

void TXLSCellMMU::DeleteCell(int col, int row) {
    TXLSMMUBlock* block = ExistingBlock(row);
    if (!block || col < 0 || col > XLSMaxCol) return;
    ++Changes_;
    NoteReplacedFormula(col, row);
    Manager_.Flush();
    const int r = row % MMURowsPerBlock;
    TXLSMMUCell cell;
    if (FindCell(col, row, cell)) {
        ReleaseCell(cell);
        Manager_.DeleteColumns(*block, r, col, col, true);
    }
    uint8_t* record = TXLSMMUBlockManager::RowRecord(*block, r);
    if (record && TXLSMMUBlockManager::ColCount(record) == 0 && HeaderIsDefault(record + MMURowHeaderOffset)) {
        StyleSheet_.XFEditor().ReleaseXF(base::LoadLE16(record + MMURowHeaderOffset + 1));
        Manager_.RemoveRow(*block, r);
    }
}

namespace {

// Calls fn(type, data) for every cell of a row record in columns col1..col2.
template <class Fn>
void ForEachCellIn(uint8_t* record, int col1, int col2, Fn fn) {
    const int colCount = TXLSMMUBlockManager::ColCount(record);
    uint8_t* p = record + MMURowPrefixSize;
    int col = 0;
    while (col < colCount && col <= col2) {
        const uint8_t count = *p;
        if (count & 0x80) {
            col += count & 0x7F;
            ++p;
            continue;
        }
        const uint8_t type = p[1];
        if (type & 0x80) {
            if (col >= col1) fn(type, p + 2);
            ++col;
            p += 4 + base::LoadLE16(p + 2);
            continue;
        }
        const int size = MMUTypeSize(type);
        for (int i = 0; i < count; ++i)
            if (col + i >= col1 && col + i <= col2) fn(type, p + 2 + i * size);
        col += count;
        p += 2 + count * size;
    }
}

template <class Fn>
void ForEachCell(uint8_t* record, Fn fn) {
    ForEachCellIn(record, 0, XLSMaxCol, fn);
}

}  // namespace

void TXLSCellMMU::DeleteCells(int col1, int col2, int row) {
    TXLSMMUBlock* block = ExistingBlock(row);
    col1 = std::max(col1, 0);
    col2 = std::min(col2, XLSMaxCol);
    if (!block || col2 < col1) return;
    Manager_.Flush();
    const int r = row % MMURowsPerBlock;
    uint8_t* record = TXLSMMUBlockManager::RowRecord(*block, r);
    if (!record) return;
    ForEachCellIn(record, col1, col2, [&](uint8_t type, uint8_t* data) { ReleaseCell(TXLSMMUCell{type, data}); });
    Manager_.DeleteColumns(*block, r, col1, col2, true);
    record = TXLSMMUBlockManager::RowRecord(*block, r);
    if (record && TXLSMMUBlockManager::ColCount(record) == 0 && HeaderIsDefault(record + MMURowHeaderOffset)) {
        StyleSheet_.XFEditor().ReleaseXF(base::LoadLE16(record + MMURowHeaderOffset + 1));
        Manager_.RemoveRow(*block, r);
    }
}

void TXLSCellMMU::ClearRows(int row1, int row2) {
    if (row1 < 0 || row2 > XLSMaxRow || row2 < row1 || Blocks_.empty()) return;
    ++Changes_;
    for (int b = row1 / MMURowsPerBlock; b <= row2 / MMURowsPerBlock; ++b)
        if (InFormulaBlock(b * MMURowsPerBlock)) {
            ++FormulaChanges_;
            break;
        }
    Manager_.Flush();
    TXc12XFEditor& editor = StyleSheet_.XFEditor();
    const size_t firstBlock = static_cast<size_t>(row1) / MMURowsPerBlock;
    const size_t lastBlock = std::min(Blocks_.size() - 1, static_cast<size_t>(row2) / MMURowsPerBlock);
    for (size_t b = firstBlock; b <= lastBlock && b < Blocks_.size(); ++b) {
        TXLSMMUBlock* block = Blocks_[b].get();
        if (!block || block->Area.empty()) continue;
        const int base = static_cast<int>(b) * MMURowsPerBlock;
        const int from = std::max(row1, base) - base;
        const int to = std::min(row2, base + MMURowsPerBlock - 1) - base;
        for (int r = from; r <= to; ++r) {
            uint8_t* record = TXLSMMUBlockManager::RowRecord(*block, r);
            if (!record) continue;
            ForEachCell(record, [&](uint8_t type, uint8_t* data) { ReleaseCell(TXLSMMUCell{type, data}); });
            editor.ReleaseXF(base::LoadLE16(record + MMURowHeaderOffset + 1));
        }
        if (from == 0 && to == MMURowsPerBlock - 1) {
            Blocks_[b].reset();
        } else {
            for (int r = from; r <= to; ++r) Manager_.RemoveRow(*block, r);
        }
    }
    while (!Blocks_.empty() && (!Blocks_.back() || Blocks_.back()->Area.empty())) Blocks_.pop_back();
}

TXLSMMURowHeader* TXLSCellMMU::AddRowHeader(int row, int xf) {
    CheckPosition(0, row);
    TXc12XF& format = CheckXF(xf);
    ++Changes_;
    TXLSMMUBlock& block = BlockFor(row);
    const int r = row % MMURowsPerBlock;
    const bool existed = TXLSMMUBlockManager::RowRecord(block, r) != nullptr;
    auto* header = reinterpret_cast<TXLSMMURowHeader*>(Manager_.GetOrCreateRowHeader(block, r));
    if (existed) StyleSheet_.XFEditor().ReleaseXF(header->XF());
    std::memcpy(header->Bytes, DefaultHeader_, MMURowHeaderSize);
    header->SetXF(static_cast<uint16_t>(xf));
    StyleSheet_.XFEditor().UseXF(format);
    return header;
}

// --- Reading ---

bool TXLSCellMMU::FindCell(int col, int row, TXLSMMUCell& cell) {
    cell = TXLSMMUCell();
    TXLSMMUBlock* block = ExistingBlock(row);
    if (!block || col < 0 || col > XLSMaxCol || row > XLSMaxRow) return false;
    uint8_t type = 0;
    cell.Data = Manager_.FindCell(*block, row % MMURowsPerBlock, col, type);
    cell.Type = cell.Data ? type : 0;
    return cell.Data != nullptr;
}

bool TXLSCellMMU::IsEmpty(int col, int row) {
    TXLSMMUCell cell;
    return !FindCell(col, row, cell);
}

TCellValueType TXLSCellMMU::GetCellType(const TXLSMMUCell& cell) {
    if (!cell.Data) return xctNone;
    switch (cell.Type & 0x1F) {
        case xckBlank: return xctBlank;
        case xckInt8:
        case xckInt16:
        case xckInt32:
        case xckHundredths:
        case xckTenThousandths:
        case xckSingle:
        case xckDouble: return xctFloat;
        case xckString16:
        case xckString32: return xctString;
        case xckBoolean: return xctBoolean;
        case xckError: return xctError;
        case xckFormulaFloat: return xctFloatFormula;
        case xckFormulaString: return xctStringFormula;
        case xckFormulaBoolean: return xctBooleanFormula;
        case xckFormulaError: return xctErrorFormula;
        default: throw EXLSError("Invalid XLate code");
    }
}

int TXLSCellMMU::GetXF(const TXLSMMUCell& cell) {
    if (!cell.Data || !(cell.Type & XLSCellHasXF)) return 0;
    return base::LoadLE16(cell.Data + ((cell.Type & XLSCellVariable) ? 3 : 0));
}

namespace {

const uint8_t* ValueOf(const TXLSMMUCell& cell) { return cell.Data + ((cell.Type & XLSCellHasXF) ? 2 : 0); }

}  // namespace

bool TXLSCellMMU::GetBoolean(const TXLSMMUCell& cell) {
    return cell.Data && (cell.Type & 0x9F) == xckBoolean && *ValueOf(cell) == 1;
}

uint8_t TXLSCellMMU::GetError(const TXLSMMUCell& cell) {
    return cell.Data && (cell.Type & 0x9F) == xckError ? *ValueOf(cell) : 0;
}

double TXLSCellMMU::GetFloat(const TXLSMMUCell& cell) {
    if (!cell.Data) return 0;
    const uint8_t* v = ValueOf(cell);
    switch (cell.Type & 0x9F) {
        case xckInt8: return static_cast<int8_t>(v[0]);
        case xckInt16: return static_cast<int16_t>(base::LoadLE16(v));
        case xckInt32: return static_cast<int32_t>(base::LoadLE32(v));
        case xckHundredths: return static_cast<int32_t>(base::LoadLE32(v)) / 100.0;
        case xckTenThousandths: return static_cast<int32_t>(base::LoadLE32(v)) / 10000.0;
        case xckSingle: {
            float f;
            std::memcpy(&f, v, 4);
            return f;
        }
        case xckDouble: {
            double d;
            std::memcpy(&d, v, 8);
            return d;
        }
        case XLSCellVariable | xckFormulaFloat: return GetFormulaResultFloat(cell);
        default: return 0;
    }
}

int64_t TXLSCellMMU::GetSSTIndex(const TXLSMMUCell& cell) {
    if (!cell.Data) return -1;
    switch (cell.Type & 0x9F) {
        case xckString16: return base::LoadLE16(ValueOf(cell));
        case xckString32: return base::LoadLE32(ValueOf(cell));
        default: return -1;
    }
}

void TXLSCellMMU::GetString(const TXLSMMUCell& cell, std::u16string& text) const {
    const int64_t index = GetSSTIndex(cell);
    if (index < 0 || index > INT32_MAX) {
        text.clear();
        return;
    }
    SST_.GetText(static_cast<int>(index), text);
}

TXLSMMURowHeader* TXLSCellMMU::GetRowHeader(int row) {
    TXLSMMUBlock* block = ExistingBlock(row);
    if (!block) return nullptr;
    uint8_t* record = TXLSMMUBlockManager::RowRecord(*block, row % MMURowsPerBlock);
    return record ? reinterpret_cast<TXLSMMURowHeader*>(record + MMURowHeaderOffset) : nullptr;
}

uint8_t TXLSCellMMU::GetFloatOrError(int col, int row, bool& notNumber, double& value) {
    value = 0;
    TXLSMMUCell cell;
    notNumber = !FindCell(col, row, cell);
    switch (GetCellType(cell)) {
        case xctFloat:
        case xctFloatFormula: value = GetFloat(cell); break;
        case xctError: return GetError(cell);
        case xctErrorFormula: return GetFormulaResultError(cell);
        case xctBlank:
        case xctBoolean:
        case xctString:
        case xctStringFormula:
        case xctBooleanFormula: notNumber = true; break;
        default: break;
    }
    return 0;
}

bool TXLSCellMMU::GetAsString(int col, int row, std::u16string& text) {
    text.clear();
    TXLSMMUCell cell;
    if (!FindCell(col, row, cell)) return false;
    switch (GetCellType(cell)) {
        case xctBlank: return false;
        case xctBoolean: text = GetBoolean(cell) ? Xc12BoolTrueText : Xc12BoolFalseText; break;
        case xctBooleanFormula: text = GetFormulaResultBoolean(cell) ? Xc12BoolTrueText : Xc12BoolFalseText; break;
        case xctError: text = CellErrorToText(GetError(cell)); break;
        case xctErrorFormula: text = CellErrorToText(GetFormulaResultError(cell)); break;
        case xctString: GetString(cell, text); break;
        case xctFloat:
        case xctFloatFormula: text = FloatToText(GetFloat(cell)); break;
        case xctStringFormula: text = GetFormulaResultString(cell); break;
        default: break;
    }
    return true;
}

void TXLSCellMMU::CalcDimension() {
    // Every write counts as a change: without one the area found last still holds.
    if (DimensionChanges_ == Changes_) return;
    DimensionChanges_ = Changes_;
    ClearCellArea(Dimension_);
    if (Blocks_.empty()) return;
    int row1 = INT32_MAX, row2 = LowestInt32, col1 = INT32_MAX, col2 = LowestInt32;
    for (size_t b = 0; b < Blocks_.size(); ++b) {
        TXLSMMUBlock* block = Blocks_[b].get();
        if (!block || block->Area.empty()) continue;
        int first = 0, last = 0;
        if (!Manager_.GetBounds(*block, first, last, col1, col2)) continue;
        const int base = static_cast<int>(b) * MMURowsPerBlock;
        row1 = std::min(row1, base + first);
        row2 = std::max(row2, base + last);
    }
    if (col1 > XLSMaxCol + 1 || col2 > XLSMaxCol + 1 || row1 > XLSMaxRow + 1 || row2 > XLSMaxRow + 1) {
        Dimension_ = MakeCellArea(0, 0, 0, 0);
        return;
    }
    Dimension_ = MakeCellArea(col1, row1, col2, row2);
}

// --- Iteration ---

bool TXLSCellMMU::NextRowWithRecord(int lastRow) {
    int row = IterRow_ + 1;
    while (row <= lastRow) {
        const size_t b = static_cast<size_t>(row) / MMURowsPerBlock;
        if (b >= Blocks_.size()) break;
        TXLSMMUBlock* block = Blocks_[b].get();
        if (!block || block->Area.empty()) {
            row = static_cast<int>(b + 1) * MMURowsPerBlock;
            continue;
        }
        const int base = static_cast<int>(b) * MMURowsPerBlock;
        for (int r = row - base; r < MMURowsPerBlock && base + r <= lastRow; ++r) {
            if (block->RowOffsets[static_cast<size_t>(r)] < 0) continue;
            IterRow_ = base + r;
            IterRowHeader_ = reinterpret_cast<TXLSMMURowHeader*>(
                block->Area.data() + block->RowOffsets[static_cast<size_t>(r)] + MMURowHeaderOffset);
            BeginRowCells();
            return true;
        }
        row = base + MMURowsPerBlock;
    }
    IterRow_ = -1;
    IterRowHeader_ = nullptr;
    return false;
}

void TXLSCellMMU::BeginRowCells() {
    IterPos_ = MMURowPrefixSize;
    IterRunFirst_ = 0;
    IterRunIndex_ = 0;
    IterInRun_ = false;
    IterCol_ = -1;
    IterCell_ = TXLSMMUCell();
}

bool TXLSCellMMU::NextCellInRow() {
    if (IterRow_ < 0) return false;
    TXLSMMUBlock& block = *Blocks_[static_cast<size_t>(IterRow_) / MMURowsPerBlock];
    uint8_t* record = TXLSMMUBlockManager::RowRecord(block, IterRow_ % MMURowsPerBlock);
    const int colCount = TXLSMMUBlockManager::ColCount(record);
    if (IterInRun_) {
        uint8_t* run = record + IterPos_;
        const bool variable = run[1] & 0x80;
        const int cells = variable ? 1 : run[0];
        if (++IterRunIndex_ < cells) {
            IterCol_ = IterRunFirst_ + IterRunIndex_;
            IterCell_ = {run[1], run + 2 + IterRunIndex_ * MMUTypeSize(run[1])};
            return true;
        }
        IterPos_ += variable ? 4 + base::LoadLE16(run + 2) : 2 + cells * MMUTypeSize(run[1]);
        IterRunFirst_ += cells;
        IterInRun_ = false;
    }
    while (IterRunFirst_ < colCount) {
        uint8_t* run = record + IterPos_;
        if (run[0] & 0x80) {
            IterRunFirst_ += run[0] & 0x7F;
            ++IterPos_;
            continue;
        }
        IterInRun_ = true;
        IterRunIndex_ = 0;
        IterCol_ = IterRunFirst_;
        IterCell_ = {run[1], run + 2};
        return true;
    }
    return false;
}

void TXLSCellMMU::BeginIterate(int fromRow) {
    Manager_.Flush();
    IterRow_ = std::max(fromRow, 0) - 1;
    IterLastRow_ = XLSMaxRow;
    if (!NextRowWithRecord(IterLastRow_)) IterRow_ = -1;
}

bool TXLSCellMMU::IterateNext() {
    while (IterRow_ >= 0) {
        if (NextCellInRow()) return true;
        if (!NextRowWithRecord(IterLastRow_)) return false;
    }
    return false;
}

void TXLSCellMMU::BeginIterateRows(int row) {
    Manager_.Flush();
    IterRow_ = row;
    IterLastRow_ = -1;
    for (size_t b = Blocks_.size(); b-- > 0;) {
        TXLSMMUBlock* block = Blocks_[b].get();
        if (!block || block->Area.empty()) continue;
        for (int r = MMURowsPerBlock - 1; r >= 0; --r)
            if (block->RowOffsets[static_cast<size_t>(r)] >= 0) {
                IterLastRow_ = static_cast<int>(b) * MMURowsPerBlock + r;
                return;
            }
    }
}

bool TXLSCellMMU::IterateNextRow() { return NextRowWithRecord(IterLastRow_); }

bool TXLSCellMMU::IterateNextInRow() { return NextCellInRow(); }

double TXLSCellMMU::IterFloat() const {
    const uint8_t kind = IterCell_.Type & 0x9F;
    if (kind < xckInt8 || kind > xckDouble) throw EXLSError("Invalid float XLate");
    return GetFloat(IterCell_);
}

int64_t TXLSCellMMU::IterSSTIndex() const {
    const uint8_t kind = IterCell_.Type & 0x9F;
    if (kind != xckString16 && kind != xckString32) throw EXLSError("Invalid string XLate");
    return GetSSTIndex(IterCell_);
}

size_t TXLSCellMMU::MemoryUsed() const {
    size_t bytes = Blocks_.capacity() * sizeof(Blocks_[0]) + Manager_.MemoryUsed();
    for (const auto& block : Blocks_)
        if (block) bytes += sizeof(TXLSMMUBlock) + block->Area.capacity();
    return bytes;
}

}  // namespace xls
