#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace xls {

// The colour model. RGB values are Windows order 0x00BBGGRR unless named ARGB.

enum TXc12ColorKind : uint8_t {
    xc12ckAutomatic = 0,
    xc12ckIndexed = 1,
    xc12ckRGB = 2,
    xc12ckTheme = 3,
    xc12ckUnassigned = 4,
};

// One colour as the Open XML formats describe it; a plain record copied by value. A zeroed
// record is an automatic colour.
struct TXc12Color {
    uint32_t CachedRGB = 0;  // last RGB value (0x00BBGGRR) as the constructors set it
    double Tint = 0.0;       // -1.0 .. 1.0, 0 = none; used with the theme kind
    uint8_t Kind = xc12ckAutomatic;
    uint8_t Index = 0;  // palette index (indexed) or theme colour index (theme)
    uint32_t ARGB = 0;  // 0xAARRGGBB (RGB kind)
};

constexpr int Xc12PaletteSize = 66;
// Palette index of the automatic colour (system window text); 65 is the window background.
constexpr int Xc12AutomaticIndex = 64;
constexpr int Xc12ThemeColorCount = 12;
// Theme index used for an index outside 0..11: dark 1, the theme's text colour, which is what
// an automatic font colour shows.
constexpr int Xc12FallbackThemeIndex = 1;

using TXc12Palette = std::array<uint32_t, Xc12PaletteSize>;

// Indexes 0-7 the eight fixed colours, 8-63 the 56 colours of the default palette of [MS-XLS],
// 64 and 65 (system window text and background) 0x0F000000.
extern const TXc12Palette Xc12DefaultPalette;

// The process-wide current palette (the one piece of process-wide mutable state of the
// library). At start entries 9-65 hold the defaults and 0-8 are 0; the BIFF document copies
// all 66 defaults, the readers overwrite entries.
extern TXc12Palette Xc12CurrentPalette;
void Xc12ResetCurrentPalette();

// Current palette entry of index; an index outside 0..65 gives entry 64 (automatic), the
// nearest sensible colour for a palette index the table does not have (indexes above 64 mean
// "automatic" to the rest of the library, see IntToIndexColor).
uint32_t Xc12PaletteEntry(int index);

// Light 1, dark 1, light 2, dark 2, accents 1-6, hyperlink, followed hyperlink.
extern const std::array<uint32_t, Xc12ThemeColorCount> Xc12DefaultThemeColors;
// Default theme colour of index; an index outside 0..11 gives Xc12FallbackThemeIndex's.
uint32_t Xc12ThemeColor(int index);

// Kind indexed, tint 0, CachedRGB the current palette entry; an index outside 0..64 gives
// Index 64 and CachedRGB 0xF0000000.
TXc12Color Xc12ColorFromIndex(int index);
// Kind RGB, ARGB = CachedRGB = value, tint 0.
TXc12Color Xc12ColorFromRGB(uint32_t value);
// Kind automatic with CachedRGB = value (callers pass 0); the other fields stay zero.
TXc12Color Xc12ColorAutomatic(uint32_t value = 0);
// Kind theme with index and tint; CachedRGB is its RGB value. (No constructor in the original,
// whose readers filled the fields one by one.)
TXc12Color Xc12ColorFromTheme(int index, double tint);

// 0x00BBGGRR: indexed the current palette entry, RGB the ARGB with red and blue swapped and
// alpha dropped, theme the default theme colour with the tint applied in HSL space; automatic,
// unassigned and any other kind 0.
uint32_t Xc12ColorToRGB(const TXc12Color& color);

// Equal kinds and: automatic always, indexed same Index, RGB same ARGB, theme same Index and
// tints within 1e-4, unassigned never, other kinds always.
bool Xc12ColorEqual(const TXc12Color& a, const TXc12Color& b);

// Automatic 1, indexed 1 + Index, RGB 2 + ARGB, theme 3 + Index + Round(Tint x 10000), other
// kinds the kind (all modulo 2^32). Two theme colours that Xc12ColorEqual takes as equal can
// still hash apart when their tints straddle a rounding step (0.50014 and 0.50016): a differing
// hash does not prove colours different, so an equality test may not stop on it.
uint32_t Xc12ColorHash(const TXc12Color& color);

inline bool operator==(const TXc12Color& a, const TXc12Color& b) { return Xc12ColorEqual(a, b); }

struct TXc12ColorHasher {
    size_t operator()(const TXc12Color& color) const { return Xc12ColorHash(color); }
};

// Integer HSL: hue, lightness and saturation 0..255 each (a hue of 256 is a full turn).
struct TXc12HSL {
    int Hue = 0;
    int Lightness = 0;
    int Saturation = 0;
};

TXc12HSL RgbToHsl(uint32_t rgb);
uint32_t HslToRgb(int hue, int lightness, int saturation);
inline uint32_t HslToRgb(const TXc12HSL& hsl) { return HslToRgb(hsl.Hue, hsl.Lightness, hsl.Saturation); }

// The tint step of Xc12ColorToRGB on an RGB value (tint 0 returns it unchanged).
uint32_t Xc12ApplyTint(uint32_t rgb, double tint);

}  // namespace xls
