// The raster records of a page's metafile: the bitmap decoder, the raster operations and blending,
// the records' effect on the page, hostile bitmaps, and the canvas's bitmaps read back by pdfimages.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pdf/emf_dib.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_document.h"
#include "pdf/tests/emf_test_support.h"
#include "pdf/tests/pdf_oracle.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

using namespace platform::emf;
using test::TEmfBuilder;

std::string Words(const std::vector<uint32_t>& values) {
    std::string bytes;
    for (uint32_t v : values) base::AppendLE32(bytes, v);
    return bytes;
}

// A BITMAPINFO: the 40-byte header, then the masks or colours given.
std::string Info(int32_t width, int32_t height, uint16_t bits, uint32_t compression = BI_RGB,
                 const std::vector<uint32_t>& table = {}, uint32_t used = 0) {
    std::string info = Words({BitmapInfoHeaderSize, uint32_t(width), uint32_t(height)});
    base::AppendLE16(info, 1);
    base::AppendLE16(info, bits);
    info += Words({compression, 0, 0, 0, used, 0});
    return info + Words(table);
}

// A record body (the words after type and size) whose word offBmi starts offBmi, cbBmi, offBits
// and cbBits, followed by the bitmap info and bits; offsets count from the record's start.
std::string WithDib(std::vector<uint32_t> words, size_t offBmi, const std::string& info, const std::string& bits) {
    const auto fixed = uint32_t(8 + 4 * words.size());
    words[offBmi] = fixed;
    words[offBmi + 1] = uint32_t(info.size());
    words[offBmi + 2] = fixed + uint32_t(info.size());
    words[offBmi + 3] = uint32_t(bits.size());
    std::string body;
    for (uint32_t w : words) base::AppendLE32(body, w);
    return body + info + bits;
}

// EMR_STRETCHDIBITS at (x, y) of the source size, bounds to match.
std::string StretchDIBits(int32_t x, int32_t y, int32_t cx, int32_t cy, const std::string& info,
                          const std::string& bits, uint32_t rop = SRCCOPY) {
    return WithDib({uint32_t(x), uint32_t(y), uint32_t(x + cx - 1), uint32_t(y + cy - 1), uint32_t(x), uint32_t(y), 0,
                    0, uint32_t(cx), uint32_t(cy), 0, 0, 0, 0, DIB_RGB_COLORS, rop, uint32_t(cx), uint32_t(cy)},
                   10, info, bits);
}

// The blit records (BitBlt, StretchBlt, MaskBlt, AlphaBlend, TransparentBlt share the first 100
// bytes); `tail` holds the fields after the source size, or after the first 100 bytes without one.
std::string Blt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t ropOrBlend, const std::string& info,
                const std::string& bits, int32_t cxSrc = -1, int32_t cySrc = -1,
                const std::vector<uint32_t>& tail = {}) {
    std::vector<uint32_t> words = {uint32_t(x),
                                   uint32_t(y),
                                   uint32_t(x + cx - 1),
                                   uint32_t(y + cy - 1),
                                   uint32_t(x),
                                   uint32_t(y),
                                   uint32_t(cx),
                                   uint32_t(cy),
                                   ropOrBlend,
                                   0,
                                   0,
                                   0x3F800000,
                                   0,
                                   0,
                                   0x3F800000,
                                   0,
                                   0,
                                   0,
                                   DIB_RGB_COLORS,
                                   0,
                                   0,
                                   0,
                                   0};
    if (cxSrc >= 0) words.insert(words.end(), {uint32_t(cxSrc), uint32_t(cySrc)});
    words.insert(words.end(), tail.begin(), tail.end());
    if (info.empty()) {
        std::string body;
        for (uint32_t w : words) base::AppendLE32(body, w);
        return body;
    }
    return WithDib(words, 19, info, bits);
}

struct TListedImage {
    int Width, Height, Bits;
    std::string Colour, Encoding;
    bool operator==(const TListedImage&) const = default;
};

