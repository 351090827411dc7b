#include "pdf/win_ansi.h"

namespace pdf {
namespace {

// Codes 128 to 159; the rest of the table is the identity.
constexpr uint16_t HighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

uint16_t WinAnsiToUnicode(uint8_t code) { return code >= 128 && code < 160 ? HighControls[code - 128] : code; }

uint8_t UnicodeToWinAnsi(uint32_t code) {
    if (code < 128 || (code >= 160 && code <= 255)) return uint8_t(code);
    for (int i = 0; i < 32; ++i)
        if (HighControls[i] == code) return uint8_t(128 + i);
    return 0;
}

bool IsWinAnsiChar(uint32_t code) { return code == 0 || UnicodeToWinAnsi(code) != 0; }

}  // namespace pdf
