// Text, information and random-number worksheet functions.
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cwctype>
#include <random>

#include "base/text_encoding.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/format_settings.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

enum : int {
    fnDollar = 13,
    fnFixed = 14,
    fnMid = 31,
    fnRept = 30,
    fnLen = 32,
    fnTrue = 34,
    fnFalse = 35,
    fnRand = 63,
    fnLower = 112,
    fnUpper = 113,
    fnProper = 114,
    fnIsText = 127,
    fnIsNumber = 128,
    fnIsBlank = 129,
    fnChar = 111,
    fnLeft = 115,
    fnRight = 116,
    fnExact = 117,
    fnTrim = 118,
    fnCode = 121,
    fnT = 130,
};

// The longest text a cell holds.
constexpr size_t MaxTextLength = 32767;

// Simple Unicode case mapping of one UTF-16 unit (surrogates stay as they are).
char16_t MapCase(char16_t c, bool upper) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!utf8 || (c >= 0xD800 && c <= 0xDFFF)) return c;
    const wint_t m = upper ? towupper_l(c, utf8) : towlower_l(c, utf8);
    return m <= 0xFFFF ? static_cast<char16_t>(m) : c;
}

bool IsLetter(char16_t c) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return utf8 && c < 0xD800 && iswalpha_l(c, utf8);
}

// Upper case after anything that is not a letter, lower case after a letter.
std::u16string Proper(std::u16string text) {
    bool afterLetter = false;
    for (char16_t& c : text) {
        c = MapCase(c, !afterLetter);
        afterLetter = IsLetter(c);
    }
    return text;
}

// A double in [0, 1): 53 random bits, never 1.
double Random() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

// x rounded half away from zero to decimals places (negative: left of the point) and written
// with them, the integer part in groups of three when grouped; "-" before a negative value.
std::u16string FixedText(double x, int decimals, bool grouped) {
    x = RoundHalfAway(x, decimals);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", std::max(decimals, 0), std::fabs(x));
    std::string digits(buf);
    const size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    const std::string fraction = point == std::string::npos ? "" : digits.substr(point);
    if (grouped)
        for (size_t i = whole.size(); i > 3; i -= 3) whole.insert(i - 3, 1, ',');
    const std::string text = (x < 0 ? "-" : "") + whole + fraction;
    return std::u16string(text.begin(), text.end());
}

// DOLLAR and FIXED: the number, then the decimals (default 2, at most 127), for FIXED a flag
// that leaves out the thousands separators.
void FormatNumber(TValueStack& s, int id, int argCount) {
    bool noCommas = false;
    if (id == fnFixed && argCount == 3 && !s.PopArgBoolean(noCommas)) return;
    int decimals = 2;
    if (argCount >= 2 && !s.PopArgInteger(decimals)) return;
    double x = 0;
    if (!s.PopArgNumber(x)) return;
    if (decimals > 127) return s.PushError(errValue);
    decimals = std::max(decimals, -308);
    if (id == fnFixed) return s.PushString(FixedText(x, decimals, !noCommas));
    std::u16string text = FixedText(std::fabs(x), decimals, true);
    const TFormatSettings& f = DefaultFormatSettings();
    // The currency's place and the negative pattern of the format settings: "$1" and "($1)".
    text = f.CurrencyString + text;
    if (RoundHalfAway(x, decimals) < 0) text = f.NegCurrFormat == 0 ? u"(" + text + u")" : u"-" + text;
    s.PushString(std::move(text));
}

// LEFT and RIGHT: the text, then the count (default 1, never negative).
void LeftRight(TValueStack& s, int id, int argCount) {
    int n = 1;
    if (argCount == 2 && !s.PopArgInteger(n)) return;
    std::u16string text;
    if (!s.PopArgString(text, true)) return;
    if (n < 0) return s.PushError(errValue);
    const size_t count = std::min(static_cast<size_t>(n), text.size());
    s.PushString(id == fnLeft ? text.substr(0, count) : text.substr(text.size() - count));
}

