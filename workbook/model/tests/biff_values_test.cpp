#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_util.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/color.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

using test::U8;

TEST(BIFFValues, DecodeRK) {
    EXPECT_EQ(DecodeRK(0x3FF00000), 1.0);
    EXPECT_EQ(DecodeRK(0x3FF00001), 0.01);
    EXPECT_EQ(DecodeRK(0x0000000A), 2.0);
    EXPECT_EQ(DecodeRK(0x0000000B), 0.02);
    EXPECT_EQ(DecodeRK(static_cast<uint32_t>(-4 * 4) | 2), -4.0);
    EXPECT_EQ(DecodeRK(static_cast<uint32_t>(-4 * 4) | 3), -0.04);
    EXPECT_EQ(DecodeRK(0xFFFFFFFE), -1.0);
    EXPECT_EQ(DecodeRK(0x7FFFFFFE), 536870911.0);   // the largest 30-bit integer
    EXPECT_EQ(DecodeRK(0x80000002), -536870912.0);  // the smallest
    EXPECT_EQ(DecodeRK(0x40590000), 100.0);
    EXPECT_EQ(DecodeRK(0xC0590000), -100.0);
    EXPECT_EQ(DecodeRK(0), 0.0);
}

TEST(BIFFValues, ErrorCodes) {
    const int codes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(BIFFErrorToCellError(codes[i]), i + 1);
        EXPECT_EQ(CellErrorToBIFFError(i + 1), codes[i]);
        EXPECT_EQ(CellErrorToBIFFError(0x80 | (i + 1)), codes[i]);  // masked with 0x7F
    }
    EXPECT_EQ(BIFFErrorToCellError(0x2A), errNA);
    EXPECT_EQ(BIFFErrorToCellError(0x01), errUnknown);
    EXPECT_EQ(BIFFErrorToCellError(-1), errUnknown);
    EXPECT_EQ(CellErrorToBIFFError(0), 0x2A);  // "no error" is no BIFF error
    EXPECT_EQ(CellErrorToBIFFError(errGettingData), 0x2B);
    EXPECT_EQ(BIFFErrorToCellError(0x2B), errGettingData);
    EXPECT_EQ(CellErrorToBIFFError(100), 0x2A);
    EXPECT_EQ(U8(BIFFErrorToText(0x07)), "#DIV/0!");
    EXPECT_EQ(U8(BIFFErrorToText(0x08)), "#???");
    EXPECT_EQ(U8(BIFFErrorToText(1000)), "#???");
}

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

TEST(BIFFValues, WritingStrings) {
    std::vector<uint8_t> dest(7, 0xEE);
    WideStrToBIFFStr(u"A\u5B8B\u4F53", dest);
    EXPECT_EQ(dest, Bytes({1, 0x41, 0, 0x8B, 0x5B, 0x53, 0x4F}));
    EXPECT_EQ(BIFFStrSize(u"A\u5B8B\u4F53"), 7);
    EXPECT_EQ(BIFFStrSize(u""), 0);
    std::vector<uint8_t> one(1, 0xEE);
    WideStrToBIFFStr(u"", one);  // the option byte alone
    EXPECT_EQ(one[0], 1);
    std::vector<uint8_t> small(6);
    EXPECT_THROW(WideStrToBIFFStr(u"A\u5B8B\u4F53", small), EXLSError);
    std::vector<uint8_t> none;
    EXPECT_THROW(WideStrToBIFFStr(u"", none), EXLSError);
}

TEST(BIFFValues, ReadingStrings) {
    const std::vector<uint8_t> wide = Bytes({1, 0x41, 0, 0x8B, 0x5B});
    EXPECT_EQ(BIFFBufToWideStr(wide, 2), u"A\u5B8B");
    EXPECT_EQ(BIFFBufToWideStr(wide, 1), u"A");
    EXPECT_EQ(BIFFBufToWideStr(wide, 0), u"");
    EXPECT_THROW(BIFFBufToWideStr(wide, 3), EXLSError);  // past the body
    const std::vector<uint8_t> narrow = Bytes({0, 0x41, 0xE9, 0xFF});
    EXPECT_EQ(BIFFBufToWideStr(narrow, 3), u"A\u00E9\u00FF");  // byte = character code
    EXPECT_THROW(BIFFBufToWideStr(narrow, 4), EXLSError);
    // Option bits other than fHighByte do not change the width.
    const std::vector<uint8_t> rich = Bytes({0x09, 0x41, 0});
    EXPECT_EQ(BIFFBufToWideStr(rich, 1), u"A");
    EXPECT_THROW(BIFFBufToWideStr({}, 1), EXLSError);

    EXPECT_EQ(ByteStrToWideStr(narrow, 4), std::u16string(u"\u0000A\u00E9\u00FF", 4));
    EXPECT_THROW(ByteStrToWideStr(narrow, 5), EXLSError);
    EXPECT_EQ(ByteStrToWideStr(narrow, -1), u"");
}

