// The console's report sheet driven through the interface: the layout recipe, record rows and
// the finishing, checked cell by cell in the model.
#include <gtest/gtest.h>

#include <set>

#include "workbook/api/tests/api_fixture.h"
#include "workbook/api/tests/report_recipe.h"
#include "workbook/formula/ptg_tokens.h"

namespace xls::test {
namespace {

using report::U;

class ReportLayoutTest : public ApiTest {
protected:
    static constexpr int Records = 5;
    static constexpr int Last = report::FirstDataRow + Records;  // 1-based last data row

    void SetUp() override {
        UseBiff();
        report::BuildReportSheet(Sheet(), Records);
    }
    // Style of a border side of cell (col, row), 0-based.
    TXc12CellBorderStyle Side(int col, int row, TXc12BorderLine line) {
        return XFAt(col, row).GetBorder()->Line(line).Style;
    }
    TXc12Color SideColor(int col, int row, TXc12BorderLine line) {
        return XFAt(col, row).GetBorder()->Line(line).Color;
    }
    bool HasFill(int col, int row, uint32_t rgb) {
        const TXc12Fill* fill = XFAt(col, row).GetFill();
        return fill->GetPatternType() == efpSolid && fill->GetFgColor() == Xc12ColorFromRGB(rgb);
    }
};

TEST_F(ReportLayoutTest, MergedAreaRowHeightsAndColumnWidths) {
    TXc12MergedCells& merged = Sheet().GetMergedCells();
    ASSERT_EQ(merged.Count(), 1);
    EXPECT_EQ(merged.GetItems(0)->GetBounds(), MakeCellArea(0, 0, 3, 0));
    const int heights[][2] = {{0, 1000}, {1, 360}, {8, 360}, {26, 360}, {2, 300}, {27, 300}, {Last - 1, 300}};
    for (const auto& [row, height] : heights) EXPECT_EQ(Sheet().GetRows().GetItems(row).GetHeight(), height) << row;
    const int widths[] = {4400, 4400, 4400, 8800, XLSDefaultColWidth};
    for (int col = 0; col < 5; ++col) EXPECT_EQ(Sheet().GetColumns().GetItems(col).GetWidth(), widths[col]) << col;
}

TEST_F(ReportLayoutTest, FontsFillsAndAlignments) {
    struct TExpect {
        int Col, Row;
        double Size;
        bool Bold;
        uint8_t Horiz;
        int Vert;  // -1: the default format's
        int Fill;  // 0 none, 1 white, 2 silver
    };
    const TExpect table[] = {
        {0, 0, 18, true, 2, 1, 1},     // title
        {3, 0, 18, true, 2, 1, 1},     // end of the merged title
        {0, 1, 9, true, 0, 1, 2},      // "1.设备信息："
        {1, 2, 9, false, 1, 1, 1},     // information block
        {0, 4, 9, false, 1, 1, 1},     // formula cell
        {0, 8, 9, true, 1, 1, 2},      // "2.温湿度曲线："
        {2, 15, 9, false, 1, 1, 1},    // chart area
        {0, 26, 9, true, 0, 1, 2},     // "3.详细数据："
        {1, 27, 11, false, 2, -1, 0},  // header row: column format, no fill
        {3, Last - 1, 11, false, 2, -1, 0},
    };
    for (const TExpect& e : table) {
        SCOPED_TRACE(testing::Message() << "cell " << e.Col << "," << e.Row);
        const TXc12XF& xf = XFAt(e.Col, e.Row);
        EXPECT_EQ(xf.GetFont()->GetName(), U("宋体"));
        EXPECT_EQ(xf.GetFont()->GetSize(), e.Size);
        EXPECT_EQ((xf.GetFont()->GetStyle() & xfsBold) != 0, e.Bold);
        EXPECT_EQ(xf.GetAlignment().GetHorizAlignment(), e.Horiz);
        const int vert = e.Vert >= 0 ? e.Vert : Styles().XFs().GetDefault()->GetAlignment().GetVertAlignment();
        EXPECT_EQ(xf.GetAlignment().GetVertAlignment(), vert);
        if (e.Fill == 0) {
            EXPECT_EQ(xf.GetFill()->GetPatternType(), efpNone);
        } else {
            EXPECT_TRUE(HasFill(e.Col, e.Row, e.Fill == 1 ? report::White : report::Silver));
        }
    }
    // Nothing outside A1:D{Last} was created.
    Sheet().CalcDimensions();
    EXPECT_EQ(Sheet().Cells().Dimension(), MakeCellArea(0, 0, 3, Last - 1));
}

TEST_F(ReportLayoutTest, BordersPerCell) {
    struct TExpect {
        int Col, Row;
        bool Left, Top, Right, Bottom;
    };
    const TExpect table[] = {
        {0, 0, true, true, false, true},
        {1, 0, false, true, false, true},
        {3, 0, false, true, true, true},
        {0, 2, true, true, false, false},
        {3, 7, false, false, true, true},
        {1, 4, false, false, false, false},
        {0, 12, true, false, false, false},
        {3, 12, false, false, true, false},
        // data table A28:D{Last}: outline plus inside lines (right and bottom sides)
        {0, 27, true, true, true, true},
        {1, 28, false, false, true, true},
        {3, 28, false, false, true, true},
        {0, Last - 1, true, false, true, true},
        {3, Last - 1, false, false, true, true},
    };
    for (const TExpect& e : table) {
        SCOPED_TRACE(testing::Message() << "cell " << e.Col << "," << e.Row);
        EXPECT_EQ(Side(e.Col, e.Row, xblLeft) == cbsThin, e.Left);
        EXPECT_EQ(Side(e.Col, e.Row, xblTop) == cbsThin, e.Top);
        EXPECT_EQ(Side(e.Col, e.Row, xblRight) == cbsThin, e.Right);
        EXPECT_EQ(Side(e.Col, e.Row, xblBottom) == cbsThin, e.Bottom);
    }
    // The data table's lines take the colour given; the header block's keep theirs.
    const TXc12Color red = Xc12ColorFromRGB(report::Red);
    EXPECT_EQ(SideColor(1, 28, xblRight), red);
    EXPECT_EQ(SideColor(1, 28, xblBottom), red);
    EXPECT_EQ(SideColor(0, Last - 1, xblLeft), red);
    EXPECT_NE(SideColor(0, 0, xblTop), red);
}

TEST_F(ReportLayoutTest, SixFormulaCellsHoldBiffTokens) {
    const int cells[6][2] = {{0, 4}, {3, 4}, {0, 5}, {3, 5}, {0, 6}, {3, 6}};
    const std::vector<std::u16string> texts = report::ReportFormulas(Last);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        TXLSMMUCell cell;
        ASSERT_TRUE(Sheet().Cells().FindCell(cells[i][0], cells[i][1], cell));
        ASSERT_EQ(TXLSCellMMU::GetCellType(cell), xctFloatFormula);
        ASSERT_TRUE(TXLSCellMMU::IsFormulaCompiled(cell));
        EXPECT_EQ(TXLSCellMMU::GetFormulaResultFloat(cell), 0);
        const uint8_t* ptgs = nullptr;
        const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
        ASSERT_GT(length, 1);
        EXPECT_EQ(ptgs[0], PtgsBIFF8);
        // The tokens are the BIFF compiler's for the same text.
        std::vector<uint8_t> direct(1024);
        const int n = TEncodeFormula().Encode(texts[static_cast<size_t>(i)], 0, 1, 1024, direct.data());
        ASSERT_EQ(length, n + 1);
        EXPECT_TRUE(std::equal(direct.begin(), direct.begin() + n, ptgs + 1));
        // ... with an area from row 28 to the last data row (0-based rows 27 and Last - 1).
        bool found = false;
        for (int p = 1; p + 8 < length; ++p)
            if ((ptgs[p] & 0x1F) == (ptgArea & 0x1F) && ptgs[p + 1] == 27 && ptgs[p + 3] == Last - 1) found = true;
        EXPECT_TRUE(found);
    }
    // The formula cells keep the block's format.
    EXPECT_EQ(XFAt(0, 4).GetAlignment().GetHorizAlignment(), 1);
}

TEST_F(ReportLayoutTest, RangeEditsShareFormatsAndKeepUseCounts) {
    // Cells that had one format before an edit share one format after it: the finished sheet
    // needs only a handful of formats.
    std::set<int> used;
    TXLSCellMMU& cells = Sheet().Cells();
    cells.BeginIterate(0);
    while (cells.IterateNext()) used.insert(cells.IterXF());
    EXPECT_LE(used.size(), 40u);
    EXPECT_EQ(XFAt(1, 28).Index(), XFAt(2, 29).Index());
    ExpectUseCountsBalanced();
}

TEST_F(ReportLayoutTest, ClearLeavesAnEmptySheetAndGivesBackEveryUse) {
    Sheet().Clear();
    EXPECT_TRUE(Sheet().IsEmpty());
    EXPECT_EQ(Sheet().GetMergedCells().Count(), 0);
    EXPECT_EQ(Sheet().Model().cols.Count(), 0);
    ExpectUseCountsBalanced();
    // The next report lays the sheet out again from scratch.
    report::BuildReportSheet(Sheet(), 2);
    EXPECT_EQ(XFAt(0, 0).GetFont()->GetSize(), 18);
    ExpectUseCountsBalanced();
}

TEST_F(ReportLayoutTest, SheetsOfALongReportAreAddedAndRemovedInStep) {
    TXLSWorksheet* second = Workbook->AddSheet();
    EXPECT_EQ(second->GetName(), u"Sheet2");
    EXPECT_EQ(Biff->SheetCount, 2);
    EXPECT_EQ(Biff->Inserted, std::vector<int>{1});
    report::BuildReportSheet(*second, 1);
    // Emptying for the next report: from the last sheet back, clear, delete all but the first.
    for (int i = Workbook->SheetCount() - 1; i >= 0; --i) {
        Workbook->GetSheets(i)->Clear();
        if (i > 0) Workbook->DeleteSheet(i, 1);
    }
    EXPECT_EQ(Workbook->SheetCount(), 1);
    EXPECT_EQ(Manager->Worksheets().Count(), 1);
    EXPECT_EQ(Biff->SheetCount, 1);
    EXPECT_EQ(Sheet().GetName(), u"Sheet1");
    EXPECT_TRUE(Sheet().IsEmpty());
    ExpectUseCountsBalanced();
}

TEST(ReportFullSheet, ThirtyTwoThousandRecords) {
    struct TFull : ApiTest {
        void TestBody() override {}
    } t;
    t.UseBiff();
    report::BuildReportSheet(t.Sheet(), 32000);
    t.Sheet().CalcDimensions();
    EXPECT_EQ(t.Sheet().LastRow(), 32027);
    EXPECT_EQ(t.XFAt(3, 32027).GetBorder()->Line(xblBottom).Style, cbsThin);
    EXPECT_EQ(t.XFAt(3, 32026).GetBorder()->Line(xblBottom).Style, cbsThin);
    EXPECT_EQ(t.XFAt(1, 16000).GetFont()->GetName(), U("宋体"));
    t.ExpectUseCountsBalanced();
    t.Sheet().Clear();
    EXPECT_TRUE(t.Sheet().IsEmpty());
    t.ExpectUseCountsBalanced();
}

}  // namespace
}  // namespace xls::test
