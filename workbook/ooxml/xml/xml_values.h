#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace xls {

// Conversions between the text of XML attributes and typed values, shared by every binding.
// All of them are locale-free: "." is the only decimal separator, whatever the process says.

// Decimal, or hexadecimal after "$" or "0x"; an optional sign and blanks around. Default when
// the text is no integer or out of the 32-bit range.
int32_t XmlStrToIntDef(std::u16string_view text, int32_t defaultValue);
// "#" followed by hexadecimal digits (a colour written "#FFFFE1"), else as XmlStrToIntDef.
int32_t XmlHexToIntDef(std::u16string_view text, int32_t defaultValue);
bool TryXmlStrToInt(std::u16string_view text, int32_t& value);

// "true", "1", "t" and "false", "0", "f" in any letter case; anything else raises
// 'Invalid boolean value "%s"'.
bool XmlStrToBool(std::u16string_view text);
bool XmlStrToBoolDef(std::u16string_view text, bool defaultValue);
// "true" or "false" only (any letter case).
bool TryXmlStrToBool(std::u16string_view text, bool& value);

// A number with "." as decimal separator and an optional exponent; 0 (or Default) when the
// text is no finite number.
double XmlStrToFloat(std::u16string_view text);
double XmlStrToFloatDef(std::u16string_view text, double defaultValue);
bool TryXmlStrToFloat(std::u16string_view text, double& value);

// Date-time values and their text: the one conversion of base, which the model uses too.
using base::TryXmlStrToDateTime;
using base::XmlDateTimeToStr;
using base::XmlStrToDateTime;

std::u16string XmlIntToStr(int64_t value);
// Upper-case hexadecimal with at least 6 (or digits) digits; negative values as 32-bit.
std::u16string XmlIntToHex6(int32_t value);
std::u16string XmlIntToHex(int32_t value, int digits);
// The shortest text that reads back as the same double; plain notation for decimal exponents
// from -4 to 15 (as 15-digit general formatting gave), else "1.5E20" / "1E-5".
std::u16string XmlFloatToStr(double value);
std::u16string XmlBoolToStr(bool value);

// Leading and trailing CR and LF removed; tabs dropped; every CR, LF, CR LF or LF CR becomes
// one space.
void XmlNormalizeSpace(std::u16string& text);
// The part after the first ":", or the whole name.
std::u16string XmlStripPrefix(std::u16string_view name);

// Name hashes the generated readers switch on. XmlNameHash sums the low and high bytes of
// every UTF-16 unit (for ASCII the sum of the character codes; the reader's QNameHash and
// NameHash give the same for ASCII names). The RS hash: hash := hash * a + unit, a starting at
// 63689 and multiplied by 378551 after each unit, in wrapping 32-bit arithmetic.
constexpr int32_t XmlNameHash(std::u16string_view text) {
    int32_t sum = 0;
    for (const char16_t c : text) sum += (c & 0xFF) + (c >> 8);
    return sum;
}
// The same over the bytes of an ASCII (8-bit) name, usable in constant expressions.
constexpr int32_t XmlNameHash(std::string_view name) {
    int32_t sum = 0;
    for (const char c : name) sum += static_cast<uint8_t>(c);
    return sum;
}
constexpr uint32_t XmlNameHashRS(std::u16string_view text) {
    uint32_t hash = 0;
    uint32_t a = 63689;
    for (const char16_t c : text) {
        hash = hash * a + c;
        a *= 378551u;
    }
    return hash;
}
constexpr uint32_t XmlNameHashRS(std::string_view name) {
    uint32_t hash = 0;
    uint32_t a = 63689;
    for (const char c : name) {
        hash = hash * a + static_cast<uint8_t>(c);
        a *= 378551u;
    }
    return hash;
}

// SpreadsheetML strings (ST_Xstring) carry characters that XML cannot hold as "_xHHHH_" (four
// hexadecimal digits of the UTF-16 unit). Escaping writes control characters other than tab,
// LF and CR, U+FFFE, U+FFFF and unpaired surrogates in that form, and an underscore that would
// otherwise start such a sequence as "_x005F_", so that unescaping gives back the text exactly.
std::u16string XmlEscapeXString(std::u16string_view text);
// Every "_xHHHH_" (either letter case of the digits) becomes its UTF-16 unit.
std::u16string XmlUnescapeXString(std::u16string_view text);
// Appends "_xHHHH_" for one unit (upper-case digits) to a UTF-8 or UTF-16 string.
template <typename TString>
void AppendXStringEscape(TString& out, char16_t unit) {
    constexpr char Digits[] = "0123456789ABCDEF";
    out += '_';
    out += 'x';
    for (int shift = 12; shift >= 0; shift -= 4)
        out += static_cast<typename TString::value_type>(Digits[(unit >> shift) & 0xF]);
    out += '_';
}

// The sink to which a part document reports unknown elements and attributes.
class TXpgPErrors {
public:
    using TErrorEvent = std::function<void(TXpgPErrors& sender)>;

    void SetOnError(TErrorEvent handler) { OnError_ = std::move(handler); }
    // Kind 0: 'Unknown Attribute "name"', kind 1: 'Unknown Element "name"', kind 2:
    // 'Unknown Value "name"' (an attribute value outside its type), another kind keeps
    // the last text; then "Row <row>: " goes before it and OnError is called. Never raises on
    // its own.
    void Error(int kind, std::u16string_view name, int row);

    const std::u16string& Text() const { return Text_; }
    int Mode = 0;

private:
    std::u16string Text_;
    TErrorEvent OnError_;
};

}  // namespace xls
