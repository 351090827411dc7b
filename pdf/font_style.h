#pragma once

namespace pdf {

// Font style bits; the font registry keeps only bold and italic, underline and strike-out
// are drawn by the page.
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

}  // namespace pdf
