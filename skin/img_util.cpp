#include "skin/img_util.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <vector>

namespace skin {

namespace {

constexpr QRgb KeyPixel = 0xFFFF00FF;

struct TGradientCache {
    std::array<std::vector<TColor>, 16> Slots;
    size_t Next = 0;
};

TGradientCache& Gradients() {
    static TGradientCache cache;
    return cache;
}

int Channel(TColor c, int shift) { return static_cast<int>(c >> shift & 0xFF); }

}  // namespace

QColor ToQColor(TColor colour) {
    const TColor c = ResolveColour(colour);
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

void ReplaceKeyColour(QImage& image, TColor colour) {
    image = image.convertToFormat(QImage::Format_RGB32);
    const QRgb replacement = qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(line, line + image.width(), KeyPixel, replacement);
    }
}

void MirrorBitmap(QImage& image) { image = image.mirrored(true, false); }

void FlipBitmap(QImage& image) { image = image.mirrored(false, true); }

void RotateBitmapLeft(QImage& image) { image = image.transformed(QTransform().rotate(-90)); }

void RotateBitmapRight(QImage& image) { image = image.transformed(QTransform().rotate(90)); }

TColor BlendColours(TColor a, TColor b, int weight) {
    a = ResolveColour(a);
    b = ResolveColour(b);
    const int scale = weight < 100 ? 100 : 1000;
    auto mix = [&](int shift) {
        return (Channel(a, shift) * weight + Channel(b, shift) * (scale - weight) + scale / 2) / scale;
    };
    return RGB(mix(0), mix(8), mix(16));
}

int ColourSaturation(TColor colour) {
    const int r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
    if (r < 160 && g < 160 && b < 160) return 200;
    const int mx = std::max({r, g, b});
    const int mn = std::min({r, g, b});
    const double saturation = mx == 0 ? 0.0 : static_cast<double>(mx - mn) / mx;
    return static_cast<int>(std::nearbyint(saturation * 255));
}

const std::vector<TColor>& GetGradient(int count, TColor c1, TColor c2) {
    assert(count > 0);
    TGradientCache& cache = Gradients();
    for (size_t i = cache.Slots.size(); i-- > 0;) {
        const auto& slot = cache.Slots[i];
        if (slot.size() == static_cast<size_t>(count) && slot.front() == c1 && slot.back() == c2) return slot;
    }
    auto& slot = cache.Slots[cache.Next];
    cache.Next = (cache.Next + 1) % cache.Slots.size();
    slot.assign(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        auto step = [&](int shift) {
            const int from = Channel(c1, shift);
            const int delta = Channel(c2, shift) - from;
            if (count == 1) return from + delta / 2;
            // Rounded half away from zero on both sides, so that a falling channel ends on c2
            // exactly like a rising one and the next look-up of the same gradient hits.
            const int scaled = i * delta, half = (count - 1) / 2;
            return from + (scaled >= 0 ? scaled + half : scaled - half) / (count - 1);
        };
        slot[static_cast<size_t>(i)] = RGB(step(0), step(8), step(16));
    }
    return slot;
}

void GradientFillRect(QPainter& painter, const QRect& rect, TColor c1, TColor c2, bool vertical) {
    const int n = vertical ? rect.height() : rect.width();
    if (n <= 0) return;
    const std::vector<TColor>& colours = GetGradient(n, ResolveColour(c1), ResolveColour(c2));
    for (int i = 0; i < n; ++i) {
        const QRect line = vertical ? QRect(rect.left(), rect.top() + i, rect.width(), 1)
                                    : QRect(rect.left() + i, rect.top(), 1, rect.height());
        painter.fillRect(line, ToQColor(colours[static_cast<size_t>(i)]));
    }
}

}  // namespace skin
