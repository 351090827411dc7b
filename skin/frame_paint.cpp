// The skinned frame of a window: its extents, the order in which borders, caption strip,
// caption text and caption buttons are painted, and the window's shape.
#include <QPainter>
#include <QWidget>

#include "skin/element_paint.h"
#include "skin/img_util.h"
#include "skin/skin_data.h"
#include "skin/text_draw.h"
#include "skin/vidavev_form.h"

namespace skin {

namespace {

enum : int { BorderLeft = 1, BorderRight = 2, BorderTop = 3, BorderBottom = 4 };

constexpr QRgb KeyPixel = qRgb(255, 0, 255);

int FramesOf(const TDataSkinObject& e) { return e.FrameCount > 0 ? e.FrameCount : 1; }

// Left and Right hold their frames side by side, Top and Bottom one above the other.
bool Vertical(int index) { return index == BorderTop || index == BorderBottom; }

QRect Box(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

}  // namespace

void TVidAvevForm::LoadFrameMetrics() {
    FLeftWidth = FTopHeight = FRightWidth = FBottomHeight = FMenuHeight = 0;
    FreeCaptionButtons();
    if (!FSkinData || FSkinData->Loading() || FFrameKind == FrameCaptionless) return;
    auto& b = FSkinData->Borders;
    FLeftWidth = b[0]->Image.width() / FramesOf(*b[0]);
    FRightWidth = b[1]->Image.width() / FramesOf(*b[1]);
    FTopHeight = b[2]->Image.height() / FramesOf(*b[2]);
    FBottomHeight = b[3]->Image.height() / FramesOf(*b[3]);
    for (auto& element : FSkinData->CaptionButtons) {
        if (element->Action == 3 || element->Action == 11) {
            if (element->Image.isNull() && !FSkinData->FIconBitmap.isNull()) element->Image = FSkinData->FIconBitmap;
            element->FrameCount = 1;
        }
        FSysButtons.push_back(std::make_unique<TWinSysButton>(*this, *element));
    }
}

int TVidAvevForm::BorderFrame(int index) const {
    const TDataSkinBorder& b = *FSkinData->Borders[static_cast<size_t>(index - 1)];
    return FWindowActive || FramesOf(b) < 2 ? 1 : 2;
}

void TVidAvevForm::PaintBorder(QPainter& painter, int index, const QRect& r) const {
    if (r.width() <= 0 || r.height() <= 0) return;
    const TDataSkinBorder& b = *FSkinData->Borders[static_cast<size_t>(index - 1)];
    if (b.Image.isNull()) return;
    const QImage piece =
        RenderSkinElement(r, b.Image, b.Margins(), Vertical(index), b.Tile != 1, FramesOf(b), BorderFrame(index));
    painter.drawImage(r.topLeft(), piece);
}

void TVidAvevForm::PaintFrame(QPainter& painter) {
    if (!FHandle || !FSkinData || FSkinData->Loading() || FFrameKind == FrameCaptionless) return;
    if (FState != StateActive && FState != StateRefreshing && FState != StateSizing) return;
    const int w = FHandle->width(), h = FHandle->height();
    try {
        PaintBorder(painter, BorderLeft, Box(0, 0, FLeftWidth, h));
        PaintBorder(painter, BorderRight, Box(w - FRightWidth, 0, w, h));
        PaintBorder(painter, BorderBottom, Box(FLeftWidth, h - FBottomHeight, w - FRightWidth, h));
        PaintCaptionStrip(painter);
        if (FMenuHeight > 0)
            painter.fillRect(Box(FLeftWidth, FTopHeight, w - FRightWidth, FTopHeight + FMenuHeight),
                             FSkinData->FaceBrush);
    } catch (...) {
        // A frame that cannot be painted leaves the window as it is; painting goes on.
    }
}

void TVidAvevForm::PaintCaptionStrip(QPainter& painter) {
    const int w = FHandle->width();
    if (w <= 0 || FTopHeight <= 0) return;
    // Composed off-screen and copied once, so the caption never flickers.
    QImage strip(w, FTopHeight, QImage::Format_RGB32);
    strip.fill(ToQColor(FSkinData->Colours[scButtonFace]));
    const QRect area = Box(FLeftWidth, 0, w - FRightWidth, FTopHeight);
    {
        QPainter sp(&strip);
        PaintBorder(sp, BorderTop, area);
        PaintCaptionText(sp, area);
        LayoutAndPaintButtons(sp);
    }
    painter.drawImage(area.topLeft(), strip, area);
}

void TVidAvevForm::PaintCaptionText(QPainter& painter, const QRect& area) {
    const TDataSkinTitle& title = *FSkinData->Title;
    std::u16string text = FCaptionPrefix + FHandle->windowTitle().toStdU16String() + FCaptionSuffix;
    FRightButtonsWidth = 0;
    for (const auto& button : FSysButtons) {
        UpdateVisibility(*button);
        if (button->Element.Align == 1 && !button->Element.Image.isNull() && button->Visible)
            FRightButtonsWidth = std::max(FRightButtonsWidth, button->Element.Xcoord);
    }
    painter.save();
    painter.setFont(FCaptionFont);
    painter.setPen(ToQColor(FSkinData->Colours[FWindowActive ? scTitleTextActive : scTitleTextNoActive]));
    QRect t = area;
    DrawTextAuto(painter, text, t, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
    t.setRight(t.right() + title.TXTBackleft + title.TXTBackRight);
    const int a = area.width(), tw = t.width();
    int dx = 0;
    switch (title.TextAlignment) {
        case 0: dx = title.LeftWidth; break;
        case 1: dx = (a - tw) / 2; break;
        case 2: dx = a - title.RightWidth - tw; break;
        default: break;
    }
    const int dy = (area.height() - t.height()) / 2 + title.TopHeight / 2;
    t.translate(dx, dy);
    if (FHandle->windowFlags() & Qt::Popup) {
        const int limit = area.right() + 1 - FRightButtonsWidth - 5;
        if (limit < t.right() + 1 && FRightButtonsWidth > 5) t.setRight(limit - 1);
    } else {
        t.setRight(std::min(t.right(), area.right() - title.RightWidth));
    }
    if (FFrameKind == FrameDialog && title.TextAlignment == 0) t.setLeft(t.left() - 16);
    FCaptionRect = t;
    if (!title.Image.isNull())
        DrawSkinStrip(painter, QRect(t.left(), area.top(), t.width(), area.height()), title.Image, true, true, 2,
                      FWindowActive ? 1 : 2, TMargins{title.TXTBackleft, 0, title.TXTBackRight, 0});
    t.setLeft(t.left() + title.TXTBackleft);
    t.setRight(t.right() - title.TXTBackRight);
    DrawTextAuto(painter, text, t, DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_VCENTER);
    painter.restore();
}

void TVidAvevForm::LayoutAndPaintButtons(QPainter& painter) {
    const int w = FHandle->width();
    for (const auto& button : FSysButtons) {
        TDataSkinSysButton& e = button->Element;
        if (!button->Visible || e.Image.isNull()) continue;
        button->Rect = CaptionButtonRect(e, w, FCaptionRect);
        if (e.Visibility == 100) continue;
        const int frames = e.FrameCount > 0 ? e.FrameCount : 1;
        int frame = button->State;
        if (!button->Enabled) frame = frames > 3 ? 4 : 1;
        if (!FWindowActive && frames >= 4 && button->State == TNCObject::StateNormal) frame = 4;
        if (frame > frames) frame = 1;
        DrawFrameStretched(painter, button->Rect, e.Image, true, frames, frame);
    }
}

QRegion TVidAvevForm::FrameRegion(QSize size) const {
    const int w = size.width(), h = size.height();
    if (!FSkinData || w <= 0 || h <= 0) return {};
    auto& b = FSkinData->Borders;
    const bool anyTrans = std::any_of(b.begin(), b.end(), [](const auto& e) { return e->Trans != 0; });
    if (!anyTrans) return QRegion(0, 0, w, h);
    QRegion region(Box(FLeftWidth, FTopHeight, w - FRightWidth, h - FBottomHeight));
    if (FFrameKind == FrameCaptionless) return region;
    auto piece = [&](int index, const QRect& r, bool rendered) {
        if (r.width() <= 0 || r.height() <= 0) return QRegion();
        const TDataSkinBorder& e = *b[static_cast<size_t>(index - 1)];
        if (!rendered || e.Trans != 1 || e.Image.isNull()) return QRegion(r);
        const QImage image =
            RenderSkinElement(r, e.Image, e.Margins(), Vertical(index), e.Tile != 1, FramesOf(e), BorderFrame(index));
        return BitmapToRegion(image, r.left(), r.top(), 1, 1, 1, KeyPixel);
    };
    const QRegion left = piece(BorderLeft, Box(0, 0, FLeftWidth, h), h > 1);
    const QRegion right = piece(BorderRight, Box(w - FRightWidth, 0, w, h), h > 1);
    const QRegion bottom =
        piece(BorderBottom, Box(FLeftWidth, h - FBottomHeight, w - FRightWidth, h), FBottomHeight >= 2);
    const QRegion top = piece(BorderTop, Box(FLeftWidth, 0, w - FRightWidth, FTopHeight), FTopHeight > 1);
    return region | top | bottom | left | right;
}

void TVidAvevForm::UpdateRegion() {
    if (!FHandle || FState == StateReleased || !FSkinFrame || FFrameKind == FrameCaptionless) return;
    const QSize size = FHandle->size();
    if (size.isEmpty()) return;
    if (size == FRegionSize && FState != StateRefreshing && FHasRegion) return;
    FRegionSize = size;
    ++FRegionBuilds;
    FHandle->setMask(FrameRegion(size));
    FHasRegion = true;
}

void TVidAvevForm::RemoveRegion() {
    if (!FHasRegion) return;
    if (FHandle) FHandle->clearMask();
    FHasRegion = false;
    FRegionSize = QSize();
}

}  // namespace skin