// What pdfimages -list says of each image drawn in a file.
std::vector<TListedImage> ListImages(const std::string& file) {
    const auto list = test::RunCommand("pdfimages -list " + file);
    EXPECT_EQ(list.ExitCode, 0) << list.Output;
    std::vector<TListedImage> images;
    size_t at = list.Output.find('\n', list.Output.find('\n') + 1);
    while (at != std::string::npos && at + 1 < list.Output.size()) {
        char type[16], colour[16], encoding[16];
        int page, num, width, height, components, bits;
        if (sscanf(list.Output.c_str() + at + 1, "%d %d %15s %d %d %15s %d %d %15s", &page, &num, type, &width, &height,
                   colour, &components, &bits, encoding) == 9)
            images.push_back({width, height, bits, colour, encoding});
        at = list.Output.find('\n', at + 1);
    }
    return images;
}

// The pixels of a rebuilt bitmap as 0xRRGGBB, rows from the top.
std::vector<uint32_t> Rgb(const TRaster& raster) {
    std::vector<uint32_t> out;
    for (uint32_t p : raster.Pixels) out.push_back(p & 0xFFFFFF);
    return out;
}

TRaster Rebuild(const std::string& info, const std::string& bits, int width, int height, uint32_t usage = 0) {
    const std::string record = std::string(8, '\0') + info + bits;
    const base::TByteReader reader(record);
    TDibPlace place{8, uint32_t(info.size()), uint32_t(8 + info.size()), uint32_t(bits.size()), usage};
    return RebuildDib(TDib(reader, place), width, height, 0, 0, SRCCOPY, false);
}

TEST(EmfDib, EveryFormatDecodesToTheSamePicture) {
    // 3 x 2 pixels; the top row red, green, blue, the bottom row white, black, grey. Rows are
    // padded to four bytes.
    const std::vector<uint32_t> picture = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    const std::initializer_list<uint32_t> palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080};
    struct TCase {
        const char* Name;
        std::string Info, Bits;
        uint32_t Usage = DIB_RGB_COLORS;
        uint32_t Grey = 0x808080;
    };
    const TCase cases[] = {
        {"4 bits, bottom-up", Info(3, 2, 4, BI_RGB, palette, 6), std::string("\x34\x50\0\0\x01\x20\0\0", 8)},
        {"8 bits, top-down", Info(3, -2, 8, BI_RGB, palette, 6), std::string("\x00\x01\x02\0\x03\x04\x05\0", 8)},
        {"24 bits", Info(3, 2, 24),
         std::string("\xFF\xFF\xFF\0\0\0\x80\x80\x80\0\0\0"
                     "\0\0\xFF\0\xFF\0\xFF\0\0\0\0\0",
                     24)},
        {"8 bits, run-length coded: an absolute run, end of line, three runs, end of bitmap",
         Info(3, 2, 8, BI_RLE8, palette, 6), std::string("\0\x03\x03\x04\x05\0\0\0\x01\x00\x01\x01\x01\x02\0\x01", 16)},
        {"4 bits, run-length coded", Info(3, 2, 4, BI_RLE4, palette, 6),
         std::string("\0\x03\x34\x50\0\0\x02\x01\x01\x20\0\x01", 12)},
        {"32 bits", Info(3, -2, 32), Words({0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080})},
        {"32 bits with its own masks (blue, green, red from the top byte down)",
         Info(3, -2, 32, BI_BITFIELDS, {0xFF00, 0xFF0000, 0xFF000000}),
         Words({0xFF00, 0xFF0000, 0xFF000000, 0xFFFFFF00, 0, 0x80808000})},
        // Grey has no exact 5- or 6-bit form: 16 of 31 widens to 0x83, 32 of 63 to 0x81.
        {"16 bits, 5-5-5", Info(3, -2, 16), std::string("\x00\x7C\xE0\x03\x1F\x00\0\0\xFF\x7F\x00\x00\x10\x42\0\0", 16),
         DIB_RGB_COLORS, 0x838383},
        {"16 bits, 5-6-5 bit fields", Info(3, -2, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}),
         std::string("\x00\xF8\xE0\x07\x1F\x00\0\0\xFF\xFF\x00\x00\x10\x84\0\0", 16), DIB_RGB_COLORS, 0x838183},
        // Entries of the default palette (red, green, blue, white, black, grey) by index.
        {"palette indices", Info(3, -2, 8, BI_RGB, {}, 6) + std::string("\x0D\0\x0E\0\x10\0\x13\0\x00\0\x0C\0", 12),
         std::string("\x00\x01\x02\0\x03\x04\x05\0", 8), DIB_PAL_COLORS},
    };
    for (const TCase& c : cases) {
        std::vector<uint32_t> expected = picture;
        expected[5] = c.Grey;
        EXPECT_EQ(Rgb(Rebuild(c.Info, c.Bits, 3, 2, c.Usage)), expected) << c.Name;
    }
    // One bit: the palette's two colours, the row padded to four bytes.
    EXPECT_EQ(Rgb(Rebuild(Info(3, 2, 1, BI_RGB, {0x0000FF, 0xFFFF00}), std::string("\x40\0\0\0\xA0\0\0\0", 8), 3, 2)),
              (std::vector<uint32_t>{0xFFFF00, 0x0000FF, 0xFFFF00, 0x0000FF, 0xFFFF00, 0x0000FF}));
}

