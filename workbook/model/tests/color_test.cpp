#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <unordered_set>

#include "workbook/model/color.h"

namespace xls {
namespace {

// Every test that changes the process-wide palette puts it back as it was at start.
class Color : public ::testing::Test {
protected:
    void SetUp() override { Saved_ = Xc12CurrentPalette; }
    void TearDown() override { Xc12CurrentPalette = Saved_; }
    uint32_t Saved(int i) const { return Saved_[static_cast<size_t>(i)]; }

private:
    TXc12Palette Saved_{};
};

TEST_F(Color, PalettesAtStart) {
    EXPECT_EQ(Xc12DefaultPalette[0], 0x000000u);
    EXPECT_EQ(Xc12DefaultPalette[2], 0x0000FFu);   // red in 0x00BBGGRR
    EXPECT_EQ(Xc12DefaultPalette[4], 0xFF0000u);   // blue
    EXPECT_EQ(Xc12DefaultPalette[63], 0x333333u);  // gray 80%
    EXPECT_EQ(Xc12DefaultPalette[64], 0x0F000000u);
    EXPECT_EQ(Xc12DefaultPalette[65], 0x0F000000u);
    // The current palette starts with entries 0..8 at 0 and 9..65 from the defaults.
    for (int i = 0; i <= 8; ++i) EXPECT_EQ(Saved(i), 0u) << i;
    for (int i = 9; i < Xc12PaletteSize; ++i) EXPECT_EQ(Saved(i), Xc12DefaultPalette[static_cast<size_t>(i)]) << i;
    Xc12ResetCurrentPalette();
    EXPECT_EQ(Xc12CurrentPalette, Xc12DefaultPalette);
}

TEST_F(Color, PaletteEntryBounds) {
    Xc12ResetCurrentPalette();
    EXPECT_EQ(Xc12PaletteEntry(10), 0x0000FFu);
    EXPECT_EQ(Xc12PaletteEntry(65), 0x0F000000u);
    // No entry: the automatic entry 64.
    Xc12CurrentPalette[64] = 0x123456;
    EXPECT_EQ(Xc12PaletteEntry(66), 0x123456u);
    EXPECT_EQ(Xc12PaletteEntry(255), 0x123456u);
    EXPECT_EQ(Xc12PaletteEntry(-1), 0x123456u);
}

TEST_F(Color, Constructors) {
    Xc12ResetCurrentPalette();
    TXc12Color c = Xc12ColorFromIndex(10);
    EXPECT_EQ(c.Kind, xc12ckIndexed);
    EXPECT_EQ(c.Index, 10);
    EXPECT_EQ(c.Tint, 0.0);
    EXPECT_EQ(c.CachedRGB, 0x0000FFu);
    c = Xc12ColorFromIndex(64);
    EXPECT_EQ(c.Index, 64);
    EXPECT_EQ(c.CachedRGB, 0x0F000000u);
    for (int index : {65, 70, 255, -1}) {
        c = Xc12ColorFromIndex(index);
        EXPECT_EQ(c.Index, 64) << index;
        EXPECT_EQ(c.CachedRGB, 0xF0000000u) << index;
    }
    c = Xc12ColorFromRGB(0xFF112233);
    EXPECT_EQ(c.Kind, xc12ckRGB);
    EXPECT_EQ(c.ARGB, 0xFF112233u);
    EXPECT_EQ(c.CachedRGB, 0xFF112233u);
    c = Xc12ColorAutomatic();
    EXPECT_EQ(c.Kind, xc12ckAutomatic);
    EXPECT_EQ(c.CachedRGB, 0u);
    c = Xc12ColorFromTheme(4, 0);
    EXPECT_EQ(c.Kind, xc12ckTheme);
    EXPECT_EQ(c.CachedRGB, 0x00BD814Fu);
}

TEST_F(Color, ToRGB) {
    Xc12ResetCurrentPalette();
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromRGB(0xFF112233)), 0x00332211u);
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromIndex(12)), 0xFF0000u);
    Xc12CurrentPalette[12] = 0x010203;
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromIndex(12)), 0x010203u);  // the current palette, not the cache
    TXc12Color indexed = Xc12ColorFromIndex(0);
    indexed.Index = 200;  // past the table: the automatic entry
    EXPECT_EQ(Xc12ColorToRGB(indexed), Xc12CurrentPalette[64]);
    TXc12Color other;
    other.Kind = xc12ckAutomatic;
    other.CachedRGB = 0x123456;
    EXPECT_EQ(Xc12ColorToRGB(other), 0u);
    other.Kind = xc12ckUnassigned;
    EXPECT_EQ(Xc12ColorToRGB(other), 0u);
    other.Kind = 9;
    EXPECT_EQ(Xc12ColorToRGB(other), 0u);
}

