#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace xls {

// The library's cell error values. 0 is "no error"; its text is "_ERROR_ERROR_".
enum TXc12CellError : uint8_t {
    errUnknown = 0,
    errNull = 1,
    errDiv0 = 2,
    errValue = 3,
    errRef = 4,
    errName = 5,
    errNum = 6,
    errNA = 7,
    errGettingData = 8,
};

constexpr int Xc12CellErrorCount = 9;

extern const std::array<std::u16string_view, Xc12CellErrorCount> Xc12CellErrorNames;

// The texts of the Boolean values (the cell store uses them).
inline constexpr std::u16string_view Xc12BoolTrueText = u"TRUE";
inline constexpr std::u16string_view Xc12BoolFalseText = u"FALSE";

// The value whose text equals text exactly (case matters); errUnknown when none.
TXc12CellError ErrorTextToCellError(std::u16string_view text);
// The text of (value and 0x7F); above 8 the text of 0.
std::u16string_view CellErrorToText(int value);

// A BIFF formula token id with its class folded onto the reference class: ids with bit 7 set
// and ids below 0x40 are unchanged; 0x40..0x7F become (id and 0x3F) or 0x20.
constexpr uint8_t PtgToRefClass(uint8_t id) {
    if (id & 0x80) return id;
    if (id >= 0x40) return static_cast<uint8_t>((id & 0x3F) | 0x20);
    return id;
}

}  // namespace xls
