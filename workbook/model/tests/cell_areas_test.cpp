#include <gtest/gtest.h>

#include <string>

#include "workbook/model/cell_areas.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/tests/test_util.h"
#include "workbook/model/worksheet_items.h"

namespace xls {
namespace {

std::string Text(const TBaseCellAreas& areas) { return test::U8(areas.GetAsText()); }

TEST(CellAreas, DeleteCutsIntoPieces) {
    TCellAreas areas;
    areas.SetAsText(u"A1:C3");
    areas.Delete(1, 1, 1, 1);  // B2
    EXPECT_EQ(Text(areas), "A1:C1 A3:C3 A2 C2");
    areas.SetAsText(u"A1:C3");
    areas.Delete(0, 0, 2, 2);
    EXPECT_EQ(areas.Count(), 0);
    // The fifth area's own pieces are added, not another area's.
    areas.SetAsText(u"A1 C1 E1 G1 A10:C12");
    areas.Delete(1, 10, 1, 10);
    EXPECT_EQ(Text(areas), "A1 C1 E1 G1 A10:C10 A12:C12 A11 C11");
    // Rows beyond 65,536 stay what they are.
    areas.SetAsText(u"A70001:C70011");
    areas.Delete(1, 70002, 1, 70005);
    EXPECT_EQ(Text(areas), "A70001:C70002 A70007:C70011 A70003:A70006 C70003:C70006");
}

TEST(CellAreas, CopyMergesAdjacentAreas) {
    TCellAreas areas;
    areas.SetAsText(u"A1:A2");
    areas.Copy(0, 0, 0, 1, 1, 0);
    EXPECT_EQ(Text(areas), "A1:B2");
    // A copy onto part of another area takes that part over.
    areas.SetAsText(u"A1 C1:C5");
    areas.Copy(0, 0, 0, 0, 2, 2);  // A1 -> C3, inside C1:C5: absorbed
    EXPECT_EQ(Text(areas), "A1 C1:C5");
    areas.SetAsText(u"A1 C1:E5");
    areas.Copy(0, 0, 0, 0, 3, 9);  // A1 -> D10, touches nothing
    EXPECT_EQ(Text(areas), "A1 C1:E5 D10");
}

TEST(CellAreas, MoveClampsOrDrops) {
    TCellAreas areas;
    areas.SetAsText(u"B3:C10");
    areas.Move(0, -5);
    EXPECT_EQ(Text(areas), "B1:C5");
    areas.Move(0, 1048576);
    EXPECT_EQ(areas.Count(), 0);
    areas.SetAsText(u"A1:B2");
    areas.MoveArea(0, 0, 1, 1, 3, 0);
    EXPECT_EQ(Text(areas), "D1:E2");
    EXPECT_EQ(test::U8(areas.Intersect(3, 0, 3, 5)->GetAsText()), "D1:D2");
}

TEST(CellAreas, TextFormAndFailedParses) {
    TCellAreas areas;
    areas.SetAsText(u"B2 C3:D4");
    ASSERT_EQ(areas.Count(), 2);
    EXPECT_EQ(Text(areas), "B2 C3:D4");
    EXPECT_EQ(areas.CellCount(), 5);
    EXPECT_EQ(areas.IndexOfCell(3, 3), 1);
    EXPECT_EQ(areas.IndexOfArea(2, 2, 3, 3), 1);
    // A text that is no reference raises before the list changes.
    EXPECT_THROW(areas.SetAsText(u"A1 nonsense"), EXLSError);
    EXPECT_EQ(Text(areas), "B2 C3:D4");
    EXPECT_THROW(areas.AddRef(u"ZZZZ1"), EXLSError);
    EXPECT_EQ(areas.Count(), 2);
    TCellRefs refs;
    EXPECT_THROW(refs.Add(u"1A"), EXLSError);
    EXPECT_EQ(test::U8(refs.Add(u"C7").GetAsText()), "C7");
}

TEST(MergedCells, SolidAreasMoveOrGoWhole) {
    TXc12ClassFactory factory;
    TXc12MergedCells merged(factory);
    merged.AddArea(1, 1, 3, 3);    // B2:D4
    merged.Intersect(0, 0, 2, 2);  // merge A1:C3
    EXPECT_EQ(Text(merged), "A1:D4");
    merged.SetAsText(u"A1:C3 E1:F2");
    // B2 alone would split A1:C3: refused, and nothing changes, not even E1:F2.
    EXPECT_THROW(merged.Delete(1, 1, 5, 1), EXLSError);
    EXPECT_EQ(Text(merged), "A1:C3 E1:F2");
    merged.Delete(0, 0, 2, 0);  // the top row
    EXPECT_EQ(Text(merged), "A2:C3 E1:F2");
    merged.Copy(0, 0, 5, 5, 0, 1);  // onto itself: refused
    EXPECT_TRUE(merged.CopyRefused());
    merged.Copy(0, 0, 5, 5, 10, 0);
    EXPECT_FALSE(merged.CopyRefused());
    EXPECT_EQ(Text(merged), "A2:C3 E1:F2 K2:M3 O1:P2");
    EXPECT_THROW(merged.Move(1, 1), EXLSError);
    // Inserting four rows above: every bound inside the moved rows follows.
    merged.MoveArea(0, 0, 16383, 5, 0, 4);
    EXPECT_EQ(Text(merged), "A6:C7 E5:F6 K6:M7 O5:P6");
    merged.SetAsText(u"B2:D4");
    EXPECT_THROW(merged.MoveArea(2, 2, 2, 2, 1, 0), EXLSError);  // a corner inside B2:D4
    EXPECT_EQ(Text(merged), "B2:D4");
}

}  // namespace
}  // namespace xls
