// The workbook interface joined to the .xls document: sheets added and deleted through the
// interface keep the document's sheets and external-sheet table in step, formulas compile through
// the document's formula handler, and the console's report sheet built through the interface is
// written and read back by python3-xlrd as the model held it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/api/sheet_objects.h"
#include "workbook/api/tests/api_fixture.h"
#include "workbook/api/tests/report_recipe.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_document_link.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/color.h"
#include "workbook/model/formula_helper.h"

namespace xls::test {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

class InterfaceWriteTest : public ApiTest {
protected:
    InterfaceWriteTest() : Document(*Manager), Link(Document) { Workbook->SetBiff(&Link); }

    // The first 3-D reference's EXTERNSHEET entry in the BIFF8 tokens of the formula at (col, row).
    int ExternSheetEntry(int sheet, int col, int row) {
        TXLSMMUCell cell;
        EXPECT_TRUE(Sheet(sheet).Cells().FindCell(col, row, cell));
        const uint8_t* ptgs = nullptr;
        const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
        EXPECT_GT(length, 3);
        EXPECT_EQ(ptgs[0], PtgsBIFF8);
        EXPECT_EQ(ptgs[1] & 0x1F, 0x1A) << "not a 3-D reference";
        return base::LoadLE16(ptgs + 2);
    }

    // The BIFF8 tokens of the formula at (col, row), without the model's lead byte.
    std::vector<uint8_t> FormulaTokens(int sheet, int col, int row) {
        TXLSMMUCell cell;
        EXPECT_TRUE(Sheet(sheet).Cells().FindCell(col, row, cell));
        const uint8_t* ptgs = nullptr;
        const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
        if (length < 1 || ptgs[0] != PtgsBIFF8) {
            ADD_FAILURE() << "not BIFF8 tokens";
            return {};
        }
        return {ptgs + 1, ptgs + length};
    }

    std::string WriteAndDump() {
        Document.SetFilename(Dir / "book.xls");
        Workbook->PrepareWrite();
        Document.Write();
        const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_dump.py";
        const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(Dir / "book.xls"));
        EXPECT_EQ(result.ExitCode, 0) << result.Output;
        return result.Output;
    }

    TBIFF5 Document;
    TBIFFDocumentLink Link;
    TTempDir Dir;
};

TEST_F(InterfaceWriteTest, SheetsAddedAndDeletedKeepTheDocumentAndItsReferencesInStep) {
    for (int i = 0; i < 3; ++i) Workbook->AddSheet();
    ASSERT_EQ(Document.Sheets().Count(), 4);
    Sheet(3).SetAsFormula(0, 0, u"Sheet3!B2*2");
    const int entry = ExternSheetEntry(3, 0, 0);
    int first = -1, last = -1;
    ASSERT_TRUE(Document.FormulaHandler().GetSheetRange(entry, first, last));
    EXPECT_EQ(first, 2);
    // Two sheets before the one referred to go: the entry follows it to index 0.
    Workbook->DeleteSheet(0, 2);
    EXPECT_EQ(Document.Sheets().Count(), 2);
    ASSERT_TRUE(Document.FormulaHandler().GetSheetRange(ExternSheetEntry(1, 0, 0), first, last));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    // A sheet added after the deletion is written as well.
    Workbook->AddSheet();
    Sheet(1).SetAsFloat(1, 1, 7);
    Sheet(0).SetAsFloat(1, 1, 21);
    const std::string dump = WriteAndDump();
    EXPECT_NE(dump.find("sheet 0 Sheet3 "), std::string::npos) << dump;
    EXPECT_NE(dump.find("sheet 1 Sheet4 "), std::string::npos) << dump;
    // The next name counts on from the sheets there are: Sheet3 and Sheet4 are taken.
    EXPECT_NE(dump.find("sheet 2 Sheet5 "), std::string::npos) << dump;
    EXPECT_NE(dump.find("cell 0 1 1 2 21.0\n"), std::string::npos) << dump;
}

