#include "workbook/model/color.h"

#include <algorithm>
#include <cmath>

namespace xls {
namespace {

constexpr TXc12Palette DefaultPalette = {
    0x00000000, 0x00FFFFFF, 0x000000FF, 0x0000FF00, 0x00FF0000, 0x0000FFFF, 0x00FF00FF, 0x00FFFF00,  // 0
    0x00000000, 0x00FFFFFF, 0x000000FF, 0x0000FF00, 0x00FF0000, 0x0000FFFF, 0x00FF00FF, 0x00FFFF00,  // 8
    0x00000080, 0x00008000, 0x00800000, 0x00008080, 0x00800080, 0x00808000, 0x00C0C0C0, 0x00808080,  // 16
    0x00FF9999, 0x00663399, 0x00CCFFFF, 0x00FFFFCC, 0x00660066, 0x008080FF, 0x00CC6600, 0x00FFCCCC,  // 24
    0x00800000, 0x00FF00FF, 0x0000FFFF, 0x00FFFF00, 0x00800080, 0x00000080, 0x00808000, 0x00FF0000,  // 32
    0x00FFCC00, 0x00FFFFCC, 0x00CCFFCC, 0x0099FFFF, 0x00FFCC99, 0x00CC99FF, 0x00FF99CC, 0x0099CCFF,  // 40
    0x00FF6633, 0x00CCCC33, 0x0000CC99, 0x0000CCFF, 0x000099FF, 0x000066FF, 0x00996666, 0x00969696,  // 48
    0x00663300, 0x00669933, 0x00003300, 0x00003333, 0x00003399, 0x00663399, 0x00993333, 0x00333333,  // 56
    0x0F000000, 0x0F000000,                                                                          // 64
};

constexpr TXc12Palette StartPalette() {
    TXc12Palette palette{};
    for (int i = 9; i < Xc12PaletteSize; ++i) palette[static_cast<size_t>(i)] = DefaultPalette[static_cast<size_t>(i)];
    return palette;
}

constexpr uint32_t SwapRedBlue(uint32_t rrggbb) {
    return ((rrggbb & 0xFF) << 16) | (rrggbb & 0xFF00) | ((rrggbb >> 16) & 0xFF);
}

}  // namespace

const TXc12Palette Xc12DefaultPalette = DefaultPalette;
// Constant-initialised: it is ready before any other start-up code can read it.
constinit TXc12Palette Xc12CurrentPalette = StartPalette();

// Listed as RRGGBB for reading; stored 0x00BBGGRR like every palette entry.
const std::array<uint32_t, Xc12ThemeColorCount> Xc12DefaultThemeColors = {
    SwapRedBlue(0xFFFFFF), SwapRedBlue(0x000000), SwapRedBlue(0xEEECE1), SwapRedBlue(0x1F497D),
    SwapRedBlue(0x4F81BD), SwapRedBlue(0xC0504D), SwapRedBlue(0x9BBB59), SwapRedBlue(0x8064A2),
    SwapRedBlue(0x4BACC6), SwapRedBlue(0xF79646), SwapRedBlue(0x0000FF), SwapRedBlue(0x800080),
};

void Xc12ResetCurrentPalette() { Xc12CurrentPalette = DefaultPalette; }

uint32_t Xc12PaletteEntry(int index) {
    if (index < 0 || index >= Xc12PaletteSize) index = Xc12AutomaticIndex;
    return Xc12CurrentPalette[static_cast<size_t>(index)];
}

uint32_t Xc12ThemeColor(int index) {
    if (index < 0 || index >= Xc12ThemeColorCount) index = Xc12FallbackThemeIndex;
    return Xc12DefaultThemeColors[static_cast<size_t>(index)];
}

TXc12Color Xc12ColorFromIndex(int index) {
    TXc12Color color;
    color.Kind = xc12ckIndexed;
    if (index < 0 || index > Xc12AutomaticIndex) {
        color.Index = Xc12AutomaticIndex;
        color.CachedRGB = 0xF0000000;
    } else {
        color.Index = static_cast<uint8_t>(index);
        color.CachedRGB = Xc12CurrentPalette[static_cast<size_t>(index)];
    }
    return color;
}

TXc12Color Xc12ColorFromRGB(uint32_t value) {
    TXc12Color color;
    color.Kind = xc12ckRGB;
    color.ARGB = value;
    color.CachedRGB = value;
    return color;
}

TXc12Color Xc12ColorAutomatic(uint32_t value) {
    TXc12Color color;
    color.Kind = xc12ckAutomatic;
    color.CachedRGB = value;
    return color;
}

TXc12Color Xc12ColorFromTheme(int index, double tint) {
    TXc12Color color;
    color.Kind = xc12ckTheme;
    color.Index = static_cast<uint8_t>(std::clamp(index, 0, 255));
    color.Tint = tint;
    color.CachedRGB = Xc12ColorToRGB(color);
    return color;
}

TXc12HSL RgbToHsl(uint32_t rgb) {
    const int r = static_cast<int>(rgb & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>((rgb >> 16) & 0xFF);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int d = max - min;
    const int sum = max + min;
    TXc12HSL hsl;
    hsl.Lightness = sum / 2;
    if (d == 0) return hsl;
    hsl.Saturation = std::min(255, hsl.Lightness < 128 ? (d * 256) / sum : (d * 256) / (512 - sum));
    int h;
    if (max == r)
        h = ((g - b) * 256) / d;
    else if (max == g)
        h = ((b - r) * 256) / d + 512;
    else
        h = ((r - g) * 256) / d + 1024;
    hsl.Hue = (h / 6) & 0xFF;  // modulo 256, also for the negative hues of magenta-reds
    return hsl;
}

uint32_t HslToRgb(int hue, int lightness, int saturation) {
    if (saturation == 0) {
        const uint32_t l = static_cast<uint32_t>(std::clamp(lightness, 0, 255));
        return l | (l << 8) | (l << 16);
    }
    const int m2 = lightness < 128 ? (lightness * (saturation + 256)) >> 8
                                   : lightness + saturation - ((lightness * saturation) >> 8);
    const int m1 = 2 * lightness - m2;
    const int k = (m2 - m1) * 6;
    auto channel = [&](int t) -> uint32_t {
        if (t < 0) t += 256;
        if (t > 256) t -= 256;
        int v;
        if (t < 43)
            v = m1 + ((k * t) >> 8);
        else if (t < 128)
            v = m2;
        else if (t < 171)
            v = m1 + (((170 - t) * k) >> 8);
        else
            v = m1;
        return static_cast<uint32_t>(std::clamp(v, 0, 255));
    };
    return channel(hue + 85) | (channel(hue) << 8) | (channel(hue - 85) << 16);
}

uint32_t Xc12ApplyTint(uint32_t rgb, double tint) {
    if (std::isnan(tint) || tint == 0.0) return rgb;
    tint = std::clamp(tint, -1.0, 1.0);
    TXc12HSL hsl = RgbToHsl(rgb);
    const double l = tint > 0 ? hsl.Lightness * (1.0 - tint) + 255.0 * tint : hsl.Lightness * (1.0 + tint);
    hsl.Lightness = std::clamp(static_cast<int>(std::nearbyint(l)), 0, 255);  // ties to even
    return HslToRgb(hsl);
}

uint32_t Xc12ColorToRGB(const TXc12Color& color) {
    switch (color.Kind) {
        case xc12ckIndexed: return Xc12PaletteEntry(color.Index);
        case xc12ckRGB: return SwapRedBlue(color.ARGB & 0x00FFFFFF);
        case xc12ckTheme: return Xc12ApplyTint(Xc12ThemeColor(color.Index), color.Tint);
        default: return 0;
    }
}

bool Xc12ColorEqual(const TXc12Color& a, const TXc12Color& b) {
    if (a.Kind != b.Kind) return false;
    switch (a.Kind) {
        case xc12ckAutomatic: return true;
        case xc12ckIndexed: return a.Index == b.Index;
        case xc12ckRGB: return a.ARGB == b.ARGB;
        case xc12ckTheme: return a.Index == b.Index && std::fabs(a.Tint - b.Tint) <= 1e-4;
        case xc12ckUnassigned: return false;
        default: return true;
    }
}

uint32_t Xc12ColorHash(const TXc12Color& color) {
    switch (color.Kind) {
        case xc12ckAutomatic: return 1;
        case xc12ckIndexed: return 1u + color.Index;
        case xc12ckRGB: return 2u + color.ARGB;
        case xc12ckTheme: {
            // Round to even like the runtime; a tint beyond any sensible range is clamped so the
            // conversion stays defined.
            const double scaled = std::isnan(color.Tint) ? 0.0 : std::clamp(color.Tint * 10000.0, -1e9, 1e9);
            return 3u + color.Index + static_cast<uint32_t>(static_cast<int64_t>(std::nearbyint(scaled)));
        }
        default: return color.Kind;
    }
}

}  // namespace xls
