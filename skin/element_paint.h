#pragma once

#include <QImage>
#include <QRect>

class QPainter;

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
// Copies the image to the rectangle's corner, leaving out its pixels of the key colour.
void DrawTransparent(QPainter& painter, const QRect& rect, const QImage& image);

}  // namespace skin
