#pragma once

#include <string>
#include <string_view>

namespace skin {

// Text helpers of the skin readers. Skin texts are 8-bit (UTF-8 here); case is folded for
// ASCII letters only, so Chinese names compare byte for byte.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool SameTextNoCase(std::string_view a, std::string_view b);
// Removes blanks and control characters at both ends.
std::string_view TrimText(std::string_view text);

}  // namespace skin
