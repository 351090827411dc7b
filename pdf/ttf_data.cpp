#include "pdf/ttf_data.h"

#include <algorithm>

#include "base/exception.h"
#include "pdf/pdf_hex.h"
#include "pdf/pdf_number_format.h"
#include "pdf/ttf_bytes.h"

namespace pdf {

TTTFData::TTTFData(std::shared_ptr<const platform::TFontFile> file, TFontStyles style)
    : File_(std::move(file)), Style_(style) {
    LoadMetrics();
    LoadCmap();
    BuildCharTable();
}

std::string_view TTTFData::Require(std::string_view tag) const {
    const auto table = File_->Table(tag);
    if (!table) throw base::Exception("Cannot recieve data from font");
    return *table;
}

void TTTFData::LoadMetrics() {
    const std::string_view head = Require("head");
    const std::string_view hhea = Require("hhea");
    const std::string_view maxp = Require("maxp");
    Hmtx_ = Require("hmtx");
    UnitsPerEm_ = TTFGet16(head, 18);
    if (UnitsPerEm_ < 16 || UnitsPerEm_ > 16384) ThrowBadFontFormat();
    for (int i = 0; i < 4; ++i) BBox_[i] = TTFGetS16(head, 36 + 2 * size_t(i));
    LongLoca_ = TTFGetS16(head, 50) == 1;
    NumGlyphs_ = TTFGet16(maxp, 4);
    NumberOfHMetrics_ = TTFGet16(hhea, 34);
    if (NumGlyphs_ == 0 || NumberOfHMetrics_ == 0 || NumberOfHMetrics_ > NumGlyphs_ ||
        Hmtx_.size() < size_t(NumberOfHMetrics_) * 4)
        ThrowBadFontFormat();
    Ascent_ = TextAscent_ = TTFGetS16(hhea, 4);
    Descent_ = TTFGetS16(hhea, 6);
    TextDescent_ = -Descent_;
    if (auto os2 = File_->Table("OS/2"); os2 && os2->size() >= 78) {
        Ascent_ = TTFGetS16(*os2, 68);
        Descent_ = TTFGetS16(*os2, 70);
        TextAscent_ = TTFGet16(*os2, 74);
        TextDescent_ = TTFGet16(*os2, 76);
    }
    if (auto post = File_->Table("post"); post && post->size() >= 16) {
        ItalicAngle_ = int32_t(TTFGet32(*post, 4)) / 65536.0;
        FixedPitch_ = TTFGet32(*post, 12) != 0;
    }
}

void TTTFData::LoadCmap() {
    const std::string_view cmap = Require("cmap");
    const uint16_t count = TTFGet16(cmap, 2);
    uint32_t offset = 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t record = 4 + 8 * i;
        const uint16_t platformId = TTFGet16(cmap, record), encoding = TTFGet16(cmap, record + 2);
        if (platformId != 3 || encoding > 1) continue;
        offset = TTFGet32(cmap, record + 4);
        if (encoding == 1) break;
    }
    // Only the Windows Unicode or symbol subtable of format 4 is understood.
    if (offset == 0 || offset >= cmap.size() || TTFGet16(cmap, offset) != 4) ThrowBadFontFormat();
    const std::string_view table = cmap.substr(offset);
    const size_t segments = TTFGet16(table, 6) / 2;
    if (segments == 0) ThrowBadFontFormat();
    const size_t ends = 14, starts = ends + 2 * segments + 2, deltas = starts + 2 * segments,
                 ranges = deltas + 2 * segments, glyphs = ranges + 2 * segments;
    if (glyphs > table.size()) ThrowBadFontFormat();
    for (size_t i = 0; i < segments; ++i) {
        EndCode_.push_back(TTFGet16(table, ends + 2 * i));
        StartCode_.push_back(TTFGet16(table, starts + 2 * i));
        IdDelta_.push_back(TTFGetS16(table, deltas + 2 * i));
        IdRangeOffset_.push_back(TTFGet16(table, ranges + 2 * i));
        // Segments must ascend without overlap; this also bounds the character table.
        if (StartCode_[i] > EndCode_[i] || (i > 0 && StartCode_[i] <= EndCode_[i - 1])) ThrowBadFontFormat();
    }
    GlyphIdArray_ = table.substr(glyphs);
}

bool TTTFData::HasSegment(uint16_t code) const {
    const auto found = std::lower_bound(EndCode_.begin(), EndCode_.end(), code);
    return found != EndCode_.end() && StartCode_[size_t(found - EndCode_.begin())] <= code;
}

