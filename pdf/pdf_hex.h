#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pdf {

// Upper-case hexadecimal texts of PDF operators and names.
std::string ByteToHex(uint8_t value);
std::string WordToHex(uint16_t value);  // high byte first

// Sorts 16-bit values ascending in place (glyph and character lists of the fonts).
void SortWords(std::span<uint16_t> values);

}  // namespace pdf
