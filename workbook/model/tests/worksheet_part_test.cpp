#include "workbook/model/worksheet_part.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

class WorksheetPart : public ::testing::Test {
protected:
    TXc12ClassFactory Factory;
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    TXc12DataWorksheets Sheets{Factory, StyleSheet, SST};

    TXc12DataWorksheet& Named(std::u16string name) {
        TXc12DataWorksheet* sheet = Sheets.Add(-1);
        sheet->Name = std::move(name);
        return *sheet;
    }
};

const std::vector<std::pair<std::u16string, std::u16string>> QuotedNames{
    {u"Sheet1", u"Sheet1"},    {u"Data", u"Data"},
    {u"1999", u"'1999'"},      {u"2024Q1", u"'2024Q1'"},
    {u"A1", u"'A1'"},          {u"XFD1048576", u"'XFD1048576'"},
    {u"R1C1", u"'R1C1'"},      {u"R", u"'R'"},
    {u"TRUE", u"'TRUE'"},      {u"false", u"'false'"},
    {u"TRUEs", u"TRUEs"},      {u"My Sheet", u"'My Sheet'"},
    {u"Data_2", u"'Data_2'"},  {u"Q1.2024", u"'Q1.2024'"},
    {u"O'Neil", u"'O''Neil'"}, {u"'quoted'", u"'''quoted'''"},
    {u"合计", u"'合计'"},      {u"Größe", u"'Größe'"},
};

TEST_F(WorksheetPart, QuotedNames) {
    for (const auto& [name, quoted] : QuotedNames) EXPECT_EQ(Named(name).GetQuotedName(), quoted) << test::U8(name);
    EXPECT_EQ(Named(u"").GetQuotedName(), u"");
}

std::string RunPython(const std::string& script, const std::string& input) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("ombrix-quoted-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << input;
    const std::string command = "/usr/bin/python3 " + script + " < " + file.string() + " 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    std::filesystem::remove(file);
    return output;
}

// Formula text built from the quoted names parses back, in openpyxl's tokenizer, as one
// sheet-qualified reference to the same sheet.
TEST_F(WorksheetPart, QuotedNamesParseBackInAnIndependentTokenizer) {
    std::string input;
    for (const auto& entry : QuotedNames) input += "=" + test::U8(Named(entry.first).GetQuotedName()) + "!A1\n";
    const std::string output =
        RunPython(std::string(OMBRIX_SOURCE_DIR) + "/workbook/model/tests/tokenize_sheet_refs.py", input);
    ASSERT_FALSE(output.empty()) << "python3-openpyxl is needed";
    std::istringstream lines(output);
    for (const auto& entry : QuotedNames) {
        std::string line;
        ASSERT_TRUE(std::getline(lines, line)) << output;
        EXPECT_EQ(line, "1\tOPERAND\tRANGE\t" + test::U8(entry.first)) << test::U8(entry.first);
    }
}

TEST_F(WorksheetPart, SheetListAddsAndFindsByName) {
    Named(u"Sheet1");
    Named(u"sheet1");
    TXc12DataWorksheet* third = Sheets.Add(-1);
    EXPECT_EQ(third->Index(), 2);
    EXPECT_EQ(third->SheetId, 3);
    EXPECT_EQ(Sheets.Add(17)->SheetId, 17);
    EXPECT_EQ(Sheets.IndexOfName(u"SHEET1"), 0);
    EXPECT_EQ(Sheets.IndexOfName(u"Sheet2"), -1);
    EXPECT_EQ(Sheets.FindByCellMMU(third->sheetData.get()), third);
    EXPECT_EQ(Sheets.FindByCellMMU(nullptr), nullptr);
    EXPECT_THROW(Sheets.GetItems(9), EListError);
}

// Names an 8-bit code page cannot hold must not meet at its replacement character.
TEST_F(WorksheetPart, SheetNamesCompareAsUtf16) {
    Named(u"销售");
    Named(u"库存");
    Named(u"Übersicht");
    EXPECT_EQ(Sheets.IndexOfName(u"库存"), 1);
    EXPECT_EQ(Sheets.IndexOfName(u"übersicht"), 2);
    EXPECT_EQ(Sheets.IndexOfName(u"汇总"), -1);
}