TEST_F(Color, ThemeColours) {
    const uint32_t expected[12] = {0xFFFFFF, 0x000000, 0xE1ECEE, 0x7D491F, 0xBD814F, 0x4D50C0,
                                   0x59BB9B, 0xA26480, 0xC6AC4B, 0x4696F7, 0xFF0000, 0x800080};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromTheme(i, 0)), expected[i]) << i;
    // Theme indexes above 11 have no colour: dark 1, the text colour.
    TXc12Color c = Xc12ColorFromTheme(4, 0);
    c.Index = 12;
    EXPECT_EQ(Xc12ColorToRGB(c), Xc12DefaultThemeColors[1]);
    c.Index = 255;
    EXPECT_EQ(Xc12ColorToRGB(c), Xc12DefaultThemeColors[1]);
    EXPECT_EQ(Xc12ThemeColor(-3), Xc12DefaultThemeColors[1]);
}

TEST_F(Color, Tints) {
    const uint32_t accent1 = Xc12ColorToRGB(Xc12ColorFromTheme(4, 0));
    const int l0 = RgbToHsl(accent1).Lightness;
    const TXc12HSL lighter = RgbToHsl(Xc12ColorToRGB(Xc12ColorFromTheme(4, 0.4)));
    const TXc12HSL darker = RgbToHsl(Xc12ColorToRGB(Xc12ColorFromTheme(4, -0.25)));
    EXPECT_GT(lighter.Lightness, l0);
    EXPECT_LT(darker.Lightness, l0);
    // L' = Round(L x (1 - t) + 255 t) and Round(L x (1 + t)), up to the HSL round trip.
    EXPECT_NEAR(lighter.Lightness, std::nearbyint(l0 * 0.6 + 255 * 0.4), 1);
    EXPECT_NEAR(darker.Lightness, std::nearbyint(l0 * 0.75), 1);
    // Full tints: black, and white but for the integer HSL space's last step (M2 = 256 is cut
    // to 255 while M1 stays 254).
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromTheme(4, 1.0)), 0xFFFEFEu);
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromTheme(4, -1.0)), 0x000000u);
    // Tints beyond the range act as the range's ends; NaN as no tint.
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromTheme(4, 7.0)), 0xFFFEFEu);
    EXPECT_EQ(Xc12ColorToRGB(Xc12ColorFromTheme(4, std::numeric_limits<double>::quiet_NaN())), accent1);
    // A grey keeps its hue and saturation 0: 128 x 0.5 + 127.5 = 191.5 rounds to even 192.
    EXPECT_EQ(Xc12ApplyTint(0x808080, 0.5), 0xC0C0C0u);
    EXPECT_EQ(Xc12ApplyTint(0x808080, -0.5), 0x404040u);
}

TEST(ColorHsl, KnownValues) {
    struct Case {
        uint32_t Rgb;
        int H, L, S;
    };
    // Hand-computed with the integer formulas of RgbToHsl (hue, lightness and saturation scaled to 0-255).
    const Case cases[] = {
        {0x0000FF, 0, 127, 255},    // red: D 255, Sum 255, S = 65280 / 255 = 256 -> 255
        {0x00FF00, 85, 127, 255},   // green: (0 + 512) / 6 = 85
        {0xFF0000, 170, 127, 255},  // blue: (0 + 1024) / 6 = 170
        {0xFF00FF, 214, 127, 255},  // magenta: checked below
        {0x000000, 0, 0, 0},       {0xFFFFFF, 0, 255, 0},
    };
    for (const Case& c : cases) {
        if (c.Rgb == 0xFF00FF) continue;  // checked below
        const TXc12HSL hsl = RgbToHsl(c.Rgb);
        EXPECT_EQ(hsl.Hue, c.H) << std::hex << c.Rgb;
        EXPECT_EQ(hsl.Lightness, c.L) << std::hex << c.Rgb;
        EXPECT_EQ(hsl.Saturation, c.S) << std::hex << c.Rgb;
    }
    // Magenta: the hue is negative before the modulo, (-256 div 6) = -42, and -42 mod 256 = 214.
    const TXc12HSL magenta = RgbToHsl(0xFF00FF);
    EXPECT_EQ(magenta.Hue, 214);
    EXPECT_EQ(magenta.Lightness, 127);
    // Back to RGB, by hand: M2 = (127 x 511) shr 8 = 253, M1 = 1, K = 1512; red channel at
    // t = 85 is M2, green at t = 0 is M1, blue at t = 171 is M1.
    EXPECT_EQ(HslToRgb(0, 127, 255), 0x0101FDu);
    EXPECT_EQ(HslToRgb(RgbToHsl(0x0000FF)), HslToRgb(0, 127, 255));
}

TEST(ColorHsl, GreysSurviveTheRoundTrip) {
    for (uint32_t v = 0; v < 256; ++v) {
        const uint32_t grey = v | (v << 8) | (v << 16);
        const TXc12HSL hsl = RgbToHsl(grey);
        EXPECT_EQ(hsl.Saturation, 0);
        EXPECT_EQ(hsl.Lightness, static_cast<int>(v));
        EXPECT_EQ(HslToRgb(hsl), grey) << v;
    }
}

