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
    // Descending channels truncate toward zero and may end one step short.
    EXPECT_EQ(GetGradient(4, RGB(10, 0, 0), RGB(0, 0, 0)).back(), RGB(1, 0, 0));
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

}  // namespace
}  // namespace skin
