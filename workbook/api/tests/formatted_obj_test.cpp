// Cells, rows and columns through their cursors: formats, heights, widths, column records
// split and merged, and the use counts every path must keep.
#include <gtest/gtest.h>

#include "workbook/api/tests/api_fixture.h"

namespace xls::test {
namespace {

struct TColRange {
    int Min, Max;
    double Width;
    bool operator==(const TColRange&) const = default;
};

std::vector<TColRange> Records(TXLSWorksheet& sheet) {
    std::vector<TColRange> out;
    TXc12Columns& cols = sheet.Model().cols;
    for (int i = 0; i < cols.Count(); ++i)
        out.push_back({cols.GetItems(i)->min, cols.GetItems(i)->max, cols.GetItems(i)->width});
    return out;
}

using ColumnTest = ApiTest;

TEST_F(ColumnTest, WidthsCreateSplitAndMergeRecords) {
    TXLSColumns& columns = Sheet().GetColumns();
    columns.GetItems(5).SetWidth(XLSDefaultColWidth);
    EXPECT_TRUE(Records(Sheet()).empty());
    columns.GetItems(3).SetWidth(4400);
    EXPECT_EQ(Records(Sheet()), (std::vector<TColRange>{{3, 3, 17.1875}}));
    EXPECT_TRUE(Sheet().Model().cols.GetItems(0)->Flags & xcfCustomWidth);

    columns.GetItems(0).SetWidth(4400);
    columns.GetItems(1).SetWidth(4400);
    columns.GetItems(2).SetWidth(4400);
    EXPECT_EQ(Records(Sheet()), (std::vector<TColRange>{{0, 3, 17.1875}}));

    columns.GetItems(1).SetWidth(8800);
    EXPECT_EQ(Records(Sheet()), (std::vector<TColRange>{{0, 0, 17.1875}, {1, 1, 34.375}, {2, 3, 17.1875}}));
    EXPECT_EQ(columns.GetItems(1).GetWidth(), 8800);
    EXPECT_EQ(columns.GetItems(2).GetWidth(), 4400);
    ExpectUseCountsBalanced();
}

TEST_F(ColumnTest, FormatOfOneColumnInsideARecordChangesThatColumnOnly) {
    TXLSColumns& columns = Sheet().GetColumns();
    for (int c = 0; c <= 2; ++c) columns.GetItems(c).SetWidth(4400);
    columns.GetItems(1).SetHorizAlignment(2);
    EXPECT_EQ(columns.GetItems(0).GetXF()->GetAlignment().GetHorizAlignment(), 0);
    EXPECT_EQ(columns.GetItems(1).GetXF()->GetAlignment().GetHorizAlignment(), 2);
    EXPECT_EQ(columns.GetItems(2).GetXF()->GetAlignment().GetHorizAlignment(), 0);
    EXPECT_EQ(Records(Sheet()).size(), 3u);
    ExpectUseCountsBalanced();
}

// A column split off a formatted record copies its XF and must hold its own use of it: a
// later format change on the split column gives back only that use, and compaction must not
// free the format the neighbours still show.
TEST_F(ColumnTest, SplitOffTakesAUseOfTheCopiedFormat) {
    TXLSColumns& columns = Sheet().GetColumns();
    columns.GetItems(0).SetFillColor(0x00FF00);
    columns.GetItems(1).SetFillColor(0x00FF00);
    ASSERT_EQ(Records(Sheet()).size(), 2u);
    Sheet().GetColumns().Merge();
    ASSERT_EQ(Records(Sheet()).size(), 1u);
    const TXc12XF* green = columns.GetItems(0).GetXF();
    columns.GetItems(1).SetWidth(8800);
    columns.GetItems(1).SetHorizAlignment(3);
    ExpectUseCountsBalanced();
    Styles().XFEditor().Compact();
    EXPECT_EQ(Styles().XFs().GetItems(green->Index()), green);
    EXPECT_EQ(columns.GetItems(0).GetXF()->GetFill()->GetFgColor(), Xc12ColorFromRGB(0x00FF00));
    Sheet().GetColumns().Clear();
    EXPECT_TRUE(Records(Sheet()).empty());
    ExpectUseCountsBalanced();
}

using RowTest = ApiTest;

TEST_F(RowTest, HeightCreatesAHeaderOnlyWhenItDiffersAndFormatsKeepIt) {
    TXLSRow& row = Sheet().GetRows().GetItems(4);
    row.SetHeight(XLSDefaultRowHeight);
    EXPECT_EQ(Sheet().Cells().GetRowHeader(4), nullptr);
    row.SetHeight(360);
    ASSERT_NE(Sheet().Cells().GetRowHeader(4), nullptr);
    EXPECT_EQ(Sheet().Cells().GetRowHeader(4)->Options() & 2, 2);
    Sheet().Cells().GetRowHeader(4)->SetOutlineLevel(2);
    // Applying a format changes the row's format, nothing else.
    Sheet().GetRows().GetItems(4).SetHorizAlignment(2);
    const TXLSMMURowHeader* header = Sheet().Cells().GetRowHeader(4);
    EXPECT_EQ(header->Height(), 360);
    EXPECT_EQ(header->Options() & 2, 2);
    EXPECT_EQ(header->OutlineLevel(), 2);
    EXPECT_EQ(Styles().XFs().GetItems(header->XF())->GetAlignment().GetHorizAlignment(), 2);
    // A row without header gets one carrying the format and the default height.
    Sheet().GetRows().GetItems(7).SetFillColor(0xC0C0C0);
    EXPECT_EQ(Sheet().GetRows().GetItems(7).GetHeight(), XLSDefaultRowHeight);
    EXPECT_NE(Sheet().Cells().GetRowHeader(7)->XF(), 0);
    ExpectUseCountsBalanced();
}

using CellTest = ApiTest;

TEST_F(CellTest, NewCellsTakeTheFormatOfTheirColumnThenTheirRow) {
    EXPECT_EQ(Sheet().GetCell(2, 2), nullptr);
    Sheet().GetColumns().GetItems(1).SetHorizAlignment(2);
    Sheet().GetRows().GetItems(3).SetVertAlignment(1);
    Sheet().SetAsFloat(1, 3, 1.5);    // column format wins
    Sheet().SetAsFloat(2, 3, 2.5);    // row format
    Sheet().SetAsString(4, 4, u"x");  // neither
    EXPECT_EQ(XFAt(1, 3).GetAlignment().GetHorizAlignment(), 2);
    EXPECT_EQ(XFAt(2, 3).GetAlignment().GetVertAlignment(), 1);
    EXPECT_EQ(XFAt(4, 4).Index(), 0);
    // A cell keeps its own format when a value is written again.
    Sheet().GetCell(4, 4)->SetFontSize(18);
    Sheet().SetAsString(4, 4, u"y");
    EXPECT_EQ(XFAt(4, 4).GetFont()->GetSize(), 18);
    ExpectUseCountsBalanced();
}

}  // namespace
}  // namespace xls::test
