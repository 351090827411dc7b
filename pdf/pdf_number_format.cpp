#include "pdf/pdf_number_format.h"

#include <charconv>
#include <cmath>

namespace pdf {

void AppendPDFFloat(std::string& out, double value) {
    // PDF has no infinities or NaNs; a zero keeps the content stream valid.
    if (!std::isfinite(value)) {
        out += '0';
        return;
    }
    char buffer[330];  // the largest double has 309 integer digits
    char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
    const char* begin = buffer;
    if (end - begin == 2 && begin[0] == '-' && begin[1] == '0') ++begin;  // -0.00001 reads 0
    out.append(begin, size_t(end - begin));
}

std::string FormatPDFFloat(double value) {
    std::string text;
    AppendPDFFloat(text, value);
    return text;
}

void AppendPDFInt(std::string& out, int64_t value) {
    char buffer[24];
    out.append(buffer, size_t(std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer));
}

std::string FormatPDFInt(int64_t value) {
    std::string text;
    AppendPDFInt(text, value);
    return text;
}

}  // namespace pdf
