#pragma once

#include <cstdint>
#include <string>

#include "pdf/font_style.h"
#include "platform/fonts.h"

namespace pdf {

// Looks a face up among the installed TrueType faces, the one that best fits the style
// (platform::Fonts::Match). On success the name becomes the face's own spelling and the
// style the one found (underline and strike-out kept).
bool FindInstalledFont(std::string& faceName, TFontStyles& style);
// The first TrueType face, in sorted order, that supports the charset; empty when none.
std::string FindTrueTypeFontForCharset(uint8_t charset);
bool IsTrueTypeFontInstalled(const std::string& faceName, uint8_t charset);
// The face of a name and style that FindInstalledFont returned; null when none.
const platform::TFontFace* InstalledFace(const std::string& faceName, TFontStyles style);
// DEFAULT_CHARSET (1) stands for the system's charset: ANSI here.
uint8_t ResolveCharset(uint8_t charset);

}  // namespace pdf
