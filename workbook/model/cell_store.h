#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_area.h"
#include "workbook/model/cell_store_memory.h"
#include "workbook/model/formula_helper.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"

namespace xls {

// What the store reports for a cell.
enum TCellValueType : uint8_t {
    xctNone = 0,
    xctBlank = 1,
    xctBoolean = 2,
    xctError = 3,
    xctString = 4,
    xctFloat = 5,
    xctFloatFormula = 6,
    xctStringFormula = 7,
    xctBooleanFormula = 8,
    xctErrorFormula = 9,
};

// Kinds in the low 5 bits of a stored type byte; 0x40 = the cell starts with its u16 XF,
// 0x80 = variable-size cell (formulas).
enum TXLSCellKind : uint8_t {
    xckBlank = 1,
    xckInt8 = 2,
    xckInt16 = 3,
    xckInt32 = 4,
    xckHundredths = 5,
    xckTenThousandths = 6,
    xckSingle = 7,
    xckDouble = 8,
    xckString16 = 9,
    xckString32 = 10,
    xckBoolean = 11,
    xckError = 12,
    xckFormulaFloat = 20,
    xckFormulaString = 21,
    xckFormulaBoolean = 22,
    xckFormulaError = 23,
};
// Height (twips) of a row whose header gives none, in a sheet without a default row height.
constexpr int XLSDefaultRowHeight = 300;
constexpr uint16_t XLSRowHeightNotGiven = 0xFFFF;
constexpr uint8_t XLSCellHasXF = 0x40;
constexpr uint8_t XLSCellVariable = 0x80;

// A located cell: its stored type byte and its bytes in the row record (nullptr = no cell); a
// formula cell's pointer addresses its u16 length. Valid until the next write to the store.
struct TXLSMMUCell {
    uint32_t Type = 0;
    uint8_t* Data = nullptr;
};

// The 6-byte row header inside each row record.
struct TXLSMMURowHeader {
    uint8_t Bytes[MMURowHeaderSize];
    uint8_t Options() const { return Bytes[0]; }  // 1 hidden, 2 custom height, 4 collapsed, ...
    void SetOptions(uint8_t value) { Bytes[0] = value; }
    uint16_t XF() const { return base::LoadLE16(Bytes + 1); }
    void SetXF(uint16_t value) { base::StoreLE16(Bytes + 1, value); }
    uint8_t OutlineLevel() const { return Bytes[3]; }
    void SetOutlineLevel(uint8_t value) { Bytes[3] = value; }
    uint16_t Height() const { return base::LoadLE16(Bytes + 4); }  // twips or XLSRowHeightNotGiven
    void SetHeight(uint16_t value) { base::StoreLE16(Bytes + 4, value); }
};
static_assert(sizeof(TXLSMMURowHeader) == MMURowHeaderSize);

// A double packed by the store: its kind and the integer it stores (kinds 2 to 6), or kind 8
// and the double's bits.
struct TXLSPackedFloat {
    uint8_t Kind;
    int64_t Value;
    bool operator==(const TXLSPackedFloat&) const = default;
};
// Picks the smallest kind that gives back exactly the same double.
TXLSPackedFloat XLSPackFloat(double value);
// XLSPackFloat of the number a BIFF RK value stands for; an RK integer in hundredths packs
// without a division.
TXLSPackedFloat XLSPackRK(uint32_t rk);

// The cells of one worksheet.
class TXLSCellMMU {
public:
    TXLSCellMMU(int sheetIndex, TXc12DataStyleSheet& styleSheet, TXc12DataSST& sst);
    ~TXLSCellMMU();
    TXLSCellMMU(const TXLSCellMMU&) = delete;
    TXLSCellMMU& operator=(const TXLSCellMMU&) = delete;

    int SheetIndex() const { return SheetIndex_; }
    TXc12DataStyleSheet& StyleSheet() { return StyleSheet_; }
    TXc12DataSST& SST() { return SST_; }
    TXLSFormulaHelper& FormulaHelper() { return *FormulaHelper_; }

    // --- Writing. Store operations replace a cell and give back what it held. ---
    void StoreBlank(int col, int row, int xf);
    void StoreBoolean(int col, int row, int xf, bool value);
    void StoreError(int col, int row, int xf, uint8_t errorCode);
    void StoreFloat(int col, int row, int xf, double value);
    // StoreFloat for count packed numbers from firstCol on, all with format xf, whose uses are
    // counted once for the run.
    void StoreFloatRun(int firstCol, int row, int xf, const TXLSPackedFloat* values, int count);
    void StoreSSTString(int col, int row, int xf, int index);
    void StoreString(int col, int row, int xf, std::u16string_view text);

