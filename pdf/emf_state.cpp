// Device-context state, objects and clipping records of a page's metafile.
#include <bit>
#include <cmath>

#include "base/text_encoding.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_page.h"

namespace pdf {

using namespace platform::emf;

namespace {

constexpr const char* Dashes[] = {"", "[4 4] 0", "[1 1] 0", "[4 1 1 1] 0", "[4 1 1 1 1 1] 0"};

float ReadFloat(base::TByteReader& r) { return std::bit_cast<float>(r.U32LE()); }

// A transform whose numbers are not finite would poison every coordinate after it.
bool ReadXForm(base::TByteReader& r, TXForm& xform) {
    double v[6];
    for (double& value : v) {
        value = ReadFloat(r);
        if (!std::isfinite(value) || std::fabs(value) > 1e9) return false;
    }
    xform = {v[0], v[1], v[2], v[3], v[4], v[5]};
    return true;
}

TEmfFont ReadLogFont(base::TByteReader& r) {
    TEmfFont font;
    font.Height = r.I32LE();
    font.Width = r.I32LE();
    font.Escapement = r.I32LE();
    font.Orientation = r.I32LE();
    font.Weight = r.I32LE();
    font.Italic = r.U8();
    font.Underline = r.U8();
    font.StrikeOut = r.U8();
    font.Charset = r.U8();
    r.Skip(4);
    std::u16string face;
    for (int i = 0; i < FaceNameLength; ++i) {
        const char16_t c = r.U16LE();
        if (c == 0) break;
        face += c;
    }
    font.FaceName = base::Utf16ToUtf8(face);
    return font;
}

}  // namespace

void TEMWParser::DoStateRecord(uint32_t type, TReader& r) {
    TDCState& s = Dc_.State;
    switch (type) {
        case EMR_SETWINDOWEXTEX:
        case EMR_SETVIEWPORTEXTEX: {
            const TEmfPoint extent = ReadPoint(r, false);
            // The device refuses a zero extent.
            if (extent.X == 0 || extent.Y == 0) return;
            (type == EMR_SETWINDOWEXTEX ? s.WindowExt : s.ViewportExt) = extent;
            return;
        }
        case EMR_SETWINDOWORGEX: s.WindowOrg = ReadPoint(r, false); return;
        case EMR_SETVIEWPORTORGEX: s.ViewportOrg = ReadPoint(r, false); return;
        case EMR_SETMAPMODE: {
            const uint32_t mode = r.U32LE();
            if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return;
            s.MapMode = mode;
            FontDirty_ = true;
            return;
        }
        case EMR_SETBKMODE: s.BkMode = r.U32LE(); return;
        case EMR_SETPOLYFILLMODE: s.PolyFillMode = r.U32LE(); return;
        case EMR_SETTEXTALIGN:
            s.TextAlign = r.U32LE();
            DecodeTextAlign(s.TextAlign);
            return;
        case EMR_SETTEXTCOLOR:
            s.TextColor = r.U32LE();
            if (TextMode_) ApplyTextColor();
            return;
        case EMR_SETBKCOLOR: s.BkColor = r.U32LE(); return;
        case EMR_MOVETOEX:
            CurrentPosition_ = ReadPoint(r, false);
            if (InPath_) {
                SetTextMode(false);
                Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
            }
            return;
        case EMR_SCALEVIEWPORTEXTEX:
        case EMR_SCALEWINDOWEXTEX: {
            int32_t v[4];
            for (int32_t& value : v) value = r.I32LE();
            if (v[0] == 0 || v[1] == 0 || v[2] == 0 || v[3] == 0) return;
            const bool viewport = type == EMR_SCALEVIEWPORTEXTEX;
            (viewport ? ViewportScale_ : WindowScale_) = true;
            // Kept as xNum, xDenom, yNum, yDenom.
            int32_t* kept = viewport ? ViewportScaleNum_ : WindowScaleNum_;
            for (int i = 0; i < 4; ++i) kept[i] = v[i];
            return;
        }
        case EMR_SAVEDC: Dc_.SaveDC(); return;
        case EMR_RESTOREDC: return DoRestoreDC(r.I32LE());
        case EMR_SETWORLDTRANSFORM:
            if (ReadXForm(r, s.Transform)) TakeTransform();
            return;
        case EMR_MODIFYWORLDTRANSFORM: {
            TXForm xform;
            if (!ReadXForm(r, xform)) return;
            switch (r.U32LE()) {
                case MWT_IDENTITY: s.Transform = {}; break;
                case MWT_LEFTMULTIPLY: s.Transform = xform.Then(s.Transform); break;
                case MWT_RIGHTMULTIPLY: s.Transform = s.Transform.Then(xform); break;
                case MWT_SET: s.Transform = xform; break;
                default: return;
            }
            return TakeTransform();
        }
        case EMR_SETARCDIRECTION: ArcCounterClockwise_ = r.U32LE() == AD_COUNTERCLOCKWISE; return;
        case EMR_SELECTOBJECT: return DoSelectObject(r.U32LE());
        case EMR_CREATEPEN: {
            const uint32_t index = r.U32LE();
            TEmfPen pen;
            pen.Style = r.U32LE();
            pen.Width = r.I32LE();
            r.Skip(4);
            pen.Color = r.U32LE();
            return Dc_.Create(index, pen);
        }
        case EMR_EXTCREATEPEN: {
            const uint32_t index = r.U32LE();
            r.Skip(8);  // offBmi, cbBmi
            r.Skip(8);  // offBits, cbBits
            TEmfPen pen;
            pen.Style = r.U32LE() & PS_STYLE_MASK;
            pen.Width = r.I32LE();
            r.Skip(4);  // brush style
            pen.Color = r.U32LE();
            return Dc_.Create(index, pen);
        }
        case EMR_CREATEBRUSHINDIRECT: {
            const uint32_t index = r.U32LE();
            TEmfBrush brush;
            brush.Style = r.U32LE();
            brush.Color = r.U32LE();
            return Dc_.Create(index, brush);
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            const uint32_t index = r.U32LE();
            return Dc_.Create(index, ReadLogFont(r));
        }
        case EMR_DELETEOBJECT: return Dc_.Delete(r.U32LE());
        case EMR_INTERSECTCLIPRECT: return DoIntersectClipRect(r);
        case EMR_EXTSELECTCLIPRGN: return DoExtSelectClipRgn(r);
        case EMR_SELECTCLIPPATH: return DoSelectClipPath();
        case EMR_FILLRGN: return DoFillRgn(r);
        default: return;
    }
}

void TEMWParser::TakeTransform() {
    const TXForm& t = Dc_.State.Transform;
    WorldScaleX_ = t.M11;
    WorldScaleY_ = t.M22;
    WorldOffsetX_ = t.Dx * DeviceFactorX_;
    WorldOffsetY_ = t.Dy * DeviceFactorY_;
}

void TEMWParser::DecodeTextAlign(uint32_t align) {
    switch (align & TA_CENTER) {
        case 0: HorizontalAlign_ = 0; break;
        case TA_RIGHT: HorizontalAlign_ = 2; break;
        case TA_CENTER: HorizontalAlign_ = 1; break;
        default: break;
    }
    switch (align & TA_BASELINE) {
        case 0: VerticalAlign_ = 0; break;
        case TA_BOTTOM: VerticalAlign_ = 2; break;
        case TA_BASELINE: VerticalAlign_ = 1; break;
        default: break;
    }
    UpdateCP_ = align & TA_UPDATECP;
}

void TEMWParser::SelectPen(const TEmfPen& pen) {
    Dc_.State.Pen = pen;
    if (pen.Color != KeptPen_.Color) {
        KeptPen_.Color = pen.Color;
        ApplyPenColor();
    }
    // A wide pen draws solid whatever its dashes; a null pen stays invisible.
    const uint32_t style = pen.Width > 1 && pen.Style != PS_NULL ? PS_SOLID : pen.Style;
    if (style != KeptPen_.Style) {
        KeptPen_.Style = style;
        if (style == PS_SOLID || style == PS_INSIDEFRAME)
            Page_.NoDash();
        else if (style < std::size(Dashes))
            Page_.SetDash(Dashes[style]);
    }
    const double scale = ExtentScaleX() * WorldScaleX_;
    if (scale * pen.Width != KeptPenWidth_) {
        KeptPenWidth_ = scale * (pen.Width == 0 ? 1 : pen.Width);
        Page_.SetLineWidth(DeviceFactorX_ * KeptPenWidth_);
    }
}

void TEMWParser::SelectBrush(const TEmfBrush& brush) {
    Dc_.State.Brush = brush;
    BrushNull_ = false;
    if (brush.Color != BrushColor_) {
        BrushColor_ = brush.Color;
        if (!TextMode_) ApplyBrushColor(true);
    }
    if (brush.Style == BS_NULL) BrushNull_ = true;
}

void TEMWParser::SelectFont(const TEmfFont& font) {
    Dc_.State.Font = font;
    if (!font.SameLook(TrackedFont_)) {
        TrackedFont_ = font;
        FontDirty_ = true;
    } else if (font.Escapement != TrackedFont_.Escapement || font.Orientation != TrackedFont_.Orientation) {
        TrackedFont_ = font;
    }
}

void TEMWParser::DoSelectObject(uint32_t index) {
    if (!(index & StockObject)) {
        const TEmfObject* object = Dc_.Object(index);
        if (!object) return;
        if (const auto* pen = std::get_if<TEmfPen>(object)) SelectPen(*pen);
        if (const auto* brush = std::get_if<TEmfBrush>(object)) SelectBrush(*brush);
        if (const auto* font = std::get_if<TEmfFont>(object)) SelectFont(*font);
        return;
    }
    static constexpr uint32_t StockBrushColors[] = {0xFFFFFF, 0xAAAAAA, 0x808080, 0x666666, 0x000000, 0xFFFFFF};
    const uint32_t stock = index & ~StockObject;
    if (stock <= NULL_BRUSH) {
        Dc_.State.Brush = {stock == NULL_BRUSH ? BS_NULL : BS_SOLID, StockBrushColors[stock]};
        BrushColor_ = StockBrushColors[stock];
        BrushNull_ = stock == NULL_BRUSH;
        if (!TextMode_) ApplyBrushColor(true);
    } else if (stock == WHITE_PEN || stock == BLACK_PEN) {
        const uint32_t color = stock == WHITE_PEN ? 0xFFFFFF : 0;
        Dc_.State.Pen = {PS_SOLID, 0, color};
        KeptPen_.Color = color;
        ApplyPenColor();
        // A stock pen draws solid, also after the null pen.
        if (KeptPen_.Style != PS_SOLID) {
            KeptPen_.Style = PS_SOLID;
            Page_.NoDash();
        }
        KeptPenWidth_ = ExtentScaleX() * WorldScaleX_;
        Page_.SetLineWidth(DeviceFactorX_ * KeptPenWidth_);
    } else if (stock == NULL_PEN) {
        Dc_.State.Pen.Style = PS_NULL;
        KeptPen_.Style = PS_NULL;
    } else if (stock >= OEM_FIXED_FONT && stock <= SYSTEM_FONT) {
        Dc_.State.Font.FaceName = TrackedFont_.FaceName = "Arial";
        FontDirty_ = true;
    }
}

void TEMWParser::DoRestoreDC(int32_t n) {
    Dc_.RestoreDC(n);
    if (ClipActive_) {
        SetTextMode(false);
        Page_.GStateRestore();
        ClipActive_ = false;
    }
    TakeTransform();
    const TDCState& s = Dc_.State;
    if (TextMode_) ApplyTextColor();
    SelectPen(s.Pen);
    if (s.Brush.Color != BrushColor_) {
        BrushColor_ = s.Brush.Color;
        if (!TextMode_) ApplyBrushColor(true);
    }
    BrushNull_ = s.Brush.Style == BS_NULL;
    if (!s.Font.SameLook(TrackedFont_)) {
        TrackedFont_ = s.Font;
        FontDirty_ = true;
    }
    DecodeTextAlign(s.TextAlign);
    // The arc direction is never given to the device context, so a restore finds its default.
    ArcCounterClockwise_ = true;
}

// Closing the converter's clip loses the colours and width set since it opened.
void TEMWParser::CloseClipForChange() {
    Page_.GStateRestore();
    FontDirty_ = true;
    ApplyPenColor();
    ApplyBrushColor(false);
    Page_.SetLineWidth(DeviceFactorX_ * KeptPenWidth_);
}

void TEMWParser::DoIntersectClipRect(TReader& r) {
    const TRect rect = ReadRect(r);
    if (ClipActive_) CloseClipForChange();
    Page_.GStateSave();
    ClipActive_ = true;
    Page_.NewPath();
    ClipRect_[0] = MapX(rect.Left);
    ClipRect_[1] = MapY(rect.Top);
    ClipRect_[2] = MapX(rect.Right);
    ClipRect_[3] = MapY(rect.Bottom);
    Page_.Rectangle(ClipRect_[0], ClipRect_[1], ClipRect_[2], ClipRect_[3]);
    ClipRectValid_ = true;
    Page_.Clip();
    Page_.NewPath();
}

std::vector<TEMWParser::TRect> TEMWParser::ReadRegion(TReader& r, uint32_t size) {
    TReader data = r.Split(size);
    std::vector<TRect> rects;
    if (size == 0) return rects;
    data.Skip(8);  // dwSize, iType
    const uint32_t count = data.U32LE();
    data.Skip(4 + 16);  // nRgnSize, rcBound
    if (count > data.Remaining() / 16) RecordShort();
    for (uint32_t i = 0; i < count; ++i) rects.push_back(ReadRect(data));
    return rects;
}

void TEMWParser::DoExtSelectClipRgn(TReader& r) {
    if (ViewportScale_ || WindowScale_) return;
    const uint32_t size = r.U32LE();
    r.Skip(4);  // region mode: the region always replaces the clip
    const std::vector<TRect> rects = ReadRegion(r, size);
    if (ClipActive_) {
        ClipActive_ = false;
        Page_.GStateRestore();
        Page_.SetLineWidth(DeviceFactorX_ * KeptPenWidth_);
        ApplyPenColor();
        ApplyBrushColor(false);
        FontDirty_ = true;
    }
    if (rects.empty()) return;
    Page_.GStateSave();
    Page_.NewPath();
    ClipActive_ = true;
    ClipRectValid_ = false;
    for (const TRect& rect : rects)
        Page_.Rectangle(RawX(rect.Left), RawY(rect.Top), RawX(rect.Right), RawY(rect.Bottom));
    Page_.Clip();
    Page_.NewPath();
}

void TEMWParser::DoSelectClipPath() {
    if (ClipActive_) CloseClipForChange();
    Page_.GStateSave();
    ClipActive_ = true;
    Page_.Clip();
    ClipRectValid_ = false;
    Page_.NewPath();
    InPath_ = false;
}

void TEMWParser::DoFillRgn(TReader& r) {
    r.Skip(16);  // bounds
    const uint32_t size = r.U32LE();
    r.Skip(4);  // the brush: the current fill colour is used
    const std::vector<TRect> rects = ReadRegion(r, size);
    if (rects.empty()) return;
    Page_.NewPath();
    for (const TRect& rect : rects)
        Page_.Rectangle(RawX(rect.Left), RawY(rect.Top), RawX(rect.Right), RawY(rect.Bottom));
    if (!BrushNull_) Page_.Fill();
    Page_.NewPath();
}

}  // namespace pdf
