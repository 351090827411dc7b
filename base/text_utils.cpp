#include "base/text_utils.h"

#include <locale.h>
#include <cmath>
#include <cstdlib>

#include "base/exception.h"

namespace base {

void SplitAtChar(char16_t c, std::u16string& text, std::u16string& head) {
    const size_t at = text.find(c);
    if (at == std::u16string::npos) {
        head = std::move(text);
        text.clear();
        return;
    }
    head = text.substr(0, at);
    text.erase(0, at + 1);
}

std::u16string_view TrimText(std::u16string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return text.substr(first, last - first);
}

bool TryStrToFloat(std::u16string_view text, double& value, char16_t decimalSeparator) {
    const std::u16string_view t = TrimText(text);
    std::string ascii;
    ascii.reserve(t.size());
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    size_t mantissaDigits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i];
        if (c >= u'0' && c <= u'9') {
            ascii += static_cast<char>(c);
            ++mantissaDigits;
        } else if (c == decimalSeparator && !point) {
            ascii += '.';
            point = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < t.size() && (t[i] == u'E' || t[i] == u'e')) {
        ascii += 'e';
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ascii += static_cast<char>(t[i++]);
        size_t exponentDigits = 0;
        for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i, ++exponentDigits) ascii += static_cast<char>(t[i]);
        if (exponentDigits == 0) return false;
    }
    if (i != t.size()) return false;
    // The grammar is checked above; strtod_l with the "C" locale object converts whatever the
    // process locale says (Qt sets it from the environment).
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    if (!cLocale) throw Exception("No C locale");
    char* end = nullptr;
    const double result = strtod_l(ascii.c_str(), &end, cLocale);
    if (end != ascii.c_str() + ascii.size() || std::isinf(result)) return false;  // overflow is no number
    value = negative ? -result : result;
    return true;
}

}  // namespace base
