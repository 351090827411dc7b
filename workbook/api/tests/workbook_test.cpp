// Sheets added, found and deleted; formulas compiled and their sheet references kept right;
// area texts checked before a range moves; clearing and the used area.
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "workbook/api/tests/api_fixture.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_reference.h"

namespace xls::test {
namespace {

std::vector<std::u16string> Names(TXLSWorkbook& workbook) {
    std::vector<std::u16string> out;
    for (int i = 0; i < workbook.SheetCount(); ++i) out.push_back(workbook.GetSheets(i)->GetName());
    return out;
}

using WorkbookTest = ApiTest;

TEST_F(WorkbookTest, SheetNamesTakeTheFirstFreeNumber) {
    Workbook->AddSheet();
    Workbook->AddSheet();
    EXPECT_EQ(Names(*Workbook), (std::vector<std::u16string>{u"Sheet1", u"Sheet2", u"Sheet3"}));
    Workbook->DeleteSheet(1, 1);
    EXPECT_EQ(Workbook->AddSheet()->GetName(), u"Sheet4");  // Sheet3 is taken
    // Names compare without case: "sheet5" blocks the candidate Sheet5.
    Sheet(0).Model().Name = u"sheet5";
    EXPECT_EQ(Workbook->FindSheet(u"SHEET5"), &Sheet(0));
    EXPECT_EQ(Workbook->AddSheet()->GetName(), u"Sheet6");
    EXPECT_EQ(Workbook->SheetCount(), Manager->Worksheets().Count());
}

TEST_F(WorkbookTest, AddSheetThatCannotBeNamedLeavesNoModelSheet) {
    for (int i = 1; i < 1001; ++i) Workbook->AddSheet();
    // Every candidate from the next count on is taken.
    for (int i = 0; i < 1001; ++i)
        Sheet(i).Model().Name = u"Sheet" + std::u16string(u"") + [&] {
            std::u16string n;
            for (char c : std::to_string(1002 + i)) n += static_cast<char16_t>(c);
            return n;
        }();
    EXPECT_THROW(Workbook->AddSheet(), EXLSError);
    EXPECT_EQ(Manager->Worksheets().Count(), 1001);
    EXPECT_EQ(Workbook->SheetCount(), 1001);
}

TEST_F(WorkbookTest, AddSheetThatTheBinaryDocumentRefusesIsUndone) {
    UseBiff();
    Biff->FailAdd = true;
    EXPECT_THROW(Workbook->AddSheet(), EXLSError);
    EXPECT_EQ(Workbook->SheetCount(), 1);
    EXPECT_EQ(Manager->Worksheets().Count(), 1);
    EXPECT_TRUE(Biff->Inserted.empty());
}

TEST_F(WorkbookTest, DeleteSheetReachingPastTheEndDeletesNothing) {
    UseBiff();
    Workbook->AddSheet();
    Workbook->AddSheet();
    EXPECT_THROW(Workbook->DeleteSheet(1, 3), EListError);
    EXPECT_EQ(Workbook->SheetCount(), 3);
    EXPECT_EQ(Manager->Worksheets().Count(), 3);
    EXPECT_EQ(Biff->SheetCount, 3);
    Workbook->DeleteSheet(3, 1);  // outside: nothing
    Workbook->DeleteSheet(0, 0);
    EXPECT_EQ(Workbook->SheetCount(), 3);
    Workbook->DeleteSheet(1, 2);
    EXPECT_EQ(Names(*Workbook), std::vector<std::u16string>{u"Sheet1"});
    EXPECT_EQ(Biff->Deleted, (std::vector<int>{1, 1}));
}

// Own token code: the references of a formula on the last sheet follow the deletion of the
// first two sheets; a reference into a deleted sheet becomes its deleted form.
TEST_F(WorkbookTest, DeletingSheetsShiftsThreeDimensionalReferences) {
    for (int i = 0; i < 3; ++i) Workbook->AddSheet();
    Sheet(3).SetAsFormula(0, 0, u"Sheet4!A1+Sheet3!B2+Sheet1!C3");
    TXLSMMUCell cell;
    ASSERT_TRUE(Sheet(3).Cells().FindCell(0, 0, cell));
    ASSERT_TRUE(TXLSCellMMU::IsFormulaCompiled(cell));
    Workbook->DeleteSheet(0, 2);
    ASSERT_EQ(Workbook->SheetCount(), 2);
    ASSERT_TRUE(Sheet(1).Cells().FindCell(0, 0, cell));
    const uint8_t* ptgs = nullptr;
    const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    std::vector<uint8_t> sheets;
    std::vector<uint8_t> opcodes;
    for (int p = 0; p < length;) {
        const size_t width = PtgTokenWidth(ptgs + p, static_cast<size_t>(length - p), false);
        ASSERT_GT(width, 0u);
        opcodes.push_back(ptgs[p]);
        if (ptgs[p] == xptgRef3d || ptgs[p] == xptgRefErr3d) sheets.push_back(ptgs[p + 7]);
        p += static_cast<int>(width);
    }
    EXPECT_EQ(sheets, (std::vector<uint8_t>{1, 0, 4}));
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), xptgRefErr3d), 1);
    const std::u16string text = Formulas->DecodeFormula(std::span(ptgs, static_cast<size_t>(length)), 1);
    EXPECT_EQ(text.substr(0, 20), u"Sheet4!A1+Sheet3!B2+");
}

