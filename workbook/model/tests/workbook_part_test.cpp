#include "workbook/model/workbook_part.h"

#include <gtest/gtest.h>

#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

class WorkbookPart : public ::testing::Test {
protected:
    TXc12ClassFactory Factory;
    TXc12DataWorkbook Workbook{Factory};
    TXc12DefinedNames& Names = *Workbook.definedNames;
};

TEST_F(WorkbookPart, NewWorkbookDefaults) {
    ASSERT_EQ(Workbook.bookViews.Count(), 1);
    EXPECT_EQ(Workbook.bookViews.GetItems(0)->tabRatio, 600);
    EXPECT_EQ(Workbook.calcPr.calcId, 125725);
    EXPECT_EQ(Workbook.calcPr.iterateDelta, 0.001);
    EXPECT_EQ(Workbook.workbookPr.defaultThemeVersion, 124226);
    EXPECT_EQ(Workbook.fileVersion.rupBuild, u"5241");
    EXPECT_EQ(Workbook.functionGroups.builtInGroupCount, 16);
    EXPECT_EQ(Workbook.oleSize, TXLSCellArea());
    EXPECT_EQ(Workbook.webPublishing.dpi, 96);
    EXPECT_EQ(Workbook.webPublishing.targetScreenSize, 3);
}

TEST_F(WorkbookPart, FileVersionKeepsValuesForEmptyTexts) {
    Workbook.fileVersion.SetAppName(u"");
    EXPECT_EQ(Workbook.fileVersion.appName, u"xl");
    Workbook.fileVersion.SetAppName(u"Calc");
    Workbook.fileVersion.SetCodeName(u"");
    EXPECT_EQ(Workbook.fileVersion.appName, u"Calc");
    EXPECT_EQ(Workbook.fileVersion.codeName, u"");
}

TEST_F(WorkbookPart, ClearKeepsWhatAFileSet) {
    Workbook.workbookPr.date1904 = 1;
    Workbook.workbookPr.showObjects = 2;
    Workbook.workbookPr.backupFile = 1;
    Workbook.oleSize = MakeCellArea(0, 0, 4, 9);
    Workbook.WriteAccessUser = u"someone";
    Workbook.bookViews.Add();
    Workbook.sheets.Add()->name = u"S";
    Workbook.functionGroups.Add("Group");
    Workbook.functionGroups.builtInGroupCount = 3;
    Workbook.calcPr.calcMode = 0;
    Names.Add(u"Total", -1);
    Workbook.Clear();
    EXPECT_EQ(Workbook.workbookPr.date1904, 1);
    EXPECT_EQ(Workbook.workbookPr.showObjects, 2);
    EXPECT_EQ(Workbook.workbookPr.backupFile, 0);
    EXPECT_EQ(Workbook.oleSize, MakeCellArea(0, 0, 4, 9));
    EXPECT_EQ(Workbook.WriteAccessUser, u"");
    EXPECT_EQ(Workbook.bookViews.Count(), 1);
    EXPECT_EQ(Workbook.sheets.Count(), 0);
    EXPECT_EQ(Workbook.functionGroups.GetCount(), 0);
    EXPECT_EQ(Workbook.functionGroups.builtInGroupCount, 16);
    EXPECT_EQ(Workbook.calcPr.calcMode, 1);
    EXPECT_EQ(Names.Count(), 0);
    Workbook.bookViews.Reset(false);
    EXPECT_EQ(Workbook.bookViews.Count(), 0);
    EXPECT_THROW(Workbook.bookViews.GetItems(0), EListError);
}

TEST_F(WorkbookPart, ReservedNamesBecomeBuiltInKinds) {
    struct TCase {
        const char16_t* Text;
        uint8_t Kind;
        const char16_t* Name;
    };
    // Names outside the table, or in another letter case, stay ordinary names with their text.
    const TCase cases[] = {
        {u"_xlnm.Print_Area", bnPrintArea, u""},
        {u"_xlnm.Print_Titles", bnPrintTitles, u""},
        {u"_xlnm.Criteria", bnCriteria, u""},
        {u"_xlnm._FilterDatabase", bnFilterDatabase, u""},
        {u"_xlnm.Extract", bnExtract, u""},
        {u"_xlnm.Consolidate_Area", bnConsolidateArea, u""},
        {u"_xlnm.Database", bnDatabase, u""},
        {u"_xlnm.Sheet_Title", bnSheetTitle, u""},
        {u"_xlnm.print_area", bnNone, u"_xlnm.print_area"},
        {u"_xlnm.Recorder", bnNone, u"_xlnm.Recorder"},
        {u"Total", bnNone, u"Total"},
        {u"_XLNM.Print_Area", bnNone, u"_XLNM.Print_Area"},
    };
    for (const TCase& c : cases) {
        TXc12DefinedName* name = Names.Add(c.Text, 0);
        EXPECT_EQ(name->BuiltIn, c.Kind) << test::U8(c.Text);
        EXPECT_EQ(name->name, c.Name) << test::U8(c.Text);
        EXPECT_EQ(name->localSheetId, 0);
        if (c.Kind != bnNone) {
            EXPECT_EQ(BuiltInNameText(c.Kind), c.Text);
        }
    }
}

