#pragma once

#include <cstdint>

namespace skin {

// The class library's 32-bit colour: red in the low byte, then green and blue; a value
// 0xFF0000nn is system colour nn and is resolved before drawing.
using TColor = uint32_t;

inline constexpr TColor RGB(int red, int green, int blue) {
    return static_cast<TColor>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}
inline constexpr int RedOf(TColor c) { return static_cast<int>(c & 0xFF); }
inline constexpr int GreenOf(TColor c) { return static_cast<int>(c >> 8 & 0xFF); }
inline constexpr int BlueOf(TColor c) { return static_cast<int>(c >> 16 & 0xFF); }

inline constexpr TColor SysColourFlag = 0xFF000000;
inline constexpr TColor SystemColour(int index) { return SysColourFlag | static_cast<TColor>(index); }
inline constexpr TColor KeyColour = RGB(255, 0, 255);  // magenta: see-through in skin images
inline constexpr TColor White = RGB(255, 255, 255);

// The system colours of the desktop this engine paints on: one fixed light scheme, the same
// on every machine, so that a skin that leaves a colour out looks the same everywhere.
TColor SysColour(int index);
// An RGB value for any colour: negative values are system colours (their low byte looked up).
TColor ResolveColour(TColor colour);

// The width of a horizontal scroll bar's arrow (the system metric of the same name).
inline constexpr int SystemHScrollArrowWidth = 17;

}  // namespace skin
