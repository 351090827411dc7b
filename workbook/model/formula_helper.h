#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// Formula kinds of a stored formula cell.
enum TXLSFormulaKind : uint8_t {
    xfkNormal = 0,
    xfkArrayAnchor = 1,
    xfkTableAnchor = 2,
    xfkArrayMember = 3,
    xfkAnchorMember = 4,
    xfkTableMember = 5,
};

// Lead bytes of token code: BIFF8 tokens, BIFF8 tokens with trailing extra data; any other
// lead byte is the model's own token code.
constexpr uint8_t PtgsBIFF8 = 0xFF;
constexpr uint8_t PtgsBIFF8Extra = 0xFE;
// Internal tokens of cells tied to an anchor, and of a data table's anchor.
constexpr uint8_t PtgArrayMember = 0xB8;
constexpr uint8_t PtgAnchorMember = 0xB9;
constexpr uint8_t PtgTableAnchor = 0xBA;
constexpr uint8_t PtgTableMember = 0xBB;

// Table options.
constexpr uint8_t TableDel1 = 0x01;
constexpr uint8_t TableDel2 = 0x02;
constexpr uint8_t Table2D = 0x04;
constexpr uint8_t TableRow = 0x08;

// Result kinds: the cell types of formula cells.
constexpr uint8_t FormulaResultNone = 0;
constexpr uint8_t FormulaResultFloat = 6;
constexpr uint8_t FormulaResultString = 7;
constexpr uint8_t FormulaResultBoolean = 8;
constexpr uint8_t FormulaResultError = 9;

constexpr uint16_t TableCellUnset = 0xFFFF;
constexpr int MaxStoredFormulaSize = 0xFFFF;

// Everything one formula cell holds, on its way into or out of the cell store.
class TXLSFormulaHelper {
public:
    TXLSFormulaHelper() { Clear(); }

    void Clear();
    // Owned copy of the BIFF8 tokens behind the lead byte 0xFF.
    void SetPtgs(const uint8_t* data, int len);
    // Owned copy of 0xFE, u16 extraLen, then the len + extraLen bytes.
    void SetPtgsWithExtra(const uint8_t* data, int len, int extraLen);
    // Owned copy of exactly len bytes.
    void SetPtgsCopy(const uint8_t* data, int len);
    // Points at token code the caller keeps alive; the caller sets PtgsLen.
    void SetPtgsPointer(const uint8_t* ptgs);
    bool IsCompiled() const { return PtgsLen > 0; }

    void SetResultFloat(double value);
    void SetResultString(std::u16string_view text);
    void SetResultBoolean(bool value);
    // Raises "Invalid error value" for 0 and codes above 8.
    void SetResultError(uint8_t code);
    void SetResultErrorText(std::u16string_view text);
    double GetResultFloat() const { return ResultKind == FormulaResultFloat ? ResultFloat : 0; }
    std::u16string GetResultString() const { return ResultKind == FormulaResultString ? ResultString : u""; }
    bool GetResultBoolean() const { return ResultKind == FormulaResultBoolean && ResultByte != 0; }
    uint8_t GetResultError() const { return ResultKind == FormulaResultError ? ResultByte : 0; }
    std::u16string GetResultErrorText() const;

    void SetRange(int col1, int row1, int col2, int row2);
    // Empty text clears HasRange; otherwise the area text is parsed and HasRange set. A text
    // that is no area raises and changes nothing.
    void SetRangeRef(std::u16string_view text);
    std::u16string GetRangeRef() const;
    void SetTableR1(std::u16string_view text);
    void SetTableR2(std::u16string_view text);
    void SetTableR1Cell(int col, int row);
    void SetTableR2Cell(int col, int row);
    std::u16string GetTableR1() const;
    std::u16string GetTableR2() const;
    bool SetCellRef(std::u16string_view text);

    // Size of the formula cell record (without its u16 length); raises when it would not fit
    // the record's 16-bit length.
    int StoredSize() const;
    const uint8_t* Ptgs() const { return Ptgs_; }

    int32_t Col = -1;
    int32_t Row = -1;
    int32_t AnchorCol = 0;
    int32_t AnchorRow = 0;
    int32_t XF = 64;
    std::u16string Text;
    int32_t PtgsLen = -1;
    uint8_t ResultKind = FormulaResultNone;
    uint8_t FormulaKind = xfkNormal;
    uint16_t RangeCol1 = 0;
    int32_t RangeRow1 = 0;
    uint16_t RangeCol2 = 0;
    int32_t RangeRow2 = 0;
    bool HasRange = false;
    double ResultFloat = 0;
    uint8_t ResultByte = 0;  // boolean or error code
    std::u16string ResultString;
    uint16_t TableR1Col = TableCellUnset;
    int32_t TableR1Row = 0;
    uint16_t TableR2Col = TableCellUnset;
    int32_t TableR2Row = 0;
    bool HasTable = false;
    uint8_t Options = 0;  // 1 aca, 2 bx, 4 ca: from and for the .xlsx files only
    uint8_t TableOptions = 0;

private:
    void Own(size_t size);
    const uint8_t* Ptgs_ = nullptr;
    std::vector<uint8_t> Owned_;
};

}  // namespace xls
