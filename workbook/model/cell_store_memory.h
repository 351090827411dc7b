#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/byte_reader.h"

namespace xls {

// The memory beneath the cell store: rows grouped in blocks of 256, all row records of a block
// back to back in one area, each row a run-length-encoded vector of typed cells.
//
// Row record: u16 ColCount (last column + 1), int32 LastRun (offset of the last run, 12 when
// there is none), the 6-byte row header, then the runs:
//   skip run      1 byte, bit 7 set: 1 to 127 empty columns
//   fixed run     count (1..127), type (bit 7 clear), count cells of the type's size
//   variable run  1, type (bit 7 set), u16 length L, L bytes: exactly one cell
// A located cell is (type byte, data pointer); a variable cell's pointer addresses its u16
// length. Any write may move a block's area: pointers are valid until the next write.
//
// A write before a row's last column does not rebuild the record each time: the row stays
// decoded (the open row) and takes further writes in constant time, and is encoded back once,
// when something needs its record (Flush). Its record keeps the row header meanwhile.

constexpr int MMURowsPerBlock = 256;
constexpr int MMURowPrefixSize = 12;
constexpr int MMURowHeaderOffset = 6;
constexpr int MMURowHeaderSize = 6;
constexpr int MMUMaxColumns = 16384;
constexpr int MMUMaxRunCells = 127;
constexpr int MMUMaxVarLength = 0xFFFF;

// Bytes of a fixed cell of each stored type byte (0 = no fixed cell of that type).
int MMUTypeSize(uint8_t type);

struct TXLSMMUBlock {
    TXLSMMUBlock() { RowOffsets.fill(-1); }
    int32_t Size() const { return static_cast<int32_t>(Area.size()); }
    std::vector<uint8_t> Area;
    std::array<int32_t, MMURowsPerBlock> RowOffsets;
};

// A decoded row, reused from one rebuild to the next so that edits allocate nothing once
// the buffers have grown. Indexed, it finds and sets cells by column in constant time and
// keeps new cells unsorted until Encode.
class TXLSMMURebuildVector {
public:
    struct TCell {
        int32_t Col;
        uint8_t Type;
        uint32_t Offset;  // of the cell's bytes in Data (a variable cell: its u16 length)
        uint32_t Size;    // bytes at Offset
    };
    void Decode(const uint8_t* record);
    // Builds or drops the column index.
    void Index();
    void DropIndex();
    // The cell of col, or nullptr (indexed only).
    const TCell* Find(int32_t col) const;
    uint8_t* DataOf(const TCell& cell) { return Data_.data() + cell.Offset; }
    // Bytes left behind by replaced cells of another size.
    size_t Garbage() const { return Garbage_; }
    size_t DataSize() const { return Data_.size(); }
    int32_t FirstCol() const { return Cells_.empty() ? -1 : MinCol_; }
    // Puts an empty cell of the type at col (replacing one there); returns its index.
    size_t SetFixed(int32_t col, uint8_t type);
    size_t SetVar(int32_t col, uint8_t type, uint16_t length);
    // Removes the cells of col1..col2; true when any was there.
    bool Clear(int32_t col1, int32_t col2);
    bool Empty() const { return Cells_.empty(); }
    int32_t ColCount() const { return Cells_.empty() ? 0 : MaxCol_ + 1; }
    // Record size when encoded (prefix included).
    size_t EncodedSize() const { return Encode(nullptr, nullptr); }
    // Puts the cells in column order (an indexed vector keeps its index).
    void Sort();
    size_t MemoryUsed() const;
    // Writes the runs after the prefix, ColCount and LastRun; returns the record offset of the
    // cell with index cellIndex (its data, or its u16 length), and the size written. The cells
    // must be in column order.
    size_t Encode(uint8_t* record, size_t* cellOffset, size_t cellIndex = SIZE_MAX) const;

private:
    size_t Insert(int32_t col, uint8_t type, size_t size);
    void Bounds();
    std::vector<TCell> Cells_;
    std::vector<uint8_t> Data_;
    std::vector<int32_t> Index_;  // column -> cell, -1 = none; MMUMaxColumns entries once used
    bool Indexed_ = false;
    bool Sorted_ = true;
    size_t Garbage_ = 0;
    int32_t MinCol_ = 0;
    int32_t MaxCol_ = 0;
};

// Row operations on one block. Every operation that may move the area says so.
class TXLSMMUBlockManager {
public:
    explicit TXLSMMUBlockManager(const uint8_t* defaultHeader) : DefaultHeader_(defaultHeader) {}

