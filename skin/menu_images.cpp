#include "skin/menu_images.h"

#include <QPainter>

namespace skin {

namespace {

constexpr int GlyphSize = 16;

void DrawWindowBox(QPainter& painter, int x, int y, int width, int height) {
    painter.drawRect(x, y, width - 1, height - 1);
    painter.drawLine(x, y + 1, x + width - 1, y + 1);
}

}  // namespace

QImage MenuImageStrip() {
    QImage strip(GlyphSize * MenuImageCount, GlyphSize, QImage::Format_RGB32);
    strip.fill(Qt::white);
    {
        QPainter painter(&strip);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        // Restore: two overlapping windows.
        DrawWindowBox(painter, 6, 3, 7, 6);
        painter.fillRect(3, 6, 7, 6, Qt::white);
        DrawWindowBox(painter, 3, 6, 7, 6);
        // Maximize: one large window.
        DrawWindowBox(painter, GlyphSize * miMaximize + 3, 3, 10, 9);
        // Minimize: a bar at the bottom.
        painter.fillRect(GlyphSize * miMinimize + 4, 10, 7, 2, Qt::black);
        // Close: a cross.
        const int x = GlyphSize * miClose;
        for (int d = 0; d < 2; ++d) {
            painter.drawLine(x + 4 + d, 4, x + 10 + d, 10);
            painter.drawLine(x + 10 + d, 4, x + 4 + d, 10);
        }
    }
    return strip.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

TSkinImageList MakeMenuImages() {
    const QImage strip = MenuImageStrip().convertToFormat(QImage::Format_ARGB32);
    TSkinImageList list;
    for (int index = 0; index < MenuImageCount; ++index) {
        QImage image = strip.copy(index * GlyphSize, 0, GlyphSize, GlyphSize);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] & 0xFFFFFF) == 0xFFFFFF) line[x] = 0;
        }
        list.Images.push_back(std::move(image));
    }
    return list;
}

}  // namespace skin
