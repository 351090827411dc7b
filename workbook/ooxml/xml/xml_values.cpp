#include "workbook/ooxml/xml/xml_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "base/text_utils.h"

namespace xls {

namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The text as ASCII bytes when every unit is ASCII; false otherwise.
bool ToAscii(std::u16string_view text, std::string& ascii) {
    ascii.clear();
    ascii.reserve(text.size());
    for (const char16_t c : text) {
        if (c > 0x7F) return false;
        ascii += static_cast<char>(c);
    }
    return true;
}

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (LowerAscii(text[i]) != lower[i]) return false;
    return true;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

bool TryXmlStrToInt(std::u16string_view text, int32_t& value) {
    std::string ascii;
    if (!ToAscii(base::TrimText(text), ascii) || ascii.empty()) return false;
    size_t i = 0;
    const bool negative = ascii[0] == '-';
    if (ascii[0] == '-' || ascii[0] == '+') ++i;
    int base = 10;
    if (i < ascii.size() && ascii[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < ascii.size() && ascii[i] == '0' && (ascii[i + 1] == 'x' || ascii[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= ascii.size() || ascii[i] == '+' || ascii[i] == '-') return false;
    uint64_t magnitude = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data() + i, end, magnitude, base);
    if (ec != std::errc() || ptr != end) return false;
    if (base == 16 && !negative && magnitude <= 0xFFFFFFFFu) {
        value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));  // hexadecimal fills all 32 bits
        return true;
    }
    const int64_t signedValue = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (magnitude > 0x80000000u || signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t XmlStrToIntDef(std::u16string_view text, int32_t defaultValue) {
    int32_t value = 0;
    return TryXmlStrToInt(text, value) ? value : defaultValue;
}

int32_t XmlHexToIntDef(std::u16string_view text, int32_t defaultValue) {
    if (text.empty() || text[0] != u'#') return XmlStrToIntDef(text, defaultValue);
    if (text.size() < 2 || text.size() > 9) return defaultValue;
    uint32_t value = 0;
    for (const char16_t c : text.substr(1)) {
        const int digit = HexDigit(c);
        if (digit < 0) return defaultValue;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

bool XmlStrToBool(std::u16string_view text) {
    if (EqualsIgnoringCase(text, u"true") || EqualsIgnoringCase(text, u"1") || EqualsIgnoringCase(text, u"t"))
        return true;
    if (EqualsIgnoringCase(text, u"false") || EqualsIgnoringCase(text, u"0") || EqualsIgnoringCase(text, u"f"))
        return false;
    throw base::Exception("Invalid boolean value \"" + base::Utf16ToUtf8(text) + "\"");
}

bool XmlStrToBoolDef(std::u16string_view text, bool defaultValue) {
    try {
        return XmlStrToBool(text);
    } catch (const base::Exception&) {
        return defaultValue;
    }
}

bool TryXmlStrToBool(std::u16string_view text, bool& value) {
    if (EqualsIgnoringCase(text, u"true")) {
        value = true;
        return true;
    }
    if (EqualsIgnoringCase(text, u"false")) {
        value = false;
        return true;
    }
    return false;
}

bool TryXmlStrToFloat(std::u16string_view text, double& value) { return base::TryStrToFloat(text, value, u'.'); }

double XmlStrToFloatDef(std::u16string_view text, double defaultValue) {
    double value = 0;
    return TryXmlStrToFloat(text, value) ? value : defaultValue;
}

double XmlStrToFloat(std::u16string_view text) { return XmlStrToFloatDef(text, 0); }

std::u16string XmlIntToStr(int64_t value) {
    char buffer[24];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Widen(std::string_view(buffer, static_cast<size_t>(ptr - buffer)));
}

std::u16string XmlIntToHex(int32_t value, int digits) {
    char buffer[16];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, static_cast<uint32_t>(value), 16);
    std::u16string text;
    const auto length = static_cast<int>(ptr - buffer);
    if (digits > length) text.assign(static_cast<size_t>(std::min(digits, 16) - length), u'0');
    for (const char* p = buffer; p != ptr; ++p) text += static_cast<char16_t>(*p >= 'a' ? *p - 'a' + 'A' : *p);
    return text;
}

std::u16string XmlIntToHex6(int32_t value) { return XmlIntToHex(value, 6); }

std::u16string XmlFloatToStr(double value) {
    if (!std::isfinite(value)) return u"0";
    if (value == 0) return u"0";
    // The shortest round-trip digits and their decimal exponent, then laid out as general
    // formatting with 15 digits of precision did.
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view scientific(buffer, static_cast<size_t>(ptr - buffer));
    const size_t e = scientific.find('e');
    const bool negative = scientific[0] == '-';
    std::string digits;
    for (const char c : scientific.substr(0, e))
        if (c >= '0' && c <= '9') digits += c;
    int exponent = 0;
    std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'), scientific.data() + scientific.size(),
                    exponent);
    const int pointPosition = exponent + 1;  // digits before the decimal point
    std::string text;
    if (negative) text += '-';
    const auto point = static_cast<size_t>(std::max(pointPosition, 0));
    if (pointPosition > 15 || pointPosition < -3) {
        text += digits[0];
        if (digits.size() > 1) text.append(".").append(digits, 1);
        text.append("E").append(std::to_string(exponent));
    } else if (pointPosition <= 0) {
        text.append("0.").append(static_cast<size_t>(-pointPosition), '0').append(digits);
    } else if (point >= digits.size()) {
        text.append(digits).append(point - digits.size(), '0');
    } else {
        text.append(digits, 0, point).append(".").append(digits, point);
    }
    return Widen(text);
}

std::u16string XmlBoolToStr(bool value) { return value ? u"1" : u"0"; }

void XmlNormalizeSpace(std::u16string& text) {
    const size_t first = text.find_first_not_of(u"\r\n");
    if (first == std::u16string::npos) {
        text.clear();
        return;
    }
    const size_t last = text.find_last_not_of(u"\r\n");
    std::u16string result;
    result.reserve(last - first + 1);
    for (size_t i = first; i <= last; ++i) {
        const char16_t c = text[i];
        if (c == u'\t') continue;
        if (c == u'\r' || c == u'\n') {
            result += u' ';
            if (i < last && (text[i + 1] == u'\r' || text[i + 1] == u'\n') && text[i + 1] != c) ++i;
            continue;
        }
        result += c;
    }
    text = std::move(result);
}

std::u16string XmlStripPrefix(std::u16string_view name) {
    const size_t colon = name.find(u':');
    return std::u16string(colon == std::u16string_view::npos ? name : name.substr(colon + 1));
}

namespace {

bool IsXStringEscape(std::u16string_view text, size_t pos) {
    if (pos + 7 > text.size() || text[pos] != u'_' || text[pos + 1] != u'x' || text[pos + 6] != u'_') return false;
    for (size_t i = pos + 2; i < pos + 6; ++i)
        if (HexDigit(text[i]) < 0) return false;
    return true;
}

}  // namespace

std::u16string XmlEscapeXString(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += c;
            out += text[++i];
        } else if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF || high || low ||
                   (c == u'_' && IsXStringEscape(text, i))) {
            AppendXStringEscape(out, c);
        } else {
            out += c;
        }
    }
    return out;
}

std::u16string XmlUnescapeXString(std::u16string_view text) {
    if (text.find(u"_x") == std::u16string_view::npos) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsXStringEscape(text, i)) {
            char16_t unit = 0;
            for (size_t k = i + 2; k < i + 6; ++k) unit = static_cast<char16_t>(unit * 16 + HexDigit(text[k]));
            out += unit;
            i += 6;
        } else {
            out += text[i];
        }
    }
    return out;
}

void TXpgPErrors::Error(int kind, std::u16string_view name, int row) {
    if (kind == 0) Text_ = u"Unknown Attribute \"" + std::u16string(name) + u"\"";
    if (kind == 1) Text_ = u"Unknown Element \"" + std::u16string(name) + u"\"";
    if (kind == 2) Text_ = u"Unknown Value \"" + std::u16string(name) + u"\"";
    Text_ = u"Row " + XmlIntToStr(row) + u": " + Text_;
    if (OnError_) OnError_(*this);
}

}  // namespace xls
