#include <gtest/gtest.h>

#include "test_util.h"
#include "workbook/model/cell_area.h"

namespace xls {
namespace {

using test::U8;

TEST(CellArea, RecordAndSetters) {
    TXLSCellArea area;
    EXPECT_EQ(area, MakeCellArea(-1, -1, -1, -1));
    EXPECT_FALSE(CellAreaAssigned(area));
    SetCellArea(area, 3, 1, 2, 0);  // stored unchanged, no ordering
    EXPECT_EQ(area.Col1, 3);
    EXPECT_EQ(area.Row1, 1);
    EXPECT_EQ(area.Col2, 2);
    EXPECT_EQ(area.Row2, 0);
    EXPECT_TRUE(CellAreaAssigned(area));
    EXPECT_FALSE(CellAreaIsCell(area));
    SetCellAreaToCell(area, 4, 5);
    EXPECT_TRUE(CellAreaIsCell(area));
    EXPECT_EQ(area, CellToCellArea(4, 5));
    ClearCellArea(area);
    EXPECT_EQ(area, TXLSCellArea{});
    // The original's field order.
    const TXLSCellArea a = MakeCellArea(1, 2, 3, 4);
    const int32_t* raw = &a.Row1;
    EXPECT_EQ(raw[0], 2);
    EXPECT_EQ(raw[1], 4);
    EXPECT_EQ(raw[2], 1);
    EXPECT_EQ(raw[3], 3);
    EXPECT_FALSE(CellAreaAssigned(MakeCellArea(0, -1, 0, 0)));
    EXPECT_FALSE(CellAreaAssigned(MakeCellArea(-1, 0, 0, 0)));
}

TEST(CellArea, IntersectUnionExtend) {
    TXLSCellArea r;
    EXPECT_TRUE(IntersectCellArea(MakeCellArea(0, 0, 5, 5), MakeCellArea(3, 4, 9, 9), r));
    EXPECT_EQ(r, MakeCellArea(3, 4, 5, 5));
    EXPECT_TRUE(IntersectCellArea(MakeCellArea(0, 0, 5, 5), MakeCellArea(5, 5, 9, 9), r));
    EXPECT_EQ(r, MakeCellArea(5, 5, 5, 5));
    EXPECT_FALSE(IntersectCellArea(MakeCellArea(0, 0, 5, 5), MakeCellArea(6, 0, 9, 9), r));
    EXPECT_FALSE(IntersectCellArea(MakeCellArea(0, 0, 5, 5), MakeCellArea(0, 6, 5, 9), r));
    UnionCellArea(MakeCellArea(2, 3, 4, 5), MakeCellArea(0, 4, 3, 9), r);
    EXPECT_EQ(r, MakeCellArea(0, 3, 4, 9));

    TXLSCellArea area;
    ExtendCellArea(area, 3, 3, 3, 3);  // an unset area becomes the given one
    EXPECT_EQ(area, MakeCellArea(3, 3, 3, 3));
    ExtendCellArea(area, 1, 5, 2, 7);
    EXPECT_EQ(area, MakeCellArea(1, 3, 3, 7));
    ExtendCellArea(area, 2, 4, 2, 4);
    EXPECT_EQ(area, MakeCellArea(1, 3, 3, 7));
}

TEST(CellArea, Validity) {
    EXPECT_TRUE(IsValidColRow(0, 0));
    EXPECT_TRUE(IsValidColRow(16383, 1048575));
    EXPECT_FALSE(IsValidColRow(16384, 0));
    EXPECT_FALSE(IsValidColRow(0, 1048576));
    EXPECT_FALSE(IsValidColRow(-1, 0));
    EXPECT_FALSE(IsValidColRow(0, -1));
    EXPECT_TRUE(IsValidArea(5, 5, 0, 0));  // no ordering test
    EXPECT_FALSE(IsValidArea(0, 0, 16384, 0));
}

TEST(CellArea, Texts) {
    EXPECT_EQ(U8(CellAreaToRefStr(TXLSCellArea{})), "");
    EXPECT_EQ(U8(CellAreaToRefStr(MakeCellArea(0, 0, 0, 0))), "A1");
    EXPECT_EQ(U8(CellAreaToRefStr(MakeCellArea(0, 0, -1, -1))), "A1");
    EXPECT_EQ(U8(CellAreaToRefStr(MakeCellArea(1, 2, -1, 5))), "B3");
    EXPECT_EQ(U8(CellAreaToRefStr(MakeCellArea(1, 1, 2, 2))), "B2:C3");
    EXPECT_EQ(U8(CellAreaToRefStr(MakeCellArea(0, -1, 2, 2))), "");

    TXLSCellArea area = MakeCellArea(7, 7, 7, 7);
    RefStrToCellArea(u"", area);
    EXPECT_EQ(area, TXLSCellArea{});
    RefStrToCellArea(u"B3", area);
    EXPECT_EQ(area, MakeCellArea(1, 2, 1, 2));
    RefStrToCellArea(u"Sheet1!A1:C3", area);
    EXPECT_EQ(area, MakeCellArea(0, 0, 2, 2));
    RefStrToCellArea(u"A:B", area);
    EXPECT_EQ(area, MakeCellArea(0, 0, 1, 1048575));
    RefStrToCellArea(u"nonsense", area);
    EXPECT_EQ(area, TXLSCellArea{});
    RefStrToCellArea(u"A1:nonsense", area);
    EXPECT_EQ(area, TXLSCellArea{});
}

}  // namespace
}  // namespace xls
