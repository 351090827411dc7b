#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/ptg_tokens.h"

namespace xls {
namespace {

using TBytes = std::vector<uint8_t>;

void Put16(TBytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(TBytes& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}

constexpr uint32_t AbsRow = 0x80000000u;
constexpr uint16_t AbsCol = 0x8000;

TBytes OwnRef(uint32_t row, uint16_t col) {
    TBytes b{xptgRef};
    Put32(b, row);
    Put16(b, col);
    return b;
}
TBytes OwnArea(uint32_t row1, uint32_t row2, uint16_t col1, uint16_t col2) {
    TBytes b{xptgArea};
    Put32(b, row1);
    Put32(b, row2);
    Put16(b, col1);
    Put16(b, col2);
    return b;
}
// BIFF column words carry the relative flags: 0x4000 column, 0x8000 row.
TBytes BiffRef(uint8_t op, uint16_t row, uint16_t colWord) {
    TBytes b{0xFF, op};
    Put16(b, row);
    Put16(b, colWord);
    return b;
}
TBytes BiffArea(uint8_t op, uint16_t row1, uint16_t row2, uint16_t col1, uint16_t col2) {
    TBytes b{0xFF, op};
    Put16(b, row1);
    Put16(b, row2);
    Put16(b, col1);
    Put16(b, col2);
    return b;
}

TBytes Offset(TBytes b, int colDelta, int rowDelta) {
    TXLSFormulaHandler::OffsetRelativeRefs(b.data(), static_cast<int>(b.size()), colDelta, rowDelta);
    return b;
}

TEST(FormulaRefsTest, OffsetMovesOnlyRelativeOwnComponents) {
    struct TRow {
        TBytes In;
        int ColDelta;
        int RowDelta;
        TBytes Out;
    };
    const TRow rows[] = {
        {OwnRef(4, 2), 1, 3, OwnRef(7, 3)},
        {OwnRef(4 | AbsRow, 2 | AbsCol), 5, 5, OwnRef(4 | AbsRow, 2 | AbsCol)},
        {OwnRef(4 | AbsRow, 2), 1, -10, OwnRef(4 | AbsRow, 3)},  // the absolute row counts as valid
        {OwnArea(0, 9, 0, 1 | AbsCol), 2, 1, OwnArea(1, 10, 2, 1 | AbsCol)},
        {OwnRef(1048575, 0), 0, 0, OwnRef(1048575, 0)},
    };
    for (const TRow& r : rows) EXPECT_EQ(Offset(r.In, r.ColDelta, r.RowDelta), r.Out);
}

TEST(FormulaRefsTest, OwnReferencesMovedOffTheGridBecomeErrorTokens) {
    TBytes moved = Offset(OwnRef(0, 16383), 1, 0);
    EXPECT_EQ(moved[0], xptgRefErr);
    EXPECT_EQ(Offset(OwnRef(0, 5 | AbsCol), 0, -1)[0], xptgRefErr);
    EXPECT_EQ(Offset(OwnRef(1048575, 0), 0, 1)[0], xptgRefErr);
    EXPECT_EQ(Offset(OwnArea(0, 3, 0, 0), 0, -1)[0], xptgAreaErr);
    // Stays the same width: the token after it is still found and moved.
    TBytes two = OwnRef(0, 16383);
    const TBytes second = OwnRef(5, 5);
    two.insert(two.end(), second.begin(), second.end());
    const TBytes out = Offset(two, 1, 1);
    EXPECT_EQ(out[0], xptgRefErr);
    EXPECT_EQ(TBytes(out.begin() + 7, out.end()), OwnRef(6, 6));
}

TEST(FormulaRefsTest, OffsetMovesBiffReferencesOfEveryClassByTheirFlags) {
    struct TRow {
        TBytes In;
        TBytes Out;
    };
    // Deltas: one column, two rows.
    const TRow rows[] = {
        {BiffRef(0x24, 3, 0xC000 | 4), BiffRef(0x24, 5, 0xC000 | 5)},
        {BiffRef(0x44, 3, 0x4000 | 4), BiffRef(0x44, 3, 0x4000 | 5)},  // row absolute
        {BiffRef(0x64, 3, 0x8000 | 4), BiffRef(0x64, 5, 0x8000 | 4)},  // column absolute
        {BiffArea(0x25, 0, 9, 0xC000, 0x0002), BiffArea(0x25, 2, 9, 0xC001, 0x0002)},
        // Past what the fields hold: the error token of the same class.
        {BiffRef(0x44, 65535, 0xC000), BiffRef(0x4A, 1, 0xC001)},
        {BiffArea(0x65, 0, 65534, 0xC000 | 0x3FFF, 0xC000), BiffArea(0x6B, 2, 0, 0xC000, 0xC001)},
    };
    for (const TRow& r : rows) EXPECT_EQ(Offset(r.In, 1, 2), r.Out);
}

TBytes Ref3d(uint8_t op, uint8_t sheet1, uint8_t sheet2 = 0) {
    TBytes b{op};
    Put32(b, 1);
    Put16(b, 2);
    b.push_back(sheet1);
    if (op == xptgRef3dRange || op == xptgRefErr3dRange) b.push_back(sheet2);
    return b;
}
TBytes Area3d(uint8_t op, uint8_t sheet1, uint8_t sheet2 = 0) {
    TBytes b{op};
    Put32(b, 1);
    Put32(b, 3);
    Put16(b, 0);
    Put16(b, 2);
    b.push_back(sheet1);
    if (op == xptgArea3dRange || op == xptgAreaErr3dRange) b.push_back(sheet2);
    return b;
}

TBytes Adjust(TBytes b, int sheetIndex, int delta) {
    TXLSFormulaHandler::AdjustSheetRefs(b.data(), static_cast<int>(b.size()), sheetIndex, delta);
    return b;
}

TEST(FormulaRefsTest, SheetNumbersFollowInsertedAndDeletedSheets) {
    struct TRow {
        TBytes In;
        int SheetIndex;
        int Delta;
        TBytes Out;
    };
    const TRow rows[] = {
        // Sheet 2 deleted.
        {Ref3d(xptgRef3d, 2), 2, -1, Ref3d(xptgRefErr3d, 4)},
        {Ref3d(xptgRef3d, 3), 2, -1, Ref3d(xptgRef3d, 2)},
        {Ref3d(xptgRef3d, 1), 2, -1, Ref3d(xptgRef3d, 1)},
        {Ref3d(xptgRef3dRange, 1, 3), 2, -1, Ref3d(xptgRef3dRange, 1, 2)},
        {Area3d(xptgArea3d, 2), 2, -1, Area3d(xptgAreaErr3d, 4)},
        {Area3d(xptgArea3dRange, 2, 2), 2, -1, Area3d(xptgAreaErr3dRange, 4, 4)},
        // A deleted end is clamped to the sheets left: sheets 2 and 3 deleted.
        {Ref3d(xptgRef3dRange, 0, 3), 2, -2, Ref3d(xptgRef3dRange, 0, 1)},
        {Area3d(xptgArea3dRange, 2, 5), 2, -2, Area3d(xptgArea3dRange, 2, 3)},
        {Area3d(xptgArea3dRange, 3, 5), 2, -2, Area3d(xptgArea3dRange, 2, 3)},
        // Two sheets inserted at 1.
        {Ref3d(xptgRef3dRange, 0, 1), 1, 2, Ref3d(xptgRef3dRange, 0, 3)},
        {Area3d(xptgArea3d, 1), 1, 2, Area3d(xptgArea3d, 3)},
        // A reference that already points into a deleted sheet keeps its error.
        {Ref3d(xptgRefErr3d, 7), 0, -1, Ref3d(xptgRefErr3d, 7)},
    };
    for (const TRow& r : rows) EXPECT_EQ(Adjust(r.In, r.SheetIndex, r.Delta), r.Out);
}

TEST(FormulaRefsTest, WalkersStopAtATruncatedToken) {
    TBytes cut = OwnArea(0, 1, 0, 1);
    cut.resize(9);
    const TBytes before = cut;
    EXPECT_EQ(Offset(cut, 1, 1), before);
    EXPECT_EQ(Adjust(cut, 0, 1), before);
}

}  // namespace
}  // namespace xls
