#include "workbook/model/document_root.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/date_time.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/tests/model_fakes.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

using base::NowUTCDateTime;
using base::XmlDateTimeToStr;
using base::XmlStrToDateTime;

int64_t DateTimeYear(double value) { return base::DecodeDateTime(value).Year; }

class DocumentRoot : public ::testing::Test {
protected:
    DocumentRoot() : Root(Factory, Errors, &Services) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
    }

    test::TFakeServices Services;
    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
};

TEST(EventCell, ValueSettersPickPlainOrFormulaTypes) {
    TXLSEventCell cell;
    EXPECT_EQ(cell.FirstRow, 0);
    EXPECT_EQ(cell.LastRow, 65535);
    EXPECT_EQ(cell.LastCol, 255);
    EXPECT_EQ(cell.Col, -1);
    cell.SetAsBoolean(true);
    EXPECT_EQ(cell.GetCellType(), 2);
    cell.SetAsError(3);
    EXPECT_EQ(cell.GetCellType(), 3);
    cell.SetAsString(u"x");
    EXPECT_EQ(cell.GetCellType(), 4);
    cell.SetAsFloat(1.5);
    EXPECT_EQ(cell.GetCellType(), 5);
    cell.SetFormula(u"A1+1");
    cell.SetAsFloat(2);
    EXPECT_EQ(cell.GetCellType(), 6);
    cell.SetAsString(u"s");
    EXPECT_EQ(cell.GetCellType(), 7);
    cell.SetAsBoolean(false);
    EXPECT_EQ(cell.GetCellType(), 8);
    cell.SetAsError(2);
    EXPECT_EQ(cell.GetCellType(), 9);
    cell.Reset();
    EXPECT_EQ(cell.GetCellType(), 0);
    EXPECT_TRUE(cell.GetFormula().empty());
    EXPECT_EQ(cell.PrevCol, -1);
    EXPECT_TRUE(cell.SetRef(u"C7"));
    EXPECT_EQ(cell.Col, 2);
    EXPECT_EQ(cell.Row, 6);
    EXPECT_FALSE(cell.SetRef(u"no ref"));
    EXPECT_EQ(cell.Col, 2);
}

TEST(DocumentRootSettings, PaperSizeFromTheLocaleCode) {
    EXPECT_EQ(PaperSizeFromLocaleCode("1"), 1);
    EXPECT_EQ(PaperSizeFromLocaleCode("5"), 5);
    EXPECT_EQ(PaperSizeFromLocaleCode("8"), 8);
    EXPECT_EQ(PaperSizeFromLocaleCode("9"), 9);
    EXPECT_EQ(PaperSizeFromLocaleCode("2"), 9);
    EXPECT_EQ(PaperSizeFromLocaleCode(""), 9);
    EXPECT_EQ(PaperSizeFromLocaleCode(std::nullopt), 0);
}

TEST(DocumentRootSettings, FormulaSeparatorFollowsTheDecimalSeparator) {
    TFormatSettings settings;
    EXPECT_EQ(FormulaSeparatorFor(settings), u',');
    settings.SetDecimalSeparator(u',');
    settings.SetListSeparator(u';');
    EXPECT_EQ(FormulaSeparatorFor(settings), u'\\');
    TXc12ClassFactory factory;
    TXLSErrorManager errors;
    TXc12Manager root(factory, errors, nullptr, settings);
    EXPECT_EQ(root.FormulaSeparator, u'\\');
    EXPECT_EQ(root.ListSeparator, u';');
    EXPECT_EQ(root.SeriesText, u"Series");
}

TEST_F(DocumentRoot, VersionSetsTheStringEscaping) {
    Root.SetVersion(xvExcel97);
    EXPECT_TRUE(Root.SST().NoEscape());
    Root.SetVersion(xvExcel2007);
    EXPECT_FALSE(Root.SST().NoEscape());
    Root.SetVersion(xvExcel50);
    EXPECT_TRUE(Root.SST().NoEscape());
}

TEST_F(DocumentRoot, ProgressEvents) {
    std::vector<std::tuple<int, int, double>> calls;
    Root.UpdateProgress(1);
    Root.OnProgress = [&](uint8_t type, uint8_t state, double value) { calls.emplace_back(type, state, value); };
    Root.BeginProgress(xptCalculate, 0);
    Root.UpdateProgress(1);
    Root.EndProgress();
    Root.BeginProgress(xptBuildSheets, 4);
    Root.UpdateProgress(1);
    const std::vector<std::tuple<int, int, double>> expected{{3, 0, 0.0}, {3, 2, 1.0}, {2, 0, 0.0}, {2, 1, 0.25}};
    EXPECT_EQ(calls, expected);
}

