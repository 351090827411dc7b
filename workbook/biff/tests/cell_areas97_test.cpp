#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "workbook/biff/cell_areas97.h"
#include "workbook/model/exceptions.h"

using namespace xls;

namespace {

std::vector<TXLSCellArea> AreasOf(const TBaseCellAreas& list) {
    std::vector<TXLSCellArea> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.GetItems(i)->GetBounds());
    return out;
}

// As (Col1, Row1)-(Col2, Row2).
std::vector<TXLSCellArea> Areas(std::initializer_list<std::array<int, 4>> list) {
    std::vector<TXLSCellArea> out;
    for (const auto& a : list) out.push_back(MakeCellArea(a[0], a[1], a[2], a[3]));
    return out;
}

std::string Describe(const std::vector<TXLSCellArea>& areas) {
    std::string text;
    for (const TXLSCellArea& a : areas)
        text += "(" + std::to_string(a.Col1) + "," + std::to_string(a.Row1) + ")-(" + std::to_string(a.Col2) + "," +
                std::to_string(a.Row2) + ") ";
    return text;
}

}  // namespace

TEST(CellAreas97, CutsCopiesAndMovesOnTheSmallGrid) {
    struct Case {
        const char* what;
        std::vector<TXLSCellArea> before;
        void (*edit)(TCellAreas97&);
        std::vector<TXLSCellArea> after;
    };
    const Case cases[] = {
        {"delete the middle", Areas({{0, 0, 5, 5}}), [](TCellAreas97& l) { l.Delete(2, 2, 3, 3); },
         Areas({{0, 0, 5, 1}, {0, 4, 5, 5}, {0, 2, 1, 3}, {4, 2, 5, 3}})},
        {"copy absorbed by a column", Areas({{1, 0, 1, 9}, {0, 0, 0, 9}}),
         [](TCellAreas97& l) { l.Copy(0, 0, 0, 9, 1, 0); }, Areas({{1, 0, 1, 9}, {0, 0, 0, 9}})},
        {"move up off the grid", Areas({{0, 10, 0, 20}, {0, 50, 0, 200}}), [](TCellAreas97& l) { l.Move(0, -100); },
         Areas({{0, 0, 0, 100}})},
        // The model's grid is wider; this one stops at column 255 and row 65535.
        {"move right clips at column 255", Areas({{250, 0, 252, 0}}), [](TCellAreas97& l) { l.Move(5, 0); },
         Areas({{255, 0, 255, 0}})},
        {"move down clips at row 65535", Areas({{0, 65530, 0, 65535}}), [](TCellAreas97& l) { l.Move(0, 3); },
         Areas({{0, 65533, 0, 65535}})},
        {"copy past the last row is dropped", Areas({{0, 0, 0, 0}}),
         [](TCellAreas97& l) { l.Copy(0, 0, 0, 0, 0, 70000); }, Areas({{0, 0, 0, 0}})},
        {"move a block past the last column", Areas({{0, 0, 3, 0}}),
         [](TCellAreas97& l) { l.MoveArea(2, 0, 3, 0, 253, 0); }, Areas({{0, 0, 1, 0}, {255, 0, 255, 0}})},
        {"intersect", Areas({{0, 0, 2, 9}, {5, 5, 6, 6}}), [](TCellAreas97& l) { l.Intersect(0, 0, 2, 2); },
         Areas({{0, 0, 2, 2}})},
        {"delete everything leaves none", Areas({{1, 1, 2, 2}}), [](TCellAreas97& l) { l.Delete(0, 0, 99, 99); },
         Areas({})},
    };
    for (const Case& c : cases) {
        TCellAreas97 list;
        for (const TXLSCellArea& a : c.before) list.AddAreaRec(a);
        c.edit(list);
        EXPECT_EQ(Describe(AreasOf(list)), Describe(c.after)) << c.what;
    }
}

