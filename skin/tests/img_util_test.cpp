// The painting primitives the skin data uses to compose its elements.
#include <gtest/gtest.h>

#include <QPainter>

#include "skin/element_paint.h"
#include "skin/img_util.h"

namespace skin {
namespace {

TEST(ImgUtilTest, BlendAndSaturation) {
    EXPECT_EQ(BlendColours(RGB(200, 0, 100), RGB(0, 200, 0), 100), RGB(20, 180, 10));  // 10 % of A
    EXPECT_EQ(BlendColours(RGB(200, 0, 100), RGB(0, 200, 0), 99), RGB(198, 2, 99));
    EXPECT_EQ(BlendColours(SystemColour(15), RGB(0, 0, 0), 50), RGB(120, 120, 120));
    EXPECT_EQ(ColourSaturation(RGB(255, 0, 0)), 255);
    EXPECT_EQ(ColourSaturation(RGB(128, 128, 128)), 200);
    EXPECT_EQ(ColourSaturation(RGB(200, 100, 100)), 128);
    EXPECT_EQ(ColourSaturation(RGB(255, 255, 255)), 0);
}

TEST(ImgUtilTest, GradientCache) {
    const auto& first = GetGradient(5, RGB(0, 0, 0), RGB(100, 40, 8));
    EXPECT_EQ(first,
              (std::vector<TColor>{RGB(0, 0, 0), RGB(25, 10, 2), RGB(50, 20, 4), RGB(75, 30, 6), RGB(100, 40, 8)}));
    EXPECT_EQ(&GetGradient(5, RGB(0, 0, 0), RGB(100, 40, 8)), &first);
    EXPECT_EQ(GetGradient(1, RGB(0, 0, 0), RGB(100, 40, 9)), (std::vector<TColor>{RGB(50, 20, 4)}));
    // A falling channel ends on the end colour too, so its next look-up finds the same slot.
    const auto& falling = GetGradient(4, RGB(10, 200, 7), RGB(0, 0, 0));
    EXPECT_EQ(falling, (std::vector<TColor>{RGB(10, 200, 7), RGB(7, 133, 5), RGB(3, 67, 2), RGB(0, 0, 0)}));
    EXPECT_EQ(&GetGradient(4, RGB(10, 200, 7), RGB(0, 0, 0)), &falling);
    const std::vector<TColor>* made[17];
    for (int i = 0; i < 17; ++i) made[i] = &GetGradient(2, RGB(i, 0, 0), RGB(200, 0, 0));
    EXPECT_EQ(made[16], made[0]);  // the 17th reuses the oldest slot
}

TEST(ImgUtilTest, ReplaceKeyColourAndMirror) {
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(255, 1, 255));
    image.setPixel(2, 0, qRgb(1, 2, 3));
    ReplaceKeyColour(image, RGB(10, 20, 30));
    EXPECT_EQ(image.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 1, 255));
    MirrorBitmap(image);
    EXPECT_EQ(image.pixel(0, 0), qRgb(1, 2, 3));
}

TEST(ImgUtilTest, RenderSkinElementInNineParts) {
    // One 6 x 6 frame (second of two): corners red, edges green, centre blue.
    QImage strip(12, 6, QImage::Format_RGB32);
    strip.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool edgeX = x < 2 || x > 3, edgeY = y < 2 || y > 3;
            strip.setPixel(6 + x, y,
                           edgeX && edgeY   ? qRgb(255, 0, 0)
                           : edgeX || edgeY ? qRgb(0, 255, 0)
                                            : qRgb(0, 0, 255));
        }
    }
    const QImage out = RenderSkinElement(QRect(0, 0, 20, 10), strip, {2, 2, 2, 2}, false, false, 2, 2);
    ASSERT_EQ(out.size(), QSize(20, 10));
    EXPECT_EQ(out.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(19, 9), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(10, 0), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(0, 5), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(10, 5), qRgb(0, 0, 255));
    // Narrower than both side margins: no side parts, the whole width is stretched.
    const QImage narrow = RenderSkinElement(QRect(0, 0, 3, 10), strip, {2, 2, 2, 2}, false, false, 2, 2);
    EXPECT_EQ(narrow.pixel(0, 5), qRgb(0, 255, 0));
    EXPECT_EQ(narrow.pixel(1, 5), qRgb(0, 0, 255));
    EXPECT_EQ(narrow.pixel(1, 0), qRgb(0, 255, 0));  // the top edge spans the whole width
    EXPECT_EQ(RenderSkinElement(QRect(0, 0, 0, 0), strip, {}, false, false, 2, 1).size(), QSize(0, 0));
}