TEST_F(WorkbookTest, FormulaIsHeldAsBiffTokensOnlyWithABinaryDocument) {
    Sheet().SetAsFormula(1, 1, u"SUM(A1:A3)*2");
    TXLSMMUCell cell;
    const uint8_t* ptgs = nullptr;
    ASSERT_TRUE(Sheet().Cells().FindCell(1, 1, cell));
    TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    EXPECT_NE(ptgs[0], PtgsBIFF8);
    UseBiff();
    Sheet().SetAsFormula(1, 2, u"SUM(A1:A3)*2");
    ASSERT_TRUE(Sheet().Cells().FindCell(1, 2, cell));
    TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
    EXPECT_EQ(ptgs[0], PtgsBIFF8);
    // Text that does not compile into own code stores nothing.
    Workbook->SetBiff(nullptr);
    Errors.SetOnError([](TXLSErrorManager&, TXLSErrorLevel, const std::u16string&) {});
    Sheet().SetAsFormula(2, 2, u"SUM(A1:");
    EXPECT_EQ(Sheet().GetCell(2, 2), nullptr);
}

TEST_F(WorkbookTest, BadAreaTextFormatsNothing) {
    TXLSRange& range = Sheet().Range();
    range.GetItems(u"A1:B2").SetFillColor(0xC0C0C0);
    const int before = XFAt(0, 0).Index();
    // Nobody listens: the report raises.
    EXPECT_THROW(range.GetItems(u"A1:B"), EXLSReport);
    // With a listener the report returns; the range then touches no cell, not the old area.
    std::vector<std::u16string> reports;
    Errors.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string& text) { reports.push_back(text); });
    for (const char16_t* bad : {u"A1:", u"ZZZZ1", u"A0", u"", u"A1:D1048577"}) {
        range.GetItems(bad).SetFontSize(20);
        range.SetBorderOutlineStyle(cbsThick);
    }
    EXPECT_EQ(reports.size(), 5u);
    EXPECT_EQ(XFAt(0, 0).Index(), before);
    EXPECT_EQ(Sheet().GetCell(3, 3), nullptr);
    range.GetItems(u"Sheet1!B5");
    EXPECT_EQ(range.GetBounds(), MakeCellArea(1, 4, 1, 4));
    const std::pair<const char16_t*, TXLSRangeKind> kinds[] = {
        {u"B5", xrkCell}, {u"A1:A9", xrkColumn}, {u"A1:D1", xrkRow}, {u"A1:D27", xrkArea}};
    for (const auto& [text, kind] : kinds) EXPECT_EQ(range.GetItems(text).Kind(), kind) << base::Utf16ToUtf8(text);
}

TEST_F(WorkbookTest, RangeEditsEachSourceFormatOnce) {
    TXLSRange& range = Sheet().Range();
    range.GetItems(u"A1:D27").SetFillColor(0xFFFFFF);
    EXPECT_EQ(Sheet().Cells().Dimension().Row1, -1);  // not yet computed
    int cells = 0;
    Sheet().Cells().BeginIterate(0);
    while (Sheet().Cells().IterateNext()) ++cells;
    EXPECT_EQ(cells, 108);
    const int white = XFAt(0, 0).Index();
    EXPECT_EQ(XFAt(3, 26).Index(), white);
    EXPECT_EQ(XFAt(0, 0).GetFill()->GetPatternType(), efpSolid);
    // Different fills stay different after a font change: one format per fill.
    range.GetItems(u"B1:B27").SetFillColor(0xC0C0C0);
    range.GetItems(u"A1:D27").SetFontName(u"Arial");
    EXPECT_NE(XFAt(0, 0).Index(), XFAt(1, 0).Index());
    EXPECT_EQ(XFAt(0, 0).GetFont(), XFAt(1, 0).GetFont());
    EXPECT_EQ(XFAt(1, 5).Index(), XFAt(1, 20).Index());
    // Inside lines of a one-row range create the missing cells and nothing else.
    range.GetItems(u"F1:H1").SetBorderInsideHorizStyle(cbsThin);
    EXPECT_EQ(XFAt(6, 0).Index(), 0);
    range.GetItems(u"J3").SetBorderOutlineStyle(cbsThin);
    for (TXc12BorderLine side : {xblLeft, xblTop, xblRight, xblBottom})
        EXPECT_EQ(XFAt(9, 2).GetBorder()->Line(side).Style, cbsThin);
    ExpectUseCountsBalanced();
}