TEST(ColorHsl, RoundTripStaysClose) {
    // Integer HSL loses a little (most near the hue's wrap between red and magenta, up to 13
    // steps); every channel stays within 16, for every 15th value.
    for (uint32_t r = 0; r < 256; r += 15)
        for (uint32_t g = 0; g < 256; g += 15)
            for (uint32_t b = 0; b < 256; b += 15) {
                const uint32_t rgb = r | (g << 8) | (b << 16);
                const uint32_t back = HslToRgb(RgbToHsl(rgb));
                for (int shift = 0; shift < 24; shift += 8) {
                    const int a = static_cast<int>((rgb >> shift) & 0xFF);
                    const int z = static_cast<int>((back >> shift) & 0xFF);
                    ASSERT_NEAR(a, z, 16) << std::hex << rgb << " -> " << back;
                }
                ASSERT_EQ(back >> 24, 0u);
            }
}

TEST(ColorEqualHash, Table) {
    const TXc12Color automatic = Xc12ColorAutomatic();
    TXc12Color automatic2 = Xc12ColorAutomatic(0x123);
    EXPECT_TRUE(Xc12ColorEqual(automatic, automatic2));
    EXPECT_EQ(Xc12ColorHash(automatic), 1u);
    EXPECT_TRUE(Xc12ColorEqual(Xc12ColorFromIndex(10), Xc12ColorFromIndex(10)));
    EXPECT_FALSE(Xc12ColorEqual(Xc12ColorFromIndex(10), Xc12ColorFromIndex(11)));
    EXPECT_EQ(Xc12ColorHash(Xc12ColorFromIndex(10)), 11u);
    EXPECT_TRUE(Xc12ColorEqual(Xc12ColorFromRGB(0xFF112233), Xc12ColorFromRGB(0xFF112233)));
    EXPECT_FALSE(Xc12ColorEqual(Xc12ColorFromRGB(0xFF112233), Xc12ColorFromRGB(0x00112233)));
    EXPECT_EQ(Xc12ColorHash(Xc12ColorFromRGB(0xFF112233)), 0xFF112235u);
    EXPECT_EQ(Xc12ColorHash(Xc12ColorFromRGB(0xFFFFFFFF)), 1u);  // modulo 2^32
    // Different kinds are never equal, even when the RGB values agree.
    EXPECT_FALSE(Xc12ColorEqual(Xc12ColorFromIndex(8), automatic));
    EXPECT_FALSE(Xc12ColorEqual(Xc12ColorFromRGB(0), automatic));

    const TXc12Color t1 = Xc12ColorFromTheme(4, 0.5);
    EXPECT_TRUE(Xc12ColorEqual(t1, Xc12ColorFromTheme(4, 0.50005)));
    EXPECT_FALSE(Xc12ColorEqual(t1, Xc12ColorFromTheme(4, 0.5002)));
    EXPECT_FALSE(Xc12ColorEqual(t1, Xc12ColorFromTheme(5, 0.5)));
    EXPECT_EQ(Xc12ColorHash(t1), 3u + 4u + 5000u);
    EXPECT_EQ(Xc12ColorHash(Xc12ColorFromTheme(4, 0.50005)), 3u + 4u + 5000u);  // 5000.5 rounds to even
    EXPECT_EQ(Xc12ColorHash(Xc12ColorFromTheme(1, -0.25)), static_cast<uint32_t>(3 + 1 - 2500));
    // Equal colours whose tints straddle a rounding step hash apart (see Xc12ColorHash).
    EXPECT_TRUE(Xc12ColorEqual(Xc12ColorFromTheme(4, 0.50014), Xc12ColorFromTheme(4, 0.50016)));
    EXPECT_NE(Xc12ColorHash(Xc12ColorFromTheme(4, 0.50014)), Xc12ColorHash(Xc12ColorFromTheme(4, 0.50016)));

    TXc12Color unassigned;
    unassigned.Kind = xc12ckUnassigned;
    EXPECT_FALSE(Xc12ColorEqual(unassigned, unassigned));
    EXPECT_EQ(Xc12ColorHash(unassigned), 4u);
    TXc12Color odd;
    odd.Kind = 7;
    EXPECT_TRUE(Xc12ColorEqual(odd, odd));
    EXPECT_EQ(Xc12ColorHash(odd), 7u);
    TXc12Color nanTint = Xc12ColorFromTheme(2, 0);
    nanTint.Tint = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Xc12ColorHash(nanTint), 5u);
    nanTint.Tint = 1e300;
    EXPECT_NO_FATAL_FAILURE(Xc12ColorHash(nanTint));
}

TEST(ColorEqualHash, UsableAsAHashKey) {
    std::unordered_set<TXc12Color, TXc12ColorHasher> set;
    for (int i = 0; i < 64; ++i) set.insert(Xc12ColorFromIndex(i));
    for (int i = 0; i < 64; ++i) set.insert(Xc12ColorFromIndex(i));
    EXPECT_EQ(set.size(), 64u);
    EXPECT_TRUE(set.count(Xc12ColorFromIndex(5)));
}

}  // namespace
}  // namespace xls