TEST(EmfDib, SourceRectangleCountsFromTheBottomOfABottomUpBitmap) {
    // 1 x 4, bottom-up: rows from the bottom are 0, 1, 2, 3 (blue grows).
    const std::string info = Info(1, 4, 24);
    const std::string bits = Words({0x000000, 0x000001, 0x000002, 0x000003});
    const std::string record = std::string(8, '\0') + info + bits;
    const base::TByteReader reader(record);
    const TDib dib(reader, {8, uint32_t(info.size()), uint32_t(8 + info.size()), uint32_t(bits.size())});
    // Source y 1, height 2: rows 1 and 2 from the bottom, the upper one first; beyond the bitmap
    // the new bitmap stays white.
    EXPECT_EQ(Rgb(RebuildDib(dib, 2, 2, 0, 1, SRCCOPY, false)),
              (std::vector<uint32_t>{0x000002, 0xFFFFFF, 0x000001, 0xFFFFFF}));
}

TEST(EmfDib, RasterOperationsWorkOnTheNewWhiteBitmap) {
    const std::string info = Info(1, 1, 24), bits = Words({0x336699});
    const std::string record = std::string(8, '\0') + info + bits;
    const base::TByteReader reader(record);
    const TDib dib(reader, {8, uint32_t(info.size()), uint32_t(8 + info.size()), uint32_t(bits.size())});
    // Pattern and destination are white, the source 0x336699.
    const std::pair<uint32_t, uint32_t> cases[] = {
        {SRCCOPY, 0x336699},    {NOTSRCCOPY, 0xCC9966}, {BLACKNESS, 0x000000},   {WHITENESS, 0xFFFFFF},
        {SRCAND, 0x336699},     {SRCINVERT, 0xCC9966},  {DSTINVERT, 0x000000},   {PATCOPY, 0xFFFFFF},
        {MERGEPAINT, 0xFFFFFF}, {SRCERASE, 0x000000},   {NOTSRCERASE, 0x000000}, {PATINVERT, 0x000000},
        {MERGECOPY, 0x336699},  {SRCPAINT, 0xFFFFFF},   {PATPAINT, 0xFFFFFF},
    };
    for (const auto& [rop, expected] : cases)
        EXPECT_EQ(Rgb(RebuildDib(dib, 1, 1, 0, 0, rop, false))[0], expected) << std::hex << rop;
    // A monochrome bitmap turns the dark source black first; NOTSRCCOPY then makes it white.
    EXPECT_EQ(Rgb(RebuildDib(dib, 1, 1, 0, 0, SRCCOPY, true))[0], 0x000000u);
    EXPECT_EQ(Rgb(RebuildDib(dib, 1, 1, 0, 0, NOTSRCCOPY, true))[0], 0xFFFFFFu);
    // A copy into a new black bitmap: SRCPAINT keeps the source, SRCAND clears it.
    TRaster raster = RebuildDib(dib, 1, 1, 0, 0, SRCCOPY, false);
    ApplyRasterOperation(raster, SRCPAINT, 0);
    EXPECT_EQ(Rgb(raster)[0], 0x336699u);
    ApplyRasterOperation(raster, SRCAND, 0);
    EXPECT_EQ(Rgb(raster)[0], 0u);
}

