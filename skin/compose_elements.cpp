#include <QPainter>
#include <algorithm>

#include "skin/element_paint.h"
#include "skin/img_util.h"
#include "skin/quick_ini.h"
#include "skin/skin_data.h"

namespace skin {

namespace {

constexpr int ComboFrameWidth = 50;
constexpr int ComboFrameHeight = 21;
constexpr int ComboArrowSize = 17;

template <class T>
void SetCount(const std::unique_ptr<T>& e, int count) {
    if (e) e->FrameCount = count;
}

// Frames of a check or radio strip: square frames of 13 or 16 pixels, at least four.
int32_t StateFrames(int32_t given, const QImage& image) {
    if (given != 0) return given;
    return std::max(image.width() / (image.height() < 16 ? 13 : 16), 4);
}

QImage KeyFilled(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(ToQColor(KeyColour));
    return image;
}

}  // namespace

void TSkinData::SetFrameCounts(const TQuickIni& ini) {
    Buttons->FrameCount = 5;
    Buttons->RadioButtonFrame = StateFrames(Buttons->RadioButtonFrame, Buttons->RadioImage);
    Buttons->CheckButtonFrame = StateFrames(Buttons->CheckButtonFrame, Buttons->CheckImage);
    Title->FrameCount = 2;
    if (Progress) Progress->FrameCount = Progress->Style != 0 ? 1 : 2;
    SetCount(MenuBar, 2);
    SetCount(GroupBoxEdge, 2);
    SetCount(Toolbar, 1);
    SetCount(TabPane, 1);
    SetCount(GroupBox, 1);
    SetCount(MenuBackground, 1);
    SetCount(StatusBarEdges, 3);
    SetCount(ComboButton, 4);
    SetCount(SunkEdge, 4);
    SetCount(HorzScroll, 4);
    SetCount(VertScroll, 4);
    for (const auto* e :
         {&ToolBars, &ExtraImages, &MenuItem, &ThumbHorz, &ThumbVert, &ThumbLeft, &ThumbRight, &ThumbUp, &ThumbDown})
        SetCount(*e, 5);
    SetCount(Tabs, 5);
    if (Headerbar && Headerbar->FrameCount == 0) Headerbar->FrameCount = 5;
    SetCount(UpDownHorz, 8);
    SetCount(UpDownVert, 8);
    SetCount(Scrollbar, 23);
    SetCount(HorzScrollThumb, ini.ReadInteger("HorzScrollThumb", "FrameCount", 3));
    SetCount(VertScrollThumb, ini.ReadInteger("VertScrollThumb", "FrameCount", 3));
}

// The combo box's frames composed from the sunken edge, the button and its arrow glyphs: the
// button's strip gets whole 50 x 21 frames, and the edge their mirror image.
void TSkinData::MakeComboFrames() {
    if (!SunkEdge || !ComboButton) return;
    const int n = std::max(SunkEdge->FrameCount, 1);
    const int w = SystemHScrollArrowWidth + 2;
    QImage strip = KeyFilled(ComboFrameWidth * n, ComboFrameHeight);
    const QRect button(ComboFrameWidth - w, 0, w, ComboFrameHeight);
    for (int i = 1; i <= n; ++i) {
        QImage work = KeyFilled(ComboFrameWidth, ComboFrameHeight);
        {
            QPainter painter(&work);
            DrawSkinElement(painter, work.rect(), SunkEdge->Image, false, SunkEdge->Tile != 0, SunkEdge->Trans != 0, n,
                            i, SunkEdge->Margins());
            DrawSkinElement(painter, button, ComboButton->Image, false, ComboButton->Tile != 0, true,
                            ComboButton->FrameCount, i, ComboButton->Margins());
            if (ExtraImages) DrawFrameCentred(painter, button, ExtraImages->Image, true, ExtraImages->FrameCount, i);
            painter.fillRect(QRect(QPoint(2, 2), QPoint(ComboFrameWidth - 1 - w - 1, 17)), ToQColor(KeyColour));
        }
        QPainter(&strip).drawImage(ComboFrameWidth * (i - 1), 0, work);
    }
    ComboButton->Style = 2;
    ComboButton->TopHeight = SunkEdge->TopHeight;
    ComboButton->BottomHeight = SunkEdge->BottomHeight;
    ComboButton->LeftWidth = 2;
    ComboButton->RightWidth = w + 2;
    ComboButton->Image = strip;
    MirrorBitmap(strip);
    SunkEdge->Image = strip;
    SunkEdge->LeftWidth = w + 2;
    SunkEdge->RightWidth = 2;
}

// The drop-down arrow alone: the arrow part of each composed combo frame, or, without a sunken
// edge, the button image on the button face.
void TSkinData::MakeComboArrow() {
    if (!ComboxArrow) ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    if (SunkEdge) {
        if (!ComboButton || ComboButton->Style != 2) return;
        const int n = std::max(SunkEdge->FrameCount, 1);
        const int fw = ComboButton->Image.width() / n;
        QImage strip = KeyFilled(ComboArrowSize * n, ComboArrowSize);
        {
            QPainter painter(&strip);
            for (int i = 1; i <= n; ++i) {
                // A frame narrower than the arrow gives only its own pixels, never its neighbour's
                // or those left of the image.
                const QRect frame((i - 1) * fw, 0, fw, ComboButton->Image.height());
                const QRect from = QRect(i * fw - 19, 2, ComboArrowSize, ComboArrowSize).intersected(frame);
                if (from.isEmpty()) continue;
                const QPoint to(ComboArrowSize * (i - 1) + from.left() - (i * fw - 19), from.top() - 2);
                painter.drawImage(to, ComboButton->Image, from);
            }
        }
        ComboxArrow->Image = strip;
        ComboxArrow->FrameCount = n;
        return;
    }
    if (!ComboButton) return;
    ComboxArrow->Image = ComboButton->Image;
    // The button face as a colour of its own, even when the skin leaves it to the system.
    ReplaceKeyColour(ComboxArrow->Image, ResolveColour(Colours[scButtonFace]));
    ComboxArrow->FrameCount = ComboButton->FrameCount;
}

void TSkinData::MakeToolbarBackground() {
    const TColor base = ResolveColour(FrameColour());
    TColor bottom = BlendColours(RGB(0x80, 0x80, 0x80), base, 150);
    const TColor top = BlendColours(Colours[scButtonFace], White, 150);
    const int s = ColourSaturation(base);
    if (s > 110) bottom = BlendColours(base, White, (225 - s) * 25 / 140 + 50);
    QImage image(10, 40, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        GradientFillRect(painter, image.rect(), top, bottom, true);
    }
    if (!Toolbar) Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    Toolbar->Image = image;
    Toolbar->FrameCount = 1;
}

}  // namespace skin
