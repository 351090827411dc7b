#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "test_util.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/format_settings.h"
#include "workbook/model/integer_list.h"
#include "workbook/model/pointer_memory_stream.h"
#include "workbook/model/utils.h"

namespace xls {
namespace {

using test::U8;

TEST(Utils, CharacterSearches) {
    TCharSet256 set;
    set.set('a');
    set.set(0xE9);
    EXPECT_TRUE(WideCharInSet(u'a', set));
    EXPECT_TRUE(WideCharInSet(u'\u00E9', set));
    EXPECT_FALSE(WideCharInSet(u'b', set));
    // 0x1E9 has the same low byte as 0xE9 but is never a member.
    EXPECT_FALSE(WideCharInSet(u'\u01E9', set));

    EXPECT_EQ(WideCharPos(u'b', u"abcb"), 2);
    EXPECT_EQ(WideCharPos(u'z', u"abcb"), -1);
    EXPECT_EQ(WideCharPos(u'a', u""), -1);
    EXPECT_EQ(LastWideCharPos(u'b', u"abcb"), 4);
    EXPECT_EQ(LastWideCharPos(u'z', u"abcb"), -1);
    EXPECT_EQ(CharPos('!', u"Sheet1!A1"), 7);
    EXPECT_EQ(CharPos('\xE9', u"caf\u00E9"), 4);  // an 8-bit character is its code
    EXPECT_EQ(LastCharPos(':', u"A1:B2:C3"), 6);
    EXPECT_EQ(LastCharPos(':', u"A1"), -1);
}

TEST(Utils, SplitAtChar) {
    std::u16string text = u"first second", head;
    SplitAtChar(u' ', text, head);
    EXPECT_EQ(U8(head), "first");
    EXPECT_EQ(U8(text), "second");
    text = u"whole";
    SplitAtChar(u' ', text, head);
    EXPECT_EQ(U8(head), "whole");
    EXPECT_TRUE(text.empty());
    text = u" lead";
    SplitAtChar(u' ', text, head);
    EXPECT_TRUE(head.empty());
    EXPECT_EQ(U8(text), "lead");
}

TEST(Utils, StrCRC32) {
    EXPECT_EQ(StrCRC32("x", 0), -1);
    EXPECT_EQ(StrCRC32("x", -5), -1);
    EXPECT_EQ(StrCRC32(u""), -1);
    // CRC-32 of "123456789" is 0xCBF43926; the register before the final inversion is its
    // complement.
    EXPECT_EQ(static_cast<uint32_t>(StrCRC32("123456789", 9)), ~0xCBF43926u);
}

TEST(Utils, EmuConversions) {
    EXPECT_DOUBLE_EQ(EmuToCm(360000), 1.0);
    EXPECT_DOUBLE_EQ(EmuToCm(-180000), -0.5);
    EXPECT_EQ(CmToEmu(1.0), 360000);
    EXPECT_EQ(CmToEmu(2.54), 914400);
    // Ties go to even: 2^-7 cm is 2812.5 EMU, 3 x 2^-7 cm is 8437.5 EMU.
    EXPECT_EQ(CmToEmu(0.0078125), 2812);
    EXPECT_EQ(CmToEmu(0.0234375), 8438);
    EXPECT_EQ(CmToEmu(-0.0078125), -2812);
    EXPECT_THROW(CmToEmu(std::numeric_limits<double>::quiet_NaN()), EXLSError);
    EXPECT_THROW(CmToEmu(1e300), EXLSError);
}

TEST(Utils, RoundToDigits) {
    struct Case {
        double Value;
        int Digits;
        double Expected;
    };
    const Case cases[] = {
        {2.5, 0, 3},      {-2.5, 0, -3},    {2.4, 0, 2},       {-2.4, 0, -2}, {3.5, 0, 4},
        {1.25, 1, 1.3},   {-1.25, 1, -1.3}, {1.2345, 2, 1.23}, {0, 3, 0},     {1234.5, -2, 1200},
        {1250, -2, 1300}, {0.5, 0, 1},      {-0.5, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(RoundToDigits(c.Value, c.Digits), c.Expected) << c.Value << " to " << c.Digits;
}

TEST(Utils, TryStrToFloat) {
    struct Case {
        std::u16string Text;
        bool Ok;
        double Value;
    };
    const Case cases[] = {
        {u"1", true, 1},      {u"-1.5", true, -1.5}, {u"+2", true, 2},      {u" 3.25 ", true, 3.25},
        {u"1e3", true, 1000}, {u"1E-2", true, 0.01}, {u".5", true, 0.5},    {u"5.", true, 5},
        {u"1e400", false, 0}, {u"1e-400", true, 0},  {u"", false, 0},       {u" ", false, 0},
        {u".", false, 0},     {u"-", false, 0},      {u"1e", false, 0},     {u"1e+", false, 0},
        {u"1,5", false, 0},   {u"1 000", false, 0},  {u"INF", false, 0},    {u"nan", false, 0},
        {u"0x10", false, 0},  {u"1.2.3", false, 0},  {u"\uFF11", false, 0}, {u"12abc", false, 0},
    };
    for (const Case& c : cases) {
        double value = -99;
        EXPECT_EQ(TryStrToFloat(c.Text, value), c.Ok) << U8(c.Text);
        if (c.Ok) {
            EXPECT_DOUBLE_EQ(value, c.Value) << U8(c.Text);
        }
    }
    double value = 0;
    EXPECT_TRUE(TryStrToFloat(u"1,5", value, u','));
    EXPECT_DOUBLE_EQ(value, 1.5);
    EXPECT_FALSE(TryStrToFloat(u"1.5", value, u','));
}

TEST(Utils, TryCurrencyStrToFloat) {
    double value = 0;
    // The library's fixed settings: "$" before the amount.
    EXPECT_TRUE(TryCurrencyStrToFloat(u" $12.5 ", value));
    EXPECT_DOUBLE_EQ(value, 12.5);
    EXPECT_FALSE(TryCurrencyStrToFloat(u"12.5$", value));
    EXPECT_FALSE(TryCurrencyStrToFloat(u"12.5", value));
    EXPECT_FALSE(TryCurrencyStrToFloat(u"$", value));
    EXPECT_FALSE(TryCurrencyStrToFloat(u"", value));

    TFormatSettings after;
    after.CurrencyString = u"\u5143";  // 元
    after.CurrencyFormat = 1;
    EXPECT_TRUE(TryCurrencyStrToFloat(u"12.5\u5143", value, after));
    EXPECT_DOUBLE_EQ(value, 12.5);
    EXPECT_FALSE(TryCurrencyStrToFloat(u"\u514312.5", value, after));
    after.CurrencyFormat = 3;
    after.CurrencyString = u" kr";
    EXPECT_TRUE(TryCurrencyStrToFloat(u"-3 kr", value, after));
    EXPECT_DOUBLE_EQ(value, -3);
    TFormatSettings before;
    before.CurrencyFormat = 2;
    before.CurrencyString = u"\u00A5";
    EXPECT_TRUE(TryCurrencyStrToFloat(u"\u00A5 7", value, before));
    EXPECT_DOUBLE_EQ(value, 7);
}

TEST(Utils, SortDoubleArray) {
    std::vector<double> empty;
    SortDoubleArray(empty);
    std::vector<double> one{3};
    SortDoubleArray(one);
    EXPECT_EQ(one, std::vector<double>{3});

    std::vector<double> values{3, -1, 2.5, 3, -7, 0, 2.5};
    SortDoubleArray(values);
    EXPECT_EQ(values, (std::vector<double>{-7, -1, 0, 2.5, 2.5, 3, 3}));

    // Sorted, reversed and constant inputs of a million values: no deep recursion.
    std::vector<double> sorted(1'000'000);
    for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = static_cast<double>(i);
    std::vector<double> reversed(sorted.rbegin(), sorted.rend());
    std::vector<double> constant(1'000'000, 4.0);
    SortDoubleArray(sorted);
    SortDoubleArray(reversed);
    SortDoubleArray(constant);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    EXPECT_EQ(reversed, sorted);
    EXPECT_TRUE(std::all_of(constant.begin(), constant.end(), [](double v) { return v == 4.0; }));

    // NaNs go last and leave the numbers in order.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> withNan{2, nan, 1, nan, 0};
    SortDoubleArray(withNan);
    EXPECT_EQ(withNan[0], 0);
    EXPECT_EQ(withNan[1], 1);
    EXPECT_EQ(withNan[2], 2);
    EXPECT_TRUE(std::isnan(withNan[3]) && std::isnan(withNan[4]));

    std::mt19937 rng(5);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    std::vector<double> random(10000);
    for (double& v : random) v = dist(rng);
    std::vector<double> expected = random;
    std::sort(expected.begin(), expected.end());
    SortDoubleArray(random);
    EXPECT_EQ(random, expected);
}

TEST(Utils, SmallHelpers) {
    EXPECT_TRUE(AllCharsBelow256(u"caf\u00E9\u00FF"));
    EXPECT_FALSE(AllCharsBelow256(u"\u0100"));
    EXPECT_TRUE(AllCharsBelow256(u""));
    EXPECT_EQ(ClampInt(-5, 0, 10), 0);
    EXPECT_EQ(ClampInt(15, 0, 10), 10);
    EXPECT_EQ(ClampInt(5, 0, 10), 5);
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_EQ(BoolToInt(false), 0);
    EXPECT_EQ(U8(IndentText(3)), "      ");
    EXPECT_EQ(IndentText(0), u"");
    EXPECT_EQ(IndentText(-2), u"");
    EXPECT_EQ(U8(TrimText(u" \t x y \r\n")), "x y");
}

TEST(Utils, IsZipStream) {
    base::TMemoryStream zip;
    zip.WriteBuffer("PK\x03\x04rest", 8);
    zip.SetPosition(0);
    EXPECT_TRUE(IsZipStream(zip));
    EXPECT_EQ(zip.Position(), 0);

    base::TMemoryStream other;
    other.WriteBuffer("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    other.SetPosition(0);
    EXPECT_FALSE(IsZipStream(other));
    EXPECT_EQ(other.Position(), 0);

    // Shorter than 4 bytes: false, and the position moves back by what was read.
    base::TMemoryStream shortStream;
    shortStream.WriteBuffer("PK", 2);
    shortStream.SetPosition(0);
    EXPECT_FALSE(IsZipStream(shortStream));
    EXPECT_EQ(shortStream.Position(), 0);
    base::TMemoryStream empty;
    EXPECT_FALSE(IsZipStream(empty));
    EXPECT_EQ(empty.Position(), 0);
}

TEST(Utils, WideUpperCaseStr) {
    EXPECT_EQ(U8(WideUpperCaseStr(u"abc.png xyz")), "ABC.PNG XYZ");
    EXPECT_EQ(WideUpperCaseStr(u"caf\u00E9 \u0436 \u03C3 \uFF41"), u"CAF\u00C9 \u0416 \u03A3 \uFF21");
    EXPECT_EQ(WideUpperCaseStr(u"\u5B8B\u4F53 123"), u"\u5B8B\u4F53 123");
    // Unit by unit: a lone surrogate stays as it is.
    const std::u16string lone(1, static_cast<char16_t>(0xD800));
    EXPECT_EQ(WideUpperCaseStr(lone), lone);
}

TEST(FormatSettings, FixedDefaults) {
    const TFormatSettings& s = DefaultFormatSettings();
    EXPECT_EQ(s.GetDecimalSeparator(), u'.');
    EXPECT_EQ(s.GetListSeparator(), u',');
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(U8(s.LongMonthNames[0]), "January");
    EXPECT_EQ(U8(s.ShortDayNames[0]), "Sun");
    EXPECT_EQ(U8(s.TimeAMString), "AM");
    EXPECT_EQ(&s, &DefaultFormatSettings());
    // A copy's separators are its own.
    TFormatSettings copy = s;
    copy.SetDecimalSeparator(u',');
    copy.SetListSeparator(u';');
    EXPECT_EQ(copy.GetDecimalSeparator(), u',');
    EXPECT_EQ(copy.GetListSeparator(), u';');
    EXPECT_EQ(DefaultFormatSettings().GetDecimalSeparator(), u'.');
}

TEST(IntegerList, AddGetPop) {
    TIntegerList list;
    EXPECT_EQ(list.Add(10), 0);
    EXPECT_EQ(list.Add(-20), 1);
    EXPECT_EQ(list.Add(30), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetItems(1), -20);
    list.SetItems(1, 5);
    EXPECT_EQ(list.GetItems(1), 5);
    EXPECT_EQ(list.Pop(), 30);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.GetItems(2), EListError);
    EXPECT_THROW(list.GetItems(-1), EListError);
    list.Clear();
    EXPECT_THROW(list.Pop(), EListError);
    try {
        list.GetItems(7);
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
}

TEST(PointerMemoryStream, ReadsAndWritesForeignMemory) {
    uint8_t memory[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    TPointerMemoryStream stream;
    stream.SetPointer(memory, 8);
    EXPECT_EQ(stream.Size(), 8);
    uint8_t buffer[4] = {};
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(buffer[3], 4);
    const uint8_t data[6] = {9, 9, 9, 9, 9, 9};
    // Writes stop at the end of the memory: it never grows.
    EXPECT_EQ(stream.Write(data, 6), 4);
    EXPECT_EQ(memory[4], 9);
    EXPECT_EQ(memory[7], 9);
    EXPECT_EQ(stream.Write(data, 1), 0);
    EXPECT_EQ(stream.Read(buffer, 1), 0);
    stream.SetPosition(0);
    EXPECT_EQ(stream.Read(buffer, 4), 4);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_THROW(stream.SetSize(16), base::EStreamError);
    EXPECT_NO_THROW(stream.SetSize(8));
    EXPECT_THROW(stream.Seek(-1, base::TSeekOrigin::soBeginning), base::EStreamError);
    EXPECT_THROW(stream.SetPointer(nullptr, 4), base::EStreamError);
    stream.SetPointer(nullptr, 0);
    EXPECT_EQ(stream.Read(buffer, 4), 0);
    EXPECT_TRUE(IsZipStream(stream) == false);
}

}  // namespace
}  // namespace xls