    void SetBoolean(int col, int row, bool value, int xf);
    void SetError(int col, int row, uint8_t errorCode, int xf);
    void SetFloat(int col, int row, double value, int xf);
    void SetString(int col, int row, std::u16string_view text, int xf);
    void SetXF(int col, int row, int xf);
    // Formatted cells become blanks with their format; unformatted cells go.
    void ClearValue(int col, int row);
    // Gives back the cell's XF use and string reference and removes it (may move records). A row left without cells
    // loses its record only when its header holds nothing but the defaults.
    void DeleteCell(int col, int row);
    // DeleteCell for every cell of row in columns col1..col2, in one pass over the row.
    void DeleteCells(int col1, int col2, int row);
    void ClearRows(int row1, int row2);
    TXLSMMURowHeader* AddRowHeader(int row, int xf);

    // --- Reading ---
    bool FindCell(int col, int row, TXLSMMUCell& cell);
    void GetCell(int col, int row, TXLSMMUCell& cell) { FindCell(col, row, cell); }
    bool IsEmpty(int col, int row);
    static TCellValueType GetCellType(const TXLSMMUCell& cell);
    static int GetXF(const TXLSMMUCell& cell);
    static bool GetBoolean(const TXLSMMUCell& cell);
    static uint8_t GetError(const TXLSMMUCell& cell);
    static double GetFloat(const TXLSMMUCell& cell);
    static int64_t GetSSTIndex(const TXLSMMUCell& cell);
    void GetString(const TXLSMMUCell& cell, std::u16string& text) const;
    TXLSMMURowHeader* GetRowHeader(int row);
    // For the evaluator: an error code, or 0 with value set or notNumber set.
    uint8_t GetFloatOrError(int col, int row, bool& notNumber, double& value);
    bool GetAsString(int col, int row, std::u16string& text);
    void CalcDimension();
    const TXLSCellArea& Dimension() const { return Dimension_; }

    // --- Iteration (one iterator per store; no writes while iterating). Starting one encodes
    // a row held open by out-of-order writes, which may move records. ---
    void BeginIterate(int fromRow);
    bool IterateNext();
    void BeginIterateRows(int row);
    bool IterateNextRow();
    void BeginRowCells();
    bool IterateNextInRow();
    const TXLSMMUCell& IterCell() const { return IterCell_; }
    int IterCol() const { return IterCol_; }
    int IterRow() const { return IterRow_; }
    TCellValueType IterCellType() const { return GetCellType(IterCell_); }
    int IterXF() const { return GetXF(IterCell_); }
    bool IterBoolean() const { return GetBoolean(IterCell_); }
    uint8_t IterError() const { return GetError(IterCell_); }
    double IterFloat() const;
    int64_t IterSSTIndex() const;
    TXLSMMURowHeader* IterRowHeader() const { return IterRowHeader_; }

    // --- Formula cells ---
    // Writes the formula that the helper describes at the helper's Col and Row.
    void StoreFormula();
    void LoadFormula(const TXLSMMUCell& cell);
    void StoreFormulaTokens(int col, int row, double value, int ptgsLen, const uint8_t* ptgs, int xf);
    void StoreFormulaData(int col, int row, int xf, int len, const uint8_t* data);
    void ReplaceFormulaPtgs(int col, int row, const TXLSMMUCell& cell, const uint8_t* ptgs, int len);
    void SetFormulaResultFloat(const TXLSMMUCell& cell, int col, int row, double value);
    void SetFormulaResultBoolean(const TXLSMMUCell& cell, int col, int row, bool value);
    void SetFormulaResultError(const TXLSMMUCell& cell, int col, int row, uint8_t code);
    void SetFormulaResultString(const TXLSMMUCell& cell, int col, int row, std::u16string_view text);
    static double GetFormulaResultFloat(const TXLSMMUCell& cell);
    static bool GetFormulaResultBoolean(const TXLSMMUCell& cell);
    static uint8_t GetFormulaResultError(const TXLSMMUCell& cell);
    static std::u16string GetFormulaResultString(const TXLSMMUCell& cell);
    static void GetFormulaText(const TXLSMMUCell& cell, std::u16string& text);
    // Pointer to the token bytes and their count; raises unless the formula is compiled.
    static int GetFormulaPtgs(const TXLSMMUCell& cell, const uint8_t*& ptgs);
    static bool IsFormulaCompiled(const TXLSMMUCell& cell);
    // The range block (u16 Col1, int32 Row1, u16 Col2, int32 Row2), nullptr without one.
    static const uint8_t* GetFormulaRange(const TXLSMMUCell& cell);
    uint8_t IterFormulaKind() const;
    int IterFormulaPtgs(const uint8_t*& ptgs) const { return GetFormulaPtgs(IterCell_, ptgs); }
    void IterLoadFormula() { LoadFormula(IterCell_); }

