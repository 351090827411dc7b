// Page breaks, a frozen pane and the header and footer set through the worksheet interface
// reach the written .xls file as python3-xlrd reads it.
#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/component/workbook_component.h"

namespace xls::test {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

TEST(SheetSettingsXlrdTest, PageBreaksPaneAndHeaderAsXlrdReadsThem) {
    TVUZAzurEruraWorkbook book;
    book.SetVersion(xvExcel97);
    TXLSWorksheet& sheet = *book.GetSheets(0);
    sheet.SetAsFloat(0, 0, 1);
    TXLSPrintSettings& print = sheet.GetPrintSettings();
    for (int row : {30, 10, 20, 10}) print.HorizPagebreaks.Add(row);
    print.VertPagebreaks.Add(3);
    print.HeaderFooter.SetHeader(u"&C历史记录");
    print.HeaderFooter.SetFooter(u"&P");
    TXLSPane& pane = sheet.GetPane();
    pane.SetState(1);
    pane.SetSplit(0, 2);
    pane.SetTopLeft(0, 2);
    pane.SetActivePane(2);

    TTempDir dir;
    const std::string path = (dir.Path() / "settings.xls").string();
    book.SaveToFile(base::Utf8ToUtf16(path));
    const auto result = RunCommand(std::string(platform::testing::Python) +
                                   " -c 'import sys,xlrd\n"
                                   "s=xlrd.open_workbook(sys.argv[1],formatting_info=True).sheet_by_index(0)\n"
                                   "print(s.horizontal_page_breaks)\nprint(s.vertical_page_breaks)\n"
                                   "print(s.panes_are_frozen,s.horz_split_pos,s.horz_split_first_visible)' " +
                                   ShellQuote(path));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(result.Output,
              "[(10, 0, 255), (20, 0, 255), (30, 0, 255)]\n"
              "[(3, 0, 65535)]\n"
              "1 2 2\n");

    TVUZAzurEruraWorkbook again;
    again.LoadFromFile(base::Utf8ToUtf16(path));
    EXPECT_EQ(again.GetSheets(0)->GetPrintSettings().HeaderFooter.GetHeader(), u"&C历史记录");
    EXPECT_EQ(again.GetSheets(0)->GetPrintSettings().HeaderFooter.GetFooter(), u"&P");
    EXPECT_EQ(again.GetSheets(0)->GetPrintSettings().HorizPagebreaks.Count(), 3);
}

}  // namespace
}  // namespace xls::test