TEST_F(DocumentRoot, DirectWriteVisitsTheAreaRowByRowUntilStopped) {
    TXLSEventCell& cell = Root.EventCell();
    cell.Reset();
    int visited = 0;
    int lastCol = -1;
    int lastRow = -1;
    Root.OnWriteCell = [&](TXLSEventCell& c) {
        ++visited;
        lastCol = c.Col;
        lastRow = c.Row;
        if (c.Row == 2 && c.Col == 10) c.Stop = 1;
    };
    cell.Valid = 1;
    for (int steps = 0; steps < 1000000 && cell.Stop == 0; ++steps) Root.NextWriteCell(false);
    EXPECT_EQ(visited, 2 * 256 + 11);
    EXPECT_EQ(lastCol, 10);
    EXPECT_EQ(lastRow, 2);
    EXPECT_FALSE(cell.HasCell());
}

TEST_F(DocumentRoot, DirectWriteStopsAfterTheLastRow) {
    TXLSEventCell& cell = Root.EventCell();
    cell.LastRow = 1;
    cell.LastCol = 1;
    cell.Reset();
    int visited = 0;
    Root.OnWriteCell = [&](TXLSEventCell&) { ++visited; };
    for (int steps = 0; steps < 20; ++steps) Root.NextWriteCell(false);
    EXPECT_EQ(visited, 4);
    EXPECT_EQ(cell.Valid, 0);
}

TEST_F(DocumentRoot, DirectWriteRowStepOnlyPlacesTheRow) {
    TXLSEventCell& cell = Root.EventCell();
    cell.Reset();
    cell.Row = -1;
    int visited = 0;
    Root.NextWriteCell(true);
    EXPECT_EQ(cell.Row, -1);  // nothing without a write event
    Root.OnWriteCell = [&](TXLSEventCell&) { ++visited; };
    Root.NextWriteCell(true);
    EXPECT_EQ(cell.Row, 0);
    EXPECT_EQ(cell.Col, -1);
    EXPECT_EQ(visited, 0);
    Root.NextWriteCell(false);
    EXPECT_EQ(cell.Col, 0);
    EXPECT_EQ(visited, 1);
}

// The order is rows first, then columns: a cell of an earlier row never comes after.
TEST_F(DocumentRoot, DirectWriteOrderComparesRowThenColumn) {
    TXLSEventCell& cell = Root.EventCell();
    cell.Reset();
    struct TStep {
        int Col, Row;
        bool Accepted;
    };
    const TStep steps[] = {{0, 0, true},  {0, 0, false}, {3, 0, true},  {0, 1, true},
                           {5, 0, false}, {2, 1, true},  {1, 1, false}, {0, 4, true}};
    for (const TStep& step : steps) {
        cell.Col = step.Col;
        cell.Row = step.Row;
        EXPECT_EQ(Root.CheckDirectWriteOrder(), step.Accepted) << step.Col << "," << step.Row;
        EXPECT_EQ(cell.Valid, step.Accepted ? 1 : 0);
    }
    EXPECT_EQ(cell.PrevCol, 0);
    EXPECT_EQ(cell.PrevRow, 4);
}

TEST_F(DocumentRoot, ReadCellEventAndAfterRead) {
    int reads = 0;
    Root.FireReadCell();
    Root.OnReadCell = [&](TXLSEventCell&) { ++reads; };
    Root.FireReadCell();
    EXPECT_EQ(reads, 1);
    int afterReads = 0;
    Root.OnAfterRead = [&](TXc12Manager&) { ++afterReads; };
    Root.SetDirty();
    Root.BeginLoad();
    EXPECT_TRUE(Root.IsLoading());
    Root.AfterLoad();
    EXPECT_FALSE(Root.IsLoading());
    EXPECT_EQ(Root.Dirty, 0);
    EXPECT_EQ(afterReads, 1);
    EXPECT_TRUE(Root.SST().HashValid());
}

TEST_F(DocumentRoot, BeforeWriteSetsCoreDatesInUtc) {
    // The default text carries 2000, which counts as no created date.
    EXPECT_EQ(DateTimeYear(Root.DocProps().GetCreated()), 2000);
    const double before = NowUTCDateTime();
    Root.BeforeWrite();
    const double after = NowUTCDateTime();
    const double created = Root.DocProps().GetCreated();
    // Whole seconds in the text: allow the second that was cut off.
    EXPECT_GE(created, before - 1.0 / 86400);
    EXPECT_LE(created, after);
    TXc12XmlNode* modified = Root.FileData().CoreProperties()->Root().FindPath(u"cp:coreProperties/dcterms:modified");
    ASSERT_NE(modified, nullptr);
    EXPECT_EQ(XmlStrToDateTime(modified->GetText()), created);
    EXPECT_EQ(modified->GetText().back(), u'Z');

    Root.DocProps().SetCreated(XmlStrToDateTime(u"2015-06-01T08:30:00Z"));
    Root.BeforeWrite();
    EXPECT_EQ(XmlDateTimeToStr(Root.DocProps().GetCreated()), u"2015-06-01T08:30:00Z");
    Root.DocProps().SetCreated(XmlStrToDateTime(u"1999-12-31T23:59:59Z"));
    Root.BeforeWrite();
    EXPECT_GT(DateTimeYear(Root.DocProps().GetCreated()), 2000);
}