TEST(EmfDib, AlphaBlendingOverWhite) {
    // Black at half constant alpha; premultiplied red at per-pixel alpha 0x80; a clear pixel.
    struct TCase {
        uint32_t Pixel, Blend, Expected;
    };
    const TCase cases[] = {
        {0xFF000000, 0x00800000, 0x7F7F7F},
        {0x80800000, 0x01FF0000, 0xFF7F7F},
        {0x00000000, 0x01FF0000, 0xFFFFFF},
        // Per-pixel alpha scaled by the constant as well.
        {0xFF000000, 0x01800000, 0x7F7F7F},
    };
    for (const TCase& c : cases) {
        TRaster raster{1, 1, {c.Pixel}};
        AlphaBlendOverWhite(raster, c.Blend);
        EXPECT_EQ(raster.Pixels[0], 0xFF000000 | c.Expected) << std::hex << c.Pixel << " " << c.Blend;
    }
}

// Plays metafiles on the first page of an open document, as the shape tests do.
class EmfBitmapTest : public ::testing::Test {
protected:
    EmfBitmapTest() {
        Document.SetFileName(Dir.File("bitmaps.pdf"));
        Document.BeginDoc();
    }
    std::string Play(const std::string& emf) { return test::PlayOnPage(*Document.CurrentPage(), emf); }

    test::TTempDir Dir;
    TPDFDocument Document;
};