TEST_F(WorkbookTest, IsEmptyLooksAtEveryRow) {
    EXPECT_TRUE(Sheet().IsEmpty());
    Sheet().GetRows().GetItems(0).SetHeight(500);  // a row record without cells
    EXPECT_TRUE(Sheet().IsEmpty());
    Sheet().SetAsString(2, 5, u"x");
    EXPECT_FALSE(Sheet().IsEmpty());
}

TEST_F(WorkbookTest, ClearAreaOfPartsOfTheSheet) {
    for (int row = 0; row < 10; ++row)
        for (int col = 0; col < 5; ++col) Sheet().SetAsString(col, row, u"v");
    Sheet().Range().GetItems(u"A1:E10").SetFillColor(0x00FF00);
    Sheet().GetMergedCells().AddArea(1, 1, 2, 2);
    Sheet().GetComments().Add(1, 1, u"note");
    Sheet().GetComments().Add(4, 9, u"other");
    // Values only: the cells stay as formatted blanks.
    Sheet().ClearArea(0, 0, 2, 3, xcfCells | xcfComments);
    EXPECT_EQ(TXLSCellMMU::GetCellType(Sheet().GetCell(1, 1)->Cell()), xctBlank);
    EXPECT_EQ(Sheet().GetMergedCells().Count(), 0);
    EXPECT_EQ(Sheet().GetComments().GetCount(), 1);
    // Values and formats: the cells go; the rectangle may reach past the used area.
    Sheet().ClearArea(3, 0, 16000, 100000, xcfCells | xcfFormats);
    EXPECT_EQ(Sheet().GetCell(3, 0), nullptr);
    EXPECT_NE(Sheet().GetCell(2, 9), nullptr);
    // Whole rows.
    Sheet().ClearArea(0, 5, XLSMaxCol, 9, xcfCells);
    EXPECT_EQ(Sheet().GetCell(0, 5), nullptr);
    ExpectUseCountsBalanced();
    // Only A5:C5 still hold the text.
    int refs = 0;
    for (int i = 0; i < Manager->SST().Count(); ++i)
        if (const TXc12SSTString* rec = Manager->SST().GetStringRec(i)) refs += rec->RefCount();
    EXPECT_EQ(refs, 3);
}

TEST_F(WorkbookTest, WorksheetAnswersForItsParts) {
    EXPECT_EQ(Sheet().Query<TXc12DataWorksheet>(), &Sheet().Model());
    EXPECT_EQ(Sheet().Query<TXLSColumns>(), &Sheet().GetColumns());
    EXPECT_EQ(Sheet().Query<TXLSRows>(), &Sheet().GetRows());
    EXPECT_EQ(Sheet().Query<TCellAreas>(), &Sheet().GetSelectedAreas());
    EXPECT_EQ(Sheet().Query<TXLSRange>(), nullptr);
    EXPECT_EQ(Sheet().GetSelectedAreas().Count(), 1);
    Sheet().GetSelectedAreas().SetSingle(2, 3);
    EXPECT_EQ(Sheet().GetSelectedAreas().Row, 3);
    Sheet().GetPrintSettings().SetPaperSize(0x89);
    EXPECT_EQ(Sheet().GetPrintSettings().GetPaperSize(), 9);
    EXPECT_EQ(Sheet().GetPrintSettings().HorizPagebreaks.Add(20).GetManual(), true);
    EXPECT_EQ(Sheet().Model().rowBreaks.Count(), 1);
}

TEST_F(WorkbookTest, BuildSheetsMirrorsTheModelAfterARead) {
    // What a reader leaves: model sheets and names, no interface sheets.
    Workbook->ClearSheets();
    Manager->Worksheets().Add(-1)->Name = u"Data";
    Manager->Worksheets().GetItems(1)->sheetData->StoreFloat(0, 0, 0, 4);
    TXc12DefinedName* name = Workbook->Names()->Add(u"First", -1);
    name->SetContent(u"Data!$A$1");
    Workbook->BuildSheets();
    ASSERT_EQ(Workbook->SheetCount(), 2);
    EXPECT_EQ(Sheet(1).GetName(), u"Data");
    EXPECT_EQ(&Sheet(1).Model(), Manager->Worksheets().GetItems(1));
    EXPECT_EQ(Sheet(1).Index(), 1);
    EXPECT_FALSE(Workbook->FormulasCompiled());
    EXPECT_EQ(name->RefKind, nrkCell);
    EXPECT_EQ(name->RefSheet, 1);
    Workbook->CompileFormulas();
    EXPECT_TRUE(Workbook->FormulasCompiled());
}

}  // namespace
}  // namespace xls::test
