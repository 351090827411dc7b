#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace xls {

// The formula token code: BIFF8 operator and constant tokens, the BIFF8 operand tokens (reference
// class 0x20..0x3F, value class +0x20, array class +0x40) and the library's own opcodes from 0x80.

// Operators and constants shared with BIFF8.
constexpr uint8_t ptgAdd = 0x03;
constexpr uint8_t ptgSub = 0x04;
constexpr uint8_t ptgMul = 0x05;
constexpr uint8_t ptgDiv = 0x06;
constexpr uint8_t ptgPower = 0x07;
constexpr uint8_t ptgConcat = 0x08;
constexpr uint8_t ptgLT = 0x09;
constexpr uint8_t ptgLE = 0x0A;
constexpr uint8_t ptgEQ = 0x0B;
constexpr uint8_t ptgGE = 0x0C;
constexpr uint8_t ptgGT = 0x0D;
constexpr uint8_t ptgNE = 0x0E;
constexpr uint8_t ptgIsect = 0x0F;
constexpr uint8_t ptgUnion = 0x10;
constexpr uint8_t ptgRange = 0x11;
constexpr uint8_t ptgUplus = 0x12;
constexpr uint8_t ptgUminus = 0x13;
constexpr uint8_t ptgPercent = 0x14;
constexpr uint8_t ptgParen = 0x15;
constexpr uint8_t ptgMissArg = 0x16;
constexpr uint8_t ptgStr = 0x17;
constexpr uint8_t ptgExtend = 0x18;
constexpr uint8_t ptgAttr = 0x19;
constexpr uint8_t ptgErr = 0x1C;
constexpr uint8_t ptgBool = 0x1D;
constexpr uint8_t ptgInt = 0x1E;
constexpr uint8_t ptgNum = 0x1F;

// BIFF8 operand tokens, reference class.
constexpr uint8_t ptgArray = 0x20;
constexpr uint8_t ptgFunc = 0x21;
constexpr uint8_t ptgFuncVar = 0x22;
constexpr uint8_t ptgName = 0x23;
constexpr uint8_t ptgRef = 0x24;
constexpr uint8_t ptgArea = 0x25;
constexpr uint8_t ptgMemArea = 0x26;
constexpr uint8_t ptgMemErr = 0x27;
constexpr uint8_t ptgMemFunc = 0x29;
constexpr uint8_t ptgRefErr = 0x2A;
constexpr uint8_t ptgAreaErr = 0x2B;
constexpr uint8_t ptgRefN = 0x2C;
constexpr uint8_t ptgAreaN = 0x2D;
constexpr uint8_t ptgNameX = 0x39;
constexpr uint8_t ptgRef3d = 0x3A;
constexpr uint8_t ptgArea3d = 0x3B;
constexpr uint8_t ptgRefErr3d = 0x3C;
constexpr uint8_t ptgAreaErr3d = 0x3D;

// ptgAttr option bits and the space attribute's kinds.
constexpr uint8_t ptgAttrChoose = 0x04;
constexpr uint8_t ptgAttrSpaceBit = 0x40;
constexpr uint8_t AttrSpaceBefore = 0;
constexpr uint8_t AttrSpaceBeforeParenL = 2;
constexpr uint8_t AttrSpaceBeforeParenR = 4;

// The library's own opcodes.
constexpr uint8_t xptgArray = 0x80;
constexpr uint8_t xptgFunc = 0x81;
constexpr uint8_t xptgFuncVar = 0x82;
constexpr uint8_t xptgName = 0x83;
constexpr uint8_t xptgRef = 0x84;
constexpr uint8_t xptgArea = 0x86;
constexpr uint8_t xptgRefErr = 0x87;
constexpr uint8_t xptgAreaErr = 0x88;
constexpr uint8_t xptgInt = 0x89;
constexpr uint8_t xptgStr = 0x8A;
constexpr uint8_t xptgAttrSpace = 0xA0;
constexpr uint8_t xptgParenClose = 0xA1;
constexpr uint8_t xptgRef3d = 0xA2;
constexpr uint8_t xptgRef3dRange = 0xA3;
constexpr uint8_t xptgRefX = 0xA4;
constexpr uint8_t xptgRefXRange = 0xA5;
constexpr uint8_t xptgArea3d = 0xA6;
constexpr uint8_t xptgArea3dRange = 0xA7;
constexpr uint8_t xptgAreaX = 0xA8;
constexpr uint8_t xptgAreaXRange = 0xA9;
constexpr uint8_t xptgRefErr3d = 0xB0;
constexpr uint8_t xptgRefErr3dRange = 0xB1;
constexpr uint8_t xptgAreaErr3d = 0xB2;
constexpr uint8_t xptgAreaErr3dRange = 0xB3;
constexpr uint8_t xptgArrayMember = 0xB8;
constexpr uint8_t xptgFormulaMember = 0xB9;
constexpr uint8_t xptgDataTable = 0xBA;
constexpr uint8_t xptgDataTableMember = 0xBB;
constexpr uint8_t xptgTable = 0xBC;
constexpr uint8_t xptgTableColumn = 0xBD;
constexpr uint8_t xptgTableSpecial = 0xBE;
constexpr uint8_t xptgListSep = 0xF0;
constexpr uint8_t xptgMissArg = 0xF1;
constexpr uint8_t xptgUserFunc = 0xF2;
// Framing prefixes, first token of a stream only: BIFF8 tokens with array-constant data at the
// end (u16 length of that data follows), and plain BIFF8 tokens.
constexpr uint8_t xptgExtra = 0xFE;
constexpr uint8_t xptgBiff = 0xFF;

