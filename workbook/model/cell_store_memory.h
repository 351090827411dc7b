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
// the buffers have grown.
class TXLSMMURebuildVector {
public:
    struct TCell {
        int32_t Col;
        uint8_t Type;
        uint32_t Offset;  // of the cell's bytes in Data (a variable cell: its u16 length)
        uint32_t Size;    // bytes at Offset
    };
    void Decode(const uint8_t* record);
    // Puts an empty cell of the type at col (replacing one there); returns its index.
    size_t SetFixed(int32_t col, uint8_t type);
    size_t SetVar(int32_t col, uint8_t type, uint16_t length);
    // Removes the cells of col1..col2; true when any was there.
    bool Clear(int32_t col1, int32_t col2);
    bool Empty() const { return Cells_.empty(); }
    int32_t ColCount() const { return Cells_.empty() ? 0 : Cells_.back().Col + 1; }
    // Record size when encoded (prefix included).
    size_t EncodedSize() const { return Encode(nullptr, nullptr); }
    // Writes the runs after the prefix, ColCount and LastRun; returns the record offset of the
    // cell with index cellIndex (its data, or its u16 length), and the size written.
    size_t Encode(uint8_t* record, size_t* cellOffset, size_t cellIndex = SIZE_MAX) const;

private:
    size_t Insert(int32_t col, uint8_t type, size_t size);
    std::vector<TCell> Cells_;
    std::vector<uint8_t> Data_;
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

    // Data pointer of the cell and its type byte, or nullptr.
    static uint8_t* FindCell(TXLSMMUBlock& block, int row, int col, uint8_t& type);
    // First cell at col or later; col becomes its column. nullptr when none.
    static uint8_t* FindNextCell(TXLSMMUBlock& block, int row, int& col, uint8_t& type);
    // Lowest first used column of the row, -1 without cells.
    static int FirstUsedColumn(const uint8_t* record);

    // A new fixed cell of the type at col (replacing any cell there); returns its data.
    uint8_t* AddFixedCell(TXLSMMUBlock& block, int row, int col, uint8_t type);
    // A new variable cell (type without bit 7) of length data bytes; returns the pointer to its
    // u16 length, already written. Raises for a length above 65,535 before anything changes.
    uint8_t* AddVarCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t length);
    // The header of the row, creating an empty record when there is none.
    uint8_t* GetOrCreateRowHeader(TXLSMMUBlock& block, int row);
    // Removes the cells of col1..col2. Without cells left, the record goes too unless keepHeader
    // (then it stays as a header-only record). True when a cell was removed.
    bool DeleteColumns(TXLSMMUBlock& block, int row, int col1, int col2, bool keepHeader);
    static void RemoveRow(TXLSMMUBlock& block, int row);
    // Bounds over the rows with records (rows) and the rows with cells (columns); false when
    // the block has no record.
    static bool GetBounds(TXLSMMUBlock& block, int& firstRow, int& lastRow, int& firstCol, int& lastCol);

private:
    uint8_t* NewRecord(TXLSMMUBlock& block, int row, size_t size);
    // Changes the row's record size in place; later records move.
    static uint8_t* ResizeRow(TXLSMMUBlock& block, int row, size_t oldSize, size_t newSize);
    uint8_t* AddCell(TXLSMMUBlock& block, int row, int col, uint8_t type, size_t cellSize, bool variable,
                     uint16_t length);
    uint8_t* Rebuild(TXLSMMUBlock& block, int row, int col, uint8_t type, bool variable, uint16_t length);

    const uint8_t* DefaultHeader_;
    TXLSMMURebuildVector Rebuild_;
};

}  // namespace xls
