#include "console/conversions.h"

#include <limits>

namespace console {
namespace {

[[noreturn]] void NotAnInteger(const QString& text) {
    throw base::EConvertError("'" + text.toStdString() + "' is not a valid integer value");
}

[[noreturn]] void NotAFloat(const QString& text) {
    throw base::EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
}

}  // namespace

int32_t StrToInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    }
    if (i >= text.size()) NotAnInteger(text);
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (base == 16 && c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (base == 16 && c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        if (digit < 0) NotAnInteger(text);
        value = value * base + digit;
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) NotAnInteger(text);
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) NotAnInteger(text);
    return static_cast<int32_t>(value);
}

uint8_t StrToByte(const QString& text) {
    const int32_t value = StrToInt(text);
    if (value < 0 || value > 255) throw ERangeError();
    return static_cast<uint8_t>(value);
}

int32_t TenthsOf(const QString& input) {
    const QString text = input.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int64_t whole = 0;
    int digits = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i, ++digits) {
        whole = whole * 10 + text[i].digitValue();
        if (whole > 1000000000) NotAFloat(input);
    }
    int tenth = 0;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            tenth = text[i].digitValue();
            ++digits;
        }
        for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) ++digits;
    }
    if (digits == 0 || i != text.size()) NotAFloat(input);
    const int64_t tenths = (whole * 10 + tenth) * (negative ? -1 : 1);
    if (tenths > std::numeric_limits<int32_t>::max() || tenths < std::numeric_limits<int32_t>::min()) NotAFloat(input);
    return static_cast<int32_t>(tenths);
}

}  // namespace console
