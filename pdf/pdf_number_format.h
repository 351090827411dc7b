#pragma once

#include <cstdint>
#include <string>

namespace pdf {

// PDF numbers: at most four decimals, "." as separator whatever the locale, no exponent,
// no thousands separator and no trailing zeros ("0.####"). Appending formats into a stack
// buffer, so the content writers allocate nothing per number.
void AppendPDFFloat(std::string& out, double value);
std::string FormatPDFFloat(double value);

// Plain decimal integers (object numbers, lengths, offsets, counts).
void AppendPDFInt(std::string& out, int64_t value);
std::string FormatPDFInt(int64_t value);

}  // namespace pdf
