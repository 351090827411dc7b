#include "workbook/model/cell_store_memory.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr std::array<int8_t, 32> KindSizes = {0, 0, 1, 2, 4, 4, 4, 4, 8, 2, 4, 1, 1, 0, 0, 0,
                                              0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

size_t SkipBytes(int gap) { return static_cast<size_t>(gap / MMUMaxRunCells + (gap % MMUMaxRunCells ? 1 : 0)); }

uint8_t* WriteSkips(uint8_t* p, int gap) {
    while (gap >= MMUMaxRunCells) {
        *p++ = 0xFF;
        gap -= MMUMaxRunCells;
    }
    if (gap > 0) *p++ = static_cast<uint8_t>(0x80 + gap);
    return p;
}

// The largest record that moves to the end of its area to grow there.
constexpr size_t MaxMovedRecord = 256;

// Offsets inside a block are 32-bit: a block may not outgrow them.
void CheckAreaSize(size_t size) {
    if (size > static_cast<size_t>(INT32_MAX)) throw EXLSError("Cell block larger than 2 GB");
}

// Grows an area by half again at a time: the store's memory figure counts reserved bytes.
void Reserve(std::vector<uint8_t>& area, size_t size) {
    if (size <= area.capacity()) return;
    area.reserve(std::max(size, area.capacity() + area.capacity() / 2));
}

}  // namespace

int MMUTypeSize(uint8_t type) {
    if (type & 0x80) return 0;
    if (type == 0x41) return 2;  // a blank always carries its XF
    const int size = KindSizes[type & 0x1F];
    if (size == 0 || (type & 0x20)) return 0;
    return size + ((type & 0x40) ? 2 : 0);
}

// --- TXLSMMURebuildVector ---

void TXLSMMURebuildVector::Decode(const uint8_t* record) {
    Cells_.clear();
    Data_.clear();
    Sorted_ = true;
    Garbage_ = 0;
    Bounds();
    if (!record) return;
    const int colCount = base::LoadLE16(record);
    const uint8_t* p = record + MMURowPrefixSize;
    int col = 0;
    while (col < colCount) {
        const uint8_t first = *p;
        if (first & 0x80) {
            col += first & 0x7F;
            ++p;
            continue;
        }
        const uint8_t type = p[1];
        if (type & 0x80) {
            const size_t size = 2 + size_t{base::LoadLE16(p + 2)};
            const size_t offset = Data_.size();
            Data_.insert(Data_.end(), p + 2, p + 2 + size);
            Cells_.push_back({col++, type, static_cast<uint32_t>(offset), static_cast<uint32_t>(size)});
            p += 2 + size;
            continue;
        }
        const size_t size = static_cast<size_t>(MMUTypeSize(type));
        for (int i = 0; i < first; ++i) {
            const size_t offset = Data_.size();
            Data_.insert(Data_.end(), p + 2 + i * size, p + 2 + (i + 1) * size);
            Cells_.push_back({col++, type, static_cast<uint32_t>(offset), static_cast<uint32_t>(size)});
        }
        p += 2 + first * size;
    }
    Bounds();
}

void TXLSMMURebuildVector::Bounds() {
    MinCol_ = Cells_.empty() ? 0 : Cells_.front().Col;
    MaxCol_ = Cells_.empty() ? 0 : Cells_.back().Col;
}

void TXLSMMURebuildVector::Index() {
    if (Index_.empty()) Index_.assign(MMUMaxColumns, -1);
    for (size_t i = 0; i < Cells_.size(); ++i) Index_[static_cast<size_t>(Cells_[i].Col)] = static_cast<int32_t>(i);
    Indexed_ = true;
}

void TXLSMMURebuildVector::DropIndex() {
    // Only the slots in use are reset, so a narrow row costs nothing for the wide index.
    if (Indexed_)
        for (const TCell& cell : Cells_) Index_[static_cast<size_t>(cell.Col)] = -1;
    Indexed_ = false;
}

const TXLSMMURebuildVector::TCell* TXLSMMURebuildVector::Find(int32_t col) const {
    if (!Indexed_ || col < 0 || col >= MMUMaxColumns) return nullptr;
    const int32_t at = Index_[static_cast<size_t>(col)];
    return at < 0 ? nullptr : &Cells_[static_cast<size_t>(at)];
}

