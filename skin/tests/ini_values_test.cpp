// Colour texts and the bitmap entries that INI values name.
#include <gtest/gtest.h>

#include "skin/quick_ini.h"
#include "skin/skin_ini_values.h"
#include "skin/skin_reader.h"
#include "skin/tests/skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

TEST(IniValuesTest, ParseRGBText) {
    struct TCase {
        const char* Text;
        TColor Expected;
    };
    const TCase cases[] = {
        {"227 238 253", RGB(227, 238, 253)},
        {"  1,2,3  ", RGB(1, 2, 3)},
        {"255", 0},                           // a single number gives black
        {"10 20", RGB(10, 0, 0)},             // a number at the end counts only as the third
        {"1 2 3 4 5", RGB(1, 2, 3)},          // later numbers are ignored
        {"300 256 511", RGB(44, 0, 255)},     // each part modulo 256
        {"99999999999 1 2 3", RGB(0, 0, 0)},  // too large: its digits run on into the next ones
        {"r=10;g=20;b=30;", RGB(10, 20, 30)},
        {"", 0},
    };
    for (const TCase& tc : cases) EXPECT_EQ(ParseRGBText(tc.Text), tc.Expected) << tc.Text;
    EXPECT_EQ(ReadRGB("", RGB(9, 9, 9)), RGB(9, 9, 9));
    EXPECT_EQ(ReadRGB("1 1 1", RGB(9, 9, 9)), RGB(1, 1, 1));
}

TEST(IniValuesTest, ReadRGBTripleNeedsAllThree) {
    TQuickIni ini;
    ini.LoadFromText("[P]\r\nAR=1\r\nAG=2\r\nAB=258\r\nBR=1\r\nBG=2\r\nCR=-1\r\nCG=2\r\nCB=3\r\n");
    TColor a = 5, b = 5, c = 5;
    ReadRGBTriple(ini, "P", "A", a);
    ReadRGBTriple(ini, "P", "B", b);
    ReadRGBTriple(ini, "P", "C", c);
    EXPECT_EQ(a, RGB(1, 2, 2));
    EXPECT_EQ(b, 5u);
    EXPECT_EQ(c, 5u);
}

TEST(IniValuesTest, LoadEntryBitmapByFileNamePart) {
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(Package({{"tab.bmp", BmpBytes(30, 7)}, {"broken.bmp", TextBytes("BMnot")}})));
    struct TCase {
        const char* Value;
        int Width;  // 0: no image
    };
    const TCase cases[] = {
        {"tab.bmp", 30},
        {"skins\\Tab.bmp", 30},
        {"c:tab.bmp", 30},
        {"TAB.BMP", 30},  // any case now loads
        {"tab.png", 0},
        {"tab", 0},
        {"", 0},
        {"skins\\", 0},
        {"missing.bmp", 0},
        {"broken.bmp", 0},
    };
    for (const TCase& tc : cases) {
        const QImage image = LoadEntryBitmap(reader, tc.Value);
        EXPECT_EQ(image.isNull() ? 0 : image.width(), tc.Width) << tc.Value;
    }
}

}  // namespace
}  // namespace skin