// The width of a token by its opcode (class variants share the entry); -1 for an opcode that
// is not defined and for the self-described tokens 0x17, 0x19, 0x8A and 0xF2, whose width a
// walker reads from their operands. The intersection 0x0F has the own code's width here (2);
// it is 1 byte in BIFF8 streams. The memory tokens count their head only: the sub-expression
// behind them is made of ordinary tokens.
using TPtgLengths = std::array<int32_t, 256>;
constexpr TPtgLengths InitPtgLengths() {
    TPtgLengths t{};
    t.fill(-1);
    for (int id = ptgAdd; id <= ptgParen; ++id) t[id] = 1;
    t[ptgIsect] = 2;
    t[ptgMissArg] = 1;
    t[ptgExtend] = 2;
    t[ptgErr] = 2;
    t[ptgBool] = 2;
    t[ptgInt] = 3;
    t[ptgNum] = 9;
    constexpr std::pair<uint8_t, int32_t> operands[] = {
        {ptgArray, 8},   {ptgFunc, 3},   {ptgFuncVar, 4}, {ptgName, 5},    {ptgRef, 5},      {ptgArea, 9},
        {ptgMemArea, 7}, {ptgMemErr, 7}, {ptgMemFunc, 3}, {ptgRefErr, 5},  {ptgAreaErr, 9},  {ptgRefN, 5},
        {ptgAreaN, 9},   {ptgNameX, 7},  {ptgRef3d, 7},   {ptgArea3d, 11}, {ptgRefErr3d, 7}, {ptgAreaErr3d, 11}};
    for (auto [id, width] : operands) {
        t[id] = width;
        t[id + 0x20] = width;
        t[id + 0x40] = width;
    }
    constexpr std::pair<uint8_t, int32_t> own[] = {{xptgArray, 7},         {xptgFunc, 3},
                                                   {xptgFuncVar, 4},       {xptgName, 3},
                                                   {xptgRef, 7},           {xptgArea, 13},
                                                   {xptgRefErr, 7},        {xptgAreaErr, 13},
                                                   {xptgInt, 5},           {xptgAttrSpace, 2},
                                                   {xptgRef3d, 8},         {xptgRef3dRange, 9},
                                                   {xptgRefX, 10},         {xptgRefXRange, 11},
                                                   {xptgArea3d, 14},       {xptgArea3dRange, 15},
                                                   {xptgAreaX, 16},        {xptgAreaXRange, 17},
                                                   {xptgRefErr3d, 8},      {xptgRefErr3dRange, 9},
                                                   {xptgAreaErr3d, 14},    {xptgAreaErr3dRange, 15},
                                                   {xptgArrayMember, 7},   {xptgFormulaMember, 7},
                                                   {xptgDataTable, 14},    {xptgDataTableMember, 7},
                                                   {xptgTable, 19},        {xptgTableColumn, 18},
                                                   {xptgTableSpecial, 16}, {xptgListSep, 1},
                                                   {xptgMissArg, 1},       {xptgExtra, 1},
                                                   {xptgBiff, 1}};
    for (auto [id, width] : own) t[id] = width;
    return t;
}

inline constexpr TPtgLengths PtgLengths = InitPtgLengths();

// The width of the token that starts at token[0], with avail bytes readable from there: its
// operands are read only within avail. 0 when the token (or the operands that tell its width)
// does not fit in avail. Raises "Illegal ptgs" for the id 0 and "Unknown ptgs %.2X" for an id
// without width. In a BIFF8 stream (biff) the intersection is one byte. The prefixes 0xFE and
// 0xFF are 3 and 1 bytes wide.
size_t PtgTokenWidth(const uint8_t* token, size_t avail, bool biff);

// Resolves the external-sheet index of a BIFF8 3-D reference to its first and last sheet; false
// when the index is out of range.
class IXLSExternSheets {
public:
    virtual ~IXLSExternSheets() = default;
    virtual bool GetSheetRange(int index, int& firstSheet, int& lastSheet) const = 0;
    // Whether an external name (an add-in function, a name of another workbook) is called name,
    // case ignored.
    virtual bool HasExternalName(std::u16string_view name) const {
        (void)name;
        return false;
    }
};

struct TXLSRefArea {
    int32_t Sheet = 0;
    int32_t Row1 = 0;
    int32_t Row2 = 0;
    int32_t Col1 = 0;
    int32_t Col2 = 0;
};

// Whether a whole token stream is exactly one 3-D reference (defined names): 1 a cell, 2 an area,
// 3 a BIFF8 reference to a sheet index of 255 or more, 0 anything else. Row and column fields
// keep their "$" flag bits. externSheets may be null (BIFF8 references then give 0).
uint8_t GetFormulaRefArea(const IXLSExternSheets* externSheets, const uint8_t* ptgs, size_t length, TXLSRefArea& area);

}  // namespace xls