    static uint8_t* RowRecord(TXLSMMUBlock& block, int row) {
        const int32_t offset = block.RowOffsets[static_cast<size_t>(row)];
        return offset < 0 ? nullptr : block.Area.data() + offset;
    }
    static size_t RowSize(const uint8_t* record);
    static uint16_t ColCount(const uint8_t* record) { return base::LoadLE16(record); }

    // Data pointer of the cell and its type byte, or nullptr. Sees the open row.
    uint8_t* FindCell(TXLSMMUBlock& block, int row, int col, uint8_t& type);
    // Encodes the open row into its record (may move the block's area).
    void Flush();
    // Lowest first used column of the row, -1 without cells.
    static int FirstUsedColumn(const uint8_t* record);

    // A new fixed cell of the type at col (replacing any cell there); returns its data.
    uint8_t* AddFixedCell(TXLSMMUBlock& block, int row, int col, uint8_t type);
    // True when a cell at col would come after every cell of the row, outside the open row: it
    // can replace nothing, and AppendFixedCells may store it.
    bool AtRowEnd(TXLSMMUBlock& block, int row, int col) const {
        const uint8_t* record = RowRecord(block, row);
        return !IsOpen(block, row) && (!record || col >= ColCount(record));
    }
    // Stores count fixed cells at col, col + 1, ... (AtRowEnd must hold): cell i has type types[i]
    // and its MMUTypeSize bytes follow those of the cell before in data. The record grows once.
    void AppendFixedCells(TXLSMMUBlock& block, int row, int col, const uint8_t* types, const uint8_t* data, int count);
    // A new variable cell (type without bit 7) of length data bytes; returns the pointer to its
    // u16 length, already written. Raises for a length above 65,535 before anything changes.
    uint8_t* AddVarCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t length);
    // The header of the row, creating an empty record when there is none.
    uint8_t* GetOrCreateRowHeader(TXLSMMUBlock& block, int row);
    // Removes the cells of col1..col2. Without cells left, the record goes too unless keepHeader
    // (then it stays as a header-only record). True when a cell was removed.
    bool DeleteColumns(TXLSMMUBlock& block, int row, int col1, int col2, bool keepHeader);
    void RemoveRow(TXLSMMUBlock& block, int row);
    // Bounds over the rows with records (rows) and the rows with cells (columns); false when
    // the block has no record. Sees the open row.
    bool GetBounds(TXLSMMUBlock& block, int& firstRow, int& lastRow, int& firstCol, int& lastCol);
    // Bytes held by the open row.
    size_t MemoryUsed() const { return OpenBlock_ ? Rebuild_.MemoryUsed() : 0; }

private:
    uint8_t* NewRecord(TXLSMMUBlock& block, int row, size_t size);
    // Changes the row's record size in place; later records move.
    static uint8_t* ResizeRow(TXLSMMUBlock& block, int row, size_t oldSize, size_t newSize);
    uint8_t* AddCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t cellSize, bool variable,
                     uint16_t length);
    uint8_t* PutOpen(int col, uint8_t type, bool variable, uint16_t length);
    bool IsOpen(const TXLSMMUBlock& block, int row) const { return OpenBlock_ == &block && OpenRow_ == row; }

    const uint8_t* DefaultHeader_;
    TXLSMMURebuildVector Rebuild_;
    TXLSMMUBlock* OpenBlock_ = nullptr;  // the open row's block (nullptr: no open row)
    int OpenRow_ = -1;
};

}  // namespace xls
