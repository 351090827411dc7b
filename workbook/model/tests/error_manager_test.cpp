#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "test_util.h"
#include "workbook/model/error_manager.h"

namespace xls {
namespace {

using test::U8;

struct TEvent {
    TXLSErrorLevel Level;
    std::u16string Text;
};

TEST(ErrorManager, StartsEmptyWithTheDefaults) {
    TXLSErrorManager m;
    EXPECT_EQ(m.Filter(), TXLSErrorLevels{xelDebug});
    EXPECT_FALSE(m.SaveToList());
    EXPECT_TRUE(m.IgnoreXMLWarnings());
    EXPECT_FALSE(m.ReportingOff());
    EXPECT_EQ(m.LastError(), 0);
    EXPECT_EQ(m.HintCount(), 0);
    EXPECT_EQ(m.WarningCount(), 0);
    EXPECT_EQ(m.ErrorCount(), 0);
    EXPECT_EQ(m.FatalCount(), 0);
    EXPECT_TRUE(m.Messages().empty());
}

TEST(ErrorManager, MessageTexts) {
    struct Case {
        int Number;
        std::u16string Text;
        std::u16string Expected;
    };
    const Case cases[] = {
        {4010, u"ignored", u"4010: Invalid cell reference"},
        {3004, u"ZZ0", u"3004: Invalid cell reference \"ZZ0\""},
        {6004, u"Merge", u"6004: Merge can not be performed on multiple selected areas"},
        {6001, u"SaveToFile", u"6001: Filename is missing in SaveToFile"},
        {4027, u"T1", u"4027: Table \"T1\" is missing end bracket\""},
        {1003, u"",
         u"1003: File is encrypted, password missing. If you think the file is unencrypted, try "
         u"\"VelvetSweatshop\""},
        {1005, u"", u"1005: Direct write: Cell columna and row can not be the same as previous"},
        {7001, u"B2", u"7001: Formula result in cell \"B2\" do not match."},
        // A "%" in the caller's text is text, not a format.
        {2001, u"100%s %d", u"2001: XML read error: \"100%s %d\""},
        // Numbers outside the table: the number and ": " alone.
        {9999, u"x", u"9999: "},
        {0, u"x", u"0: "},
        {-5, u"x", u"-5: "},
    };
    for (const Case& c : cases) EXPECT_EQ(U8(TXLSErrorManager::MessageText(c.Number, c.Text)), U8(c.Expected));
}

TEST(ErrorManager, EveryTableNumberHasAText) {
    const int numbers[] = {1002, 1003, 1004, 1005, 2001, 3001, 3002, 3003, 3004, 3005, 3006, 3007, 3008, 3009, 3101,
                           3102, 4001, 4002, 4003, 4004, 4005, 4006, 4007, 4008, 4009, 4010, 4011, 4012, 4013, 4014,
                           4015, 4016, 4017, 4018, 4019, 4020, 4021, 4022, 4023, 4024, 4025, 4026, 4027, 4028, 4029,
                           4030, 4031, 4032, 4033, 5001, 5002, 6001, 6002, 6003, 6004, 6005, 7001};
    for (int n : numbers) EXPECT_FALSE(TXLSErrorManager::TableText(n).empty()) << n;
    EXPECT_TRUE(TXLSErrorManager::TableText(1001).empty());
    EXPECT_TRUE(TXLSErrorManager::TableText(4034).empty());
}

TEST(ErrorManager, AnErrorWithNobodyListeningRaises) {
    TXLSErrorManager m;
    try {
        m.Error(u"", 4010);
        FAIL() << "no exception";
    } catch (const EXLSReport& e) {
        EXPECT_EQ(U8(e.Text()), "E4010: Invalid cell reference");
        EXPECT_STREQ(e.what(), "E4010: Invalid cell reference");
        EXPECT_EQ(e.Number(), 4010);
    }
    EXPECT_EQ(m.LastError(), 4010);
    EXPECT_EQ(m.ErrorCount(), 1);
    // EXLSReport is one of the library's exceptions, rooted in base::Exception.
    EXPECT_THROW(m.Error(u"x", 4008), base::Exception);
}

TEST(ErrorManager, SaveToListOnlyListsAndCounts) {
    TXLSErrorManager m;
    m.SetSaveToList(true);
    EXPECT_NO_THROW(m.Error(u"", 4010));
    EXPECT_NO_THROW(m.Error(u"Sheet9", 4016));
    ASSERT_EQ(m.Messages().size(), 2u);
    EXPECT_EQ(U8(m.Messages()[0].Text), "E4010: Invalid cell reference");
    EXPECT_EQ(m.Messages()[0].Number, 4010);
    EXPECT_EQ(U8(m.Messages()[1].Text), "E4016: Uknown sheet name \"Sheet9\"");
    EXPECT_EQ(m.ErrorCount(), 2);
    EXPECT_EQ(m.LastError(), 4016);
    m.ClearMessages();
    EXPECT_TRUE(m.Messages().empty());
}

TEST(ErrorManager, OnErrorReceivesUnlessFiltered) {
    TXLSErrorManager m;
    std::vector<TEvent> events;
    TXLSErrorManager* sender = nullptr;
    m.SetOnError([&](TXLSErrorManager& s, TXLSErrorLevel level, const std::u16string& text) {
        sender = &s;
        events.push_back({level, text});
    });
    EXPECT_NO_THROW(m.Error(u"SUM", 4020));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(sender, &m);
    EXPECT_EQ(events[0].Level, xelError);
    EXPECT_EQ(U8(events[0].Text), "E4020: Missing argument for function \"SUM\"");

    // Errors filtered out: nobody listens to them, so they raise again...
    m.SetFilter({xelError});
    EXPECT_THROW(m.Error(u"", 4006), EXLSReport);
    // ...or, with SaveToList, are only listed.
    m.SetSaveToList(true);
    EXPECT_NO_THROW(m.Error(u"", 4006));
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(m.Messages().size(), 1u);
    // Warnings still reach the event.
    m.Warning(u"x.bmp", 3006);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].Level, xelWarning);
    EXPECT_EQ(U8(events[1].Text), "W3006: Unknown image type \"x.bmp\"");
}

