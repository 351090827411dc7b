#pragma once

#include <cstdint>

namespace pdf {

// The WinAnsi (Windows-1252) encoding of the standard fonts. The five codes that
// Windows-1252 leaves undefined map to themselves.
uint16_t WinAnsiToUnicode(uint8_t code);
bool IsWinAnsiChar(uint32_t code);
// 0 when the character has no WinAnsi code.
uint8_t UnicodeToWinAnsi(uint32_t code);

}  // namespace pdf
