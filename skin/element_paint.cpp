#include "skin/element_paint.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <vector>

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
    const int w = std::min(rect.width(), image.width()), h = std::min(rect.height(), image.height());
    if (w <= 0 || h <= 0) return;
    QImage masked = image.copy(0, 0, w, h).convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(RedOf(KeyColour), GreenOf(KeyColour), BlueOf(KeyColour));
    for (int y = 0; y < masked.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    painter.drawImage(rect.topLeft(), masked);
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

void DrawSkinStrip(QPainter& painter, const QRect& dest, const QImage& image, bool vertical, bool transparent,
                   int frameCount, int frameIndex, const TMargins& margins) {
    const int W = dest.width(), H = dest.height();
    if (W <= 0 || H <= 0) return;
    const QRect frame = FrameRect(image, vertical, frameCount, frameIndex);
    const int x0 = frame.x(), y0 = frame.y(), fw = frame.width(), fh = frame.height();
    const int l = margins.Left, r = margins.Right, m = fw - l - r;
    QImage work(W, H, QImage::Format_RGB32);
    work.fill(Qt::black);
    {
        QPainter wp(&work);
        if (m <= 0) {
            Stretch(wp, work.rect(), image, frame);
        } else {
            Stretch(wp, QRect(0, 0, l, H), image, QRect(x0, y0, l, fh));
            for (int p = l; p < W - r; p += m) Stretch(wp, QRect(p, 0, m, H), image, QRect(x0 + l, y0, m, fh));
            Stretch(wp, QRect(W - r, 0, r, H), image, QRect(x0 + fw - r, y0, r, fh));
        }
    }
    if (transparent)
        DrawTransparent(painter, dest, work);
    else
        painter.drawImage(dest.topLeft(), work);
}

void DrawFrameStretched(QPainter& painter, const QRect& rect, const QImage& image, bool transparent, int frameCount,
                        int frameIndex) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    QImage work(rect.size(), QImage::Format_RGB32);
    {
        QPainter wp(&work);
        Stretch(wp, work.rect(), image, FrameRect(image, false, frameCount, frameIndex));
    }
    if (transparent)
        DrawTransparent(painter, rect, work);
    else
        painter.drawImage(rect.topLeft(), work);
}

void DrawThreePart(QPainter& painter, const QRect& dest, const QImage& image, const TMargins& margins, int frameIndex,
                   int frameCount, bool vertical) {
    const QRect frame = FrameRect(image, vertical, frameCount, frameIndex);
    const int x0 = frame.x(), y0 = frame.y(), fw = frame.width(), fh = frame.height();
    const int W = dest.width(), H = dest.height(), l = margins.Left, r = margins.Right;
    if (fw > W) {
        Stretch(painter, dest, image, frame);
        return;
    }
    Stretch(painter, QRect(dest.left(), dest.top(), l, H), image, QRect(x0, y0, l, fh));
    Stretch(painter, QRect(dest.left() + l, dest.top(), W - l - r, H), image, QRect(x0 + l, y0, fw - l - r, fh));
    Stretch(painter, QRect(dest.left() + W - r, dest.top(), r, H), image, QRect(x0 + fw - r, y0, r, fh));
}

void DrawParentBackground(QWidget& control, QPainter& painter) {
    QWidget* parent = control.parentWidget();
    if (!parent) return;
    painter.save();
    const QRect area = control.rect().translated(control.pos());
    parent->render(painter.device(), painter.deviceTransform().map(QPoint(0, 0)), QRegion(area),
                   QWidget::DrawWindowBackground);
    painter.restore();
}

QRegion BitmapToRegion(const QImage& image, int xOffset, int yOffset, int tolBlue, int tolGreen, int tolRed, QRgb key) {
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    auto inRange = [](int value, int from, int tolerance) {
        return value >= from && value <= std::min(255, from + tolerance);
    };
    auto isKey = [&](QRgb p) {
        return inRange(qRed(p), qRed(key), tolRed) && inRange(qGreen(p), qGreen(key), tolGreen) &&
               inRange(qBlue(p), qBlue(key), tolBlue);
    };
    // Rows of runs become one region at a time in batches, so that no single call gets huge.
    constexpr size_t Batch = 2000;
    std::vector<QRect> runs;
    runs.reserve(500);
    QRegion region;
    auto flush = [&] {
        if (runs.empty()) return;
        QRegion part;
        part.setRects(runs.data(), static_cast<int>(runs.size()));
        region += part;
        runs.clear();
    };
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        int x = 0;
        while (x < pixels.width()) {
            while (x < pixels.width() && isKey(line[x])) ++x;
            const int start = x;
            while (x < pixels.width() && !isKey(line[x])) ++x;
            if (x > start) runs.emplace_back(start + xOffset, y + yOffset, x - start, 1);
            if (runs.size() >= Batch) flush();
        }
    }
    flush();
    return region;
}

}  // namespace skin
