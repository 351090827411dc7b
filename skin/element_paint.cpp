#include "skin/element_paint.h"

#include <QPainter>

#include "skin/skin_colours.h"

namespace skin {

namespace {

// A stretching copy with no smoothing, as skin parts must keep their exact pixels.
void Stretch(QPainter& painter, const QRect& to, const QImage& image, const QRect& from) {
    if (to.width() <= 0 || to.height() <= 0 || from.width() <= 0 || from.height() <= 0) return;
    painter.drawImage(to, image, from);
}

void TileCentre(QPainter& painter, const QRect& to, const QImage& image, const QRect& from) {
    if (from.width() <= 0 || from.height() <= 0) return;
    const QImage tile = image.copy(from);
    for (int x = to.left(); x <= to.right(); x += tile.width())
        for (int y = to.top(); y <= to.bottom(); y += tile.height()) painter.drawImage(x, y, tile);
}

}  // namespace

QRect FrameRect(const QImage& image, bool vertical, int frameCount, int frameIndex) {
    const int count = frameCount > 0 ? frameCount : 1;
    if (vertical) {
        const int h = image.height() / count;
        return QRect(0, (frameIndex - 1) * h, image.width(), h);
    }
    const int w = image.width() / count;
    return QRect((frameIndex - 1) * w, 0, w, image.height());
}

QImage RenderSkinElement(const QRect& dest, const QImage& image, const TMargins& margins, bool vertical, bool tile,
                         int frameCount, int frameIndex) {
    const int W = std::max(dest.width(), 0), H = std::max(dest.height(), 0);
    QImage result(W, H, QImage::Format_RGB32);
    if (W == 0 || H == 0) return result;
    result.fill(Qt::black);
    const QRect frame = FrameRect(image, vertical, frameCount, frameIndex);
    const int x0 = frame.x(), y0 = frame.y(), fw = frame.width(), fh = frame.height();
    int l = margins.Left, t = margins.Top, r = margins.Right, b = margins.Bottom;
    if (W < l + r) l = r = 0;
    if (H < t + b) t = b = 0;
    QPainter painter(&result);
    auto piece = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
        Stretch(painter, QRect(QPoint(dl, dt), QPoint(dr - 1, db - 1)), image,
                QRect(QPoint(sl, st), QPoint(sr - 1, sb - 1)));
    };
    if (l * t > 0) piece(0, 0, l, t, x0, y0, x0 + l, y0 + t);
    if (l * b > 0) piece(0, H - b, l, H, x0, y0 + fh - b, x0 + l, y0 + fh);
    if (r * t > 0) piece(W - r, 0, W, t, x0 + fw - r, y0, x0 + fw, y0 + t);
    if (l > 0) piece(0, t, l, H - b, x0, y0 + t, x0 + l, y0 + fh - b);
    if (t > 0) piece(l, 0, W - r, t, x0 + l, y0, x0 + fw - r, y0 + t);
    const QRect centreFrom(QPoint(x0 + l, y0 + t), QPoint(x0 + fw - r - 1, y0 + fh - b - 1));
    const QRect centreTo(QPoint(l, t), QPoint(W - r - 1, H - b - 1));
    if (tile)
        TileCentre(painter, centreTo, image, centreFrom);
    else
        Stretch(painter, centreTo, image, centreFrom);
    if (r * b > 0) piece(W - r, H - b, W, H, x0 + fw - r, y0 + fh - b, x0 + fw, y0 + fh);
    if (r > 0) piece(W - r, t, W, H - b, x0 + fw - r, y0 + t, x0 + fw, y0 + fh - b);
    if (b > 0) piece(l, H - b, W - r, H, x0 + l, y0 + fh - b, x0 + fw - r, y0 + fh);
    return result;
}

void DrawTransparent(QPainter& painter, const QRect& rect, const QImage& image) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(RedOf(KeyColour), GreenOf(KeyColour), BlueOf(KeyColour));
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    painter.drawImage(rect.topLeft(), masked, QRect(0, 0, rect.width(), rect.height()));
}

void DrawSkinElement(QPainter& painter, const QRect& dest, const QImage& image, bool vertical, bool tile,
                     bool transparent, int frameCount, int frameIndex, const TMargins& margins) {
    if (dest.width() < 0 || dest.height() < 0) return;
    const QImage rendered = RenderSkinElement(dest, image, margins, vertical, tile, frameCount, frameIndex);
    if (transparent)
        DrawTransparent(painter, dest, rendered);
    else
        painter.drawImage(dest.topLeft(), rendered);
}

void DrawFrameCentred(QPainter& painter, const QRect& rect, const QImage& image, bool transparent, int frameCount,
                      int frameIndex) {
    const QRect frame = FrameRect(image, false, frameCount, frameIndex);
    const QImage piece = image.copy(frame);
    const QRect to(rect.left() + (rect.width() - frame.width()) / 2, rect.top() + (rect.height() - frame.height()) / 2,
                   frame.width(), frame.height());
    if (transparent)
        DrawTransparent(painter, to, piece);
    else
        painter.drawImage(to.topLeft(), piece);
}

}  // namespace skin
