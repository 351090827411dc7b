#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fonts.h"

namespace pdf {

// The glyph outlines of a face: views into its glyf table located through loca. Every
// location is checked against glyf when the object is made, so a damaged table is refused
// before anything is written.
class TTTFGlyphs {
public:
    TTTFGlyphs(std::string_view loca, std::string_view glyf, bool longOffsets, uint16_t numGlyphs);

    uint16_t Count() const { return uint16_t(Offsets_.size() - 1); }
    // The glyph's bytes; empty for glyphs without outline (blanks).
    std::string_view Glyph(uint16_t glyph) const;
    // Sets kept[glyph] and, for composite glyphs, kept[] of their components at every depth.
    void Keep(uint16_t glyph, std::vector<bool>& kept) const;
    // Offsets of the component glyph indexes inside a composite glyph; none for simple glyphs.
    std::vector<size_t> ComponentIndexOffsets(std::string_view glyph) const;

private:
    std::string_view Glyf_;
    std::vector<uint32_t> Offsets_;
};

// Appends a glyph, zero-padded to an even length so that short loca offsets can express it.
void AppendPaddedGlyph(std::string& glyf, std::string_view glyph);
// A loca table of the offsets (numGlyphs + 1 of them): short when every offset fits in
// one, long otherwise; returns whether long offsets were written.
bool WriteLoca(const std::vector<uint32_t>& offsets, std::string& loca);

// A complete font file from its tables: sorted by tag, each 4-byte aligned, the directory
// fields computed from the count and head's checkSumAdjustment set.
std::string AssembleFont(std::vector<std::pair<std::string, std::string>> tables);

// The face's whole font file: the file as it is, or for a member of a collection a font
// file of its own made from the member's tables.
std::string WholeFontProgram(const platform::TFontFile& file);

// A post table of version 3.0 (no glyph names) with the source's angle, underline and pitch.
std::string MakePostV3(std::string_view sourcePost);

}  // namespace pdf