TEST(ImgUtilTest, TransparentDrawingKeepsTheBackground) {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(1, 2, 3));
    QImage target(2, 1, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    {
        QPainter painter(&target);
        DrawTransparent(painter, target.rect(), image);
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(target.pixel(1, 0), qRgb(1, 2, 3));
}

// A strip of frames with a distinct colour in every column, so each copied column can be told
// apart: column x of frame f has red x and green 10 * f.
QImage ColumnStrip(int frameWidth, int height, int frames) {
    QImage image(frameWidth * frames, height, QImage::Format_RGB32);
    for (int f = 0; f < frames; ++f)
        for (int x = 0; x < frameWidth; ++x)
            for (int y = 0; y < height; ++y) image.setPixel(f * frameWidth + x, y, qRgb(x, 10 * (f + 1), y));
    return image;
}

TEST(ImgUtilTest, TransparentDrawingOfASmallerSourceReadsOnlyTheSource) {
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QImage target(6, 5, QImage::Format_RGB32);
    target.fill(qRgb(9, 9, 9));
    {
        QPainter painter(&target);
        DrawTransparent(painter, QRect(1, 1, 5, 4), image);
    }
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(target.pixel(x, y), (x >= 1 && x <= 2 && y >= 1 && y <= 2) ? qRgb(1, 2, 3) : qRgb(9, 9, 9))
                << x << "," << y;
}

TEST(ImgUtilTest, StripRepeatsTheMiddleBetweenItsFixedParts) {
    const QImage image = ColumnStrip(5, 2, 2);  // frames of columns 0..4; parts of 1, middle 3
    QImage target(12, 2, QImage::Format_RGB32);
    {
        QPainter painter(&target);
        DrawSkinStrip(painter, target.rect(), image, false, false, 2, 2, TMargins{1, 0, 1, 0});
    }
    const int expected[12] = {0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 4};  // the last middle copy lies under the right part
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(qRed(target.pixel(x, 0)), expected[x]) << x;
        EXPECT_EQ(qGreen(target.pixel(x, 0)), 20) << x;
    }
}

TEST(ImgUtilTest, StripWithoutAMiddleIsStretchedWhole) {
    // Parts as wide as the frame leave no middle to repeat: it ends instead of looping.
    const QImage image = ColumnStrip(4, 1, 1);
    for (const TMargins margins : {TMargins{2, 0, 2, 0}, TMargins{3, 0, 3, 0}}) {
        QImage target(8, 1, QImage::Format_RGB32);
        {
            QPainter painter(&target);
            DrawSkinStrip(painter, target.rect(), image, false, false, 1, 1, margins);
        }
        for (int x = 0; x < 8; ++x) EXPECT_EQ(qRed(target.pixel(x, 0)), x / 2) << x;
    }
}

TEST(ImgUtilTest, StretchedFrameAndThreeParts) {
    const QImage image = ColumnStrip(4, 1, 3);
    QImage target(8, 2, QImage::Format_RGB32);
    {
        QPainter painter(&target);
        DrawFrameStretched(painter, target.rect(), image, false, 3, 3);
    }
    for (int x = 0; x < 8; ++x) EXPECT_EQ(target.pixel(x, 1), qRgb(x / 2, 30, 0)) << x;

    QImage three(6, 1, QImage::Format_RGB32);
    {
        QPainter painter(&three);
        DrawThreePart(painter, three.rect(), image, TMargins{1, 0, 1, 0}, 1, 3, false);
    }
    const int columns[6] = {0, 1, 1, 2, 2, 3};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(qRed(three.pixel(x, 0)), columns[x]) << x;
    // A frame wider than the destination is stretched whole: both its ends still show.
    QImage narrow(3, 1, QImage::Format_RGB32);
    {
        QPainter painter(&narrow);
        DrawThreePart(painter, narrow.rect(), image, TMargins{1, 0, 1, 0}, 1, 3, false);
    }
    EXPECT_EQ(qRed(narrow.pixel(0, 0)), 0);
    EXPECT_EQ(qRed(narrow.pixel(2, 0)), 3);
}

TEST(ImgUtilTest, FlipAndRotate) {
    QImage image(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) image.setPixel(x, y, qRgb(x, y, 0));
    QImage flipped = image;
    FlipBitmap(flipped);
    EXPECT_EQ(flipped.pixel(2, 0), qRgb(2, 1, 0));
    QImage left = image;
    RotateBitmapLeft(left);
    QImage right = image;
    RotateBitmapRight(right);
    ASSERT_EQ(left.size(), QSize(2, 3));
    ASSERT_EQ(right.size(), QSize(2, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(left.pixel(x, y), image.pixel(3 - 1 - y, x));
            EXPECT_EQ(right.pixel(x, y), image.pixel(y, 2 - 1 - x));
        }
}

TEST(ImgUtilTest, RegionLeavesOutTheKeyWithinItsTolerance) {
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(0, 0, qRgb(255, 0, 255));
    image.setPixel(1, 0, qRgb(255, 1, 255));  // inside the tolerance of 1
    image.setPixel(3, 1, qRgb(255, 2, 255));  // outside it
    const QRegion region = BitmapToRegion(image, 5, 7, 1, 1, 1, qRgb(255, 0, 255));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(region.contains(QPoint(x + 5, y + 7)), !(y == 0 && x < 2)) << x << "," << y;
    EXPECT_FALSE(region.contains(QPoint(4, 7)));
}

}  // namespace
}  // namespace skin
