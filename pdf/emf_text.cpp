// Text records of a page's metafile: the page font chosen from the logical font, the text origin by
// alignment, advances, and the text's own background and clip.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/emf_parser.h"
#include "pdf/font_lookup.h"
#include "pdf/pdf_page.h"

namespace pdf {

using namespace platform::emf;

namespace {

constexpr uint8_t SystemCharset = 0;  // the system's default charset: ANSI here
constexpr uint8_t SymbolCharset = 2;

int MulDiv(int64_t a, int64_t b, int64_t c) {
    const int64_t product = a * b;
    return int((product >= 0 ? product + c / 2 : product - c / 2) / c);
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

}  // namespace

void TEMWParser::SelectPDFFont() {
    if (!FontDirty_) return;
    FontDirty_ = false;
    TEmfFont& font = TrackedFont_;
    TFontStyles styles = 0;
    if (font.Weight >= 600) styles |= fsBold;
    if (font.Italic) styles |= fsItalic;
    if (font.Underline) styles |= fsUnderline;
    if (font.StrikeOut) styles |= fsStrikeOut;
    const std::string upper = Upper(font.FaceName);
    bool substitute = upper == "HELVETICA" && font.Charset != 0;
    std::string substituteName;
    if (upper == "WINGDINGS") font.Charset = SymbolCharset;
    if (!IsTrueTypeFontInstalled(font.FaceName, font.Charset)) {
        if (font.Charset == SystemCharset && IsTrueTypeFontInstalled(font.FaceName, 1)) {
            font.Charset = 1;
        } else {
            substitute = true;
            substituteName = FindTrueTypeFontForCharset(font.Charset);
        }
    }
    const platform::TTextMetrics tm = Dc_.TextMetrics();
    const int points = font.Height < 0 ? MulDiv(-int64_t(font.Height), 72, ReferencePixelsPerInch)
                                       : MulDiv(tm.Height - tm.InternalLeading, 72, ReferencePixelsPerInch);
    PdfSize_ = ExtentScaleY() * std::fabs(WorldScaleY_) * points;
    PdfStyles_ = styles;
    BytesCharset_ = font.Charset;
    if (!substitute) {
        PdfFace_ = font.FaceName;
        PdfCharset_ = 0;
    } else if (upper == "COURIER") {
        PdfFace_ = "Courier New";
        PdfCharset_ = font.Charset;
    } else if (upper == "TIMES") {
        PdfFace_ = "Times New Roman";
        PdfCharset_ = font.Charset;
    } else if (!substituteName.empty()) {
        PdfFace_ = substituteName;
        PdfCharset_ = font.Charset;
    } else {
        PdfFace_ = "Arial";
        PdfCharset_ = 0;
    }
    if (substitute) BytesCharset_ = PdfCharset_;
    const double average = Dc_.AverageWidth();
    Page_.SetHorizontalScaling(font.Width != 0 && average > 0 ? std::fabs(font.Width) / average * 100 : 100);
}

// Byte strings keep the charset the font carries, so that double-byte text decodes.
void TEMWParser::ApplyPageFont(bool bytes) {
    Page_.SetActiveFont(PdfFace_, PdfStyles_, PdfSize_, bytes ? BytesCharset_ : PdfCharset_);
}

void TEMWParser::BeginTextBackground(uint32_t options, const TRect& rect, bool hasChars, bool& opened, bool& closedOwn,
                                     uint32_t& keptFill) {
    opened = closedOwn = false;
    const bool opaqueMode = Dc_.State.BkMode != TRANSPARENT;
    const bool clipped = options & ETO_CLIPPED;
    if (!clipped && !(options & ETO_OPAQUE) && !opaqueMode) return;
    keptFill = LastFillColor_;
    const bool opaque = (options & ETO_OPAQUE) || opaqueMode;
    const bool nonEmpty = rect.Right - int64_t(rect.Left) > 0 && rect.Bottom - int64_t(rect.Top) > 0;
    const double l = MapX(rect.Left), t = MapY(rect.Top), r = MapX(rect.Right), b = MapY(rect.Bottom);
    bool painted = false;
    if (clipped && hasChars) {
        if (ClipActive_) {
            Page_.GStateRestore();
            closedOwn = true;
        }
        Page_.GStateSave();
        opened = true;
        Page_.NewPath();
        painted = opaque && nonEmpty;
        if (painted) ApplyBkColor();
        Page_.Rectangle(l, t, r, b);
        Page_.Clip();
        painted ? Page_.Fill() : Page_.NewPath();
    }
    if (!painted && opaque && nonEmpty) {
        ApplyBkColor();
        Page_.NewPath();
        Page_.Rectangle(l, t, r, b);
        Page_.Fill();
    }
}

void TEMWParser::ReopenOwnClip(bool closedOwn) {
    if (!closedOwn) return;
    if (ClipRectValid_) {
        Page_.GStateSave();
        Page_.Rectangle(ClipRect_[0], ClipRect_[1], ClipRect_[2], ClipRect_[3]);
        Page_.Clip();
        Page_.NewPath();
    } else {
        ClipActive_ = false;
    }
}

void TEMWParser::EndTextBackground(bool opened, bool closedOwn, uint32_t keptFill) {
    if (!opened) return;
    Page_.GStateRestore();
    FontDirty_ = true;
    LastFillColor_ = keptFill;
    ReopenOwnClip(closedOwn);
}

void TEMWParser::DoExtTextOut(TReader& r, bool wide) {
    Page_.SetTextBaseline(false);
    r.Skip(16 + 12);  // bounds, graphics mode, scales
    TEmfPoint origin = ReadPoint(r, false);
    const uint32_t count = r.U32LE(), offString = r.U32LE(), options = r.U32LE();
    TRect rect;
    if (!(options & ETO_NO_RECT)) rect = ReadRect(r);
    const uint32_t offDx = r.U32LE();
    const bool glyphs = wide && (options & ETO_GLYPH_INDEX);
    // The string and the advances must lie inside the record.
    TReader text = r.Sub(offString, size_t(count) * (wide ? 2 : 1));
    std::vector<int32_t> dx;
    if (offDx && count) {
        TReader advances = r.Sub(offDx, size_t(count) * 4);
        dx.resize(count);
        for (int32_t& d : dx) d = advances.I32LE();
    }

    bool opened, closedOwn;
    uint32_t keptFill = 0;
    BeginTextBackground(options, rect, count > 0, opened, closedOwn, keptFill);
    if (count != 0) {
        ApplyTextColor();
        SelectPDFFont();
        ApplyPageFont(!wide);
        std::u16string chars;
        std::string bytes;
        if (wide) {
            chars.resize(count);
            for (char16_t& c : chars) c = text.U16LE();
        } else {
            const auto span = text.Bytes(count);
            bytes.assign(span.begin(), span.end());
        }
        std::vector<double> advances;
        double total = rect.Right - double(rect.Left);
        if (!dx.empty()) {
            total = 0;
            advances.resize(count);
            const double scale = std::fabs(WorldScaleY_) * ExtentScaleX() * DeviceFactorX_;
            for (size_t i = 0; i < count; ++i) {
                advances[i] = scale * dx[i];
                total += dx[i];
            }
            total *= ExtentScaleX();
        }
        const double angle = TrackedFont_.Escapement / 10.0;
        double x = origin.X, y = origin.Y;
        if (UpdateCP_) {
            x = CurrentPosition_.X, y = CurrentPosition_.Y;
            const double e = angle * std::numbers::pi / 180;
            const double direction = HorizontalAlign_ == 0 ? 1 : HorizontalAlign_ == 2 ? -1 : 0;
            CurrentPosition_.X += int32_t(std::lround(std::clamp(direction * total * std::cos(e), -1e9, 1e9)));
            CurrentPosition_.Y -= int32_t(std::lround(std::clamp(direction * total * std::sin(e), -1e9, 1e9)));
        }
        const double h = HorizontalAlign_ == 1 ? total / 2 : HorizontalAlign_ == 2 ? total : 0;
        if (TrackedFont_.Escapement != 0 && (HorizontalAlign_ != 0 || VerticalAlign_ != 0)) {
            const platform::TTextMetrics tm = Dc_.TextMetrics();
            const double v = VerticalAlign_ == 1 ? tm.Ascent : VerticalAlign_ == 2 ? tm.Height : 0;
            const double a = TrackedFont_.Escapement * std::numbers::pi / 1800;
            if (v != 0) {
                const double d = std::sqrt(v * v + h * h);
                x -= d * std::cos(a - std::asin(v / d));
                y += d * std::sin(a - std::asin(v / d));
            } else {
                x -= h * std::cos(a);
                y += h * std::sin(a);
            }
        } else if (TrackedFont_.Escapement == 0) {
            if (VerticalAlign_ == 1) Page_.SetTextBaseline(true);
            if (VerticalAlign_ == 2) y -= Dc_.TextHeight();
            x -= h;
        }
        x = MapX(x);
        y = MapY(y);
        const double* a = advances.empty() ? nullptr : advances.data();
        if (glyphs) {
            std::vector<uint16_t> ids(chars.begin(), chars.end());
            Page_.GlyphTextOut(ids.data(), ids.size(), a, x, y, angle);
        } else if (wide) {
            Page_.ExtWideTextOut(chars, a, x, y, angle);
        } else {
            Page_.ExtTextOut(bytes, a, x, y, angle);
        }
    }
    EndTextBackground(opened, closedOwn, keptFill);
}

void TEMWParser::DoSmallTextOut(TReader& r) {
    const TEmfPoint origin = ReadPoint(r, false);
    const uint32_t count = r.U32LE(), options = r.U32LE();
    r.Skip(12);  // graphics mode, scales
    if (count == 0) return;
    Page_.SetCharacterSpacing(0);
    const bool hasRect = !(options & ETO_NO_RECT);
    TRect rect;
    if (hasRect) rect = ReadRect(r);
    const bool small = options & ETO_SMALL_CHARS;
    TReader text = r.Split(size_t(count) * (small ? 1 : 2));
    double y = origin.Y;
    if (VerticalAlign_ == 1) Page_.SetTextBaseline(true);
    if (VerticalAlign_ == 2) y -= Dc_.TextHeight();
    y = MapY(y);
    ApplyTextColor();
    SelectPDFFont();
    ApplyPageFont(small);
    const double x = MapX(origin.X);
    auto output = [&] {
        if (options & ETO_GLYPH_INDEX) {
            std::vector<uint16_t> ids(count);
            for (uint16_t& id : ids) id = text.U16LE();
            return Page_.GlyphTextOut(ids.data(), ids.size(), nullptr, x, y);
        }
        if (small) {
            const auto span = text.Bytes(count);
            return Page_.TextOut(std::string(span.begin(), span.end()), x, y);
        }
        std::u16string chars(count, u'\0');
        for (char16_t& c : chars) c = text.U16LE();
        Page_.WideTextOut(chars, x, y);
    };
    if (!hasRect) return output();
    bool closedOwn = false;
    if (ClipActive_) {
        Page_.GStateRestore();
        closedOwn = true;
    }
    Page_.GStateSave();
    Page_.NewPath();
    Page_.Rectangle(MapX(rect.Left), MapY(rect.Top), MapX(rect.Right), MapY(rect.Bottom));
    Page_.Clip();
    Page_.NewPath();
    output();
    Page_.GStateRestore();
    FontDirty_ = true;
    ReopenOwnClip(closedOwn);
}

}  // namespace pdf