TEST(XmlDateTime, TextAndSerials) {
    EXPECT_EQ(XmlStrToDateTime(u"1899-12-30T00:00:00Z"), 0);
    EXPECT_EQ(XmlStrToDateTime(u"1900-01-01T12:00:00"), 2.5);
    EXPECT_EQ(XmlDateTimeToStr(45000.75), u"2023-03-15T18:00:00Z");
    EXPECT_EQ(XmlStrToDateTime(u"2023-03-15T18:00:00.250Z"), 45000.75 + 0.25 / 86400);
    for (const char16_t* bad :
         {u"", u"2023-02-30T00:00:00Z", u"2023-03-15 18:00:00", u"2023-03-15T25:00:00Z", u"2023-03-15T18:00:00Zx"})
        EXPECT_EQ(XmlStrToDateTime(bad), 0) << test::U8(bad);
}

TEST_F(DocumentRoot, FindTableOverAllSheets) {
    Root.Worksheets().Add(-1);
    Root.Worksheets().Add(-1)->tableParts.Add()->name = u"Sales";
    Root.Worksheets().GetItems(1)->tableParts.Add()->name = u"Stock";
    TXc12Tables* tables = nullptr;
    int sheet = 0;
    EXPECT_EQ(Root.FindTable(u"stock", tables, sheet), 1);
    EXPECT_EQ(sheet, 1);
    EXPECT_EQ(tables, &Root.Worksheets().GetItems(1)->tableParts);
    EXPECT_EQ(Root.FindTable(u"Nothing", tables, sheet), -1);
    EXPECT_EQ(sheet, -1);
}

TEST_F(DocumentRoot, BracketedFilename) {
    EXPECT_EQ(Root.GetBracketedFilename(), u"");
    Root.FileName = u"/data/reports/Book1.xlsx";
    EXPECT_EQ(Root.GetBracketedFilename(), u"/data/reports/[Book1.xlsx]");
    Root.FileName = u"Book1.xls";
    EXPECT_EQ(Root.GetBracketedFilename(), u"[Book1.xls]");
}

// A document with something in every part, cleared and refilled, then destroyed: the
// sanitizers watch the ownership.
TEST_F(DocumentRoot, FilledModelClearsAndDestroysCleanly) {
    for (int round = 0; round < 2; ++round) {
        TXc12DataWorksheet* sheet = Root.Worksheets().Add(-1);
        sheet->Name = u"Data";
        sheet->sheetData->StoreString(0, 0, 0, u"text");
        sheet->sheetData->StoreFloat(1, 0, 0, 2.5);
        sheet->mergeCells->AddArea(MakeCellArea(0, 1, 3, 1));
        sheet->hyperlinks->Add()->SetAddress(u"https://example.org");
        TXc12Comment* note = sheet->comments.Add();
        note->SetCol(2);
        note->SetRow(3);
        note->SetAuthor(sheet->comments.Authors().Add(u"Me"));
        TXc12FontRun& run = note->AddFontRun();
        run.Font = Root.StyleSheet().XFEditor().UseFont(*Root.StyleSheet().Fonts().GetDefaultFont());
        note->CreateVmlShape();
        sheet->conditionalFormatting->Add()->rules.Add()->SetFormula(0, u"A1>1");
        sheet->dataValidations->Add()->sqref.AddArea(0, 0, 2, 2);
        sheet->tableParts.Add()->tableColumns.Add()->name = u"Col";
        sheet->autoFilter->filterColumns.Add();
        sheet->customSheetViews.Add();
        sheet->PivotTables.Add();
        sheet->drawing->AddTwoCellAnchor();
        Root.Workbook().definedNames->Add(u"Total", -1)->SetContent(u"Data!$A$1");
        Root.Workbook().pivotCaches.Add()->AddRef();
        Root.XLinks().Add()->externalBook.sheetDataSet.Add()->Add()->Add()->SetAsString(u"cached");
        base::TMemoryStream png;
        const uint8_t header[24] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13,
                                    'I',  'H', 'D', 'R', 0,    0,    0,    3,    0, 0, 0, 2};
        png.WriteBuffer(header, sizeof header);
        ASSERT_NE(Root.GraphicManager().Images().AddFromFile(png, u"a.png"), nullptr);
        Root.Names = Root.Workbook().definedNames.get();
        Root.Clear();
        EXPECT_EQ(Root.Worksheets().Count(), 0);
        EXPECT_EQ(Root.Workbook().definedNames->Count(), 0);
        EXPECT_EQ(Root.XLinks().Count(), 0);
        EXPECT_EQ(Root.GraphicManager().Images().Count(), 0);
        EXPECT_EQ(Root.Names, nullptr);
        EXPECT_EQ(Root.SST().Count(), 0);
    }
}

}  // namespace
}  // namespace xls
