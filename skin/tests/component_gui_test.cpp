// The parts of the skin component that need the widget toolkit: the caption-button hint, the
// system-menu glyphs and the caption's icon bitmap.
#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

#include "skin/menu_images.h"
#include "skin/skin_colours.h"
#include "skin/skin_data.h"

namespace skin {
namespace {

TEST(ButtonHint, ShowsOnceAtTheButtonAndHides) {
    TSkinData data;
    data.ShowButtonHint(QRect(120, 40, 20, 18), "Close");
    ASSERT_TRUE(data.HintShowing());
    const QLabel* hint = data.HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->geometry().topLeft(), QPoint(120, 40));
    EXPECT_EQ(hint->text(), "Close");
    const QRect first = hint->geometry();

    // A hint already showing is left alone until it is hidden.
    data.ShowButtonHint(QRect(300, 300, 20, 18), "Maximize");
    EXPECT_EQ(hint->text(), "Close");
    EXPECT_EQ(hint->geometry(), first);

    data.HideButtonHint();
    EXPECT_FALSE(data.HintShowing());
    EXPECT_FALSE(hint->isVisible());
    data.HideButtonHint();
    EXPECT_FALSE(data.HintShowing());

    data.ShowButtonHint(QRect(10, 12, 20, 18), "最小化");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->geometry().topLeft(), QPoint(10, 12));
    EXPECT_EQ(hint->text(), QString::fromUtf8("最小化"));
}

TEST(ButtonHint, LongTextWrapsWithinTheMaximumWidth) {
    TSkinData data;
    const QString word = "temperature ";
    const std::string text = word.repeated(60).toStdString();
    data.ShowButtonHint(QRect(0, 0, 20, 18), text);
    const QLabel* hint = data.HintWindow();
    ASSERT_NE(hint, nullptr);
    const QFontMetrics metrics(hint->font());
    EXPECT_LE(hint->width(), TSkinData::HintMaxWidth + 6);
    EXPECT_GT(hint->width(), TSkinData::HintMaxWidth / 2);
    EXPECT_GE(hint->height(), 3 * metrics.height());
}

TEST(ButtonHint, NothingWithoutTheHintOption) {
    TSkinData data;
    TSkinOptions options = data.Options();
    options.Exclude(TSkinOption::xoCaptionButtonHint);
    data.SetOptions(options);
    data.ShowButtonHint(QRect(5, 5, 20, 18), "Close");
    EXPECT_FALSE(data.HintShowing());
    EXPECT_EQ(data.HintWindow(), nullptr);
}

bool Opaque(const QImage& image, int x, int y) { return qAlpha(image.pixel(x, y)) != 0; }

TEST(MenuImages, FourSeeThroughGlyphsFromAMonochromeStrip) {
    const QImage strip = MenuImageStrip();
    EXPECT_EQ(strip.size(), QSize(64, 16));
    EXPECT_EQ(strip.format(), QImage::Format_Mono);

    const TSkinData data;
    const TSkinImageList& list = data.FMenuImages;
    EXPECT_EQ(list.Width, 16);
    EXPECT_EQ(list.Height, 16);
    ASSERT_EQ(list.Images.size(), 4u);
    for (size_t i = 0; i < list.Images.size(); ++i) {
        const QImage& image = list.Images[i];
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_FALSE(Opaque(image, 0, 0)) << i;
        EXPECT_FALSE(Opaque(image, 15, 15)) << i;
        int ink = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (Opaque(image, x, y)) {
                    EXPECT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << i;
                    ++ink;
                }
        EXPECT_GT(ink, 8) << i;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(image, list.Images[j]) << i << " " << j;
    }
    // The cross of the close glyph meets in its middle; the minimize bar lies low.
    EXPECT_TRUE(Opaque(list.Images[miClose], 7, 7));
    EXPECT_TRUE(Opaque(list.Images[miMinimize], 7, 11));
    EXPECT_FALSE(Opaque(list.Images[miMinimize], 7, 5));
}

class IconBitmap : public ::testing::Test {
protected:
    void TearDown() override { QApplication::setWindowIcon(QIcon()); }
};

TEST_F(IconBitmap, UnchangedWithoutAnApplicationIcon) {
    QApplication::setWindowIcon(QIcon());
    TSkinData data;
    data.MakeIconBitmap();
    EXPECT_TRUE(data.FIconBitmap.isNull());
}

TEST_F(IconBitmap, SmallIconOnMagenta) {
    // A 32 x 32 icon: a red square in the middle, see-through around it.
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.fillRect(8, 8, 16, 16, Qt::red);
    }
    QApplication::setWindowIcon(QIcon(icon));
    TSkinData data;
    data.MakeIconBitmap();
    ASSERT_EQ(data.FIconBitmap.size(), QSize(TSkinData::SmallIconSize, TSkinData::SmallIconSize));
    EXPECT_FALSE(data.FIconBitmap.hasAlphaChannel());
    const QRgb key = qRgb(RedOf(KeyColour), GreenOf(KeyColour), BlueOf(KeyColour));
    EXPECT_EQ(data.FIconBitmap.pixel(0, 0), key);
    EXPECT_EQ(data.FIconBitmap.pixel(15, 15), key);
    EXPECT_EQ(data.FIconBitmap.pixel(8, 8), qRgb(255, 0, 0));

    // A later call without an icon keeps the bitmap.
    QApplication::setWindowIcon(QIcon());
    data.MakeIconBitmap();
    EXPECT_EQ(data.FIconBitmap.pixel(8, 8), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace skin