TEST_F(EmfBitmapTest, RecordsDrawImagesOrFills) {
    const std::string colour = Info(2, 2, 24), colourBits = Words({0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    const std::string mono = Info(2, 2, 1, BI_RGB, {0, 0xFFFFFF}), monoBits = Words({0x40, 0x80});
    struct TCase {
        const char* Name;
        std::vector<std::pair<uint32_t, std::string>> Records;
        const char* Expected;
        int Images;
    };
    const TCase cases[] = {
        {"a pattern blit without a source fills in the brush colour",
         {{EMR_CREATEBRUSHINDIRECT, Words({1, BS_SOLID, 0x0000FF, 0})},
          {EMR_SELECTOBJECT, Words({1})},
          {EMR_BITBLT, Blt(0, 0, 40, 20, PATCOPY, "", "")}},
         // Selecting the brush sets the colour; the blit sets it again, as the font is not yet chosen.
         "1 0 0 rg|1 0 0 rg|0 827 30 15 re|f|",
         0},
        // The converter's brush colour starts black.
        {"BLACKNESS without a source fills in the brush colour too",
         {{EMR_BITBLT, Blt(0, 0, 40, 20, BLACKNESS, "", "")}},
         "0 0 0 rg|0 827 30 15 re|f|",
         0},
        {"an operation outside the list adds nothing",
         {{EMR_BITBLT, Blt(0, 0, 40, 20, 0x00AA0029, colour, colourBits)}},
         "",
         0},
        {"a 24-bit bitmap of stretch-DIB-bits is placed at its bounds",
         {{EMR_STRETCHDIBITS, StretchDIBits(40, 80, 2, 2, colour, colourBits)}},
         "q|1 0 0 1 30 780.5 cm|1.5 0 0 1.5 0 0 cm|/Im0 Do|Q|",
         1},
        {"empty bounds and no destination size add no image",
         {{EMR_STRETCHDIBITS,
           WithDib({0, 0, uint32_t(-1), uint32_t(-1), 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, 0, SRCCOPY, 0, 0}, 10, colour,
                   colourBits)}},
         "",
         0},
        {"an alpha blend of an empty source fills its destination",
         {{EMR_ALPHABLEND, Blt(0, 0, 10, 10, 0x00FF0000, "", "", 0, 0)}},
         "0 834.5 7.5 7.5 re|f|",
         0},
        {"a stretch blit without a source or size only ends the path",
         {{EMR_STRETCHBLT, Blt(0, 0, 0, 0, SRCCOPY, "", "", 0, 0)}},
         "n|",
         0},
        {"a transparent blit without a source fills in the brush colour",
         {{EMR_TRANSPARENTBLT, Blt(4, 4, 8, 8, 0, "", "", 0, 0)}},
         "0 0 0 rg|3 833 6 6 re|f|",
         0},
        {"a bit blit draws the source at its bounds",
         {{EMR_BITBLT, Blt(0, 0, 2, 2, SRCCOPY, mono, monoBits)}},
         "q|1 0 0 1 0 840.5 cm|1.5 0 0 1.5 0 0 cm|/Im0 Do|Q|",
         1},
        // xMask, yMask, the mask's usage and no mask bitmap.
        {"a mask blit draws its source at its bounds and leaves the mask aside",
         {{EMR_MASKBLT, Blt(0, 0, 2, 2, SRCCOPY, colour, colourBits, -1, -1, {0, 0, DIB_RGB_COLORS, 0, 0, 0, 0})}},
         "q|1 0 0 1 0 840.5 cm|1.5 0 0 1.5 0 0 cm|/Im0 Do|Q|",
         1},
        {"a stretch blit draws the whole bitmap into its bounds",
         {{EMR_STRETCHBLT, Blt(0, 0, 8, 4, SRCCOPY, colour, colourBits, 1, 1)}},
         "q|1 0 0 1 0 839 cm|6 0 0 3 0 0 cm|/Im0 Do|Q|",
         1},
        {"an alpha blend leaves out the bounds' last row and column",
         {{EMR_ALPHABLEND, Blt(0, 0, 3, 3, 0x00FF0000, colour, colourBits, 2, 2)}},
         "q|1 0 0 1 0 840.5 cm|1.5 0 0 1.5 0 0 cm|/Im0 Do|Q|",
         1},
        {"set-DIB-bits is sized by its source, scaled by the mapping",
         {{EMR_SETMAPMODE, Words({MM_ANISOTROPIC})},
          {EMR_SETWINDOWEXTEX, Words({2, 2})},
          {EMR_SETVIEWPORTEXTEX, Words({1, 1})},
          {EMR_SETDIBITSTODEVICE,
           WithDib({0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, DIB_RGB_COLORS, 0, 2}, 10, colour, colourBits)}},
         "q|1 0 0 1 0 841.25 cm|0.75 0 0 0.75 0 0 cm|/Im0 Do|Q|",
         1},
    };
    for (const TCase& c : cases) {
        TEmfBuilder emf;
        for (const auto& [type, body] : c.Records) emf.AddRaw(type, body);
        const int before = Document.Images().Count();
        const std::string drawn = Play(emf.Finish());
        const int added = Document.Images().Count() - before;
        EXPECT_EQ(added, c.Images) << c.Name;
        std::string expected = c.Expected;
        // Images are numbered across the document.
        if (added) expected.replace(expected.find("Im0"), 3, "Im" + std::to_string(before));
        EXPECT_EQ(drawn, expected) << c.Name;
    }
}

TEST_F(EmfBitmapTest, OneBitSourcesBecomeFaxImagesAndOthersFollowTheJpegSetting) {
    const std::string mono = Info(2, 2, 1, BI_RGB, {0, 0xFFFFFF}), colour = Info(2, 2, 24);
    Document.SetEMFImageAsJpeg(true);
    TEmfBuilder emf;
    emf.AddRaw(EMR_STRETCHDIBITS, StretchDIBits(0, 0, 2, 2, mono, Words({0x40, 0x80})));
    emf.AddRaw(EMR_STRETCHDIBITS, StretchDIBits(0, 0, 2, 2, colour, Words({1, 2, 3, 4})));
    // An alpha blend never keeps one bit per pixel.
    emf.AddRaw(EMR_ALPHABLEND, Blt(0, 0, 2, 2, 0x00FF0000, mono, Words({0x40, 0x80}), 2, 2));
    Play(emf.Finish());
    Document.EndDoc();
    std::vector<std::string> encodings;
    for (const TListedImage& image : ListImages(Dir.File("bitmaps.pdf"))) encodings.push_back(image.Encoding);
    EXPECT_EQ(encodings, (std::vector<std::string>{"ccitt", "jpeg", "jpeg"}));
}

TEST_F(EmfBitmapTest, HostileBitmapsDropTheirRecordOnly) {
    const std::string info = Info(2, 2, 24), bits = Words({1, 2, 3, 4});
    const std::string good = StretchDIBits(0, 0, 2, 2, info, bits);
    // Word offsets in the record body (after type and size) of the bitmap fields.
    constexpr size_t OffBmi = 10 * 4, CbBmi = 11 * 4, OffBits = 12 * 4, CbBits = 13 * 4, CxSrc = 8 * 4;
    constexpr size_t Header = 18 * 4;  // the bitmap info follows the fixed fields
    struct TCase {
        const char* Name;
        size_t At;
        uint32_t Value;
    };
    const TCase cases[] = {
        {"info beyond the record", OffBmi, 4000},
        {"info offset that wraps", OffBmi, 0xFFFFFFF0},
        {"info shorter than its header", CbBmi, 20},
        {"bits beyond the record", OffBits, 4000},
        {"bits shorter than their rows", CbBits, 8},
        {"header size beyond the info", Header, 400},
        {"width zero", Header + 4, 0},
        {"negative width", Header + 4, uint32_t(-2)},
        {"height zero", Header + 8, 0},
        {"enormous height", Header + 8, 0x40000000},
        {"seven bits per pixel", Header + 12, 0x00070001},
        {"run-length compression", Header + 16, 1},
        {"bit fields on 24 bits", Header + 16, BI_BITFIELDS},
        {"a rebuilt bitmap too large to hold", CxSrc, 100000},
        {"a negative source width", CxSrc, uint32_t(-5)},
    };
    for (const TCase& c : cases) {
        std::string body = good;
        base::StoreLE32(reinterpret_cast<uint8_t*>(body.data()) + c.At, c.Value);
        if (c.At == CxSrc) base::StoreLE32(reinterpret_cast<uint8_t*>(body.data()) + CxSrc + 4, c.Value);
        TEmfBuilder emf;
        emf.AddRaw(EMR_STRETCHDIBITS, body);
        emf.Add(EMR_RECTANGLE, {0, 0, 40, 40});
        const int before = Document.Images().Count();
        EXPECT_EQ(Play(emf.Finish()), "0 812 30 30 re|f|") << c.Name;
        EXPECT_EQ(Document.Images().Count(), before) << c.Name;
    }
    // A palette that does not fit its info, more than 256 colours, a run-length coded absolute run
    // beyond its bits, and scan lines beyond those sent.
    TEmfBuilder emf;
    emf.AddRaw(EMR_STRETCHDIBITS,
               StretchDIBits(0, 0, 2, 2, Info(2, 2, 8, BI_RLE8, {0, 1}, 2), std::string("\0\x09\x01\x01", 4)));
    emf.AddRaw(EMR_STRETCHDIBITS, StretchDIBits(0, 0, 2, 2, Info(2, 2, 8, BI_RGB, {0, 1}, 0), Words({0, 0})));
    emf.AddRaw(EMR_STRETCHDIBITS,
               StretchDIBits(0, 0, 2, 2, Info(2, 2, 8, BI_RGB, std::vector<uint32_t>(300), 300), Words({0, 0})));
    emf.AddRaw(EMR_SETDIBITSTODEVICE,
               WithDib({0, 0, 1, 1, 0, 0, 0, 0, 2, 2, 0, 0, 0, 0, DIB_RGB_COLORS, 0, 5}, 10, info, Words({1, 2})));
    const int before = Document.Images().Count();
    Play(emf.Finish());
    EXPECT_EQ(Document.Images().Count(), before);
}

TEST(EmfBitmapCanvas, CanvasBitmapsComeBackFromPdfimages) {
    test::TTempDir dir;
    platform::TCanvasBitmap photo{40, 30, 24, {}};
    for (int y = 0; y < photo.Height; ++y)
        for (int x = 0; x < photo.Width; ++x)
            photo.Pixels.insert(photo.Pixels.end(), {uint8_t(x * 6), uint8_t(y * 8), uint8_t((x + y) % 2 ? 200 : 30)});
    platform::TCanvasBitmap mono{21, 9, 1, std::vector<uint8_t>(3 * 9), {0xFFFFFF, 0x000000}};
    for (int y = 0; y < mono.Height; ++y)
        for (int x = 0; x < mono.Width; ++x)
            if ((x + y) % 3 == 0) mono.Pixels[size_t(y) * 3 + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
    platform::TCanvasBitmap alpha{5, 4, 32, {}};
    for (int i = 0; i < 20; ++i) alpha.Pixels.insert(alpha.Pixels.end(), {uint8_t(i * 10), 0x40, 0x80, 0xFF});
    const std::string file = dir.File("canvas.pdf");
    {
        TPDFDocument document;
        document.SetFileName(file);
        document.BeginDoc();
        TPDFPage& page = *document.CurrentPage();
        page.CreateCanvas();
        page.Canvas()->Draw(10, 10, photo);
        page.Canvas()->StretchDraw(100, 10, 121, 19, mono);
        page.Canvas()->Draw(10, 100, alpha);
        page.CloseCanvas();
        document.EndDoc();
    }
    std::string output;
    ASSERT_TRUE(test::QpdfCheck(file, output)) << output;
    EXPECT_EQ(ListImages(file),
              (std::vector<TListedImage>{
                  {40, 30, 8, "rgb", "image"}, {21, 9, 1, "gray", "ccitt"}, {5, 4, 8, "rgb", "image"}}));
    const auto extracted = test::RunCommand("pdfimages " + file + " " + dir.File("im"));
    ASSERT_EQ(extracted.ExitCode, 0) << extracted.Output;
    const std::string ppm = test::ReadFileBytes(dir.File("im-000.ppm"));
    EXPECT_EQ(ppm.substr(ppm.size() - photo.Pixels.size()), std::string(photo.Pixels.begin(), photo.Pixels.end()));
    // PBM: set bits are black; the bitmap's index 1 is black. The bits after each row's last
    // pixel are padding.
    std::string pbm = test::ReadFileBytes(dir.File("im-001.pbm"));
    pbm.erase(0, pbm.size() - mono.Pixels.size());
    for (size_t row = 0; row < size_t(mono.Height); ++row) pbm[row * 3 + 2] = char(pbm[row * 3 + 2] & 0xF8);
    EXPECT_EQ(pbm, std::string(mono.Pixels.begin(), mono.Pixels.end()));
    // The 32-bit bitmap loses its alpha byte and keeps its colours.
    const std::string third = test::ReadFileBytes(dir.File("im-002.ppm"));
    std::string rgb;
    for (size_t i = 0; i < alpha.Pixels.size(); i += 4)
        rgb.append(alpha.Pixels.begin() + long(i), alpha.Pixels.begin() + long(i) + 3);
    EXPECT_EQ(third.substr(third.size() - rgb.size()), rgb);
}

}  // namespace
}  // namespace pdf
