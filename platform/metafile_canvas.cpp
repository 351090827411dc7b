#include "platform/metafile_canvas.h"

#include <algorithm>
#include <cmath>

#include "base/byte_reader.h"
#include "base/exception.h"
#include "base/text_encoding.h"
#include "platform/emf_format.h"

namespace platform {

using namespace emf;

namespace {

bool SameFont(const TCanvasFont& a, const TCanvasFont& b) {
    return a.Name == b.Name && a.Height() == b.Height() && a.Charset == b.Charset && a.Style == b.Style &&
           a.Escapement == b.Escapement;
}

// Hundredths of a millimetre of a length in reference pixels.
int32_t Frame(int pixels) { return int32_t(std::lround(pixels * 2540.0 / TMetafileCanvas::PixelsPerInch)); }

}  // namespace

int TCanvasFont::Height() const { return -int(std::lround(double(Size) * TMetafileCanvas::PixelsPerInch / 72)); }

TMetafileCanvas::TMetafileCanvas(int width, int height) : Width_(width), Height_(height) {
    Bytes_.assign(HeaderSize, '\0');
    Records_ = 1;
}

TMetafileCanvas::~TMetafileCanvas() = default;

uint8_t* TMetafileCanvas::BeginRecord(uint32_t type, uint32_t size) {
    if (Finished_) throw base::Exception("The metafile canvas is closed");
    const size_t at = Bytes_.size();
    Bytes_.resize(at + size, '\0');
    auto* p = reinterpret_cast<uint8_t*>(Bytes_.data() + at);
    base::StoreLE32(p, type);
    base::StoreLE32(p + 4, size);
    ++Records_;
    return p;
}

void TMetafileCanvas::Simple(uint32_t type, uint32_t value) { base::StoreLE32(BeginRecord(type, 12) + 8, value); }

void TMetafileCanvas::Include(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (Left_ > Right_) {
        Left_ = x1, Top_ = y1, Right_ = x2, Bottom_ = y2;
        return;
    }
    Left_ = std::min(Left_, x1), Top_ = std::min(Top_, y1);
    Right_ = std::max(Right_, x2), Bottom_ = std::max(Bottom_, y2);
}

void TMetafileCanvas::IncludePoints(const std::vector<TCanvasPoint>& points) {
    const int half = Pen_.Style == PS_NULL ? 0 : std::max(Pen_.Width, 1) / 2;
    for (const TCanvasPoint& p : points) Include(p.X - half, p.Y - half, p.X + half, p.Y + half);
}

uint32_t TMetafileCanvas::NewObjectIndex() {
    const auto free = std::find(UsedObjects_.begin() + 1, UsedObjects_.end(), false);
    const auto index = uint32_t(free - UsedObjects_.begin());
    if (free == UsedObjects_.end())
        UsedObjects_.push_back(true);
    else
        *free = true;
    return index;
}

// Selects the new object and deletes the one it replaces, as the class library's canvas does.
void TMetafileCanvas::ReplaceObject(uint32_t& current, uint32_t index) {
    Simple(EMR_SELECTOBJECT, index);
    if (current) {
        Simple(EMR_DELETEOBJECT, current);
        UsedObjects_[current] = false;
    }
    current = index;
}

void TMetafileCanvas::RealizeFont() {
    if (FontObject_ && SameFont(Font_, RecordedFont_)) return;
    const uint32_t index = NewObjectIndex();
    uint8_t* p = BeginRecord(EMR_EXTCREATEFONTINDIRECTW, 12 + LogFontPanoseSize);
    base::StoreLE32(p + 8, index);
    uint8_t* f = p + 12;
    base::StoreLE32(f, uint32_t(Font_.Height()));
    base::StoreLE32(f + 8, uint32_t(Font_.Escapement));
    base::StoreLE32(f + 12, uint32_t(Font_.Escapement));
    base::StoreLE32(f + 16, Font_.Style & cfsBold ? 700 : 400);
    f[20] = Font_.Style & cfsItalic ? 1 : 0;
    f[21] = Font_.Style & cfsUnderline ? 1 : 0;
    f[22] = Font_.Style & cfsStrikeOut ? 1 : 0;
    f[23] = Font_.Charset;
    const std::u16string face = base::Utf8ToUtf16(Font_.Name);
    for (size_t i = 0; i < face.size() && i < FaceNameLength - 1; ++i) base::StoreLE16(f + 28 + 2 * i, face[i]);
    RecordedFont_ = Font_;
    ReplaceObject(FontObject_, index);
}

void TMetafileCanvas::RealizePen() {
    if (PenObject_ && Pen_.Style == RecordedPen_.Style && Pen_.Width == RecordedPen_.Width &&
        Pen_.Color == RecordedPen_.Color)
        return;
    const uint32_t index = NewObjectIndex();
    uint8_t* p = BeginRecord(EMR_CREATEPEN, 28);
    base::StoreLE32(p + 8, index);
    base::StoreLE32(p + 12, Pen_.Style);
    base::StoreLE32(p + 16, uint32_t(Pen_.Width));
    base::StoreLE32(p + 24, Pen_.Color);
    RecordedPen_ = Pen_;
    ReplaceObject(PenObject_, index);
}

void TMetafileCanvas::RealizeBrush() {
    if (BrushObject_ && Brush_.Clear == RecordedBrush_.Clear && Brush_.Color == RecordedBrush_.Color) return;
    const uint32_t index = NewObjectIndex();
    uint8_t* p = BeginRecord(EMR_CREATEBRUSHINDIRECT, 24);
    base::StoreLE32(p + 8, index);
    base::StoreLE32(p + 12, Brush_.Clear ? BS_NULL : BS_SOLID);
    base::StoreLE32(p + 16, Brush_.Color);
    RecordedBrush_ = Brush_;
    ReplaceObject(BrushObject_, index);
}

// Text takes the brush as its background and the font colour as its own.
void TMetafileCanvas::RealizeTextState() {
    RealizeFont();
    const uint32_t mode = Brush_.Clear ? TRANSPARENT : OPAQUE;
    if (mode != BkMode_) Simple(EMR_SETBKMODE, BkMode_ = mode);
    if (!Brush_.Clear && Brush_.Color != BkColor_) Simple(EMR_SETBKCOLOR, BkColor_ = Brush_.Color);
    if (Font_.Color != TextColor_) Simple(EMR_SETTEXTCOLOR, TextColor_ = Font_.Color);
}

const TFontMetrics& TMetafileCanvas::Metrics() {
    if (!Metrics_ || Font_.Name != MeasuredFont_.Name || Font_.Style != MeasuredFont_.Style) {
        Metrics_ = TFontMetrics::Of(Font_.Name, Font_.Style & cfsBold, Font_.Style & cfsItalic);
        MeasuredFont_ = Font_;
    }
    return *Metrics_;
}

void TMetafileCanvas::SetTextAlign(uint32_t align) {
    if (align != TextAlign_) Simple(EMR_SETTEXTALIGN, TextAlign_ = align);
}

void TMetafileCanvas::SetPolyFillMode(uint32_t mode) {
    if (mode != PolyFillMode_) Simple(EMR_SETPOLYFILLMODE, PolyFillMode_ = mode);
}

void TMetafileCanvas::TextOut(int x, int y, std::string_view text) { TextOutW(x, y, base::Utf8ToUtf16(text)); }

int TMetafileCanvas::TextWidth(std::string_view text) {
    return Metrics().TextWidth(base::Utf8ToUtf16(text), Font_.Height());
}

int TMetafileCanvas::TextHeight(std::string_view) { return Metrics().Metrics(Font_.Height()).Height; }

void TMetafileCanvas::TextOutW(int x, int y, std::u16string_view text) {
    RealizeTextState();
    const TFontMetrics& metrics = Metrics();
    const int height = Font_.Height();
    std::vector<int32_t> advances(text.size());
    int width = 0;
    for (size_t i = 0; i < text.size(); ++i) width += advances[i] = metrics.Advance(text[i], height);
    const TTextMetrics tm = metrics.Metrics(height);
    const uint32_t horizontal = TextAlign_ & TA_CENTER, vertical = TextAlign_ & TA_BASELINE;
    const bool updateCP = TextAlign_ & TA_UPDATECP;
    // Left-aligned text is placed by the face's own advances; the others need them recorded
    // to find their start.
    const bool withAdvances = horizontal != 0 || updateCP;
    if (updateCP) x = PosX_, y = PosY_;
    const int left = horizontal == TA_CENTER ? x - width / 2 : horizontal == TA_RIGHT ? x - width : x;
    const int top = vertical == TA_BASELINE ? y - tm.Ascent : vertical == TA_BOTTOM ? y - tm.Height : y;
    if (!text.empty()) Include(left, top, left + width - 1, top + tm.Height - 1);
    if (updateCP && horizontal != TA_CENTER) PosX_ += horizontal == TA_RIGHT ? -width : width;

    const uint32_t stringBytes = uint32_t(text.size() * 2 + 3) & ~3u;
    const uint32_t size = 76 + stringBytes + (withAdvances ? uint32_t(4 * text.size()) : 0);
    uint8_t* p = BeginRecord(EMR_EXTTEXTOUTW, size);
    base::StoreLE32(p + 8, uint32_t(left));
    base::StoreLE32(p + 12, uint32_t(top));
    base::StoreLE32(p + 16, uint32_t(left + width - 1));
    base::StoreLE32(p + 20, uint32_t(top + tm.Height - 1));
    base::StoreLE32(p + 24, 1);  // GM_COMPATIBLE
    base::StoreLE32(p + 36, uint32_t(x));
    base::StoreLE32(p + 40, uint32_t(y));
    base::StoreLE32(p + 44, uint32_t(text.size()));
    base::StoreLE32(p + 48, 76);
    // No rectangle: right and bottom below left and top.
    base::StoreLE32(p + 64, uint32_t(-1));
    base::StoreLE32(p + 68, uint32_t(-1));
    base::StoreLE32(p + 72, withAdvances ? 76 + stringBytes : 0);
    for (size_t i = 0; i < text.size(); ++i) base::StoreLE16(p + 76 + 2 * i, text[i]);
    if (withAdvances)
        for (size_t i = 0; i < text.size(); ++i) base::StoreLE32(p + 76 + stringBytes + 4 * i, uint32_t(advances[i]));
}

void TMetafileCanvas::MoveTo(int x, int y) {
    uint8_t* p = BeginRecord(EMR_MOVETOEX, 16);
    base::StoreLE32(p + 8, uint32_t(PosX_ = x));
    base::StoreLE32(p + 12, uint32_t(PosY_ = y));
}

void TMetafileCanvas::LineTo(int x, int y) {
    RealizePen();
    IncludePoints({{PosX_, PosY_}, {x, y}});
    uint8_t* p = BeginRecord(EMR_LINETO, 16);
    base::StoreLE32(p + 8, uint32_t(PosX_ = x));
    base::StoreLE32(p + 12, uint32_t(PosY_ = y));
}

void TMetafileCanvas::BoxRecord(uint32_t type, int x1, int y1, int x2, int y2) {
    RealizePen();
    RealizeBrush();
    Include(x1, y1, x2 - 1, y2 - 1);
    uint8_t* p = BeginRecord(type, 24);
    base::StoreLE32(p + 8, uint32_t(x1));
    base::StoreLE32(p + 12, uint32_t(y1));
    base::StoreLE32(p + 16, uint32_t(x2));
    base::StoreLE32(p + 20, uint32_t(y2));
}

void TMetafileCanvas::Rectangle(int x1, int y1, int x2, int y2) { BoxRecord(EMR_RECTANGLE, x1, y1, x2, y2); }

void TMetafileCanvas::Ellipse(int x1, int y1, int x2, int y2) { BoxRecord(EMR_ELLIPSE, x1, y1, x2, y2); }

void TMetafileCanvas::Poly(uint32_t type, const std::vector<TCanvasPoint>& points) {
    RealizePen();
    RealizeBrush();
    IncludePoints(points);
    uint8_t* p = BeginRecord(type, uint32_t(28 + 8 * points.size()));
    int32_t l = 0, t = 0, r = -1, b = -1;
    for (const TCanvasPoint& pt : points) {
        if (r < l) l = r = pt.X, t = b = pt.Y;
        l = std::min(l, pt.X), t = std::min(t, pt.Y), r = std::max(r, pt.X), b = std::max(b, pt.Y);
    }
    base::StoreLE32(p + 8, uint32_t(l));
    base::StoreLE32(p + 12, uint32_t(t));
    base::StoreLE32(p + 16, uint32_t(r));
    base::StoreLE32(p + 20, uint32_t(b));
    base::StoreLE32(p + 24, uint32_t(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
        base::StoreLE32(p + 28 + 8 * i, uint32_t(points[i].X));
        base::StoreLE32(p + 32 + 8 * i, uint32_t(points[i].Y));
    }
}

void TMetafileCanvas::Polygon(const std::vector<TCanvasPoint>& points) { Poly(EMR_POLYGON, points); }

void TMetafileCanvas::Polyline(const std::vector<TCanvasPoint>& points) { Poly(EMR_POLYLINE, points); }

void TMetafileCanvas::PolyBezier(const std::vector<TCanvasPoint>& points) { Poly(EMR_POLYBEZIER, points); }

void TMetafileCanvas::BeginPath() { BeginRecord(EMR_BEGINPATH, 8); }

void TMetafileCanvas::EndPath() { BeginRecord(EMR_ENDPATH, 8); }

void TMetafileCanvas::CloseFigure() { BeginRecord(EMR_CLOSEFIGURE, 8); }

void TMetafileCanvas::FillPath() {
    RealizeBrush();
    BeginRecord(EMR_FILLPATH, 24);
}

void TMetafileCanvas::StrokePath() {
    RealizePen();
    BeginRecord(EMR_STROKEPATH, 24);
}

void TMetafileCanvas::StrokeAndFillPath() {
    RealizePen();
    RealizeBrush();
    BeginRecord(EMR_STROKEANDFILLPATH, 24);
}

void TMetafileCanvas::IntersectClipRect(int x1, int y1, int x2, int y2) {
    uint8_t* p = BeginRecord(EMR_INTERSECTCLIPRECT, 24);
    base::StoreLE32(p + 8, uint32_t(x1));
    base::StoreLE32(p + 12, uint32_t(y1));
    base::StoreLE32(p + 16, uint32_t(x2));
    base::StoreLE32(p + 20, uint32_t(y2));
}

void TMetafileCanvas::StretchDraw(int x1, int y1, int x2, int y2, const TCanvasBitmap& bitmap) {
    const int bits = bitmap.BitsPerPixel;
    if ((bits != 1 && bits != 24 && bits != 32) || bitmap.Width <= 0 || bitmap.Height <= 0 ||
        bitmap.Pixels.size() != bitmap.Stride() * size_t(bitmap.Height))
        throw base::Exception("Invalid bitmap");
    const uint32_t colours = bits == 1 ? 2 : 0;
    const uint32_t infoSize = BitmapInfoHeaderSize + 4 * colours;
    const size_t dibStride = (size_t(bitmap.Width) * size_t(bits) + 31) / 32 * 4;
    const size_t bitsSize = dibStride * size_t(bitmap.Height);
    constexpr uint32_t fixed = 108;
    if (bitsSize > UINT32_MAX - fixed - infoSize) throw base::Exception("Invalid bitmap");
    Include(x1, y1, x2 - 1, y2 - 1);
    uint8_t* p = BeginRecord(EMR_STRETCHBLT, fixed + infoSize + uint32_t(bitsSize));
    base::StoreLE32(p + 8, uint32_t(std::min(x1, x2)));
    base::StoreLE32(p + 12, uint32_t(std::min(y1, y2)));
    base::StoreLE32(p + 16, uint32_t(std::max(x1, x2) - 1));
    base::StoreLE32(p + 20, uint32_t(std::max(y1, y2) - 1));
    base::StoreLE32(p + 24, uint32_t(x1));
    base::StoreLE32(p + 28, uint32_t(y1));
    base::StoreLE32(p + 32, uint32_t(x2 - x1));
    base::StoreLE32(p + 36, uint32_t(y2 - y1));
    base::StoreLE32(p + 40, SRCCOPY);
    // The source transform is the identity: 1, 0, 0, 1 as 32-bit floats, no offset.
    base::StoreLE32(p + 52, 0x3F800000);
    base::StoreLE32(p + 64, 0x3F800000);
    base::StoreLE32(p + 80, DIB_RGB_COLORS);
    base::StoreLE32(p + 84, fixed);
    base::StoreLE32(p + 88, infoSize);
    base::StoreLE32(p + 92, fixed + infoSize);
    base::StoreLE32(p + 96, uint32_t(bitsSize));
    base::StoreLE32(p + 100, uint32_t(bitmap.Width));
    base::StoreLE32(p + 104, uint32_t(bitmap.Height));
    uint8_t* info = p + fixed;
    base::StoreLE32(info, BitmapInfoHeaderSize);
    base::StoreLE32(info + 4, uint32_t(bitmap.Width));
    base::StoreLE32(info + 8, uint32_t(bitmap.Height));  // bottom-up
    base::StoreLE16(info + 12, 1);
    base::StoreLE16(info + 14, uint16_t(bits));
    base::StoreLE32(info + 16, BI_RGB);
    base::StoreLE32(info + 20, uint32_t(bitsSize));
    base::StoreLE32(info + 32, colours);
    for (uint32_t i = 0; i < colours; ++i) {
        const uint32_t c = bitmap.Palette[i];
        info[40 + 4 * i] = uint8_t(c), info[41 + 4 * i] = uint8_t(c >> 8), info[42 + 4 * i] = uint8_t(c >> 16);
    }
    uint8_t* out = info + infoSize;
    for (int y = 0; y < bitmap.Height; ++y) {
        const uint8_t* row = bitmap.Pixels.data() + size_t(bitmap.Height - 1 - y) * bitmap.Stride();
        uint8_t* line = out + size_t(y) * dibStride;
        if (bits == 1) {
            std::copy(row, row + bitmap.Stride(), line);
            continue;
        }
        // Device-independent pixels are blue, green, red (and alpha).
        const size_t bytes = size_t(bits / 8);
        for (size_t x = 0; x < size_t(bitmap.Width); ++x) {
            const uint8_t* from = row + bytes * x;
            uint8_t* to = line + bytes * x;
            to[0] = from[2], to[1] = from[1], to[2] = from[0];
            if (bytes == 4) to[3] = from[3];
        }
    }
}

void TMetafileCanvas::Draw(int x, int y, const TCanvasBitmap& bitmap) {
    StretchDraw(x, y, x + bitmap.Width, y + bitmap.Height, bitmap);
}

std::string TMetafileCanvas::Finish() {
    uint8_t* eof = BeginRecord(EMR_EOF, 20);
    base::StoreLE32(eof + 16, 20);
    Finished_ = true;
    auto* h = reinterpret_cast<uint8_t*>(Bytes_.data());
    base::StoreLE32(h, EMR_HEADER);
    base::StoreLE32(h + 4, HeaderSize);
    base::StoreLE32(h + 8, uint32_t(Left_));
    base::StoreLE32(h + 12, uint32_t(Top_));
    base::StoreLE32(h + 16, uint32_t(Right_));
    base::StoreLE32(h + 20, uint32_t(Bottom_));
    base::StoreLE32(h + 32, uint32_t(Frame(Width_) - 1));
    base::StoreLE32(h + 36, uint32_t(Frame(Height_) - 1));
    base::StoreLE32(h + 40, Signature);
    base::StoreLE32(h + 44, Version);
    base::StoreLE32(h + 48, uint32_t(Bytes_.size()));
    base::StoreLE32(h + 52, Records_);
    base::StoreLE16(h + 56, uint16_t(UsedObjects_.size()));
    // The reference device: the canvas size at 96 pixels per inch.
    base::StoreLE32(h + 72, uint32_t(Width_));
    base::StoreLE32(h + 76, uint32_t(Height_));
    base::StoreLE32(h + 80, uint32_t(std::lround(Width_ * 25.4 / PixelsPerInch)));
    base::StoreLE32(h + 84, uint32_t(std::lround(Height_ * 25.4 / PixelsPerInch)));
    base::StoreLE32(h + 100, uint32_t(std::lround(Width_ * 25400.0 / PixelsPerInch)));
    base::StoreLE32(h + 104, uint32_t(std::lround(Height_ * 25400.0 / PixelsPerInch)));
    return std::move(Bytes_);
}

}  // namespace platform
