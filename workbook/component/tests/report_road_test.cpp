// The console's multi-sheet report through the component: sheets laid out and filled, written,
// read back, finished with formulas, borders and a chart on each sheet, recalculated and
// written again; python3-xlrd reads both files, and the finished workbook survives its own
// read and write byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "platform/compound_file.h"
#include "platform/testing/test_files.h"
#include "workbook/api/tests/report_recipe.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/component/tests/workbook_stream.h"
#include "workbook/component/workbook_component.h"

namespace xls::test {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

constexpr int SheetRecords[] = {40, 25};

std::u16string U16(const std::string& path) { return base::Utf8ToUtf16(path); }

std::vector<std::string> XlrdLines(const std::string& path) {
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_read_dump.py";
    const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    std::vector<std::string> lines;
    std::istringstream in(result.Output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("sheet ", 0) == 0 || line.rfind("cell ", 0) == 0) lines.push_back(line);
    return lines;
}

class ReportRoadTest : public ::testing::Test {
protected:
    // The first pass of a report: every sheet laid out and filled, then written.
    void FirstPass(TVUZAzurEruraWorkbook& book, const std::string& path) {
        book.SetVersion(xvExcel97);
        for (int s = 0; s < 2; ++s) {
            TXLSWorksheet& sheet = s == 0 ? *book.GetSheets(0) : *book.AddSheet();
            report::LayoutReportSheet(sheet, report::U("温湿度历史记录报表"));
            for (int n = 1; n <= SheetRecords[s]; ++n) report::AddReportRow(sheet, report::FirstDataRow + n - 1, n);
        }
        book.SetFilename(U16(path));
        book.Write();
    }

    // The second pass after the read: formulas, borders and the chart of every sheet.
    void SecondPass(TVUZAzurEruraWorkbook& book, const std::string& path) {
        book.Read();
        ASSERT_EQ(book.SheetCount(), 2);
        for (int s = 0; s < 2; ++s) {
            const int last = report::FirstDataRow + SheetRecords[s];
            report::FinishReportSheet(*book.GetSheets(s), SheetRecords[s], last);
            TSheet& biffSheet = book.GetBIFF()->GetSheet(s);
            biffSheet.Charts().Clear();
            TDrwChart& chart = biffSheet.AddChart();
            chart.Anchor().SetCol1(0);
            chart.Anchor().SetRow1(9);
            chart.Anchor().SetCol2(4);
            chart.Anchor().SetRow2(26);
            testing::SetReportChart(chart, s + 1, last);
        }
        book.Calculate();
        book.SaveToFile(U16(path));
    }

    TTempDir Dir;
};

TEST_F(ReportRoadTest, WrittenReadFinishedAndWrittenAgain) {
    TVUZAzurEruraWorkbook book;
    FirstPass(book, Dir / "report.xls");
    const std::vector<std::string> first = XlrdLines(Dir / "report.xls");
    SecondPass(book, Dir / "report.xls");
    const std::vector<std::string> second = XlrdLines(Dir / "report.xls");

    // The same sheets, every value of the first file still there, and the recalculated
    // formula results beside them.
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0], "sheet 0 \"Sheet1\"");
    EXPECT_NE(std::find(first.begin(), first.end(), "sheet 1 \"Sheet2\""), first.end());
    for (const std::string& line : first)
        EXPECT_NE(std::find(second.begin(), second.end(), line), second.end()) << line;
    const std::string maxima[] = {"cell 0 6 0 s \"    温度最大值:24\"", "cell 1 6 0 s \"    温度最大值:22.5\"",
                                  "cell 1 2 3 s \"    记录条数:25\""};
    for (const std::string& line : maxima)
        EXPECT_NE(std::find(second.begin(), second.end(), line), second.end()) << line;
    for (int s = 0; s < 2; ++s) EXPECT_EQ(book.GetBIFF()->GetSheet(s).Charts().Count(), 1);
}

TEST_F(ReportRoadTest, FinishedReportSurvivesReadAndWriteByteForByte) {
    {
        TVUZAzurEruraWorkbook book;
        FirstPass(book, Dir / "report.xls");
        SecondPass(book, Dir / "report.xls");
    }
    TVUZAzurEruraWorkbook once;
    once.LoadFromFile(U16(Dir / "report.xls"));
    once.SaveToFile(U16(Dir / "once.xls"));
    TVUZAzurEruraWorkbook twice;
    twice.LoadFromFile(U16(Dir / "once.xls"));
    twice.SaveToFile(U16(Dir / "twice.xls"));
    EXPECT_EQ(WorkbookStream(Dir / "once.xls"), WorkbookStream(Dir / "twice.xls"));
    EXPECT_EQ(XlrdLines(Dir / "once.xls"), XlrdLines(Dir / "report.xls"));
}

TEST_F(ReportRoadTest, SecondReportOnTheSameComponent) {
    // The console empties the workbook between reports: clears each sheet and deletes all but
    // the first, then lays the next report out again.
    TVUZAzurEruraWorkbook book;
    FirstPass(book, Dir / "one.xls");
    SecondPass(book, Dir / "one.xls");
    for (int i = book.SheetCount() - 1; i >= 0; --i) {
        book.GetSheets(i)->Clear();
        if (i > 0) book.DeleteSheet(i, 1);
    }
    ASSERT_EQ(book.SheetCount(), 1);
    FirstPass(book, Dir / "two.xls");
    SecondPass(book, Dir / "two.xls");
    EXPECT_EQ(XlrdLines(Dir / "two.xls"), XlrdLines(Dir / "one.xls"));
}

}  // namespace
}  // namespace xls::test
