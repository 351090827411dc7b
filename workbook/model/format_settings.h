#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace xls {

// The library's own copy of the locale settings, as UTF-16 texts. The original copied the
// process locale when the library started; here the settings are fixed, locale-free defaults
// (English names, decimal ".", list ",") so that files and formula texts never depend on the
// machine. The separators belong to the object: setting them never touches process-wide
// state (the original switched the runtime's global separators). A caller that needs other
// separators works on its own copy.
class TFormatSettings {
public:
    TFormatSettings();

    // Currency string and its formats: CurrencyFormat 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    std::u16string CurrencyString;
    uint8_t CurrencyFormat = 0;
    uint8_t NegCurrFormat = 0;
    uint8_t CurrencyDecimals = 2;
    char16_t ThousandSeparator = u',';
    char16_t DateSeparator = u'/';
    char16_t TimeSeparator = u':';
    std::u16string ShortDateFormat;
    std::u16string LongDateFormat;
    std::u16string TimeAMString;
    std::u16string TimePMString;
    std::u16string ShortTimeFormat;
    std::u16string LongTimeFormat;
    std::array<std::u16string, 12> ShortMonthNames;
    std::array<std::u16string, 12> LongMonthNames;
    // Sunday first, as the class library keeps them.
    std::array<std::u16string, 7> ShortDayNames;
    std::array<std::u16string, 7> LongDayNames;
    uint16_t TwoDigitYearCenturyWindow = 50;

    char16_t GetDecimalSeparator() const { return DecimalSeparator_; }
    char16_t GetListSeparator() const { return ListSeparator_; }
    void SetDecimalSeparator(char16_t value) { DecimalSeparator_ = value; }
    void SetListSeparator(char16_t value) { ListSeparator_ = value; }

private:
    char16_t DecimalSeparator_ = u'.';
    char16_t ListSeparator_ = u',';
};

// The copy made when the library starts; read-only afterwards (a process-wide constant).
const TFormatSettings& DefaultFormatSettings();

}  // namespace xls
