#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/font_style.h"
#include "platform/fonts.h"

namespace pdf {

struct TTTFCharEntry {
    uint16_t Code;   // UTF-16 code unit
    uint16_t Glyph;  // glyph id of the source font
    uint16_t Width;  // advance in 1/1000 em
    bool Used;
};

// One TrueType face as the PDF writer sees it: its Unicode cmap, metrics and tables, and
// for a Unicode (Type0) font the character table with the characters the pages used. The
// face's file stays mapped while the object lives; nothing of it is copied.
class TTTFData {
public:
    // Raises base::Exception "Incorrect or unknown font format" for a damaged or
    // unsupported face and "Cannot recieve data from font" for a missing table.
    TTTFData(std::shared_ptr<const platform::TFontFile> file, TFontStyles style);

    const platform::TFontFile& File() const { return *File_; }
    TFontStyles Style() const { return Style_; }
    uint16_t NumGlyphs() const { return NumGlyphs_; }
    uint16_t NumberOfHMetrics() const { return NumberOfHMetrics_; }
    bool LongLoca() const { return LongLoca_; }
    bool FixedPitch() const { return FixedPitch_; }
    // A table of the face; raises "Cannot recieve data from font" when it is missing.
    std::string_view Require(std::string_view tag) const;

    // Whether a segment of the cmap subtable covers the code (the final 0xFFFF one included).
    bool HasSegment(uint16_t code) const;
    // Glyph of a Unicode character by the format 4 rule; 0 when the font lacks it.
    uint16_t CodeToGlyph(uint32_t code) const;
    // Advance of a glyph in 1/1000 em.
    uint16_t GlyphWidth(uint16_t glyph) const;

    // Metrics in 1/1000 em for the font descriptor and the page.
    int TextAscent() const { return Scale(TextAscent_); }
    int TextDescent() const { return Scale(TextDescent_); }
    int Ascent() const { return Scale(Ascent_); }
    int Descent() const { return Scale(Descent_); }
    int BBox(int i) const { return Scale(BBox_[i]); }
    double ItalicAngle() const { return ItalicAngle_; }

    // The character table of a Unicode font, in code order.
    const std::vector<TTTFCharEntry>& Chars() const { return Chars_; }
    uint16_t UseChar(uint16_t code);
    uint16_t GetCharWidth(uint16_t code) const { return FindChar(code).Width; }
    TTTFCharEntry& FindGlyph(uint16_t glyph);

    // The subset font program of the used characters, glyph ids unchanged.
    std::string BuildSubset() const;
    // The CIDFont's /W value.
    std::string GetWidthArray() const;
    // The ToUnicode CMap of the used characters.
    std::string WriteToUnicode(const std::string& name) const;

private:
    void LoadCmap();
    void LoadMetrics();
    void BuildCharTable();
    size_t FindIndex(uint16_t code) const;
    const TTTFCharEntry& FindChar(uint16_t code) const { return Chars_[FindIndex(code)]; }
    int Scale(int units) const { return int(int64_t(units) * 1000 / UnitsPerEm_); }

    std::shared_ptr<const platform::TFontFile> File_;
    TFontStyles Style_;
    uint16_t NumGlyphs_ = 0;
    uint16_t UnitsPerEm_ = 1000;
    uint16_t NumberOfHMetrics_ = 0;
    bool LongLoca_ = false;
    bool FixedPitch_ = false;
    int TextAscent_ = 0, TextDescent_ = 0, Ascent_ = 0, Descent_ = 0;
    int BBox_[4] = {};
    double ItalicAngle_ = 0;
    std::string_view Hmtx_;
    // The chosen format 4 subtable.
    std::vector<uint16_t> EndCode_, StartCode_, IdRangeOffset_;
    std::vector<int16_t> IdDelta_;
    std::string_view GlyphIdArray_;
    std::vector<TTTFCharEntry> Chars_;
};

}  // namespace pdf
