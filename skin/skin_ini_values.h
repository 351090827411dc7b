#pragma once

#include <QImage>
#include <string_view>

#include "skin/skin_colours.h"

namespace skin {

class TQuickIni;
class TSkinReader;

// "r g b" in decimal: numbers separated by anything else; missing parts are 0.
TColor ParseRGBText(std::string_view text);
TColor ReadRGB(std::string_view text, TColor defaultColour);
// Prefix + "R", "G", "B": the colour changes only when all three are given and not negative.
void ReadRGBTriple(const TQuickIni& ini, std::string_view section, std::string_view prefix, TColor& colour);
// The package bitmap an INI value names: its file-name part (after the last "\" or ":") must end
// in ".bmp" (any case). A null image when there is none or it does not decode.
QImage LoadEntryBitmap(const TSkinReader& package, std::string_view value);

}  // namespace skin
