// What python3-xlrd (formatting_info=True) reads from files the writer made.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/biff/tests/report_block.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/defined_names.h"

namespace xls {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

std::string XlrdDump(const std::string& path) {
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_dump.py";
    const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    return result.Output;
}

// The lines of the dump that start with prefix, in order.
std::string Lines(const std::string& dump, const std::string& prefix) {
    std::string result;
    size_t start = 0;
    while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        const std::string line = dump.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) result += line + "\n";
        start = end + 1;
    }
    return result;
}

class XlrdReadsWrittenFile : public ::testing::Test {
protected:
    std::string WriteAndDump() {
        Book.Document->SetFilename(Dir / "book.xls");
        Book.Document->Write();
        return XlrdDump(Dir / "book.xls");
    }

    TTempDir Dir;
    test::TBIFFTestWorkbook Book;
};

TEST_F(XlrdReadsWrittenFile, ValuesOfEveryCellKind) {
    TXLSCellMMU& cells = Book.Cells();
    cells.StoreFloat(0, 0, 0, 1);
    cells.StoreFloat(1, 0, 0, 2);
    cells.StoreFloat(2, 0, 0, 3);
    cells.StoreFloat(3, 0, 0, 0.09999999999999999);
    cells.StoreFloat(4, 0, 0, 25.3);
    cells.StoreFloat(5, 0, 0, 1e300);
    cells.StoreString(0, 1, 0, u"温湿度历史记录报表");
    cells.StoreString(1, 1, 0, u"plain");
    cells.StoreBoolean(2, 1, 0, true);
    cells.StoreError(3, 1, 0, errDiv0);
    cells.StoreError(4, 1, 0, errGettingData);
    cells.StoreBlank(5, 1, 0);
    Book.SetFormula(0, 0, 2, u"A1+B1", 3);
    const std::string dump = WriteAndDump();
    EXPECT_EQ(Lines(dump, "cell "),
              "cell 0 0 0 2 1.0\n"
              "cell 0 0 1 2 2.0\n"
              "cell 0 0 2 2 3.0\n"
              "cell 0 0 3 2 0.09999999999999999\n"
              "cell 0 0 4 2 25.3\n"
              "cell 0 0 5 2 1e+300\n"
              "cell 0 1 0 1 \"温湿度历史记录报表\"\n"
              "cell 0 1 1 1 \"plain\"\n"
              "cell 0 1 2 4 1\n"
              "cell 0 1 3 5 7\n"
              "cell 0 1 4 5 43\n"
              "cell 0 1 5 6 \"\"\n"
              "cell 0 2 0 2 3.0\n");
}

TEST_F(XlrdReadsWrittenFile, FormattingNamesAndSheetReferences) {
    test::BuildReportBlock(Book);
    const std::string dump = WriteAndDump();
    EXPECT_EQ(Lines(dump, "cell 0 0 0"), "cell 0 0 0 1 \"温湿度历史记录报表\"\n");
    EXPECT_EQ(Lines(dump, "xf 0 0 0"),
              "xf 0 0 0 font=宋体,360,7001,0,32767 fill=1,22,65 border=1,0,1,0,64,64 align=2,1,0 fmt=\"General\"\n");
    EXPECT_EQ(Lines(dump, "xf 0 0 3"),
              "xf 0 0 3 font=宋体,360,7001,0,32767 fill=1,22,65 border=1,0,1,0,64,64 align=2,1,0 fmt=\"General\"\n");
    EXPECT_EQ(Lines(dump, "xf 0 28 1"),
              "xf 0 28 1 font=Arial,180,4000,0,32767 fill=1,9,65 border=0,0,0,0,64,64 align=0,2,0 fmt=\"General\"\n");
    EXPECT_EQ(Lines(dump, "cell 0 4 0"), "cell 0 4 0 1 \"    温度平均值:22.9\"\n");
    EXPECT_EQ(Lines(dump, "merged"), "merged 0 0 1 0 4\n");
    EXPECT_EQ(Lines(dump, "colinfo"),
              "colinfo 0 0 width=4400 hidden=0 outline=0\n"
              "colinfo 0 1 width=4400 hidden=0 outline=0\n"
              "colinfo 0 2 width=4400 hidden=0 outline=0\n"
              "colinfo 0 3 width=8800 hidden=0 outline=0\n");
    EXPECT_EQ(Lines(dump, "rowinfo 0 0 "), "rowinfo 0 0 height=1000 hidden=0\n");
    EXPECT_EQ(Lines(dump, "rowinfo 0 1 "), "rowinfo 0 1 height=360 hidden=0\n");
    EXPECT_EQ(Lines(dump, "cell 1"),
              "cell 1 0 0 2 5.0\n"
              "cell 1 0 1 2 45.6\n"
              "cell 1 0 2 2 73.7\n");
    EXPECT_EQ(Lines(dump, "name"),
              "name Print_Area scope=0 builtin=1 formula=3b000000001e0000000300\n"
              "name Rate scope=-1 builtin=0 formula=3a010000000000\n");
}

