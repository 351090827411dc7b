#include "pdf/ansi_font_subset.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>

#include "pdf/pdf_fonts.h"
#include "pdf/ttf_bytes.h"
#include "pdf/win_ansi.h"

namespace pdf {
namespace {

constexpr uint16_t BlankGlyph = 2;
constexpr uint16_t FirstNewGlyph = 3;

// The first bytes of a source table, which must have at least the fields we patch.
std::string Head(std::string_view table, size_t size, size_t needed) {
    if (table.size() < needed) ThrowBadFontFormat();
    return std::string(table.substr(0, std::min(size, table.size())));
}

}  // namespace

std::string AnsiSubsetNameTable() {
    struct TName {
        uint16_t Id;
        const char* Text;
    };
    static constexpr TName Names[] = {
        {1, "Arial"}, {2, "Regular"}, {3, "Ombrix-Z: Arial"}, {4, "Arial"}, {6, "ArialMT"}};
    constexpr size_t count = 2 * std::size(Names);
    std::string records, strings;
    for (const bool windows : {false, true})
        for (const TName& name : Names) {
            const size_t start = strings.size();
            for (const char* c = name.Text; *c; ++c) {
                if (windows) strings += '\0';
                strings += *c;
            }
            TTFPut16(records, windows ? 3 : 1);
            TTFPut16(records, windows ? 1 : 0);
            TTFPut16(records, windows ? 0x0409 : 0);
            TTFPut16(records, name.Id);
            TTFPut16(records, uint16_t(strings.size() - start));
            TTFPut16(records, uint16_t(start));
        }
    std::string table;
    TTFPut16(table, 0);
    TTFPut16(table, uint16_t(count));
    TTFPut16(table, uint16_t(6 + 12 * count));
    return table + records + strings;
}

std::string TAnsiFontSubset::Build(const std::string& faceName, const std::vector<uint16_t>& codes) {
    if (codes.empty()) return {};
    if (UpperCase(faceName) == "MARLETT") return WholeFontProgram(Font_.File());
    LoadTables();
    for (uint16_t code : codes)
        if (Font_.HasSegment(code)) Codes_.push_back(code);
    // Some viewers refuse fonts of a single glyph (or only blanks): the double quote pads them.
    if (codes.size() == 1)
        Codes_ = {uint16_t(34), codes[0]};
    else if (codes.size() == 2 && Codes_.size() == 2 && Codes_[1] == 160)
        Codes_ = {Codes_[0], 34, 160};
    std::sort(Codes_.begin(), Codes_.end());
    Codes_.erase(std::unique(Codes_.begin(), Codes_.end()), Codes_.end());
    for (uint16_t code : Codes_)
        if (code > 32) KeepChar(code);
    CompactGlyphs();
    return WriteSubset();
}

void TAnsiFontSubset::LoadTables() {
    // The name and post tables are not copied, but a face without them is not a usable font.
    Font_.Require("name");
    Font_.Require("post");
    Glyphs_.emplace(Font_.Require("loca"), Font_.Require("glyf"), Font_.LongLoca(), Font_.NumGlyphs());
    Kept_.assign(Font_.NumGlyphs(), false);
}

void TAnsiFontSubset::KeepChar(uint16_t code) { Glyphs_->Keep(Font_.CodeToGlyph(code), Kept_); }

void TAnsiFontSubset::CompactGlyphs() {
    NewId_.assign(Font_.NumGlyphs(), 0);
    for (uint16_t g = 0; g < Font_.NumGlyphs(); ++g) {
        if (!Kept_[g] || Glyphs_->Glyph(g).empty()) continue;
        if (Sources_.size() + FirstNewGlyph >= 0xFFFF) ThrowBadFontFormat();
        NewId_[g] = uint16_t(Sources_.size() + FirstNewGlyph);
        Sources_.push_back(g);
        Outlines_.emplace_back(Glyphs_->Glyph(g));
    }
    // Components point at the new ids; one without outline has none and points at the
    // empty glyph 0 instead.
    for (std::string& outline : Outlines_)
        for (size_t offset : Glyphs_->ComponentIndexOffsets(outline))
            TTFSet16(outline, offset, NewId_[TTFGet16(outline, offset)]);
}

std::string TAnsiFontSubset::MakeCmap() const {
    std::string cmap;
    TTFPut16(cmap, 0);
    TTFPut16(cmap, 2);
    for (const auto& [platformId, encoding, offset] : {std::tuple{1, 0, 20u}, std::tuple{3, 1, 282u}}) {
        TTFPut16(cmap, uint16_t(platformId));
        TTFPut16(cmap, uint16_t(encoding));
        TTFPut32(cmap, offset);
    }
    TTFPut16(cmap, 0);
    TTFPut16(cmap, 262);
    TTFPut16(cmap, 0);
    std::string bytes(256, '\0');
    bytes[32] = char(BlankGlyph);

    // The used characters with outlines, by Unicode value; every code gets its own mapping
    // even when it shares its glyph with another.
    std::vector<std::pair<uint16_t, uint16_t>> items;
    for (uint16_t code : Codes_) {
        const uint8_t byte = UnicodeToWinAnsi(code);
        const uint16_t glyph = NewId_[Font_.CodeToGlyph(code)];
        if (byte <= 32 || glyph == 0) continue;
        // A format 0 entry holds one byte; a larger id is only reached through format 4.
        if (glyph <= 0xFF) bytes[byte] = char(glyph);
        items.emplace_back(code, glyph);
    }
    cmap += bytes;

    struct TSegment {
        uint16_t Start, End, Delta;
    };
    std::vector<TSegment> segments{{32, 32, uint16_t(BlankGlyph - 32)}};
    uint16_t lastGlyph = BlankGlyph;
    for (const auto& [code, glyph] : items) {
        TSegment& last = segments.back();
        if (code == last.End + 1 && glyph == lastGlyph + 1)
            last.End = code;
        else
            segments.push_back({code, code, uint16_t(glyph - code)});
        lastGlyph = glyph;
    }
    segments.push_back({0xFFFF, 0xFFFF, 1});
    const uint16_t segCount = uint16_t(segments.size());
    uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= segCount) ++entrySelector;
    const uint16_t searchRange = uint16_t(2u << entrySelector);
    TTFPut16(cmap, 4);
    TTFPut16(cmap, uint16_t(16 + 8 * segCount));
    TTFPut16(cmap, 0);
    TTFPut16(cmap, uint16_t(2 * segCount));
    TTFPut16(cmap, searchRange);
    TTFPut16(cmap, entrySelector);
    TTFPut16(cmap, uint16_t(2 * segCount - searchRange));
    for (const TSegment& segment : segments) TTFPut16(cmap, segment.End);
    TTFPut16(cmap, 0);
    for (const TSegment& segment : segments) TTFPut16(cmap, segment.Start);
    for (const TSegment& segment : segments) TTFPut16(cmap, segment.Delta);
    for (size_t i = 0; i < segments.size(); ++i) TTFPut16(cmap, 0);
    return cmap;
}