TEST(CellAreas97, NumbersBoundsAndRecords) {
    TCellAreas97 list;
    const TXLSCellArea empty = list.GetBounds();
    EXPECT_EQ(empty.Col1, 2147483647);
    EXPECT_EQ(empty.Row1, 2147483647);
    EXPECT_EQ(empty.Col2, 0);
    EXPECT_EQ(empty.Row2, 0);

    const uint8_t ref[8] = {3, 0, 1, 0, 7, 0, 2, 0};  // rows 3..1, columns 7..2
    TCellArea97* a = list.AddFromRecord(std::span<const uint8_t, 8>(ref, 8));
    list.AddArea(10, 20, 11, 21);
    EXPECT_EQ(a->Id(), 0);
    EXPECT_EQ(list.GetItems97(1)->Id(), 1);
    list.NormalizeAll();
    EXPECT_EQ(Describe(AreasOf(list)), Describe(Areas({{2, 1, 7, 3}, {10, 20, 11, 21}})));
    EXPECT_EQ(Describe({list.GetBounds()}), Describe(Areas({{2, 1, 11, 21}})));

    // A copied list numbers its areas on.
    TCellAreas97 copy;
    copy.AddArea(0, 0, 0, 0);
    copy.Assign(list);
    EXPECT_EQ(copy.GetItems97(0)->Id(), 1);
    EXPECT_EQ(copy.GetItems97(1)->Id(), 2);
}

TEST(MergedCells97, CutsOnlyWholeAreas) {
    struct Case {
        const char* what;
        void (*edit)(TMergedCells&);
        std::vector<TXLSCellArea> after;  // empty with raises set: the list is unchanged
        bool raises;
    };
    const Case cases[] = {
        {"delete a middle column", [](TMergedCells& m) { m.Delete(3, 0, 3, 0); }, Areas({{2, 0, 5, 0}}), true},
        {"delete all of it", [](TMergedCells& m) { m.Delete(2, 0, 5, 0); }, Areas({}), false},
        {"delete the last column", [](TMergedCells& m) { m.Delete(5, 0, 5, 0); }, Areas({{2, 0, 4, 0}}), false},
        {"block holding the area", [](TMergedCells& m) { m.MoveArea(0, 0, 9, 9, 0, 2); }, Areas({{2, 2, 5, 2}}), false},
        {"copy of a touching block", [](TMergedCells& m) { m.Copy(5, 0, 6, 0, 0, 1); },
         Areas({{2, 0, 5, 0}, {2, 1, 5, 1}}), false},
        {"copy past column 255", [](TMergedCells& m) { m.Copy(2, 0, 2, 0, 252, 0); },
         Areas({{2, 0, 5, 0}, {254, 0, 255, 0}}), false},
        {"copy wholly off the grid", [](TMergedCells& m) { m.Copy(2, 0, 2, 0, 300, 0); }, Areas({{2, 0, 5, 0}}), false},
        {"copy onto itself adds it again", [](TMergedCells& m) { m.Copy(2, 0, 2, 0, 0, 0); },
         Areas({{2, 0, 5, 0}, {2, 0, 5, 0}}), false},
    };
    for (const Case& c : cases) {
        TMergedCells merged;
        merged.AddArea(2, 0, 5, 0);
        if (c.raises) {
            try {
                c.edit(merged);
                ADD_FAILURE() << c.what << ": no error";
            } catch (const std::exception& e) {
                EXPECT_STREQ(e.what(), "Can not change part of a merged cell") << c.what;
            }
        } else {
            c.edit(merged);
        }
        EXPECT_EQ(Describe(AreasOf(merged)), Describe(c.after)) << c.what;
    }
    TMergedCells merged;
    merged.AddArea(2, 2, 6, 6);
    EXPECT_THROW(merged.MoveArea(4, 4, 9, 9, 0, 1), std::exception);
    EXPECT_EQ(Describe(AreasOf(merged)), Describe(Areas({{2, 2, 6, 6}})));
    EXPECT_THROW(merged.Move(0, 1), std::exception);
    EXPECT_EQ(merged.Intersect(0, 0, 0, 0), nullptr);
}
