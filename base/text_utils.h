#pragma once

#include <string>
#include <string_view>

namespace base {

// Small text helpers that layers from the XML reader up to the workbook model share.

// head := the text before the first c and text := the text after it; without c head := the
// whole text and text := empty.
void SplitAtChar(char16_t c, std::u16string& text, std::u16string& head);

// The text without the characters up to and including the space (controls and blanks) at
// either end.
std::u16string_view TrimText(std::u16string_view text);

// Text to double, locale-free: optional blanks, an optional sign, digits with at most one
// decimal separator (at least one digit), an optional exponent ("E" or "e", optional sign,
// digits), optional blanks. No thousands separators, no "INF" or "NAN". False when the text is
// no number or out of the double range.
bool TryStrToFloat(std::u16string_view text, double& value, char16_t decimalSeparator = u'.');

}  // namespace base