void TXLSMMURebuildVector::Sort() {
    if (Sorted_) return;
    std::sort(Cells_.begin(), Cells_.end(), [](const TCell& a, const TCell& b) { return a.Col < b.Col; });
    Sorted_ = true;
    if (Indexed_) Index();
}

size_t TXLSMMURebuildVector::MemoryUsed() const {
    return Cells_.capacity() * sizeof(TCell) + Data_.capacity() + Index_.capacity() * sizeof(int32_t);
}

size_t TXLSMMURebuildVector::Insert(int32_t col, uint8_t type, size_t size) {
    if (Indexed_) {
        int32_t& slot = Index_[static_cast<size_t>(col)];
        if (slot >= 0) {
            TCell& old = Cells_[static_cast<size_t>(slot)];
            old.Type = type;
            if (old.Size != size) {
                Garbage_ += old.Size;
                old.Offset = static_cast<uint32_t>(Data_.size());
                old.Size = static_cast<uint32_t>(size);
                Data_.resize(Data_.size() + size);
            }
            return static_cast<size_t>(slot);
        }
        if (Cells_.empty()) {
            MinCol_ = MaxCol_ = col;
        } else {
            Sorted_ = Sorted_ && col > MaxCol_;
            MinCol_ = std::min(MinCol_, col);
            MaxCol_ = std::max(MaxCol_, col);
        }
        slot = static_cast<int32_t>(Cells_.size());
        Cells_.push_back({col, type, static_cast<uint32_t>(Data_.size()), static_cast<uint32_t>(size)});
        Data_.resize(Data_.size() + size);
        return Cells_.size() - 1;
    }
    auto it = std::lower_bound(Cells_.begin(), Cells_.end(), col, [](const TCell& c, int32_t v) { return c.Col < v; });
    const TCell cell{col, type, static_cast<uint32_t>(Data_.size()), static_cast<uint32_t>(size)};
    Data_.resize(Data_.size() + size);
    if (it != Cells_.end() && it->Col == col) {
        *it = cell;
    } else {
        it = Cells_.insert(it, cell);
    }
    Bounds();
    return static_cast<size_t>(it - Cells_.begin());
}

size_t TXLSMMURebuildVector::SetFixed(int32_t col, uint8_t type) {
    return Insert(col, type, static_cast<size_t>(MMUTypeSize(type)));
}

size_t TXLSMMURebuildVector::SetVar(int32_t col, uint8_t type, uint16_t length) {
    const size_t index = Insert(col, static_cast<uint8_t>(type | 0x80), 2 + size_t{length});
    base::StoreLE16(Data_.data() + Cells_[index].Offset, length);
    return index;
}

bool TXLSMMURebuildVector::Clear(int32_t col1, int32_t col2) {
    const size_t before = Cells_.size();
    std::erase_if(Cells_, [&](const TCell& c) { return c.Col >= col1 && c.Col <= col2; });
    Bounds();
    return Cells_.size() != before;
}

size_t TXLSMMURebuildVector::Encode(uint8_t* record, size_t* cellOffset, size_t cellIndex) const {
    // One routine measures and writes, so the size reserved is always the size written.
    size_t pos = MMURowPrefixSize;
    size_t lastRun = MMURowPrefixSize;
    int32_t nextCol = 0;
    size_t i = 0;
    while (i < Cells_.size()) {
        const TCell& cell = Cells_[i];
        const int gap = cell.Col - nextCol;
        if (gap > 0) {
            if (record) WriteSkips(record + pos, gap);
            pos += SkipBytes(gap);
        }
        lastRun = pos;
        if (cell.Type & 0x80) {
            if (record) {
                record[pos] = 1;
                record[pos + 1] = cell.Type;
                std::memcpy(record + pos + 2, Data_.data() + cell.Offset, cell.Size);
            }
            if (cellOffset && i == cellIndex) *cellOffset = pos + 2;
            pos += 2 + cell.Size;
            nextCol = cell.Col + 1;
            ++i;
            continue;
        }
        // A run of consecutive columns of the same fixed type, at most 127 cells.
        size_t n = 1;
        while (i + n < Cells_.size() && n < MMUMaxRunCells && Cells_[i + n].Type == cell.Type &&
               Cells_[i + n].Col == cell.Col + static_cast<int32_t>(n))
            ++n;
        if (record) {
            record[pos] = static_cast<uint8_t>(n);
            record[pos + 1] = cell.Type;
        }
        size_t at = pos + 2;
        for (size_t k = 0; k < n; ++k) {
            const TCell& member = Cells_[i + k];
            if (record) std::memcpy(record + at, Data_.data() + member.Offset, member.Size);
            if (cellOffset && i + k == cellIndex) *cellOffset = at;
            at += member.Size;
        }
        pos = at;
        nextCol = cell.Col + static_cast<int32_t>(n);
        i += n;
    }
    if (record) {
        base::StoreLE16(record, static_cast<uint16_t>(ColCount()));
        base::StoreLE32(record + 2, static_cast<uint32_t>(lastRun));
    }
    return pos;
}

