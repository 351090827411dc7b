#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "workbook/formula/date_text.h"

namespace xls {
namespace {

TEST(DateTextTest, DatesTimesAndBoth) {
    struct {
        const char16_t* Text;
        double Serial;
        bool HasDate;
    } const good[] = {
        {u"2024-03-15", 45366, true},
        {u"3/15/2024", 45366, true},
        {u" 12/31/99 ", 36525, true},  // two-digit years below 30 are 20xx, the rest 19xx
        {u"1/1/29", 47119, true},
        {u"1900-01-01", 1, true},
        {u"1900-02-28", 59, true},
        {u"1900-03-01", 61, true},
        {u"2024-02-29", 45351, true},
        {u"9999-12-31", 2958465, true},
        {u"12:30", 0.5208333333333334, false},
        {u"6:15:30 PM", 0.7607638888888889, false},
        {u"12:00 am", 0, false},
        {u"12:00 PM", 0.5, false},
        {u"25:00", 25.0 / 24, false},
        {u"0:00:01.5", 1.5 / 86400, false},
        {u"2024-03-15T06:00", 45366.25, true},
        {u"3/15/2024 18:00", 45366.75, true},
    };
    for (const auto& g : good) {
        double serial = -1;
        bool hasDate = !g.HasDate;
        ASSERT_TRUE(DateTextToSerial(g.Text, serial, hasDate)) << base::Utf16ToUtf8(g.Text);
        EXPECT_NEAR(serial, g.Serial, 1e-9) << base::Utf16ToUtf8(g.Text);
        EXPECT_EQ(hasDate, g.HasDate) << base::Utf16ToUtf8(g.Text);
    }
    const char16_t* bad[] = {u"",        u"x",         u"2023-02-29",  u"1899-12-31", u"13/1/2024",  u"1/32/2024",
                             u"2024-1",  u"12:3",      u"12:60",       u"13:00 PM",   u"0:00 AM",    u"2024-01-01 x",
                             u"1/1/202", u"10000-1-1", u"12:00:00:00", u"1e5",        u"2024-01-01T"};
    for (const char16_t* b : bad) {
        double serial = 0;
        bool hasDate = false;
        EXPECT_FALSE(DateTextToSerial(b, serial, hasDate)) << base::Utf16ToUtf8(b);
    }
}

}  // namespace
}  // namespace xls
