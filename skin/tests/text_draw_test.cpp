// The painters' text routines: drawing and measuring wide text with the format bits, and the
// two text conversions.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "skin/text_draw.h"

namespace skin {
namespace {

TEST(WideCopy, WholeOrCountedNeverPastTheEnd) {
    struct TCase {
        const char16_t* Buffer;
        int Count;
        std::u16string Expected;
    };
    const TCase cases[] = {
        {u"Restore", -1, u"Restore"}, {u"Restore", 4, u"Rest"}, {u"Restore", 0, u""},
        {u"Close", 80, u"Close"},     {u"温度", 1, u"温"},      {nullptr, -1, u""},
    };
    for (const TCase& c : cases) EXPECT_EQ(WideCopy(c.Buffer, c.Count), c.Expected) << c.Count;
}

TEST(AnsiToWide, ConvertsUtf8Text) {
    EXPECT_EQ(AnsiToWide("Close"), u"Close");
    EXPECT_EQ(AnsiToWide("湿度 %"), u"湿度 %");
    EXPECT_EQ(AnsiToWide(""), u"");
}

// A white canvas with black text, and where the ink fell.
class TextCanvas : public ::testing::Test {
protected:
    TextCanvas() : Image(200, 60, QImage::Format_RGB32) { Image.fill(Qt::white); }

    QRect Ink() const {
        QRect ink;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                if (Image.pixel(x, y) != qRgb(255, 255, 255)) ink |= QRect(x, y, 1, 1);
        return ink;
    }

    int Draw(const std::u16string& text, QRect& rect, unsigned format) {
        QPainter painter(&Image);
        painter.setPen(Qt::black);
        return DrawTextAuto(painter, text, rect, format);
    }

    QImage Image;
};

TEST_F(TextCanvas, CalcRectMeasuresWithoutDrawing) {
    QRect rect(10, 5, 0, 0);
    QPainter measure(&Image);
    const QFontMetrics metrics(measure.font());
    measure.end();
    const int height = Draw(u"Minimize", rect, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(height, metrics.height());
    EXPECT_EQ(rect.topLeft(), QPoint(10, 5));
    EXPECT_NEAR(rect.width(), metrics.horizontalAdvance("Minimize"), 1);
    EXPECT_EQ(rect.height(), height);
    EXPECT_TRUE(Ink().isNull());

    // The mnemonic mark takes no room unless DT_NOPREFIX keeps it as text.
    QRect marked(0, 0, 0, 0);
    Draw(u"Mi&nimize", marked, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(marked.width(), rect.width());
    QRect plain(0, 0, 0, 0);
    Draw(u"Mi&nimize", plain, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    EXPECT_NEAR(plain.width(), metrics.horizontalAdvance("Mi&nimize"), 1);
    EXPECT_GT(plain.width(), marked.width());

    // With a word break the width stays and the lines add up.
    QRect wrapped(0, 0, 60, 0);
    const int lines = Draw(u"one two three four five six", wrapped, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(wrapped.width(), 60);
    EXPECT_GE(lines, 2 * metrics.height());
}

TEST_F(TextCanvas, AlignmentPlacesTheInk) {
    struct TCase {
        unsigned Format;
        bool Left, Right, Top, Bottom;  // which halves hold ink
    };
    const TCase cases[] = {
        {DT_LEFT | DT_SINGLELINE, true, false, true, false},
        {DT_RIGHT | DT_SINGLELINE, false, true, true, false},
        {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, false, true, false, true},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, true, true, true, true},
    };
    for (const TCase& c : cases) {
        Image.fill(Qt::white);
        QRect rect(0, 0, 200, 60);
        Draw(u"Ab", rect, c.Format);
        const QRect ink = Ink();
        ASSERT_FALSE(ink.isNull()) << c.Format;
        EXPECT_EQ(ink.left() < 100, c.Left) << c.Format;
        EXPECT_EQ(ink.right() >= 100, c.Right) << c.Format;
        EXPECT_EQ(ink.top() < 30, c.Top) << c.Format;
        EXPECT_EQ(ink.bottom() >= 30, c.Bottom) << c.Format;
    }
}

TEST_F(TextCanvas, ReturnsHowFarTheTextReaches) {
    QRect top(0, 0, 200, 60);
    const int height = Draw(u"Ab", top, DT_SINGLELINE);
    QRect bottom(0, 0, 200, 60);
    EXPECT_EQ(Draw(u"Ab", bottom, DT_SINGLELINE | DT_BOTTOM), 60);
    QRect centred(0, 0, 200, 60);
    const int reach = Draw(u"Ab", centred, DT_SINGLELINE | DT_VCENTER);
    EXPECT_GT(reach, height);
    EXPECT_LT(reach, 60);
}

TEST_F(TextCanvas, EllipsisKeepsLongTextInside) {
    QRect rect(0, 0, 50, 20);
    Draw(u"A caption far too long for its button", rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    const QRect ink = Ink();
    ASSERT_FALSE(ink.isNull());
    EXPECT_LT(ink.right(), 50);
}

}  // namespace
}  // namespace skin
