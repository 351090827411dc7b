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
    const double scaled = value * 10000.0;
    if (std::fabs(scaled) < 1e15) {
        // Fast path for every coordinate a page can hold: ten-thousandths as an integer,
        // rounded half away from zero.
        const int64_t units = std::llround(scaled);
        if (units < 0) out += '-';
        const uint64_t magnitude = units < 0 ? uint64_t(-units) : uint64_t(units);
        AppendPDFInt(out, int64_t(magnitude / 10000));
        uint64_t fraction = magnitude % 10000;
        if (fraction == 0) return;
        char digits[5] = {'.', '0', '0', '0', '0'};
        int length = 5;
        for (int i = 4; i >= 1; --i, fraction /= 10) digits[i] = char('0' + fraction % 10);
        while (digits[length - 1] == '0') --length;
        out.append(digits, size_t(length));
        return;
    }
    char buffer[330];  // the largest double has 309 integer digits
    char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
    out.append(buffer, size_t(end - buffer));
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