TEST(BIFFValues, ShortStrings) {
    // 200 UTF-16 characters whose count came from an 8-bit field: all 200 decode.
    std::vector<uint8_t> body{1};
    std::u16string expected;
    for (int i = 0; i < 200; ++i) {
        const char16_t c = static_cast<char16_t>(0x4E00 + i);
        expected += c;
        body.push_back(static_cast<uint8_t>(c & 0xFF));
        body.push_back(static_cast<uint8_t>(c >> 8));
    }
    EXPECT_EQ(ShortBIFFBufToWideStr(body, 200), expected);
    // Only the low byte of the count counts.
    EXPECT_EQ(ShortBIFFBufToWideStr(body, 256 + 3), expected.substr(0, 3));
    EXPECT_EQ(ShortBIFFBufToWideStr(body, 0), u"");
    EXPECT_EQ(ShortBIFFBufToWideStr(body, -5), u"");
    const std::vector<uint8_t> narrow = Bytes({0, 'a', 'b', 'c'});
    EXPECT_EQ(U8(ShortBIFFBufToWideStr(narrow, 3)), "abc");
    EXPECT_THROW(ShortBIFFBufToWideStr(narrow, 4), EXLSError);
}

TEST(BIFFValues, RawStrings) {
    const std::vector<uint8_t> wide = Bytes({5, 0x41, 0, 0x8B, 0x5B});  // normalised to 1
    const std::string raw = BIFFBufToRawStr(wide, 2);
    EXPECT_EQ(raw, std::string("\x01\x41\x00\x8B\x5B", 5));
    EXPECT_EQ(BIFFStrToWideStr(raw), u"A\u5B8B");
    const std::vector<uint8_t> narrow = Bytes({2, 'x', 'y'});  // normalised to 0
    EXPECT_EQ(BIFFBufToRawStr(narrow, 2), std::string("\x00xy", 3));
    EXPECT_EQ(BIFFStrToWideStr(std::string("\x00xy\xE9", 4)), u"xy\u00E9");
    EXPECT_THROW(BIFFBufToRawStr(narrow, 3), EXLSError);
    EXPECT_EQ(BIFFBufToRawStr(narrow, 0), std::string("\x00", 1));
    // Another first byte: the whole string in the system code page (UTF-8 here).
    EXPECT_EQ(BIFFStrToWideStr("\xE5\xAE\x8B"), u"\u5B8B");
    EXPECT_EQ(BIFFStrToWideStr(""), u"");
    // An odd UTF-16 tail is dropped.
    EXPECT_EQ(BIFFStrToWideStr(std::string("\x01\x41\x00\x42", 4)), u"A");
}

TEST(BIFFValues, ZeroTerminatedStrings) {
    const std::vector<uint8_t> z = Bytes({0x41, 0, 0x42, 0, 0, 0, 0x43, 0, 0, 0});
    EXPECT_EQ(WideBufZToWideStr(z, 10), u"AB");  // cut at the first zero
    EXPECT_EQ(WideBufZToWideStr(z, 4), u"A");
    EXPECT_EQ(WideBufZToWideStr(z, 2), u"");
    EXPECT_EQ(WideBufZToWideStr(z, 0), u"");
    EXPECT_EQ(WideBufZToWideStr(z, -3), u"");
    EXPECT_THROW(WideBufZToWideStr(z, 13), EXLSError);
    const std::vector<uint8_t> noZero = Bytes({0x41, 0, 0x42, 0});
    EXPECT_EQ(WideBufZToWideStr(noZero, 6), u"AB");
}

