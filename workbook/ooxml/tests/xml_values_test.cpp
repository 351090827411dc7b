#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <string>

#include "base/exception.h"
#include "platform/testing/time_zone.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/tests/xml_test_support.h"
#include "workbook/ooxml/xml/xml_lists.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {
namespace {

TEST(XmlValues, IntegersAndBooleans) {
    const struct {
        std::u16string Text;
        int32_t Expected;
    } ints[] = {{u"12", 12},
                {u" -7 ", -7},
                {u"$1F", 31},
                {u"0x10", 16},
                {u"$FFFFFFFF", -1},
                {u"2147483647", 2147483647},
                {u"-2147483648", INT32_MIN},
                {u"2147483648", 99},
                {u"1.5", 99},
                {u"", 99},
                {u"x", 99},
                {u"--1", 99}};
    for (const auto& c : ints) EXPECT_EQ(XmlStrToIntDef(c.Text, 99), c.Expected) << testing::Utf8(c.Text);
    EXPECT_EQ(XmlHexToIntDef(u"#FFFFE1", 0), 16777185);
    EXPECT_EQ(XmlHexToIntDef(u"#GG", 5), 5);
    EXPECT_EQ(XmlHexToIntDef(u"12", 0), 12);

    EXPECT_TRUE(XmlStrToBoolDef(u"T", false));
    EXPECT_TRUE(XmlStrToBoolDef(u"TRUE", false));
    EXPECT_FALSE(XmlStrToBoolDef(u"0", true));
    EXPECT_TRUE(XmlStrToBoolDef(u"yes", true));
    bool value = false;
    EXPECT_FALSE(TryXmlStrToBool(u"1", value));
    EXPECT_TRUE(TryXmlStrToBool(u"False", value));
    EXPECT_FALSE(value);
    try {
        XmlStrToBool(u"yes");
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid boolean value \"yes\"");
    }
    EXPECT_EQ(XmlIntToHex(255, 4), u"00FF");
    EXPECT_EQ(XmlIntToHex6(-1), u"FFFFFFFF");
    EXPECT_EQ(XmlIntToHex6(0xABC), u"000ABC");
    EXPECT_EQ(XmlBoolToStr(true), u"1");
}

TEST(XmlValues, FloatsRoundTripAndKeepTheirShortForm) {
    const struct {
        double Value;
        const char16_t* Text;
    } cases[] = {{0, u"0"},
                 {1.5, u"1.5"},
                 {-0.25, u"-0.25"},
                 {0.1, u"0.1"},
                 {1e15, u"1E15"},
                 {123456789012345, u"123456789012345"},
                 {0.0001, u"0.0001"},
                 {0.00001, u"1E-5"},
                 {1.5e20, u"1.5E20"},
                 {100, u"100"},
                 {0.1 + 0.2, u"0.30000000000000004"},
                 {1.0 / 3, u"0.3333333333333333"},
                 {2.5e-300, u"2.5E-300"}};
    for (const auto& c : cases) EXPECT_EQ(XmlFloatToStr(c.Value), c.Text) << c.Value;
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        uint64_t bits = random();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) continue;
        double back = 0;
        ASSERT_TRUE(TryXmlStrToFloat(XmlFloatToStr(value), back)) << value;
        EXPECT_EQ(back, value);
    }
    EXPECT_EQ(XmlStrToFloat(u"1.5"), 1.5);
    EXPECT_EQ(XmlStrToFloat(u"1,5"), 0);
    EXPECT_EQ(XmlStrToFloatDef(u"INF", 7), 7);
    EXPECT_EQ(XmlStrToFloat(u"-2.5E3"), -2500);
}

TEST(XmlValues, DateTimesAreTheSameTextInEveryZone) {
    // 2024-03-05 07:08:09.999 as days since 1899-12-30.
    const double value = 45356 + (7 * 3600 + 8 * 60 + 9.999) / 86400.0;
    for (const char* name : {"UTC0", "Asia/Shanghai", "CST-8"}) {
        platform::testing::TTimeZone zone(name);
        EXPECT_EQ(XmlDateTimeToStr(value), u"2024-03-05T07:08:09Z") << name;
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-05T07:08:09.999Z"), value, 1e-9) << name;
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-05T07:08:09.999"), value, 1e-9) << name;
        // An explicit offset is taken off, whatever the process's own zone.
        EXPECT_NEAR(XmlStrToDateTime(u"2024-03-05T09:08:09.999+02:00"), value, 1e-9) << name;
    }
    EXPECT_EQ(XmlStrToDateTime(u"2024-03-05"), 45356);
    for (const char16_t* bad : {u"2024-02-30", u"2024-3-5", u"05.03.2024", u"2024-03-05T25:00", u"2024-03-05Tx", u""})
        EXPECT_EQ(XmlStrToDateTime(bad), 0) << testing::Utf8(bad);
}

TEST(XmlValues, ConversionsIgnoreTheProcessLocale) {
    // A locale with a decimal comma, compiled into a folder of our own.
    testing::TTempDir dir;
    const auto built = testing::RunCommand("localedef -i de_DE -f UTF-8 " + testing::ShellQuote(dir / "de_DE.UTF-8"));
    ASSERT_EQ(built.ExitCode, 0) << "cannot compile a locale (package locales): " << built.Output;
    ASSERT_EQ(setenv("LOCPATH", dir.Path().c_str(), 1), 0);
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    const std::string inLocale = printed;
    const std::u16string written = XmlFloatToStr(-1234.25);
    const double read = XmlStrToFloat(u"1.5");
    const double comma = XmlStrToFloatDef(u"1,5", -1);
    const std::u16string date = XmlDateTimeToStr(XmlStrToDateTime(u"2024-03-05T07:08:09Z"));
    TExtendedXpgList list;
    list.SetDelimitedText(u"0.5 2.25");
    const std::u16string joined = list.GetDelimitedText();
    std::setlocale(LC_ALL, before.c_str());
    unsetenv("LOCPATH");
    EXPECT_EQ(inLocale, "1,5");
    EXPECT_EQ(written, u"-1234.25");
    EXPECT_EQ(read, 1.5);
    EXPECT_EQ(comma, -1);
    EXPECT_EQ(date, u"2024-03-05T07:08:09Z");
    EXPECT_EQ(joined, u"0.5 2.25");
}