TEST_F(WorkbookPart, LocalNamesHideWorkbookNames) {
    const int global = static_cast<int>(Names.Count());
    Names.Add(u"Total", -1);
    const int local = Names.Count();
    Names.Add(u"Total", 1);
    Names.Add(u"Other", 2);
    EXPECT_EQ(Names.Find(u"total", 1), local);
    EXPECT_EQ(Names.Find(u"total", 0), global);
    EXPECT_EQ(Names.Find(u"TOTAL", -1), global);
    EXPECT_EQ(Names.Find(u"Other", 0), -1);
    EXPECT_EQ(Names.Find(u"Other", 2), 2);
    EXPECT_EQ(Names.IndexOfName(u"total", 1), local);
    EXPECT_EQ(Names.IndexOfName(u"total", 2), -1);
}

// Names that an 8-bit code page would map to the same replacement characters stay apart.
TEST_F(WorkbookPart, NamesCompareAsUtf16IgnoringCase) {
    Names.Add(u"合计", -1);
    Names.Add(u"总计", -1);
    Names.Add(u"Ärger", -1);
    EXPECT_EQ(Names.Find(u"总计", -1), 1);
    EXPECT_EQ(Names.Find(u"ärger", -1), 2);
    EXPECT_EQ(Names.Find(u"小计", -1), -1);
}

TEST_F(WorkbookPart, DeletedSlotsAreReusedWithoutTheirOldFormula) {
    TXc12DefinedName* old = Names.Add(u"Old", -1);
    const uint8_t tokens[] = {0x24, 0, 0, 0, 0};
    old->SetPtgs(tokens, sizeof tokens);
    old->RefKind = nrkCell;
    old->RefSheet = 2;
    old->comment = u"note";
    Names.Add(u"Kept", -1);
    EXPECT_EQ(Names.Find(u"Old", -1), 0);
    Names.MarkDeleted(0);
    EXPECT_EQ(Names.IndexOfName(u"Old", -1), -1);
    EXPECT_EQ(Names.Find(u"Old", -1), -1);
    TXc12DefinedName* reused = Names.Add(u"New", -1);
    EXPECT_EQ(reused, old);
    EXPECT_EQ(Names.Count(), 2);
    EXPECT_EQ(reused->GetPtgsLen(), 0);
    EXPECT_EQ(reused->RefKind, nrkFormula);
    EXPECT_EQ(reused->comment, u"");
    EXPECT_EQ(reused->Deleted, 0);
    EXPECT_EQ(Names.Find(u"New", -1), 0);

    Names.MarkDeleted(1);
    TXc12DefinedName* builtIn = Names.AddBuiltIn(bnPrintArea, 0);
    EXPECT_EQ(builtIn->BuiltIn, bnPrintArea);
    EXPECT_EQ(builtIn->name, u"");
    EXPECT_EQ(builtIn->localSheetId, 0);
    EXPECT_EQ(Names.Count(), 2);
}

TEST_F(WorkbookPart, SheetChangesMoveLocalNamesAndReferences) {
    TXc12DefinedName* onSheet0 = Names.Add(u"A", 0);
    TXc12DefinedName* onSheet1 = Names.Add(u"B", 1);
    TXc12DefinedName* onSheet3 = Names.Add(u"C", 3);
    TXc12DefinedName* cellOnSheet2 = Names.Add(u"D", -1);
    cellOnSheet2->RefKind = nrkCell;
    cellOnSheet2->RefSheet = 2;
    TXc12DefinedName* areaOnSheet4 = Names.Add(u"E", -1);
    areaOnSheet4->RefKind = nrkArea;
    areaOnSheet4->RefSheet = 4;

    Names.SheetsChanged(1, -2);  // sheets 1 and 2 go
    EXPECT_EQ(onSheet0->Deleted, 0);
    EXPECT_EQ(onSheet1->Deleted, 1);
    EXPECT_EQ(onSheet3->localSheetId, 1);
    EXPECT_EQ(cellOnSheet2->RefKind, nrkInvalid);
    EXPECT_EQ(cellOnSheet2->RefSheet, -1);
    EXPECT_EQ(areaOnSheet4->RefSheet, 2);
    EXPECT_EQ(Names.Find(u"C", 1), 2);

    Names.SheetsChanged(0, 3);  // three sheets before all
    EXPECT_EQ(onSheet0->localSheetId, 3);
    EXPECT_EQ(onSheet3->localSheetId, 4);
    EXPECT_EQ(areaOnSheet4->RefSheet, 5);
    Names.SheetsChanged(0, 250);
    EXPECT_EQ(areaOnSheet4->RefKind, nrkInvalid);
}

}  // namespace
}  // namespace xls
