#include "pdf/ttf_glyphs.h"

#include <algorithm>

#include "pdf/ttf_bytes.h"

namespace pdf {
namespace {

constexpr uint16_t ArgsAreWords = 0x0001;
constexpr uint16_t HaveScale = 0x0008;
constexpr uint16_t MoreComponents = 0x0020;
constexpr uint16_t HaveXYScale = 0x0040;
constexpr uint16_t HaveTwoByTwo = 0x0080;

}  // namespace

TTTFGlyphs::TTTFGlyphs(std::string_view loca, std::string_view glyf, bool longOffsets, uint16_t numGlyphs)
    : Glyf_(glyf) {
    Offsets_.reserve(size_t(numGlyphs) + 1);
    for (size_t g = 0; g <= numGlyphs; ++g) {
        const uint32_t offset = longOffsets ? TTFGet32(loca, 4 * g) : uint32_t(TTFGet16(loca, 2 * g)) * 2;
        if (offset > glyf.size() || (g > 0 && offset < Offsets_.back())) ThrowBadFontFormat();
        Offsets_.push_back(offset);
    }
}

std::string_view TTTFGlyphs::Glyph(uint16_t glyph) const {
    if (glyph >= Count()) return {};
    return Glyf_.substr(Offsets_[glyph], Offsets_[glyph + 1] - Offsets_[glyph]);
}

std::vector<size_t> TTTFGlyphs::ComponentIndexOffsets(std::string_view glyph) const {
    std::vector<size_t> result;
    if (glyph.size() < 10 || TTFGetS16(glyph, 0) >= 0) return result;
    size_t offset = 10;
    for (;;) {
        const uint16_t flags = TTFGet16(glyph, offset);
        if (TTFGet16(glyph, offset + 2) >= Count()) ThrowBadFontFormat();
        result.push_back(offset + 2);
        offset += 4 + ((flags & ArgsAreWords) ? 4 : 2);
        if (flags & HaveScale)
            offset += 2;
        else if (flags & HaveXYScale)
            offset += 4;
        else if (flags & HaveTwoByTwo)
            offset += 8;
        if (!(flags & MoreComponents)) break;
        if (offset > glyph.size()) ThrowBadFontFormat();
    }
    return result;
}

void TTTFGlyphs::Keep(uint16_t glyph, std::vector<bool>& kept) const {
    if (glyph >= Count() || kept[glyph]) return;
    kept[glyph] = true;
    // A work list instead of recursion: nesting depth comes from the file.
    std::vector<uint16_t> pending{glyph};
    while (!pending.empty()) {
        const std::string_view data = Glyph(pending.back());
        pending.pop_back();
        for (size_t offset : ComponentIndexOffsets(data)) {
            const uint16_t component = TTFGet16(data, offset);
            if (kept[component]) continue;
            kept[component] = true;
            pending.push_back(component);
        }
    }
}

void AppendPaddedGlyph(std::string& glyf, std::string_view glyph) {
    glyf += glyph;
    if (glyph.size() % 2) glyf += '\0';
}

bool WriteLoca(const std::vector<uint32_t>& offsets, std::string& loca) {
    const bool longOffsets = !offsets.empty() && offsets.back() > 0x1FFFE;
    loca.clear();
    loca.reserve(offsets.size() * (longOffsets ? 4 : 2));
    for (uint32_t offset : offsets) {
        if (longOffsets)
            TTFPut32(loca, offset);
        else
            TTFPut16(loca, uint16_t(offset / 2));
    }
    return longOffsets;
}

std::string AssembleFont(std::vector<std::pair<std::string, std::string>> tables) {
    std::sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const uint16_t count = uint16_t(tables.size());
    uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= count) ++entrySelector;
    const uint16_t searchRange = uint16_t(16u << entrySelector);
    std::string font;
    TTFPut32(font, 0x00010000);
    TTFPut16(font, count);
    TTFPut16(font, searchRange);
    TTFPut16(font, entrySelector);
    TTFPut16(font, uint16_t(count * 16 - searchRange));
    size_t offset = 12 + 16 * size_t(count);
    size_t headOffset = 0;
    for (auto& [tag, data] : tables) {
        if (tag == "head") {
            // checkSumAdjustment counts as zero in the table's own checksum.
            TTFSet32(data, 8, 0);
            headOffset = offset;
        }
        font += tag;
        TTFPut32(font, TTFChecksum(data));
        TTFPut32(font, uint32_t(offset));
        TTFPut32(font, uint32_t(data.size()));
        offset += (data.size() + 3) & ~size_t(3);
    }
    for (const auto& table : tables) {
        font += table.second;
        font.append((4 - table.second.size() % 4) % 4, '\0');
    }
    if (headOffset) TTFSet32(font, headOffset + 8, 0xB1B0AFBA - TTFChecksum(font));
    return font;
}

std::string WholeFontProgram(const platform::TFontFile& file) {
    if (!file.InCollection()) return std::string(file.Bytes());
    std::vector<std::pair<std::string, std::string>> tables;
    for (std::string& tag : file.TableTags()) {
        std::string data(*file.Table(tag));
        tables.emplace_back(std::move(tag), std::move(data));
    }
    return AssembleFont(std::move(tables));
}

std::string MakePostV3(std::string_view sourcePost) {
    std::string post;
    TTFPut32(post, 0x00030000);
    // italicAngle, underlinePosition, underlineThickness, isFixedPitch; the memory hints are 0.
    if (sourcePost.size() >= 16)
        post.append(sourcePost.substr(4, 12));
    else
        post.append(12, '\0');
    post.append(16, '\0');
    return post;
}

}  // namespace pdf