TEST(XmlValues, NamesAndSpaces) {
    EXPECT_EQ(XmlNameHash(u"TargetMode"), 1004);
    EXPECT_EQ(XmlNameHash(std::string_view("Relationship")), 1266);
    EXPECT_EQ(XmlNameHash(u"\u4E3B"), 0x4E + 0x3B);
    static_assert(XmlNameHash(std::string_view("r:id")) == 377);
    static_assert(XmlNameHashRS(std::string_view("ab")) == XmlNameHashRS(std::u16string_view(u"ab")));
    EXPECT_EQ(XmlNameHashRS(std::string_view("a")), 97u);
    EXPECT_EQ(XmlNameHashRS(std::string_view("ab")), 97u * (63689u * 378551u) + 98u);
    EXPECT_EQ(XmlStripPrefix(u"r:id"), u"id");
    EXPECT_EQ(XmlStripPrefix(u"id"), u"id");
    std::u16string text = u"\r\nab\r\ncd\tef\n\rgh\n";
    XmlNormalizeSpace(text);
    EXPECT_EQ(text, u"ab cdef gh");
}

TEST(XmlValues, XStringEscapesRoundTrip) {
    const struct {
        std::u16string Text;
        std::u16string Escaped;
    } cases[] = {
        {u"a\x01"
         u"b",
         u"a_x0001_b"},
        {u"tab\tline\ncr\r", u"tab\tline\ncr\r"},
        {u"_x0041_", u"_x005F_x0041_"},
        {u"_x00_ and _xZZZZ_", u"_x00_ and _xZZZZ_"},
        {u"\xFFFF\xD83D", u"_xFFFF__xD83D_"},
        {u"\xD83D\xDE00", u"\xD83D\xDE00"},
        {u"\u4E2D", u"\u4E2D"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlEscapeXString(c.Text), c.Escaped) << testing::Utf8(c.Escaped);
        EXPECT_EQ(XmlUnescapeXString(c.Escaped), c.Text) << testing::Utf8(c.Escaped);
    }
    EXPECT_EQ(XmlUnescapeXString(u"_x000d__x000A_"), u"\r\n");
}

TEST(XmlErrors, BuildsTheReportAndCallsTheHandler) {
    TXpgPErrors errors;
    std::u16string seen;
    errors.SetOnError([&](TXpgPErrors& sink) { seen = sink.Text(); });
    errors.Error(1, u"foo", 0);
    EXPECT_EQ(seen, u"Row 0: Unknown Element \"foo\"");
    errors.Error(0, u"r:id", 3);
    EXPECT_EQ(seen, u"Row 3: Unknown Attribute \"r:id\"");
}

TEST(XmlLists, TypedListsParseTheirItems) {
    int errors = 0;
    TExtendedXpgList floats;
    floats.SetOnItemError([&](TBaseXpgList&) { ++errors; });
    floats.SetDelimitedText(u"1.5 x 2E3");
    ASSERT_EQ(floats.GetCount(), 2);
    EXPECT_EQ(floats.Items(1), 2000);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(floats.GetDelimitedText(), u"1.5 2000");

    TLongwordXpgList words;
    words.Add(u"4294967295");
    EXPECT_EQ(words.GetItemText(0), "4294967295");
    EXPECT_THROW(words.Add(u"-1"), base::EConvertError);

    TBooleanXpgList flags;
    flags.SetDelimitedText(u"true 1 False");
    EXPECT_EQ(flags.GetCount(), 2);  // "1" is no boolean of a list
    EXPECT_EQ(flags.GetItemText(1), "false");
    EXPECT_THROW(flags.Add(u"maybe"), base::Exception);

    TTDateTimeXpgList dates;
    dates.SetDelimitedText(u"2024-03-05 nonsense");
    EXPECT_EQ(dates.GetCount(), 1);
    EXPECT_EQ(dates.Items(0), 45356);
}

TEST(XmlLists, StringListsFollowTheDelimitedTextRules) {
    TStringXpgList list;
    list.SetDelimitedText(u"  a \"b c\" \"say \"\"hi\"\"\" \u4E2D");
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.Items(1), u"b c");
    EXPECT_EQ(list.Items(2), u"say \"hi\"");
    EXPECT_EQ(list.GetItemText(3), "\xE4\xB8\xAD");
    EXPECT_EQ(list.GetDelimitedText(), u"a \"b c\" \"say \"\"hi\"\"\" \u4E2D");
    EXPECT_EQ(list.IndexOf(u"b c"), 1);
    EXPECT_EQ(list.IndexOf(u"zz"), -1);

    list.SetDelimiter(u',');
    list.SetDelimitedText(u"x,y,");
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetText(), u"x\r\ny\r\n\r\n");
    list.SetDelimitedText(std::u16string(u"a\0b", 3));
    EXPECT_EQ(list.GetCount(), 1);

    TStringXpgList attributes;
    attributes.AddAttribute(u"xmlns:r", u"u&v");
    EXPECT_EQ(attributes.GetItemText(0), "xmlns:r=\"u&v\" ");
}

}  // namespace
}  // namespace xls