// --- TXLSMMUBlockManager ---

size_t TXLSMMUBlockManager::RowSize(const uint8_t* record) {
    if (base::LoadLE16(record) == 0) return MMURowPrefixSize;
    const size_t lastRun = static_cast<size_t>(base::LoadLE32(record + 2));
    const uint8_t* run = record + lastRun;
    if (run[1] & 0x80) return lastRun + 4 + base::LoadLE16(run + 2);
    return lastRun + 2 + size_t{run[0]} * static_cast<size_t>(MMUTypeSize(run[1]));
}

uint8_t* TXLSMMUBlockManager::FindCell(TXLSMMUBlock& block, int row, int col, uint8_t& type) {
    if (IsOpen(block, row)) {
        const TXLSMMURebuildVector::TCell* cell = Rebuild_.Find(col);
        if (!cell) return nullptr;
        type = cell->Type;
        return Rebuild_.DataOf(*cell);
    }
    uint8_t* record = RowRecord(block, row);
    if (!record || col < 0 || col >= ColCount(record)) return nullptr;
    uint8_t* p = record + MMURowPrefixSize;
    int first = 0;
    for (;;) {
        const uint8_t count = *p;
        if (count & 0x80) {
            first += count & 0x7F;
            if (col < first) return nullptr;
            ++p;
            continue;
        }
        const uint8_t runType = p[1];
        if (runType & 0x80) {
            if (col == first) {
                type = runType;
                return p + 2;
            }
            ++first;
            p += 4 + base::LoadLE16(p + 2);
            continue;
        }
        const int size = MMUTypeSize(runType);
        if (col < first + count) {
            type = runType;
            return p + 2 + (col - first) * size;
        }
        first += count;
        p += 2 + count * size;
    }
}

int TXLSMMUBlockManager::FirstUsedColumn(const uint8_t* record) {
    if (ColCount(record) == 0) return -1;
    const uint8_t* p = record + MMURowPrefixSize;
    int col = 0;
    while (*p & 0x80) col += *p++ & 0x7F;
    return col;
}

uint8_t* TXLSMMUBlockManager::ResizeRow(TXLSMMUBlock& block, int row, size_t oldSize, size_t newSize) {
    int32_t offset = block.RowOffsets[static_cast<size_t>(row)];
    size_t end = static_cast<size_t>(offset) + oldSize;
    const size_t total = block.Area.size();
    if (newSize > oldSize && end != total && oldSize <= MaxMovedRecord) {
        // A small growing record moves behind the last one: rows filled one cell at a time after
        // their ROW records (as files hold them) then grow in place, not by moving the rest.
        uint8_t moving[MaxMovedRecord];
        uint8_t* area = block.Area.data();
        std::memcpy(moving, area + offset, oldSize);
        std::memmove(area + offset, area + end, total - end);
        std::memcpy(area + total - oldSize, moving, oldSize);
        const int32_t moved = static_cast<int32_t>(oldSize);
        for (int32_t& other : block.RowOffsets) other -= other > offset ? moved : 0;  // branch-free: vectorises
        offset = static_cast<int32_t>(total - oldSize);
        block.RowOffsets[static_cast<size_t>(row)] = offset;
        end = total;
    }
    if (newSize > oldSize) {
        const size_t grow = newSize - oldSize;
        CheckAreaSize(total + grow);
        Reserve(block.Area, total + grow);
        block.Area.resize(total + grow);
        std::memmove(block.Area.data() + end + grow, block.Area.data() + end, total - end);
    } else if (newSize < oldSize) {
        const size_t shrink = oldSize - newSize;
        std::memmove(block.Area.data() + end - shrink, block.Area.data() + end, total - end);
        block.Area.resize(total - shrink);
    }
    const int32_t delta = static_cast<int32_t>(newSize) - static_cast<int32_t>(oldSize);
    // The last record of the area (the row being filled, as readers fill) has none after it.
    if (delta != 0 && end != total)
        for (int32_t& other : block.RowOffsets) other += other > offset ? delta : 0;  // branch-free: vectorises
    return block.Area.data() + offset;
}