void TAnsiFontSubset::PutMetric(std::string& hmtx, uint16_t glyph) const {
    const std::string_view source = Font_.Require("hmtx");
    const uint16_t metrics = Font_.NumberOfHMetrics();
    TTFPut16(hmtx, TTFGet16(source, 4 * size_t(std::min<uint16_t>(glyph, metrics - 1))));
    const size_t lsb = glyph < metrics ? 4 * size_t(glyph) + 2 : 4 * size_t(metrics) + 2 * size_t(glyph - metrics);
    if (lsb + 2 <= source.size()) {
        TTFPut16(hmtx, TTFGet16(source, lsb));
    } else {
        // A short side-bearing array: the outline's own xMin is the bearing.
        const std::string_view outline = Glyphs_->Glyph(glyph);
        TTFPut16(hmtx, outline.size() >= 4 ? TTFGet16(outline, 2) : 0);
    }
}

std::string TAnsiFontSubset::MakeHmtx() const {
    std::string hmtx(8, '\0');
    // The blank keeps the source blank's advance.
    const uint16_t blank = Font_.CodeToGlyph(32);
    if (blank != 0)
        PutMetric(hmtx, blank);
    else
        hmtx.append(4, '\0');
    for (uint16_t source : Sources_) PutMetric(hmtx, source);
    return hmtx;
}

std::string TAnsiFontSubset::WriteSubset() const {
    const uint16_t glyphCount = uint16_t(Sources_.size() + FirstNewGlyph);
    std::string glyf;
    std::vector<uint32_t> offsets(FirstNewGlyph + 1, 0);
    for (const std::string& outline : Outlines_) {
        AppendPaddedGlyph(glyf, outline);
        offsets.push_back(uint32_t(glyf.size()));
    }
    std::string loca;
    const bool longLoca = WriteLoca(offsets, loca);

    std::string head = Head(Font_.Require("head"), 54, 54);
    TTFSet16(head, 50, longLoca ? 1 : 0);
    std::string hhea = Head(Font_.Require("hhea"), 36, 36);
    TTFSet16(hhea, 34, glyphCount);
    std::string maxp = Head(Font_.Require("maxp"), 32, 6);
    TTFSet16(maxp, 4, glyphCount);

    std::vector<std::pair<std::string, std::string>> tables;
    tables.emplace_back("cmap", MakeCmap());
    tables.emplace_back("glyf", std::move(glyf));
    tables.emplace_back("head", std::move(head));
    tables.emplace_back("hhea", std::move(hhea));
    tables.emplace_back("hmtx", MakeHmtx());
    tables.emplace_back("loca", std::move(loca));
    tables.emplace_back("maxp", std::move(maxp));
    tables.emplace_back("name", AnsiSubsetNameTable());
    tables.emplace_back("post", MakePostV3(Font_.Require("post")));
    for (const char* tag : {"cvt ", "fpgm", "prep"})
        if (auto table = Font_.File().Table(tag)) tables.emplace_back(tag, std::string(*table));
    return AssembleFont(std::move(tables));
}

std::string CreateAnsiFontSubset(const TTTFData& font, const std::string& faceName,
                                 const std::vector<uint16_t>& codes) {
    return TAnsiFontSubset(font).Build(faceName, codes);
}

}  // namespace pdf
