#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/format_settings.h"

namespace xls {

// The kinds of a number-format token.
enum TMaskKind : uint8_t {
    mkNone = 0,  // "@" and the sign after "E": the section's flags decide
    mkChar = 1,
    mkText = 2,
    mkDigitOptional = 3,  // "#"
    mkDigitSpace = 4,     // "?"
    mkDigitZero = 5,      // "0"
    mkYear2 = 6,
    mkYear4 = 7,
    mkMonth = 8,
    mkMonth2 = 9,
    mkMonthShort = 10,
    mkMonthLong = 11,
    mkMonthLetter = 12,
    mkDay = 13,
    mkDay2 = 14,
    mkDayShort = 15,
    mkDayLong = 16,
    mkHour = 17,
    mkHour2 = 18,
    mkHour12 = 19,
    mkHour12_2 = 20,
    mkElapsedHours = 21,
    mkMinute = 22,
    mkMinute2 = 23,
    mkElapsedMinutes = 24,
    mkSecond = 25,
    mkSecond2 = 26,
    mkElapsedSeconds = 27,
    mkAmPmUpper = 28,  // "AM/PM"
    mkAmPmLower = 29,  // "am/pm"
    mkAP = 30,         // "a/p"
    mkDecimal = 31,
    mkPercent = 32,
    mkNumberStart = 33,  // where the digits that no placeholder takes stand
    mkFractionBar = 34,  // "/" between a numerator's and a denominator's placeholders; Text holds a
                         // fixed denominator ("# ?/8")
};

struct TMaskData {
    TMaskKind Kind = mkNone;
    char16_t Char = 0;
    std::u16string Text;
};

// Section flags.
enum : uint8_t {
    msfText = 0x01,
    msfThousands = 0x02,
    msfDecimal = 0x04,
    msfPercent = 0x08,
    msfScientific = 0x10,
    msfDateTime = 0x20,
    msfZero = 0x40,
};

// Turns a number into text by a spreadsheet number format ("0.00", "#,##0", "yyyy-mm-dd",
// "h:mm AM/PM", "[h]:mm", "# ?/?", up to four sections separated by ";"). Month and day names and the
// separators come from the settings given, never from the process locale.
class TExcelMask {
public:
    explicit TExcelMask(const TFormatSettings& settings = DefaultFormatSettings()) : Settings_(settings) {}

    // Raises "Format string more than 255 characthers" for 256 characters or more.
    void SetMask(std::u16string_view mask);
    // Negative values take the second section (formatting the absolute value) when there is
    // one, zero the third when there is one, everything else the first.
    std::u16string FormatNumber(double value) const;

private:
    struct TSection {
        bool Present = false;
        std::vector<TMaskData> Tokens;
        uint8_t Flags = 0;
        int DecimalIndex = -1;
        int Decimals = 0;
        int Commas = 0;
        int ExponentDigits = 0;
        bool ExponentPlus = false;
        int FractionBar = -1;  // index of the mkFractionBar token of a fraction ("# ?/?")
    };

    static void ParseSection(std::u16string_view text, TSection& section);
    std::u16string FormatSection(const TSection& section, double value) const;
    std::u16string FormatDateTime(const TSection& section, double value) const;
    std::u16string FormatScientific(const TSection& section, double value) const;
    std::u16string FormatDigits(const TSection& section, double value) const;
    // Placeholders tokens[begin, end) filled from the right with the digits of a whole number
    // (thousands separators when thousands is set); forceZero shows a zero value as "0".
    std::u16string PlaceDigits(const TSection& section, size_t begin, size_t end, double value, bool thousands,
                               bool forceZero) const;
    std::u16string FormatFraction(const TSection& section, double value) const;

    const TFormatSettings& Settings_;
    std::array<TSection, 4> Sections_;
};

// The general number text: at most 15 significant digits, with an exponent ("1E+20",
// "1E-05") below 1E-4 and from 1E+15; locale-free.
std::u16string GeneralNumberText(double value, char16_t decimalSeparator = u'.');

}  // namespace xls