class BIFFPalette : public ::testing::Test {
protected:
    void SetUp() override {
        Saved_ = Xc12CurrentPalette;
        Xc12ResetCurrentPalette();
    }
    void TearDown() override { Xc12CurrentPalette = Saved_; }

private:
    TXc12Palette Saved_{};
};

TEST_F(BIFFPalette, NearestIndexColor) {
    EXPECT_EQ(NearestIndexColor(0xFFFFFF), 9);  // the first white from index 8 on
    EXPECT_EQ(NearestIndexColor(0x000000), 8);
    EXPECT_EQ(NearestIndexColor(0x0000FF), 10);  // red
    EXPECT_EQ(NearestIndexColor(0x0000FE), 10);
    EXPECT_EQ(NearestIndexColor(0x969696), 55);   // gray 40%
    EXPECT_EQ(NearestIndexColor(0x0F000000), 8);  // the top byte is no colour
    // Entries 64 and 65 and 0..7 are never candidates.
    Xc12CurrentPalette[3] = 0x123456;
    Xc12CurrentPalette[64] = 0x123456;
    EXPECT_NE(NearestIndexColor(0x123456), 3);
    EXPECT_NE(NearestIndexColor(0x123456), 64);
    // The current palette is searched.
    Xc12CurrentPalette[40] = 0x123456;
    EXPECT_EQ(NearestIndexColor(0x123456), 40);
}

TEST_F(BIFFPalette, PaletteColourAndIndexes) {
    EXPECT_EQ(PaletteColor(10), 0x0000FFu);
    EXPECT_EQ(PaletteColor(10 + 0x80), 0x0000FFu);  // masked to 7 bits
    EXPECT_EQ(PaletteColor(65), 0x0F000000u);
    // 66..127 (and their masked twins) have no entry: the automatic entry 64.
    Xc12CurrentPalette[64] = 0x00ABCDEF;
    EXPECT_EQ(PaletteColor(66), 0x00ABCDEFu);
    EXPECT_EQ(PaletteColor(127), 0x00ABCDEFu);
    EXPECT_EQ(PaletteColor(0xFF), 0x00ABCDEFu);
    EXPECT_EQ(PaletteColor(-1), 0x00ABCDEFu);

    EXPECT_EQ(IntToIndexColor(0), 0);
    EXPECT_EQ(IntToIndexColor(63), 63);
    EXPECT_EQ(IntToIndexColor(64), 64);
    EXPECT_EQ(IntToIndexColor(65), 64);
    EXPECT_EQ(IntToIndexColor(32767), 64);
    EXPECT_EQ(IntToIndexColor(-1), 64);

    EXPECT_EQ(IndexColorToChartRGB(10), 0x0000FFu);  // red stays red
    EXPECT_EQ(IndexColorToChartRGB(12), 0xFF0000u);  // blue stays blue
    EXPECT_EQ(IndexColorToChartRGB(0x80 | 12), 0xFF0000u);
    EXPECT_EQ(IndexColorToChartRGB(100), 0x00ABCDEFu);
}

TEST(BIFFValues, ClipArea97) {
    struct Case {
        int C1, R1, C2, R2;
        bool Ok;
        int EC1 = 0, ER1 = 0, EC2 = 0, ER2 = 0;
    };
    const Case cases[] = {
        {250, 0, 300, 10, true, 250, 0, 255, 10},
        {300, 0, 310, 10, false},
        {0, 65536, 5, 70000, false},
        {-5, -5, -1, 3, false},
        {2, 3, 4, -1, false},
        {-5, -7, 3, 4, true, 0, 0, 3, 4},
        {0, 60000, 255, 1048575, true, 0, 60000, 255, 65535},
        {255, 65535, 255, 65535, true, 255, 65535, 255, 65535},
    };
    for (const Case& c : cases) {
        int c1 = c.C1, r1 = c.R1, c2 = c.C2, r2 = c.R2;
        EXPECT_EQ(ClipArea97(c1, r1, c2, r2), c.Ok) << c.C1 << "," << c.R1 << "," << c.C2 << "," << c.R2;
        if (!c.Ok) continue;
        EXPECT_EQ(c1, c.EC1);
        EXPECT_EQ(r1, c.ER1);
        EXPECT_EQ(c2, c.EC2);
        EXPECT_EQ(r2, c.ER2);
    }
}

}  // namespace
}  // namespace xls