uint8_t* TXLSMMUBlockManager::NewRecord(TXLSMMUBlock& block, int row, size_t size) {
    const size_t offset = block.Area.size();
    CheckAreaSize(offset + size);
    Reserve(block.Area, offset + size);
    block.Area.resize(offset + size);
    block.RowOffsets[static_cast<size_t>(row)] = static_cast<int32_t>(offset);
    uint8_t* record = block.Area.data() + offset;
    base::StoreLE16(record, 0);
    base::StoreLE32(record + 2, static_cast<uint32_t>(MMURowPrefixSize));
    std::memcpy(record + MMURowHeaderOffset, DefaultHeader_, MMURowHeaderSize);
    return record;
}

uint8_t* TXLSMMUBlockManager::GetOrCreateRowHeader(TXLSMMUBlock& block, int row) {
    uint8_t* record = RowRecord(block, row);
    if (!record) record = NewRecord(block, row, MMURowPrefixSize);
    return record + MMURowHeaderOffset;
}

uint8_t* TXLSMMUBlockManager::AddFixedCell(TXLSMMUBlock& block, int row, int col, uint8_t type) {
    const int size = MMUTypeSize(type);
    if (size <= 0) throw EXLSError("Invalid XLate code");
    return AddCell(block, row, col, type, static_cast<size_t>(size), false, 0);
}

uint8_t* TXLSMMUBlockManager::AddVarCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t length) {
    if (length > static_cast<size_t>(MMUMaxVarLength)) throw EXLSError("Cell data longer than 65535 bytes");
    const uint16_t length16 = static_cast<uint16_t>(length);
    return AddCell(block, row, col, static_cast<uint8_t>(type | 0x80), 2 + length, true, length16);
}

uint8_t* TXLSMMUBlockManager::AddCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t cellSize,
                                      bool variable, uint16_t length) {
    if (col < 0 || col >= MMUMaxColumns || row < 0 || row >= MMURowsPerBlock) throw EXLSError("Index out of range");
    // Replaced cells of another size leave bytes behind: encoding the row now and then keeps
    // them below the row's own size.
    if (IsOpen(block, row) && Rebuild_.Garbage() > Rebuild_.DataSize() / 2 + 4096) Flush();
    if (IsOpen(block, row)) return PutOpen(col, type, variable, length);
    uint8_t* record = RowRecord(block, row);
    if (record && col < ColCount(record)) {
        Flush();
        record = RowRecord(block, row);
        Rebuild_.Decode(record);
        Rebuild_.Index();
        OpenBlock_ = &block;
        OpenRow_ = row;
        return PutOpen(col, type, variable, length);
    }
    if (!variable) {
        // The cell bytes are the caller's to write: the record's last ones after the append.
        static constexpr uint8_t Unset[16] = {};
        AppendFixedCells(block, row, col, &type, Unset, 1);
        record = RowRecord(block, row);
        return record + RowSize(record) - cellSize;
    }
    const int colCount = record ? ColCount(record) : 0;
    if (!record) record = NewRecord(block, row, MMURowPrefixSize);
    const size_t rowSize = RowSize(record);
    const int gap = col - colCount;
    record = ResizeRow(block, row, rowSize, rowSize + SkipBytes(gap) + 2 + cellSize);
    uint8_t* p = WriteSkips(record + rowSize, gap);
    base::StoreLE32(record + 2, static_cast<uint32_t>(p - record));
    p[0] = 1;
    p[1] = type;
    base::StoreLE16(p + 2, length);
    base::StoreLE16(record, static_cast<uint16_t>(col + 1));
    return p + 2;
}

