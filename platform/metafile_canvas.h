#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/font_metrics.h"

namespace platform {

struct TCanvasPoint {
    int32_t X = 0, Y = 0;
};

// Font style bits of the canvas font.
enum TCanvasFontStyle : uint8_t { cfsBold = 1, cfsItalic = 2, cfsUnderline = 4, cfsStrikeOut = 8 };

// The canvas font, pen and brush: drawing takes whatever they hold at the time.
struct TCanvasFont {
    std::string Name = "Arial";
    int Size = 8;         // points; the logical height is -Size * 96 / 72
    uint8_t Charset = 1;  // DEFAULT_CHARSET
    uint32_t Color = 0;   // COLORREF 0x00BBGGRR
    uint8_t Style = 0;    // TCanvasFontStyle bits
    int Escapement = 0;   // tenths of a degree
    int Height() const;
};
struct TCanvasPen {
    uint32_t Style = 0;  // PS_SOLID
    int Width = 1;
    uint32_t Color = 0;
};
struct TCanvasBrush {
    bool Clear = false;  // BS_NULL: shapes unfilled, text backgrounds transparent
    uint32_t Color = 0xFFFFFF;
};
// A bitmap drawn on the canvas, rows from the top: 1 bit per pixel (rows of (Width + 7) / 8
// bytes, leftmost pixel in the top bit, Palette giving the colours of 0 and 1), 24 bits (red,
// green, blue) or 32 bits (red, green, blue, alpha).
struct TCanvasBitmap {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 24;
    std::vector<uint8_t> Pixels;
    uint32_t Palette[2] = {0x000000, 0xFFFFFF};  // 0xRRGGBB

    size_t Stride() const { return (size_t(Width) * size_t(BitsPerPixel) + 7) / 8; }
};

// A drawing surface that records what is drawn as a binary enhanced metafile, on a
// reference device of 96 pixels per inch whatever the screen says. Fonts, pens and brushes
// become metafile objects when drawing first needs them changed; text is measured from the
// TrueType tables of the selected face. TextOut(x, y) places the top-left of the text cell.
class TMetafileCanvas {
public:
    static constexpr int PixelsPerInch = 96;

    // The canvas size in reference pixels (the metafile's frame).
    TMetafileCanvas(int width, int height);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    TCanvasFont& Font() { return Font_; }
    TCanvasPen& Pen() { return Pen_; }
    TCanvasBrush& Brush() { return Brush_; }
    int Width() const { return Width_; }
    int Height() const { return Height_; }

    // TA_* bits; the reference point of the text outputs.
    void SetTextAlign(uint32_t align);
    void SetPolyFillMode(uint32_t mode);
    // Byte strings are UTF-8, this platform's code page.
    void TextOut(int x, int y, std::string_view text);
    void TextOutW(int x, int y, std::u16string_view text);
    // The text cell: advance width and height in pixels with the current font.
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Polygon(const std::vector<TCanvasPoint>& points);
    void Polyline(const std::vector<TCanvasPoint>& points);
    // 1 + 3n points: a start and n curves.
    void PolyBezier(const std::vector<TCanvasPoint>& points);
    void BeginPath();
    void EndPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void IntersectClipRect(int x1, int y1, int x2, int y2);
    // The bitmap stretched over the rectangle (a stretch-blit of its device-independent bits,
    // as the class library's canvas records it); Draw keeps its size. A bitmap whose pixels do
    // not match its size raises base::Exception.
    void StretchDraw(int x1, int y1, int x2, int y2, const TCanvasBitmap& bitmap);
    void Draw(int x, int y, const TCanvasBitmap& bitmap);

    // Completes the metafile (end record, header with bounds, size and handle count) and
    // returns its bytes; the canvas records nothing more.
    std::string Finish();

private:
    uint8_t* BeginRecord(uint32_t type, uint32_t size);
    void Simple(uint32_t type, uint32_t value);
    void Include(int x1, int y1, int x2, int y2);
    void IncludePoints(const std::vector<TCanvasPoint>& points);
    void Poly(uint32_t type, const std::vector<TCanvasPoint>& points);
    void BoxRecord(uint32_t type, int x1, int y1, int x2, int y2);
    uint32_t NewObjectIndex();
    void ReplaceObject(uint32_t& current, uint32_t index);
    void RealizeFont();
    void RealizePen();
    void RealizeBrush();
    void RealizeTextState();
    const TFontMetrics& Metrics();

    int Width_, Height_;
    TCanvasFont Font_;
    TCanvasPen Pen_;
    TCanvasBrush Brush_;
    std::string Bytes_;
    uint32_t Records_ = 0;
    bool Finished_ = false;
    // Bounds of what was drawn, inclusive; empty while Left > Right.
    int32_t Left_ = 0, Top_ = 0, Right_ = -1, Bottom_ = -1;
    std::vector<bool> UsedObjects_{true};  // index 0 is the metafile itself
    // What the metafile holds now.
    TCanvasFont RecordedFont_;
    TCanvasPen RecordedPen_;
    TCanvasBrush RecordedBrush_;
    uint32_t FontObject_ = 0, PenObject_ = 0, BrushObject_ = 0;  // 0: the device's default
    uint32_t TextColor_ = 0, BkColor_ = 0xFFFFFF, BkMode_ = 2, TextAlign_ = 0, PolyFillMode_ = 1;
    int32_t PosX_ = 0, PosY_ = 0;
    std::shared_ptr<const TFontMetrics> Metrics_;
    TCanvasFont MeasuredFont_;
};

}  // namespace platform