// A name whose definition is a constant is written as that constant, not as a reference.
TEST_F(XlrdReadsWrittenFile, ConstantNamesAreWrittenAsConstants) {
    TXc12DefinedName* rate = Book.Root.Workbook().definedNames->Add(u"VAT", -1);
    rate->SetContent(u"0.175");
    const std::string dump = WriteAndDump();
    EXPECT_EQ(Lines(dump, "name VAT"), "name VAT scope=-1 builtin=0 formula=1f666666666666c63f\n");
    EXPECT_EQ(Lines(dump, "result VAT"), "result VAT 0.175\n");
}

// The same block through perl's Spreadsheet::ParseExcel.
TEST_F(XlrdReadsWrittenFile, ParseExcelReadsTheReportBlock) {
    test::BuildReportBlock(Book);
    Book.Document->SetFilename(Dir / "book.xls");
    Book.Document->Write();
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/parseexcel_dump.pl";
    const auto result = RunCommand("perl " + ShellQuote(script) + " " + ShellQuote(Dir / "book.xls"));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    const std::string& dump = result.Output;
    EXPECT_EQ(Lines(dump, "sheet"), "sheet 0 Sheet1 rows=0..30 cols=0..3\nsheet 1 Second rows=0..0 cols=0..2\n");
    EXPECT_EQ(Lines(dump, "cell 0 0 0 "), "cell 0 0 0 Text 温湿度历史记录报表 font=宋体,360,1 fill=1,22\n");
    EXPECT_EQ(Lines(dump, "cell 0 4 0 "), "cell 0 4 0 Text     温度平均值:22.9 font=Arial,180,0 fill=1,9\n");
    EXPECT_EQ(Lines(dump, "cell 0 30 1 "), "cell 0 30 1 Numeric 23 font=Arial,180,0 fill=1,9\n");
    EXPECT_EQ(Lines(dump, "cell 1"),
              "cell 1 0 0 Numeric 5 font=Arial,200,0 fill=0,64\n"
              "cell 1 0 1 Numeric 45.6 font=Arial,200,0 fill=0,64\n"
              "cell 1 0 2 Numeric 73.7 font=Arial,200,0 fill=0,64\n");
    EXPECT_EQ(Lines(dump, "merged"), "merged 0 0 0 0 3\n");
    // Its character widths from 1/256 units: 4400 and 8800 (8766, a width scaled by 255, gives 33.57).
    EXPECT_EQ(Lines(dump, "width 0 0"), "width 0 0 16.4300\n");
    EXPECT_EQ(Lines(dump, "width 0 3"), "width 0 3 33.7100\n");
}

TEST_F(XlrdReadsWrittenFile, Hyperlinks) {
    Book.Sheet().hyperlinks = std::make_unique<TXc12Hyperlinks>(Book.Factory);
    TXc12Hyperlinks& links = *Book.Sheet().hyperlinks;
    TXc12Hyperlink* url = links.Add();
    url->ref = MakeCellArea(0, 0, 1, 0);
    url->LinkType = xhltURL;
    url->SetAddress(u"http://example.com/a");
    url->display = u"温湿度";
    url->tooltip = u"tip";
    TXc12Hyperlink* file = links.Add();
    file->ref = MakeCellArea(0, 1, 0, 1);
    file->LinkType = xhltFile;
    file->SetAddress(u"..\\..\\data\\r.xls");
    TXc12Hyperlink* place = links.Add();
    place->ref = MakeCellArea(0, 2, 0, 2);
    place->LinkType = xhltWorkbook;
    place->location = u"Sheet1!A1";
    const std::string dump = WriteAndDump();
    EXPECT_EQ(Lines(dump, "hlink"),
              "hlink 0 0 0 0 1 url \"http://example.com/a\" \"温湿度\" null \"tip\"\n"
              "hlink 0 1 1 0 0 local file \"data\\\\r.xls\" null null null\n"
              "hlink 0 2 2 0 0 workbook null null \"Sheet1!A1\" null\n");
    // The model's address lost the two leading parts it now holds as a count.
    EXPECT_EQ(file->GetAddress(), u"data\\r.xls");
}