TEST_F(WorksheetPart, NewSheetDefaults) {
    TXc12DataWorksheet& sheet = Named(u"S");
    ASSERT_EQ(sheet.sheetViews.Count(), 1);
    const TXc12SheetView& view = *sheet.sheetViews.GetItems(0);
    EXPECT_EQ(view.colorId, 64);
    EXPECT_EQ(view.zoomScale, 100);
    EXPECT_EQ(view.topLeftCell, TXLSCellArea());
    EXPECT_EQ(view.showGridLines + view.showRowColHeaders + view.showZeros + view.showOutlineSymbols + view.showRuler +
                  view.showWhiteSpace,
              6);
    EXPECT_EQ(view.pane.activePane, 3);
    EXPECT_EQ(view.pane.state, 0);
    EXPECT_EQ(view.pane.Present, 0);
    EXPECT_EQ(sheet.cols.Count(), 0);
    EXPECT_EQ(sheet.mergeCells->Count(), 0);
    EXPECT_EQ(sheet.sheetFormatPr.baseColWidth, 8);
    EXPECT_EQ(sheet.sheetPr.published, 1);
    EXPECT_EQ(sheet.sheetPr.tabColor.Kind, xc12ckUnassigned);
    EXPECT_EQ(sheet.sheetProtection.formatCells, 1);
    EXPECT_EQ(sheet.sheetProtection.selectLockedCells, 0);
    EXPECT_EQ(sheet.pageSetup.paperSize, 0);
    EXPECT_EQ(sheet.pageSetup.copies, 1);
    EXPECT_EQ(sheet.pageSetup.horizontalDpi, 600);
    EXPECT_EQ(sheet.sortState.sortMethod, 2);
    EXPECT_EQ(sheet.dataConsolidate.function, 8);
    EXPECT_NE(dynamic_cast<TXc12PlainDrawing*>(sheet.drawing.get()), nullptr);
    EXPECT_FALSE(sheet.drawing->WasRead());
    EXPECT_EQ(view.selection.Count(), 0);
    TXc12Selection& selection = *sheet.sheetViews.GetItems(0)->selection.Add();
    EXPECT_EQ(selection.activeCell, CellToCellArea(0, 0));
    ASSERT_EQ(selection.sqref.Count(), 1);
    EXPECT_EQ(selection.sqref.GetItems(0)->GetBounds(), CellToCellArea(0, 0));
}

TEST_F(WorksheetPart, DimensionFromTheReaderOrTheCellStore) {
    TXc12DataWorksheet& sheet = Named(u"S");
    sheet.sheetData->StoreFloat(2, 4, 0, 1);
    sheet.sheetData->CalcDimension();
    EXPECT_EQ(sheet.GetDimension(), MakeCellArea(2, 4, 2, 4));
    sheet.SetDimension(MakeCellArea(0, 0, 9, 99));
    EXPECT_EQ(sheet.GetDimension(), MakeCellArea(0, 0, 9, 99));
}

TEST_F(WorksheetPart, ColumnsCompareWithoutTheirRange) {
    TXc12DataWorksheet& sheet = Named(u"S");
    TXc12Column* a = sheet.cols.Add(nullptr);
    a->min = 0, a->max = 2, a->width = 12.5, a->Flags = xcfCustomWidth;
    TXc12Column* b = sheet.cols.Add(nullptr);
    b->Assign(*a);
    b->min = 5, b->max = 9;
    EXPECT_TRUE(a->Equal(*b));
    b->outlineLevel = 1;
    EXPECT_FALSE(a->Equal(*b));
}

TEST_F(WorksheetPart, MergedCellsAppendWithoutChecks) {
    TXc12MergedCells& merged = *Named(u"S").mergeCells;
    merged.AddArea(MakeCellArea(0, 0, 3, 0));
    merged.AddArea(MakeCellArea(0, 0, 3, 0));
    ASSERT_EQ(merged.Count(), 2);
    EXPECT_EQ(merged.GetItems(1)->GetCol2(), 3);
    EXPECT_EQ(merged.IndexOfArea(0, 0, 3, 0), 0);
    EXPECT_THROW(merged.Delete(1, 0, 1, 0), EXLSError);
}

