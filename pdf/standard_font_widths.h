#pragma once

#include <cstdint>

namespace pdf {

// Advance width in 1/1000 em of a byte code in one of the 14 standard fonts (by index):
// WinAnsi for the text fonts, the built-in encoding for Symbol and ZapfDingbats; 0 for codes
// without a glyph and below 32.
uint16_t StandardFontWidth(int index, uint8_t code);

}  // namespace pdf
