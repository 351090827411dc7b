#include "skin/skin_colours.h"

#include <array>
#include <cstddef>

namespace skin {

namespace {

constexpr std::array<TColor, 31> SystemScheme = {
    RGB(200, 200, 200),  // 0 scroll bar
    RGB(0, 84, 147),     // 1 desktop
    RGB(153, 180, 209),  // 2 active caption
    RGB(191, 205, 219),  // 3 inactive caption
    RGB(240, 240, 240),  // 4 menu
    RGB(255, 255, 255),  // 5 window
    RGB(100, 100, 100),  // 6 window frame
    RGB(0, 0, 0),        // 7 menu text
    RGB(0, 0, 0),        // 8 window text
    RGB(0, 0, 0),        // 9 caption text
    RGB(180, 180, 180),  // 10 active border
    RGB(244, 247, 252),  // 11 inactive border
    RGB(171, 171, 171),  // 12 application workspace
    RGB(0, 120, 215),    // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(240, 240, 240),  // 15 button face
    RGB(160, 160, 160),  // 16 button shadow
    RGB(109, 109, 109),  // 17 grey text
    RGB(0, 0, 0),        // 18 button text
    RGB(67, 78, 84),     // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(105, 105, 105),  // 21 3-D dark shadow
    RGB(227, 227, 227),  // 22 3-D light
    RGB(0, 0, 0),        // 23 info text
    RGB(255, 255, 225),  // 24 info background
    RGB(0, 0, 0),        // 25 unused
    RGB(0, 102, 204),    // 26 hot light
    RGB(185, 209, 234),  // 27 gradient active caption
    RGB(215, 228, 242),  // 28 gradient inactive caption
    RGB(0, 120, 215),    // 29 menu highlight
    RGB(240, 240, 240),  // 30 menu bar
};

}  // namespace

TColor SysColour(int index) {
    return index >= 0 && index < static_cast<int>(SystemScheme.size()) ? SystemScheme[static_cast<size_t>(index)] : 0;
}

TColor ResolveColour(TColor colour) {
    return (colour & 0x80000000u) != 0 ? SysColour(static_cast<int>(colour & 0xFF)) : colour;
}

}  // namespace skin
