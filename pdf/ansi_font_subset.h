#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdf/ttf_data.h"
#include "pdf/ttf_glyphs.h"

namespace pdf {

// The font program of a single-byte TrueType font: a new, small font with the glyphs of the
// used characters renumbered from 3 (0 to 2 stay empty, 2 being the blank), a cmap of its
// own that maps the WinAnsi bytes (Macintosh format 0) and their Unicode values (Windows
// format 4), and new hmtx, loca, hhea, maxp, name and post tables.
class TAnsiFontSubset {
public:
    explicit TAnsiFontSubset(const TTTFData& font) : Font_(font) {}

    // Codes are Unicode values in ascending order; no codes give no program.
    std::string Build(const std::string& faceName, const std::vector<uint16_t>& codes);

private:
    void LoadTables();
    void KeepChar(uint16_t code);
    void CompactGlyphs();
    std::string WriteSubset() const;
    std::string MakeCmap() const;
    std::string MakeHmtx() const;
    // Advance and left side bearing of a source glyph, as one longHorMetric.
    void PutMetric(std::string& hmtx, uint16_t glyph) const;

    const TTTFData& Font_;
    std::optional<TTTFGlyphs> Glyphs_;
    std::vector<uint16_t> Codes_;
    std::vector<bool> Kept_;
    // New id per source glyph (0 for glyphs left out or without outline) and the source
    // glyph and bytes of every new glyph from 3 on.
    std::vector<uint16_t> NewId_;
    std::vector<uint16_t> Sources_;
    std::vector<std::string> Outlines_;
};

std::string CreateAnsiFontSubset(const TTTFData& font, const std::string& faceName, const std::vector<uint16_t>& codes);

// The name table every single-byte subset carries.
std::string AnsiSubsetNameTable();

}  // namespace pdf