    // Counts the writes to the store but those of cached formula results: while it stays the
    // same, results calculated from the store hold.
    uint64_t Changes() const { return Changes_; }
    // Counts the writes that add, replace or remove a formula: while it stays the same, a
    // calculation chain built from the store holds.
    uint64_t FormulaChanges() const { return FormulaChanges_; }

    // Bytes the store has reserved for its cells and rows.
    size_t MemoryUsed() const;
    int BlockCount() const { return static_cast<int>(Blocks_.size()); }

private:
    TXLSMMUBlock& BlockFor(int row);
    TXLSMMUBlock* ExistingBlock(int row) const;
    void CheckPosition(int col, int row) const;
    bool InFormulaBlock(int row) const;
    // Counts the coming write as a formula change when the cell holds a formula.
    void NoteReplacedFormula(int col, int row);
    // The format xf, raising when there is none.
    TXc12XF& CheckXF(int xf) const;
    // Writes a fixed cell of the stored type and bytes (XF first, when the type has one); takes
    // the new row's header use only.
    void WriteFixedBytes(int col, int row, uint8_t type, const uint8_t* bytes);
    void WriteFixed(int col, int row, uint8_t kind, int xf, const void* value, size_t size);
    // Stores a fixed cell, giving back the uses of the cell it replaces.
    void PutCell(int col, int row, uint8_t type, const uint8_t* bytes);
    // PutCell of a cell of the kind, value bytes and format, taking a use of the format.
    void StoreFixed(int col, int row, uint8_t kind, int xf, const void* value, size_t size);
    // Stores count fixed cells from col on when they come after every cell of the row (nothing
    // to release there); false, with nothing changed, otherwise. Takes the new row's header use
    // only.
    bool AppendCells(int col, int row, const uint8_t* types, const uint8_t* bytes, int count);
    void ReleaseCell(const TXLSMMUCell& cell);
    void ReleaseOccupant(int col, int row);
    // Rewrites a value cell with another XF, keeping its value bytes.
    void RewriteWithXF(int col, int row, const TXLSMMUCell& cell, int xf);
    bool HeaderIsDefault(const uint8_t* header) const;
    // Sets a boolean or error cell (kind) keeping what the Set operations keep.
    void SetByteCell(int col, int row, uint8_t kind, uint8_t value, int xf);
    // Formula records.
    void WriteFormulaRecord();
    void StoreNewFormula(int col, int row, int xf, double value, const std::function<void()>& setTokens);
    static const uint8_t* FormulaBody(const TXLSMMUCell& cell, uint8_t& kind);
    bool NextCellInRow();
    bool NextRowWithRecord(int lastRow);

    int SheetIndex_;
    TXc12DataStyleSheet& StyleSheet_;
    TXc12DataSST& SST_;
    uint8_t DefaultHeader_[MMURowHeaderSize];
    std::vector<std::unique_ptr<TXLSMMUBlock>> Blocks_;
    TXLSMMUBlockManager Manager_;
    TXLSCellArea Dimension_;
    std::unique_ptr<TXLSFormulaHelper> FormulaHelper_;
    uint64_t Changes_ = 0;
    uint64_t FormulaChanges_ = 0;
    // Blocks that hold or held a formula: only writes there may replace one.
    std::vector<bool> FormulaBlocks_;
    uint64_t DimensionChanges_ = UINT64_MAX;  // Changes_ when Dimension_ was last found

    // Iterator state: the row and the position inside its record as offsets (the area may
    // move between calls of different iterations, never during one).
    int IterCol_ = -1;
    int IterRow_ = -1;
    int IterLastRow_ = -1;
    size_t IterPos_ = 0;    // offset of the current run in the record
    int IterRunFirst_ = 0;  // first column of the current run
    int IterRunIndex_ = 0;  // cell of the current run
    bool IterInRun_ = false;
    TXLSMMUCell IterCell_;
    TXLSMMURowHeader* IterRowHeader_ = nullptr;
};

}  // namespace xls