TEST(ErrorManager, WarningsNeverRaiseNorTouchLastError) {
    TXLSErrorManager m;
    m.SetLastError(17);
    EXPECT_NO_THROW(m.Warning(u"", 6003));
    EXPECT_EQ(m.LastError(), 17);
    EXPECT_EQ(m.WarningCount(), 1);
    EXPECT_EQ(m.ErrorCount(), 0);
    m.SetSaveToList(true);
    m.Warning(u"", 6003);
    ASSERT_EQ(m.Messages().size(), 1u);
    EXPECT_EQ(U8(m.Messages()[0].Text), "W6003: Workbook not empty. Data will be discarded when changing filetype.");
    m.SetFilter({xelWarning, xelDebug});
    bool called = false;
    m.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string&) { called = true; });
    m.Warning(u"", 6003);
    EXPECT_FALSE(called);
}

TEST(ErrorManager, Warning2001DoesNothingAtAll) {
    TXLSErrorManager m;
    m.SetSaveToList(true);
    bool called = false;
    m.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string&) { called = true; });
    m.Warning(u"unknown element", 2001);
    EXPECT_FALSE(called);
    EXPECT_EQ(m.WarningCount(), 0);
    EXPECT_TRUE(m.Messages().empty());
    // Only while the flag is set (it is set at creation and nothing in the system clears it).
    m.SetIgnoreXMLWarnings(false);
    m.Warning(u"unknown element", 2001);
    EXPECT_TRUE(called);
    EXPECT_EQ(U8(m.Messages()[0].Text), "W2001: XML read error: \"unknown element\"");
}

TEST(ErrorManager, ReportingOffOnlyRecordsTheNumber) {
    TXLSErrorManager m;
    {
        TXLSReportingOffScope off(m);
        EXPECT_TRUE(m.ReportingOff());
        EXPECT_NO_THROW(m.Error(u"", 4010));
        EXPECT_EQ(m.LastError(), 4010);
        EXPECT_EQ(m.ErrorCount(), 0);
    }
    EXPECT_FALSE(m.ReportingOff());
    // Cleared also when the trial compile fails with an exception.
    try {
        TXLSReportingOffScope off(m);
        throw std::runtime_error("compile failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(m.ReportingOff());
    EXPECT_THROW(m.Error(u"", 4010), EXLSReport);
}

TEST(ErrorManager, CountsAreCumulative) {
    TXLSErrorManager m;
    m.SetSaveToList(true);
    m.Hint(u"", 1);
    m.Hint(u"", 2);
    m.Warning(u"", 3006);
    m.Error(u"", 4010);
    m.Error(u"", 4011);
    m.Error(u"", 4012);
    EXPECT_EQ(m.FatalCount(), 0);
    EXPECT_EQ(m.ErrorCount(), 3);
    EXPECT_EQ(m.WarningCount(), 4);
    EXPECT_EQ(m.HintCount(), 6);
    EXPECT_EQ(U8(m.Messages()[0].Text), "H1: ");
}

TEST(ErrorManager, HintsNeverRaise) {
    TXLSErrorManager m;
    EXPECT_NO_THROW(m.Hint(u"", 4010));
    EXPECT_EQ(m.LastError(), 0);
}

}  // namespace
}  // namespace xls
