#include "pdf/pdf_encoding.h"

#include <utility>

#include "pdf/pdf_number_format.h"

namespace pdf {

std::string EscapeString(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '\n': result += "\\n"; break;
            case '\r': result += "\\r"; break;
            case '(': result += "\\("; break;
            case ')': result += "\\)"; break;
            case '\\': result += "\\\\"; break;
            default: result += c;
        }
    }
    return result;
}

std::string ZeroPad(int64_t value, int width) {
    std::string digits = FormatPDFInt(value);
    if (int(digits.size()) < width) digits.insert(0, size_t(width) - digits.size(), '0');
    return digits;
}

std::string ReplaceCharByText(std::string_view text, char character, std::string_view replacement) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == character)
            result += replacement;
        else
            result += c;
    }
    return result;
}

void OrderRect(int& x1, int& y1, int& x2, int& y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
}

int CharsetToCodePage(uint8_t charset) {
    switch (charset) {
        case 77: return 10000;
        case 128: return 932;
        case 129: return 949;
        case 130: return 1361;
        case 134: return 936;
        case 136: return 950;
        case 161: return 1253;
        case 162: return 1254;
        case 163: return 1258;
        case 177: return 1255;
        case 178: return 1256;
        case 186: return 1257;
        case 204: return 1251;
        case 222: return 874;
        case 238: return 1250;
        default: return 1252;
    }
}

}  // namespace pdf
