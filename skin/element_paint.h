#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>

class QPainter;
class QWidget;

namespace skin {

// Fixed widths of one frame's edges, in pixels.
struct TMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Frame frameIndex (from 1) of a strip of frameCount equal frames, side by side or (vertical)
// one above the other.
QRect FrameRect(const QImage& image, bool vertical, int frameCount, int frameIndex);

// The frame drawn at the destination's size in nine parts: corners unscaled, edges stretched
// along one axis, the centre tiled or stretched. Margins that do not fit are dropped in pairs.
QImage RenderSkinElement(const QRect& dest, const QImage& image, const TMargins& margins, bool vertical, bool tile,
                         int frameCount, int frameIndex);
void DrawSkinElement(QPainter& painter, const QRect& dest, const QImage& image, bool vertical, bool tile,
                     bool transparent, int frameCount, int frameIndex, const TMargins& margins);
// One frame of a horizontal strip at its own size, centred in the rectangle.
void DrawFrameCentred(QPainter& painter, const QRect& rect, const QImage& image, bool transparent, int frameCount,
                      int frameIndex);
// Copies the image to the rectangle's corner, leaving out its pixels of the key colour. Only
// what the image holds is copied: a rectangle larger than the image keeps its other pixels.
void DrawTransparent(QPainter& painter, const QRect& rect, const QImage& image);
// A fixed left and right part with the frame's middle repeated between them, each copy
// stretched to the destination's height. A frame no wider than its two parts has no middle to
// repeat: it is stretched whole over the destination instead.
void DrawSkinStrip(QPainter& painter, const QRect& dest, const QImage& image, bool vertical, bool transparent,
                   int frameCount, int frameIndex, const TMargins& margins);
// One frame of a horizontal strip stretched over the rectangle.
void DrawFrameStretched(QPainter& painter, const QRect& rect, const QImage& image, bool transparent, int frameCount,
                        int frameIndex);
// Left and right parts at their widths and the middle stretched between them; a frame wider
// than the destination is stretched whole.
void DrawThreePart(QPainter& painter, const QRect& dest, const QImage& image, const TMargins& margins, int frameIndex,
                   int frameCount, bool vertical);
// The control's parent paints its own background (not its children) under the control.
void DrawParentBackground(QWidget& control, QPainter& painter);
// The image's pixels outside the key range (each channel from the key's to the key's plus its
// tolerance), as a region moved by the offsets.
QRegion BitmapToRegion(const QImage& image, int xOffset, int yOffset, int tolBlue, int tolGreen, int tolRed, QRgb key);

}  // namespace skin
