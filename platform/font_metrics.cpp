#include "platform/font_metrics.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>

#include "base/byte_reader.h"

namespace platform {
namespace {

[[noreturn]] void DamagedFont() { throw EFontError("Damaged font metrics"); }

std::string_view Require(const TFontFile& file, std::string_view tag) {
    const auto table = file.Table(tag);
    if (!table) DamagedFont();
    return *table;
}

}  // namespace

std::shared_ptr<const TFontMetrics> TFontMetrics::Of(const std::string& family, bool bold, bool italic) {
    static std::mutex guard;
    static std::map<std::tuple<std::string, int>, std::shared_ptr<const TFontMetrics>> cache;
    static const auto fallback = std::make_shared<const TFontMetrics>();
    const auto faces = Fonts::FacesOf(family);
    if (faces.empty()) return fallback;
    const TFontFace* chosen = faces.front();
    for (const TFontFace* face : faces)
        if (face->Bold == bold && face->Italic == italic) {
            chosen = face;
            break;
        }
    std::lock_guard lock(guard);
    auto& entry = cache[{chosen->File, chosen->Index}];
    if (!entry) {
        try {
            entry = std::make_shared<const TFontMetrics>(*Fonts::Open(*chosen));
        } catch (const base::Exception&) {
            // A face whose tables cannot be read measures like a missing one.
            entry = fallback;
        }
    }
    return entry;
}

TFontMetrics::TFontMetrics(const TFontFile& file) : Fixed_(false) {
    const base::TByteReader head(Require(file, "head"), DamagedFont);
    UnitsPerEm_ = head.U16BEAt(18);
    if (UnitsPerEm_ < 16) DamagedFont();
    const base::TByteReader hhea(Require(file, "hhea"), DamagedFont);
    Ascent_ = hhea.I16BEAt(4);
    Descent_ = -hhea.I16BEAt(6);
    // The device measures with the Windows ascent and descent of OS/2 when the face has them.
    if (const auto os2 = file.Table("OS/2"); os2 && os2->size() >= 78) {
        const base::TByteReader r(*os2, DamagedFont);
        Ascent_ = r.U16BEAt(74);
        Descent_ = r.U16BEAt(76);
        AverageWidth_ = r.I16BEAt(2);
    } else {
        AverageWidth_ = UnitsPerEm_ / 2;
    }
    const uint16_t metrics = hhea.U16BEAt(34);
    base::TByteReader hmtx(Require(file, "hmtx"), DamagedFont);
    if (metrics == 0 || metrics > hmtx.Size() / 4) DamagedFont();
    Advances_.resize(metrics);
    for (uint16_t& advance : Advances_) {
        advance = hmtx.U16BE();
        hmtx.Skip(2);
    }

    const base::TByteReader cmap(Require(file, "cmap"), DamagedFont);
    const uint16_t tables = cmap.U16BEAt(2);
    size_t format4 = 0, format12 = 0;
    for (uint16_t i = 0; i < tables; ++i) {
        const uint16_t platform = cmap.U16BEAt(4 + 8 * i), encoding = cmap.U16BEAt(6 + 8 * i);
        const uint32_t offset = cmap.U32BEAt(8 + 8 * i);
        if (offset + 2 > cmap.Size()) continue;
        const uint16_t format = cmap.U16BEAt(offset);
        if (format == 4 && (platform == 0 || (platform == 3 && encoding == 1)) && !format4) format4 = offset;
        if (format == 12 && (platform == 0 || (platform == 3 && encoding == 10)) && !format12) format12 = offset;
    }
    if (format12) {
        const uint32_t groups = cmap.U32BEAt(format12 + 12);
        if (groups > (cmap.Size() - format12) / 12) DamagedFont();
        for (uint32_t g = 0; g < groups; ++g) {
            const size_t at = format12 + 16 + 12 * size_t(g);
            const uint32_t first = cmap.U32BEAt(at), last = cmap.U32BEAt(at + 4), glyph = cmap.U32BEAt(at + 8);
            if (last >= first) Ranges_.push_back({first, last, int32_t(glyph) - int32_t(first), -1});
        }
    } else if (format4) {
        const uint16_t segments = cmap.U16BEAt(format4 + 6) / 2;
        const size_t ends = format4 + 14, starts = ends + 2 * size_t(segments) + 2,
                     deltas = starts + 2 * size_t(segments), ranges = deltas + 2 * size_t(segments);
        const uint16_t length = cmap.U16BEAt(format4 + 2);
        const size_t tableEnd =
            std::min(cmap.Size(), format4 + std::max<size_t>(length, ranges + 2 * size_t(segments)));
        if (ranges + 2 * size_t(segments) > tableEnd) DamagedFont();
        const size_t glyphStart = ranges + 2 * size_t(segments);
        for (size_t at = glyphStart; at + 2 <= tableEnd; at += 2) GlyphIds_.push_back(cmap.U16BEAt(at));
        for (uint16_t s = 0; s < segments; ++s) {
            const uint16_t end = cmap.U16BEAt(ends + 2 * s), start = cmap.U16BEAt(starts + 2 * s);
            const int16_t delta = cmap.I16BEAt(deltas + 2 * s);
            const uint16_t rangeOffset = cmap.U16BEAt(ranges + 2 * s);
            if (end < start) continue;
            // idRangeOffset counts bytes from its own slot to the glyph of the start code.
            const int64_t index = rangeOffset ? int64_t(ranges + 2 * s + rangeOffset - glyphStart) / 2 : -1;
            Ranges_.push_back({start, end, delta, int32_t(std::clamp<int64_t>(index, -1, INT32_MAX))});
        }
    }
    std::sort(Ranges_.begin(), Ranges_.end(), [](const TRange& a, const TRange& b) { return a.First < b.First; });
}

uint16_t TFontMetrics::Glyph(uint32_t code) const {
    auto it =
        std::upper_bound(Ranges_.begin(), Ranges_.end(), code, [](uint32_t c, const TRange& r) { return c < r.First; });
    if (it == Ranges_.begin()) return 0;
    const TRange& range = *--it;
    if (code > range.Last) return 0;
    if (range.GlyphArray < 0) return uint16_t(int64_t(code) + range.Delta);
    const size_t index = size_t(range.GlyphArray) + (code - range.First);
    if (index >= GlyphIds_.size() || GlyphIds_[index] == 0) return 0;
    return uint16_t(GlyphIds_[index] + range.Delta);
}

uint16_t TFontMetrics::AdvanceUnits(uint16_t glyph) const {
    if (Advances_.empty()) return 0;
    return Advances_[std::min<size_t>(glyph, Advances_.size() - 1)];
}

double TFontMetrics::EmPixels(int logicalHeight) const {
    if (logicalHeight < 0) return -double(logicalHeight);
    if (logicalHeight == 0) return 16;
    const int cell = Ascent_ + Descent_;
    return cell > 0 ? double(logicalHeight) * UnitsPerEm_ / cell : logicalHeight;
}

TTextMetrics TFontMetrics::Metrics(int logicalHeight) const {
    const double em = EmPixels(logicalHeight);
    TTextMetrics m;
    m.Ascent = int(std::lround(Ascent_ * em / UnitsPerEm_));
    m.Descent = int(std::lround(Descent_ * em / UnitsPerEm_));
    m.Height = m.Ascent + m.Descent;
    m.InternalLeading = std::max(0, m.Height - int(std::lround(em)));
    return m;
}

int TFontMetrics::Advance(char16_t code, int logicalHeight) const {
    const double em = EmPixels(logicalHeight);
    if (Fixed_) return int(std::lround(em / 2));
    return int(std::lround(AdvanceUnits(Glyph(code)) * em / UnitsPerEm_));
}

double TFontMetrics::AverageWidth(int logicalHeight) const {
    return AverageWidth_ * EmPixels(logicalHeight) / UnitsPerEm_;
}

int TFontMetrics::TextWidth(std::u16string_view text, int logicalHeight) const {
    int width = 0;
    for (char16_t c : text) width += Advance(c, logicalHeight);
    return width;
}

}  // namespace platform
