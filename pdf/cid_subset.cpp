// The subset font program of a Unicode font: the glyphs keep their ids (the page shows
// glyph ids through Identity-H), the glyphs nobody used become empty.
#include "pdf/ttf_bytes.h"
#include "pdf/ttf_data.h"
#include "pdf/ttf_glyphs.h"

namespace pdf {

std::string TTTFData::BuildSubset() const {
    std::vector<uint16_t> used;
    for (const TTTFCharEntry& entry : Chars_)
        if (entry.Used) used.push_back(entry.Glyph);
    const TTTFGlyphs glyphs(Require("loca"), Require("glyf"), LongLoca_, NumGlyphs_);
    std::vector<bool> kept(NumGlyphs_, false);
    glyphs.Keep(0, kept);
    for (uint16_t glyph : used) glyphs.Keep(glyph, kept);
    // Some viewers refuse fonts of a single glyph: the double quote pads them, without
    // entering the character table, so no real mapping changes.
    if (used.size() < 2) glyphs.Keep(CodeToGlyph(34), kept);

    std::string glyf;
    std::vector<uint32_t> offsets;
    offsets.reserve(size_t(NumGlyphs_) + 1);
    for (uint16_t g = 0; g < NumGlyphs_; ++g) {
        offsets.push_back(uint32_t(glyf.size()));
        if (kept[g]) AppendPaddedGlyph(glyf, glyphs.Glyph(g));
    }
    offsets.push_back(uint32_t(glyf.size()));
    std::string loca;
    const bool longLoca = WriteLoca(offsets, loca);
    std::string head(Require("head"));
    TTFSet16(head, 50, longLoca ? 1 : 0);

    std::vector<std::pair<std::string, std::string>> tables;
    tables.emplace_back("head", std::move(head));
    for (const char* tag : {"hhea", "maxp", "hmtx", "cmap"}) tables.emplace_back(tag, std::string(Require(tag)));
    for (const char* tag : {"cvt ", "fpgm", "prep"})
        if (auto table = File_->Table(tag)) tables.emplace_back(tag, std::string(*table));
    tables.emplace_back("loca", std::move(loca));
    tables.emplace_back("glyf", std::move(glyf));
    tables.emplace_back("post", MakePostV3(File_->Table("post").value_or(std::string_view())));
    return AssembleFont(std::move(tables));
}

}  // namespace pdf
