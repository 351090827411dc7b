#include "workbook/model/number_format_mask.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

constexpr double Dec8th2026 = 46364;  // a Tuesday

std::string Format(std::u16string_view mask, double value) {
    TExcelMask m;
    m.SetMask(mask);
    return base::Utf16ToUtf8(m.FormatNumber(value));
}

struct TMaskCase {
    const char16_t* Mask;
    double Value;
    const char16_t* Ours;
    const char16_t* LibreOffice;
    const char16_t* Why;  // empty when both agree
};

#include "workbook/model/tests/mask_table.inc"

// Numbers, dates, times and elapsed times as LibreOffice's TEXT() writes them (gen_mask_table.py),
// apart from the few decided otherwise, each with its reason in the table.
TEST(NumberFormatMask, AgreesWithLibreOffice) {
    for (const TMaskCase& c : MaskCases) {
        EXPECT_EQ(Format(c.Mask, c.Value), base::Utf16ToUtf8(c.Ours))
            << base::Utf16ToUtf8(c.Mask) << " of " << c.Value << " (LibreOffice: " << base::Utf16ToUtf8(c.LibreOffice)
            << ")";
        if (std::u16string_view(c.Why).empty()) {
            EXPECT_EQ(std::u16string_view(c.Ours), c.LibreOffice);
        }
    }
}

// An elapsed-time group is part of the format wherever it stands (the first bracket group
// included): the "mm" after it is minutes, never the month. Elapsed units count whole units.
TEST(NumberFormatMask, ElapsedGroupsAreKeptAndTruncate) {
    const struct {
        const char16_t* Mask;
        double Value;
        const char* Expected;
    } cases[] = {
        {u"[h]:mm", 1.5 + 7.0 / 1440, "36:07"}, {u"[hh]:mm:ss", 2 - 1.0 / 86400, "47:59:59"},
        {u"[Red][h]:mm", 0.25, "6:00"},         {u"[h]", 0.99, "23"},
        {u"[h]", 1 - 1.0 / 86400, "23"},        {u"[m]", 0.99999, "1439"},
        {u"[ss]", 59.9 / 86400, "59"},          {u"[mm]:ss", 0.5 + 59.0 / 86400, "720:59"},
        {u"[h]:mm;@", 0.75, "18:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.Mask, c.Value), c.Expected) << base::Utf16ToUtf8(c.Mask);
}

// Commas after the last digit placeholder scale by 1000 each, after the decimals too.
TEST(NumberFormatMask, TrailingCommasScaleAfterDecimals) {
    EXPECT_EQ(Format(u"0.0,,\"M\"", 1234567), "1.2M");
    EXPECT_EQ(Format(u"#,##0.00,", 1234567), "1,234.57");
    EXPECT_EQ(Format(u"0.00", 1234.5), "1234.50");
}

TEST(NumberFormatMask, EdgesOfTheGeneralText) {
    EXPECT_EQ(Format(u"General", 1e20), "1E+20");
    EXPECT_EQ(Format(u"General", 0.1 + 0.2), "0.3");
    EXPECT_EQ(Format(u"\"General\"0", 1), "General1");  // not inside quotes
    EXPECT_EQ(Format(u"", 2.5), "2.5");
}

TEST(NumberFormatMask, LongMasksAreRefused) {
    TExcelMask mask;
    EXPECT_THROW(mask.SetMask(std::u16string(256, u'0')), EXLSError);
    mask.SetMask(std::u16string(255, u'0'));
    EXPECT_EQ(mask.FormatNumber(1).size(), 255u);
}

TEST(NumberFormatMask, SeparatorsComeFromTheSettings) {
    TFormatSettings settings;
    settings.SetDecimalSeparator(u',');
    settings.ThousandSeparator = u'.';
    settings.DateSeparator = u'.';
    TExcelMask mask(settings);
    mask.SetMask(u"#,##0.00");
    EXPECT_EQ(mask.FormatNumber(1234.5), u"1.234,50");
    mask.SetMask(u"dd/mm/yyyy");
    EXPECT_EQ(mask.FormatNumber(Dec8th2026), u"08.12.2026");
}

// Fractions of extreme values and masks stay bounded: at most nine denominator digits count,
// huge values keep their whole digits, tiny ones round to a whole number.
TEST(NumberFormatMask, FractionsOfExtremeValues) {
    EXPECT_EQ(Format(u"?/?", 1e20), "100000000000000000000/1");
    EXPECT_EQ(Format(u"# ?/?", -1e-300), "0    ");
    EXPECT_EQ(Format(u"# ???????????????????\?/????????????????????", 0.1),
              "                    1/10                  ");
    EXPECT_EQ(Format(u"?/??????????", 3.14159265358979), "2512390041/799718588 ");
    EXPECT_EQ(Format(u"# ?/999999999", 0.5), " 499999999/999999999");
}

}  // namespace
}  // namespace xls