// Clearing a cell out of a hyperlink's area leaves hyperlinks with the same target over the rest.
TEST_F(WorksheetPart, CutHyperlinksStayHyperlinks) {
    TXc12Hyperlinks& links = *Named(u"S").hyperlinks;
    TXc12Hyperlink* link = links.Add();
    link->ref = MakeCellArea(0, 0, 2, 2);
    link->SetAddress(u"https://example.org");
    link->tooltip = u"tip";
    TXc12Hyperlink* other = links.Add();
    other->ref = CellToCellArea(5, 5);
    other->display = u"far";
    links.Delete(1, 1, 1, 1);
    ASSERT_EQ(links.Count(), 5);
    int64_t cells = 0;
    for (int i = 0; i < links.Count(); ++i) {
        TXc12Hyperlink* piece = links.GetItems(i);
        ASSERT_NE(dynamic_cast<TXc12Hyperlink*>(static_cast<TCellArea*>(piece)), nullptr);
        if (piece->display == u"far") continue;
        EXPECT_EQ(piece->GetAddress(), u"https://example.org");
        EXPECT_EQ(piece->tooltip, u"tip");
        EXPECT_FALSE(piece->HasInside(1, 1));
        cells += piece->CellCount();
    }
    EXPECT_EQ(cells, 8);
    links.Delete(0, 0, 9, 9);
    EXPECT_EQ(links.Count(), 0);
    // Areas the list makes by itself are hyperlinks too.
    links.Add()->ref = MakeCellArea(0, 0, 1, 1);
    links.Copy(0, 0, 1, 1, 4, 0);
    for (int i = 0; i < links.Count(); ++i)
        EXPECT_NE(dynamic_cast<TXc12Hyperlink*>(links.TBaseCellAreas::GetItems(i)), nullptr);
}

TEST_F(WorksheetPart, PageLayoutAndOtherElements) {
    TXc12DataWorksheet& sheet = Named(u"S");
    const TXc12PageMargins& margins = sheet.pageMargins;
    EXPECT_EQ(margins.left, 0.7);
    EXPECT_EQ(margins.right, 0.7);
    EXPECT_EQ(margins.top, 0.75);
    EXPECT_EQ(margins.bottom, 0.75);
    EXPECT_EQ(margins.header, 0.3);
    EXPECT_EQ(margins.footer, 0.3);

    auto stream = [](const char* text) {
        auto s = std::make_unique<base::TMemoryStream>();
        s->WriteBuffer(text, static_cast<int64_t>(std::char_traits<char>::length(text)));
        return s;
    };
    sheet.pageSetup.SetPrinterSettings(stream("first"));
    sheet.pageSetup.SetPrinterSettings(stream("second!"));
    ASSERT_NE(sheet.pageSetup.PrinterSettings(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sheet.pageSetup.PrinterSettings()->Memory()), 7), "second!");

    TXc12Scenario* scenario = sheet.scenarios.Add();
    TXc12InputCell* cell = scenario->inputCells.AddRef(u"B3");
    EXPECT_EQ(cell->col, 1);
    EXPECT_EQ(cell->row, 2);
    TXc12InputCell* bad = scenario->inputCells.AddRef(u"nothing");
    EXPECT_EQ(bad->col, 0);
    sheet.scenarios.sqref.AddArea(0, 0, 1, 1);
    sheet.scenarios.current = 2;
    sheet.scenarios.Clear();
    EXPECT_EQ(sheet.scenarios.Count(), 0);
    EXPECT_EQ(sheet.scenarios.current, 0);
    EXPECT_EQ(sheet.scenarios.sqref.Count(), 1);

    TXc12CustomSheetView* custom = sheet.customSheetViews.Add();
    custom->view = 1;
    custom->pageMargins.left = 2;
    custom->autoFilter.ref = MakeCellArea(0, 0, 3, 3);
    custom->Clear();
    EXPECT_EQ(custom->view, 0);
    EXPECT_EQ(custom->pageMargins.left, 0.7);
    EXPECT_EQ(custom->autoFilter.ref, TXLSCellArea());
    EXPECT_EQ(&custom->ClassFactory(), &Factory);
}

}  // namespace
}  // namespace xls
