#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts.h"

namespace platform {

// Text metrics of a font on a device, in pixels, as the reference device reports them.
struct TTextMetrics {
    int Height = 0;  // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;  // height less the em
};

// Horizontal metrics of one TrueType face, read from its head, hhea, OS/2, hmtx and cmap tables:
// what text measurement on the reference device needs. A face nobody installed measures with fixed
// proportions.
class TFontMetrics {
public:
    // The metrics of the installed face of a family and style (cached per face).
    static std::shared_ptr<const TFontMetrics> Of(const std::string& family, bool bold, bool italic);
    // Raises EFontError when a table the metrics need is missing or damaged.
    explicit TFontMetrics(const TFontFile& file);
    // Fixed proportions: ascent 0.8 em, descent 0.2 em, every character half an em wide.
    TFontMetrics() = default;

    // The em in pixels of a logical font height: a negative height is the em itself, a positive one
    // the whole cell, 0 the device's default of 16 pixels.
    double EmPixels(int logicalHeight) const;
    TTextMetrics Metrics(int logicalHeight) const;
    // The advance of a character in whole pixels at a logical height, as the device places
    // characters; characters the face lacks take the advance of its missing glyph.
    int Advance(char16_t code, int logicalHeight) const;
    int TextWidth(std::u16string_view text, int logicalHeight) const;
    // The face's average character width (OS/2) in pixels at a logical height.
    double AverageWidth(int logicalHeight) const;

private:
    uint16_t Glyph(uint32_t code) const;
    uint16_t AdvanceUnits(uint16_t glyph) const;

    int UnitsPerEm_ = 1000;
    int Ascent_ = 800;
    int Descent_ = 200;
    int AverageWidth_ = 500;
    bool Fixed_ = true;
    std::vector<uint16_t> Advances_;
    struct TRange {
        uint32_t First, Last;
        int32_t Delta;       // glyph = code + delta, when no glyph array applies
        int32_t GlyphArray;  // index into GlyphIds_ of First, or -1
    };
    std::vector<TRange> Ranges_;
    std::vector<uint16_t> GlyphIds_;
};

}  // namespace platform