// Names added through the interface and ranges of sheets, typed as formula text, compile on both
// roads: straight into BIFF8 tokens of the document (SetAsFormula), and into the model's own
// code, which the writer turns back into text and compiles. The handler decodes the tokens as
// they were typed, and xlrd decompiles the written file's formulas alike (its decompiler fails on
// relative 3-D areas of cell formulas, so those areas are absolute here; it writes a 3-D cell as
// an area of one cell).
TEST_F(InterfaceWriteTest, NamesAndSheetRangesCompileAndDecodeOnBothRoads) {
    for (int i = 0; i < 3; ++i) Workbook->AddSheet();
    const char16_t* sheets[] = {u"Data", u"Other Sheet", u"Sheet3", u"Report"};
    for (int i = 0; i < 4; ++i) Sheet(i).Model().Name = sheets[i];
    auto* rates = dynamic_cast<TXLSName*>(Workbook->Names()->Add(u"RATES", -1));
    ASSERT_NE(rates, nullptr);
    rates->SetContent(u"Data!$B$1:$B$3");
    rates->Compile();
    struct TCase {
        const char16_t* Typed;
        const char16_t* Decoded;
        const char* Xlrd;
    };
    const TCase cases[] = {
        {u"SUM(Data:'Other Sheet'!A1)", u"SUM('Data:Other Sheet'!A1)", "SUM(Data:'Other Sheet'!A1:A1)"},
        {u"SUM(Data:Sheet3!$A$1:$A$5)", u"SUM(Data:Sheet3!$A$1:$A$5)", "SUM(Data:Sheet3!$A$1:$A$5)"},
        {u"SUM('Other Sheet:Sheet3'!$B$2:$C$3)", u"SUM('Other Sheet:Sheet3'!$B$2:$C$3)",
         "SUM('Other Sheet':Sheet3!$B$2:$C$3)"},
        {u"RATES*2", u"RATES*2", "RATES*2"},
        {u"SUM(RATES)+'Other Sheet'!A1", u"SUM(RATES)+'Other Sheet'!A1", "SUM(RATES)+'Other Sheet'!A1:A1"},
    };
    TXLSWorksheet& report = Sheet(3);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const TCase& c = cases[i];
        SCOPED_TRACE(base::Utf16ToUtf8(c.Typed));
        const int row = static_cast<int>(i);
        report.SetAsFormula(0, row, c.Typed);
        EXPECT_EQ(Document.FormulaHandler().DecodeFormula(FormulaTokens(3, 0, row)), c.Decoded);
        const std::vector<uint8_t> code = Workbook->Formulas().EncodeCellFormula(c.Typed, true, row, 1, 3);
        ASSERT_FALSE(code.empty());
        EXPECT_EQ(Workbook->Formulas().DecodeFormula(code, 3), c.Decoded);
        report.Cells().StoreFormulaTokens(1, row, 0, static_cast<int>(code.size()), code.data(), 0);
    }
    WriteAndDump();
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_read_dump.py";
    const auto formulas =
        RunCommand("/usr/bin/python3 " + ShellQuote(script) + " --all-formulas " + ShellQuote(Dir / "book.xls"));
    ASSERT_EQ(formulas.ExitCode, 0) << formulas.Output;
    for (size_t i = 0; i < std::size(cases); ++i)
        for (const char* col : {" 0 ", " 1 "})
            EXPECT_NE(formulas.Output.find("formula 3 " + std::to_string(i) + col + cases[i].Xlrd + "\n"),
                      std::string::npos)
                << cases[i].Xlrd << "\n"
                << formulas.Output;
}

TEST_F(InterfaceWriteTest, TextThatDoesNotCompileRaisesAndStoresNothing) {
    EXPECT_ANY_THROW(Sheet().SetAsFormula(0, 0, u"SUM(A1:"));
    EXPECT_EQ(Sheet().GetCell(0, 0), nullptr);
}

TEST_F(InterfaceWriteTest, ReportSheetBuiltThroughTheInterfaceReadsBackAsBuilt) {
    constexpr int Records = 20;
    constexpr int Last = report::FirstDataRow + Records;
    report::BuildReportSheet(Sheet(), Records);
    const std::string dump = WriteAndDump();
    auto has = [&](const std::string& line) { return dump.find(line) != std::string::npos; };
    EXPECT_TRUE(has("merged 0 0 1 0 4\n")) << dump;
    EXPECT_TRUE(has("colinfo 0 0 width=4400 ")) << dump;
    EXPECT_TRUE(has("colinfo 0 3 width=8800 ")) << dump;
    EXPECT_TRUE(has("rowinfo 0 0 height=1000 ")) << dump;
    EXPECT_TRUE(has("rowinfo 0 1 height=360 ")) << dump;
    EXPECT_TRUE(has("cell 0 0 0 1 \"温湿度历史记录报表\"\n")) << dump;
    // Title 宋体 18 pt bold, section heads 9 pt bold on silver, the records in the sheet's size.
    EXPECT_TRUE(has("xf 0 0 0 font=宋体,360,7001,0,")) << dump;
    EXPECT_TRUE(has("xf 0 26 0 font=宋体,180,7001,0,8 fill=1,22,")) << dump;
    EXPECT_TRUE(has("xf 0 28 0 font=宋体,220,4000,0,")) << dump;
    const std::string lastRow = "cell 0 " + std::to_string(Last - 1) + " 0 2 " + std::to_string(Records) + ".0\n";
    EXPECT_TRUE(has(lastRow)) << dump;
    // The record table's lines: outline on A28 (left, top, right, bottom), inside lines to the
    // right and below each cell, in the colour given.
    const std::string colour = std::to_string(ColorToPaletteIndex(Xc12ColorFromRGB(report::Red)));
    EXPECT_TRUE(has("xf 0 27 0 font=宋体,220,4000,0,8 fill=0,64,65 border=1,1,1,1," + colour + "," + colour + " "));
    EXPECT_TRUE(has("xf 0 28 1 font=宋体,220,4000,0,8 fill=0,64,65 border=0,1,0,1,64,64 ")) << dump;
    EXPECT_TRUE(has("xf 0 " + std::to_string(Last - 1) + " 0 font=宋体,220,4000,0,8 fill=0,64,65 border=1,1,0,1," +
                    colour + ",64 "))
        << dump;
    // The six formula cells are formulas of the file (xlrd gives their cached results).
    for (const char* cell : {"cell 0 4 0 ", "cell 0 4 3 ", "cell 0 5 0 ", "cell 0 5 3 ", "cell 0 6 0 ", "cell 0 6 3 "})
        EXPECT_TRUE(has(cell)) << cell;
}

}  // namespace
}  // namespace xls::test
