#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// The inside of a PDF literal string: CR, LF, parentheses and backslashes escaped, every
// other byte copied; callers add the parentheses.
std::string EscapeString(std::string_view text);
// Decimal text left-padded with "0" to the width; never shortened.
std::string ZeroPad(int64_t value, int width);
std::string ReplaceCharByText(std::string_view text, char character, std::string_view replacement);
// Orders the corners so that the first is the smaller in both directions.
void OrderRect(int& x1, int& y1, int& x2, int& y2);
// Windows code page of a font charset; DEFAULT_CHARSET (1) counts as ANSI_CHARSET.
int CharsetToCodePage(uint8_t charset);

}  // namespace pdf