uint16_t TTTFData::CodeToGlyph(uint32_t code) const {
    if (code > 0xFFFF) return 0;
    const auto found = std::lower_bound(EndCode_.begin(), EndCode_.end(), uint16_t(code));
    if (found == EndCode_.end()) return 0;
    const size_t i = size_t(found - EndCode_.begin());
    if (code < StartCode_[i]) return 0;
    uint16_t glyph;
    if (IdRangeOffset_[i] == 0) {
        glyph = uint16_t(code + uint16_t(IdDelta_[i]));
    } else {
        // idRangeOffset counts from its own slot: word index relative to the glyph id array.
        const int64_t index =
            int64_t(IdRangeOffset_[i] / 2) + (code - StartCode_[i]) + int64_t(i) - int64_t(EndCode_.size());
        if (index < 0 || size_t(index) * 2 + 2 > GlyphIdArray_.size()) return 0;
        glyph = TTFGet16(GlyphIdArray_, size_t(index) * 2);
        if (glyph == 0) return 0;
        glyph = uint16_t(glyph + uint16_t(IdDelta_[i]));
    }
    return glyph < NumGlyphs_ ? glyph : 0;
}

uint16_t TTTFData::GlyphWidth(uint16_t glyph) const {
    size_t entry = FixedPitch_ ? 0 : std::min<size_t>(glyph, NumberOfHMetrics_ - 1u);
    return uint16_t(uint32_t(TTFGet16(Hmtx_, entry * 4)) * 1000 / UnitsPerEm_);
}

void TTTFData::BuildCharTable() {
    for (size_t i = 0; i + 1 < EndCode_.size(); ++i)
        for (uint32_t code = StartCode_[i]; code <= EndCode_[i]; ++code) {
            const uint16_t glyph = CodeToGlyph(code);
            Chars_.push_back({uint16_t(code), glyph, GlyphWidth(glyph), false});
        }
    if (Chars_.empty()) ThrowBadFontFormat();
}

size_t TTTFData::FindIndex(uint16_t code) const {
    const auto found = std::lower_bound(Chars_.begin(), Chars_.end(), code,
                                        [](const TTTFCharEntry& entry, uint16_t key) { return entry.Code < key; });
    // A character the font lacks is shown with the table's first entry.
    if (found == Chars_.end() || found->Code != code) return 0;
    return size_t(found - Chars_.begin());
}

uint16_t TTTFData::UseChar(uint16_t code) {
    TTTFCharEntry& entry = Chars_[FindIndex(code)];
    entry.Used = true;
    return entry.Glyph;
}

TTTFCharEntry& TTTFData::FindGlyph(uint16_t glyph) {
    for (TTTFCharEntry& entry : Chars_)
        if (entry.Glyph == glyph) return entry;
    return Chars_.front();
}

std::string TTTFData::GetWidthArray() const {
    std::string result = "[";
    for (const TTTFCharEntry& entry : Chars_) {
        if (!entry.Used) continue;
        AppendPDFInt(result, entry.Glyph);
        result += '[';
        AppendPDFInt(result, entry.Width);
        result += ']';
    }
    result += ']';
    return result;
}

std::string TTTFData::WriteToUnicode(const std::string& name) const {
    std::vector<const TTTFCharEntry*> used;
    for (const TTTFCharEntry& entry : Chars_)
        if (entry.Used) used.push_back(&entry);
    std::string text = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CIDSystemInfo << \r";
    text.append("/Registry (").append(name).append("+0) /Ordering (T42UV) /Supplement 0 >> def\r");
    text.append("/CMapName /").append(name).append("+0 def\r");
    text += "/CMapType 2 def\r";
    text += "1 begincodespacerange <0000> <FFFF> endcodespacerange\r";
    size_t done = 0;
    do {
        const size_t block = std::min<size_t>(100, used.size() - done);
        AppendPDFInt(text, int64_t(block));
        text += " beginbfchar\r";
        for (size_t i = done; i < done + block; ++i) {
            text += '<';
            text += WordToHex(used[i]->Glyph);
            text += "> <";
            text += WordToHex(used[i]->Code);
            text += ">\r";
        }
        text += "endbfchar\r";
        done += block;
    } while (done < used.size());
    text += "endcmap CMapName currentdict /CMap defineresource pop end end";
    return text;
}

}  // namespace pdf
