// Text, information and random-number worksheet functions.
#include <clocale>
#include <cwctype>
#include <random>

#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

enum : int {
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
    static std::mt19937_64 engine{std::random_device{}()};
    return static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

// The type of the argument's single value (an area by implicit intersection).
TXLSFormulaValueType ArgumentType(TValueStack& s) {
    uint8_t err = 0;
    const TXLSFormulaValue v = s.ScalarOf(s.PopArgument(), err);
    return err ? fvtError : v.ValType;
}

}  // namespace

bool CallTextFunction(TValueStack& s, int id, int argCount) {
    (void)argCount;
    std::u16string text;
    switch (id) {
        case fnLen:
            if (s.PopArgString(text, true)) s.PushNumber(static_cast<double>(text.size()));
            return true;
        case fnLower:
        case fnUpper:
        case fnProper:
            if (!s.PopArgString(text, true)) return true;
            if (id == fnProper)
                text = Proper(std::move(text));
            else
                for (char16_t& c : text) c = MapCase(c, id == fnUpper);
            s.PushString(std::move(text));
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
        case fnRand: s.PushNumber(Random()); return true;
        case fnIsText: s.PushBoolean(ArgumentType(s) == fvtString); return true;
        case fnIsNumber: s.PushBoolean(ArgumentType(s) == fvtNumber); return true;
        case fnIsBlank: s.PushBoolean(ArgumentType(s) == fvtEmpty); return true;
        default: return false;
    }
}

}  // namespace xls