void TXLSMMUBlockManager::AppendFixedCells(TXLSMMUBlock& block, int row, int col, const uint8_t* types,
                                           const uint8_t* data, int count) {
    if (count <= 0) return;
    if (col < 0 || count > MMUMaxColumns - col || row < 0 || row >= MMURowsPerBlock)
        throw EXLSError("Index out of range");
    uint8_t* record = RowRecord(block, row);
    const int colCount = record ? ColCount(record) : 0;
    const int gap = col - colCount;
    // The first cell joins the last run when it follows it directly with the same type.
    size_t runAt = colCount > 0 ? base::LoadLE32(record + 2) : 0;
    uint8_t runType = colCount > 0 && gap == 0 ? record[runAt + 1] : 0;
    int runCells = runType ? record[runAt] : 0;
    size_t grow = SkipBytes(gap);
    for (int i = 0; i < count; ++i) {
        if (types[i] == runType && runCells < MMUMaxRunCells) {
            ++runCells;
        } else {
            runType = types[i];
            runCells = 1;
            grow += 2;
        }
        const int size = MMUTypeSize(types[i]);
        if (size <= 0) throw EXLSError("Invalid XLate code");
        grow += static_cast<size_t>(size);
    }
    if (!record) record = NewRecord(block, row, MMURowPrefixSize);
    const size_t rowSize = RowSize(record);
    record = ResizeRow(block, row, rowSize, rowSize + grow);
    uint8_t* p = WriteSkips(record + rowSize, gap);
    runType = colCount > 0 && gap == 0 ? record[runAt + 1] : 0;
    for (int i = 0; i < count; ++i) {
        if (types[i] == runType && record[runAt] < MMUMaxRunCells) {
            ++record[runAt];
        } else {
            runAt = static_cast<size_t>(p - record);
            runType = types[i];
            *p++ = 1;
            *p++ = runType;
        }
        const size_t size = static_cast<size_t>(MMUTypeSize(types[i]));
        std::memcpy(p, data, size);
        p += size;
        data += size;
    }
    base::StoreLE32(record + 2, static_cast<uint32_t>(runAt));
    base::StoreLE16(record, static_cast<uint16_t>(col + count));
}

uint8_t* TXLSMMUBlockManager::PutOpen(int col, uint8_t type, bool variable, uint16_t length) {
    if (variable)
        Rebuild_.SetVar(col, static_cast<uint8_t>(type & 0x7F), length);
    else
        Rebuild_.SetFixed(col, type);
    return Rebuild_.DataOf(*Rebuild_.Find(col));
}

void TXLSMMUBlockManager::Flush() {
    if (!OpenBlock_) return;
    TXLSMMUBlock& block = *OpenBlock_;
    OpenBlock_ = nullptr;
    Rebuild_.Sort();
    Rebuild_.DropIndex();
    uint8_t* record = ResizeRow(block, OpenRow_, RowSize(RowRecord(block, OpenRow_)), Rebuild_.EncodedSize());
    Rebuild_.Encode(record, nullptr);
    OpenRow_ = -1;
}

bool TXLSMMUBlockManager::DeleteColumns(TXLSMMUBlock& block, int row, int col1, int col2, bool keepHeader) {
    Flush();
    uint8_t* record = RowRecord(block, row);
    if (!record || col1 > col2 || col1 >= ColCount(record) || col2 < 0) return false;
    Rebuild_.Decode(record);
    if (!Rebuild_.Clear(col1, col2)) return false;
    if (Rebuild_.Empty() && !keepHeader) {
        RemoveRow(block, row);
        return true;
    }
    const size_t newSize = Rebuild_.EncodedSize();
    record = ResizeRow(block, row, RowSize(record), newSize);
    Rebuild_.Encode(record, nullptr);
    return true;
}

void TXLSMMUBlockManager::RemoveRow(TXLSMMUBlock& block, int row) {
    Flush();
    uint8_t* record = RowRecord(block, row);
    if (!record) return;
    ResizeRow(block, row, RowSize(record), 0);
    block.RowOffsets[static_cast<size_t>(row)] = -1;
    if (block.Area.empty()) std::vector<uint8_t>().swap(block.Area);
}

bool TXLSMMUBlockManager::GetBounds(TXLSMMUBlock& block, int& firstRow, int& lastRow, int& firstCol, int& lastCol) {
    bool any = false;
    for (int row = 0; row < MMURowsPerBlock; ++row) {
        const uint8_t* record = RowRecord(block, row);
        if (!record) continue;
        if (!any) firstRow = row;
        lastRow = row;
        any = true;
        if (IsOpen(block, row)) {
            if (Rebuild_.Empty()) continue;
            firstCol = std::min(firstCol, Rebuild_.FirstCol());
            lastCol = std::max(lastCol, Rebuild_.ColCount() - 1);
            continue;
        }
        const int colCount = ColCount(record);
        if (colCount == 0) continue;
        firstCol = std::min(firstCol, FirstUsedColumn(record));
        lastCol = std::max(lastCol, colCount - 1);
    }
    return any;
}

}  // namespace xls