// The npm package "xlsx" (installed by scripts/setup into the oracle folder) reads the same block.
TEST_F(XlrdReadsWrittenFile, NpmXlsxReadsTheReportBlock) {
    const std::filesystem::path module = std::filesystem::path(OMBRIX_ORACLES) / "node_modules" / "xlsx";
    ASSERT_TRUE(std::filesystem::exists(module / "package.json"))
        << "the npm oracle xlsx is missing from " << OMBRIX_ORACLES << ": run scripts/setup";
    test::BuildReportBlock(Book);
    Book.Document->SetFilename(Dir / "book.xls");
    Book.Document->Write();
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlsx_npm_dump.js";
    const auto result = RunCommand("node " + ShellQuote(script) + " " + ShellQuote(OMBRIX_ORACLES) + " " +
                                   ShellQuote(Dir / "book.xls"));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(result.Output,
              "sheet 0 Sheet1 A1:D31\n"
              "cell 0 0 0 s \"温湿度历史记录报表\"\n"
              "cell 0 4 0 s \"    温度平均值:22.9\" =\"    温度平均值:\"&ROUND(AVERAGE(B28:B31),2)\n"
              "cell 0 28 1 n 22.8\n"
              "cell 0 29 1 n 22.9\n"
              "cell 0 30 1 n 23\n"
              "merged 0 A1:D1\n"
              "sheet 1 Second A1:C1\n"
              "cell 1 0 0 n 5\n"
              "cell 1 0 1 n 45.6 =Sheet1!B29*2\n"
              "cell 1 0 2 n 73.7 =SUM(Sheet1!B29:B31)+A1\n");
}

// LibreOffice and gnumeric recalculated the report block (office_oracle.txt, made by
// gen_office_oracle.py); the values the writer caches must be what they computed.
TEST_F(XlrdReadsWrittenFile, CachedValuesAreWhatTheOfficeProgramsCompute) {
    test::BuildReportBlock(Book);
    const std::string dump = WriteAndDump();
    std::ifstream table(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/office_oracle.txt");
    ASSERT_TRUE(table) << "office_oracle.txt is missing";
    std::string line;
    int compared = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string program, kind;
        int s = 0, r = 0, c = 0;
        fields >> program >> kind;
        if (kind != "value") continue;
        fields >> s >> r >> c;
        std::string expected;
        std::getline(fields, expected);
        expected.erase(0, 1);
        const std::string cell =
            Lines(dump, "cell " + std::to_string(s) + " " + std::to_string(r) + " " + std::to_string(c) + " ");
        ASSERT_FALSE(cell.empty()) << line;
        const std::string value = cell.substr(cell.find(' ', cell.find(' ', cell.find(' ', 5) + 1) + 1) + 3);
        if (value.front() == '"')
            EXPECT_EQ(value, "\"" + expected + "\"\n") << line;
        else
            EXPECT_NEAR(std::stod(value), std::stod(expected), 1e-9) << line;
        ++compared;
    }
    EXPECT_EQ(compared, 16);
}

// python3-xlwt and perl's Spreadsheet::WriteExcel wrote the same small workbook
// (reference_records.txt, made by gen_reference_records.py). Substream order, the SST after its
// first field and every cell value must be theirs. Kept differences: the SST's first field is the
// number of strings here (theirs count the cells that use them; readers take the second field),
// and runs of numbers become MULRK records (they write one record per number).
TEST_F(XlrdReadsWrittenFile, SameRecordsAsOtherWriters) {
    Book.Sheet().Name = u"Data";
    TXLSCellMMU& cells = Book.Cells();
    cells.StoreFloat(0, 0, 0, 1.0);
    cells.StoreFloat(1, 0, 0, 2.5);
    cells.StoreString(2, 0, 0, u"abc");
    cells.StoreString(3, 0, 0, u"温度");
    cells.StoreString(0, 1, 0, u"abc");
    cells.StoreFloat(1, 1, 0, 1234567.0);
    cells.StoreFloat(2, 1, 0, 0.3333);
    cells.StoreFloat(0, 2, 0, 0.09999999999999999);
    Book.Document->SetFilename(Dir / "book.xls");
    Book.Document->Write();
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/gen_reference_records.py";
    const auto result =
        RunCommand("/usr/bin/python3 " + ShellQuote(script) + " --describe " + ShellQuote(Dir / "book.xls"));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    std::ifstream table(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/reference_records.txt");
    std::stringstream reference;
    reference << table.rdbuf();
    for (const std::string writer : {"xlwt", "writeexcel"}) {
        std::string expected = Lines(reference.str(), writer + " ");
        for (size_t at = 0; (at = expected.find(writer + " ", at)) != std::string::npos;)
            expected.replace(at, writer.size(), "ours");
        std::string ours = Lines(result.Output, "ours ");
        ASSERT_FALSE(expected.empty()) << writer;
        // The SST's total-references field (its first 4 bytes, 8 hex digits).
        const size_t sst = ours.find("ours sst ") + 9;
        const size_t theirSst = expected.find("ours sst ") + 9;
        expected.replace(theirSst, 8, ours.substr(sst, 8));
        EXPECT_EQ(ours, expected) << writer;
    }
}

}  // namespace
}  // namespace xls