// TRIM takes the spaces off both ends and leaves one of each run inside.
std::u16string Trim(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u' ' && (out.empty() || out.back() == u' ')) continue;
        out += c;
    }
    if (!out.empty() && out.back() == u' ') out.pop_back();
    return out;
}

// The type of the argument's single value (an area by implicit intersection).
TXLSFormulaValueType ArgumentType(TValueStack& s) {
    uint8_t err = 0;
    const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
    return err ? fvtError : v.ValType;
}

}  // namespace

std::u16string TextCase(std::u16string text, bool upper) {
    for (char16_t& c : text) c = MapCase(c, upper);
    return text;
}

bool CallTextFunction(TValueStack& s, int id, int argCount) {
    std::u16string text;
    switch (id) {
        case fnLen:
            if (s.PopArgString(text, true)) s.PushNumber(static_cast<double>(text.size()));
            return true;
        case fnLower:
        case fnUpper:
        case fnProper:
            if (!s.PopArgString(text, true)) return true;
            s.PushString(id == fnProper ? Proper(std::move(text)) : TextCase(std::move(text), id == fnUpper));
            return true;
        case fnRept: {
            int count = 0;
            if (!s.PopArgInteger(count) || !s.PopArgString(text, true)) return true;
            if (count < 0 || (count > 0 && text.size() * static_cast<size_t>(count) > MaxTextLength))
                return s.PushError(errValue), true;
            std::u16string out;
            for (int i = 0; i < count; ++i) out += text;
            s.PushString(std::move(out));
            return true;
        }
        case fnTrue:
        case fnFalse: s.PushBoolean(id == fnTrue); return true;
        case fnDollar:
        case fnFixed: FormatNumber(s, id, argCount); return true;
        case fnMid: {
            int count = 0;
            int start = 0;
            if (!s.PopArgInteger(count) || !s.PopArgInteger(start) || !s.PopArgString(text, true)) return true;
            if (start < 1 || count < 0) return s.PushError(errValue), true;
            const auto first = static_cast<size_t>(start - 1);
            s.PushString(first < text.size() ? text.substr(first, static_cast<size_t>(count)) : u"");
            return true;
        }
        case fnLeft:
        case fnRight: LeftRight(s, id, argCount); return true;
        case fnChar: {
            int code = 0;
            if (!s.PopArgInteger(code)) return true;
            if (code < 1 || code > 255) return s.PushError(errValue), true;
            // Codes of the Western ANSI code page.
            const std::string byte(1, static_cast<char>(code));
            s.PushString(base::CodePageToUtf16(byte, 1252));
            return true;
        }
        case fnCode:
            if (!s.PopArgString(text, true)) return true;
            text.empty() ? s.PushError(errValue) : s.PushNumber(text[0]);
            return true;
        case fnExact: {
            std::u16string other;
            if (!s.PopArgString(other, true) || !s.PopArgString(text, true)) return true;
            s.PushBoolean(text == other);
            return true;
        }
        case fnTrim:
            if (s.PopArgString(text, true)) s.PushString(Trim(text));
            return true;
        case fnT: {
            uint8_t err = 0;
            const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
            if (err || v.ValType == fvtError) return s.PushError(err ? err : v.BoolErr), true;
            s.PushString(v.ValType == fvtString ? v.Str : u"");
            return true;
        }
        case fnRand: s.PushNumber(Random()); return true;
        case fnIsText: s.PushBoolean(ArgumentType(s) == fvtString); return true;
        case fnIsNumber: s.PushBoolean(ArgumentType(s) == fvtNumber); return true;
        case fnIsBlank: s.PushBoolean(ArgumentType(s) == fvtEmpty); return true;
        default: return CallTextEditFunction(s, id, argCount) || CallInfoMathFunction(s, id, argCount);
    }
}

}  // namespace xls
