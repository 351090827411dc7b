// The worksheet's wrappers over its model: page breaks, header and footer, pane and sheet view,
// protection, the formatting cell cursor; the workbook's options and data.
#include <gtest/gtest.h>

#include <vector>

#include "workbook/api/tests/api_fixture.h"

namespace xls::test {
namespace {

using SheetWrappersTest = ApiTest;

std::vector<int> Positions(const TXc12PageBreaks& breaks) {
    std::vector<int> out;
    for (int i = 0; i < breaks.Count(); ++i) out.push_back(breaks.GetItems(i)->id);
    return out;
}

TEST_F(SheetWrappersTest, PageBreaksStayInAscendingOrderWithEachPositionOnce) {
    TXLSPrintSettings& print = Sheet().GetPrintSettings();
    TXc12PageBreaks& rows = Sheet().Model().rowBreaks;
    // A break read from a file, automatic.
    rows.Add()->id = 20;
    for (int position : {30, 10, 20, 10}) print.HorizPagebreaks.Add(position);
    EXPECT_EQ(Positions(rows), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(print.HorizPagebreaks.Count(), 3);
    EXPECT_EQ(print.HorizPagebreaks.IndexOf(20), 1);
    EXPECT_EQ(print.HorizPagebreaks.IndexOf(25), -1);
    for (int i = 0; i < 3; ++i) {
        const TXLSHorizPagebreak item = print.HorizPagebreaks.GetItems(i);
        EXPECT_TRUE(item.GetManual()) << i;  // the one read becomes manual once added again
    }
    EXPECT_EQ(print.HorizPagebreaks.GetItems(0).GetMax(), 255);  // every column of an .xls sheet

    // Reading items changes nothing of the model's breaks.
    TXc12PageBreaks& cols = Sheet().Model().colBreaks;
    cols.Add()->id = 4;
    EXPECT_EQ(print.VertPagebreaks.GetItems(0).GetPosition(), 4);
    EXPECT_FALSE(print.VertPagebreaks.GetItems(0).GetManual());
    print.VertPagebreaks.Add(2);
    EXPECT_EQ(Positions(cols), (std::vector<int>{2, 4}));
    EXPECT_EQ(print.VertPagebreaks.GetItems(0).GetMax(), 65535);  // every row of an .xls sheet
    print.VertPagebreaks.Delete(1);
    EXPECT_EQ(Positions(cols), (std::vector<int>{2}));
}

TEST_F(SheetWrappersTest, HeaderFooterAndProtectionAreTheModels) {
    TXLSHeaderFooter& hf = Sheet().GetPrintSettings().HeaderFooter;
    hf.SetHeader(u"&C历史记录");
    hf.SetFooter(u"&P");
    EXPECT_EQ(Sheet().Model().headerFooter.oddHeader, u"&C历史记录");
    EXPECT_EQ(Sheet().Model().headerFooter.oddFooter, u"&P");
    TXLSSheetProtection& protection = Sheet().GetProtection();
    protection.SetProtected(true);
    protection.SetPassword(0xCC1A);
    EXPECT_EQ(Sheet().Model().sheetProtection.sheet, 1);
    EXPECT_EQ(Sheet().Model().sheetProtection.password, 0xCC1A);
}

TEST_F(SheetWrappersTest, PaneIsOnTheModelsFirstViewOrOnTheSheetsOwn) {
    ASSERT_EQ(Sheet().Model().sheetViews.Count(), 1);
    EXPECT_FALSE(Sheet().OwnsView());
    EXPECT_EQ(&Sheet().GetSheetView(), Sheet().Model().sheetViews.GetItems(0));
    TXLSPane& pane = Sheet().GetPane();
    EXPECT_FALSE(pane.GetPresent());
    pane.SetState(1);
    pane.SetSplit(0, 2);
    pane.SetTopLeft(0, 2);
    const TXc12Pane& model = Sheet().Model().sheetViews.GetItems(0)->pane;
    EXPECT_EQ(model.Present, 1);  // so that the .xls writer stores it
    EXPECT_EQ(model.ySplit, 2);
    EXPECT_EQ(model.topLeftCell.Row1, 2);

    // A model sheet without views, as a reader may leave it.
    Workbook->ClearSheets();
    Manager->Worksheets().GetItems(0)->sheetViews.Clear();
    Workbook->BuildSheets();
    EXPECT_TRUE(Sheet().OwnsView());
    Sheet().GetPane().SetSplit(3, 0);
    EXPECT_EQ(Sheet().GetSheetView().pane.xSplit, 3);
    EXPECT_EQ(Sheet().Model().sheetViews.Count(), 0);
}

TEST_F(SheetWrappersTest, FormattedCellStoresABlankWhereNoCellIs) {
    Sheet().GetColumns().GetItems(1).SetHorizAlignment(2);
    const int columnXF = Sheet().GetColumns().GetItems(1).GetXF()->Index();
    TXLSFormattedCell& cell = Sheet().GetFormattedCell(1, 5);
    EXPECT_EQ(cell.GetXF()->Index(), columnXF);  // what a new cell there would get
    EXPECT_EQ(Sheet().GetCell(1, 5), nullptr);
    cell.SetFillColor(0xC0C0C0);
    ASSERT_NE(Sheet().GetCell(1, 5), nullptr);
    EXPECT_EQ(XFAt(1, 5).GetAlignment().GetHorizAlignment(), 2);
    EXPECT_EQ(XFAt(1, 5).GetFill()->GetPatternType(), efpSolid);

    Sheet().SetAsFloat(3, 3, 7);
    Sheet().GetFormattedCell(3, 3).SetFontSize(18);
    EXPECT_EQ(XFAt(3, 3).GetFont()->GetSize(), 18);
    TXLSMMUCell stored;
    ASSERT_TRUE(Sheet().Cells().FindCell(3, 3, stored));
    EXPECT_EQ(TXLSCellMMU::GetFloat(stored), 7);  // the value stays
    ExpectUseCountsBalanced();
}

TEST_F(SheetWrappersTest, OptionFlagsGoDownWithTheSheetsAndDataIsTheWorkbooks) {
    Workbook->Options().Flags = {1, 1, 1};
    Workbook->Options().CalcPr.iterate = 1;
    Workbook->ClearSheets();
    EXPECT_EQ(Workbook->Options().Flags, (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(Manager->Workbook().calcPr.iterate, 1);
    Workbook->WorkbookData().SetUserName(u"Ombrix");
    EXPECT_EQ(Manager->Workbook().WriteAccessUser, u"Ombrix");
}

}  // namespace
}  // namespace xls::test
