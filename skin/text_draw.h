#pragma once

#include <QRect>
#include <string>
#include <string_view>

class QPainter;

namespace skin {

// Text-format bits of the painters (the values the skinners pass around).
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_RTLREADING = 0x20000;

// Draws wide text in the rectangle with the painter's font and pen; returns the height of the
// text. With DT_CALCRECT nothing is drawn and the rectangle's right and bottom are set to fit
// the text. Without DT_NOPREFIX "&" marks the next character as a mnemonic ("&&" draws "&").
int DrawTextAuto(QPainter& painter, std::u16string_view text, QRect& rect, unsigned format);
// 8-bit text (the skin's and the forms' texts are UTF-8 here) as wide text.
std::u16string AnsiToWide(std::string_view text);
// A zero-terminated wide buffer as a string: all of it for count -1, else its first count
// characters, never past the terminator.
std::u16string WideCopy(const char16_t* buffer, int count);

}  // namespace skin
