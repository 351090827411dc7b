#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/exception.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/tests/pdf_oracle.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

TPDFBitmap Photo(int width, int height) {
    TPDFBitmap bitmap{width, height, 24, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.Pixels.insert(bitmap.Pixels.end(),
                                 {uint8_t(x * 255 / std::max(1, width - 1)), uint8_t(y * 255 / std::max(1, height - 1)),
                                  uint8_t((x / 8 + y / 8) % 2 ? 200 : 40)});
    return bitmap;
}

// Stripes and a diagonal; index 1 gets the colour of Palette[1].
TPDFBitmap Mono(int width, int height, uint32_t colour0, uint32_t colour1) {
    TPDFBitmap bitmap{
        width, height, 1, std::vector<uint8_t>(((size_t(width) + 7) / 8) * size_t(height)), {colour0, colour1}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((x / 3 + y / 5) % 2 || x == y)
                bitmap.Pixels[size_t(y) * bitmap.Stride() + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
    return bitmap;
}

// A bitmap whose first pixel has index 0.
TPDFBitmap FirstPixelClear(TPDFBitmap bitmap) {
    bitmap.Pixels[0] &= 0x7F;
    return bitmap;
}

// The samples pdfimages gives back, as 8-bit red, green, blue (PBM and PGM widened).
std::vector<uint8_t> ReadNetpbm(const std::string& fileName, int& width, int& height) {
    const std::string bytes = test::ReadFileBytes(fileName);
    char kind[3] = {};
    int maxValue = 1, consumed = 0;
    const bool bitmap = bytes.rfind("P4", 0) == 0;
    if (bitmap)
        sscanf(bytes.c_str(), "%2s %d %d%n", kind, &width, &height, &consumed);
    else
        sscanf(bytes.c_str(), "%2s %d %d %d%n", kind, &width, &height, &maxValue, &consumed);
    const size_t start = size_t(consumed) + 1;
    std::vector<uint8_t> rgb;
    const size_t stride = (size_t(width) + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t value[3];
            if (bitmap) {
                const bool black =
                    (uint8_t(bytes.at(start + size_t(y) * stride + size_t(x >> 3))) >> (7 - (x & 7))) & 1;
                value[0] = value[1] = value[2] = black ? 0 : 255;
            } else if (kind[1] == '5') {
                value[0] = value[1] = value[2] = uint8_t(bytes.at(start + size_t(y) * size_t(width) + size_t(x)));
            } else {
                for (int c = 0; c < 3; ++c)
                    value[c] = uint8_t(bytes.at(start + (size_t(y) * size_t(width) + size_t(x)) * 3 + size_t(c)));
            }
            rgb.insert(rgb.end(), value, value + 3);
        }
    return rgb;
}

std::vector<uint8_t> SourceRGB(const TPDFBitmap& bitmap) {
    if (bitmap.BitsPerPixel == 24) return bitmap.Pixels;
    std::vector<uint8_t> rgb;
    for (int y = 0; y < bitmap.Height; ++y)
        for (int x = 0; x < bitmap.Width; ++x) {
            const uint32_t c =
                bitmap.Palette[(bitmap.Pixels[size_t(y) * bitmap.Stride() + size_t(x >> 3)] >> (7 - (x & 7))) & 1];
            rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
    return rgb;
}

// Checks that every image's data of /Length bytes are followed by a line end and "endstream";
// returns the number of images.
int ExpectLineEndAfterImageData(const std::string& bytes) {
    int images = 0;
    for (size_t at = bytes.find("/Subtype /Image"); at != std::string::npos;
         at = bytes.find("/Subtype /Image", at + 1), ++images) {
        const size_t length = bytes.find("/Length ", at);
        const size_t start = bytes.find(">>\r\nstream\r\n", at);
        if (length == std::string::npos || start == std::string::npos) {
            ADD_FAILURE() << "image " << images << " has no length or stream";
            break;
        }
        const size_t end = start + 12 + std::stoul(bytes.substr(length + 8));
        EXPECT_EQ(bytes.substr(end, 11), "\r\nendstream") << "image " << images;
    }
    return images;
}

class ImageTest : public ::testing::Test {
protected:
    test::TTempDir Dir_;
};

TEST_F(ImageTest, EveryKindComesBackFromPdfimages) {
    struct Case {
        TPDFBitmap Bitmap;
        TPDFImageCompression Compression;
        const char* Encoding;  // pdfimages -list
        int Bits;
        // Mean difference of a sample (0: equal samples); JPEG smears the blue checker.
        double Tolerance;
    };
    const Case cases[] = {
        {Photo(120, 80), TPDFImageCompression::icFlate, "image", 8, 0},
        {Photo(1, 9), TPDFImageCompression::icFlate, "image", 8, 0},
        {Photo(200, 150), TPDFImageCompression::icJPEG, "jpeg", 8, 12},
        {Mono(100, 50, 0x000000, 0xFFFFFF), TPDFImageCompression::icCCITTG4, "ccitt", 1, 0},
        {Mono(77, 31, 0xFFFFFF, 0x000000), TPDFImageCompression::icCCITTG4, "ccitt", 1, 0},
        {Mono(2600, 20, 0x000000, 0xFFFFFF), TPDFImageCompression::icCCITT1D, "ccitt", 1, 0},
        {Mono(333, 40, 0xFFFFFF, 0x000000), TPDFImageCompression::icCCITT2D, "ccitt", 1, 0},
        // Two greys: the darker one comes back black, the lighter white, whatever the first pixel.
        {FirstPixelClear(Mono(90, 30, 0x202020, 0xF0F0F0)), TPDFImageCompression::icCCITTG4, "ccitt", 1, 32},
        {FirstPixelClear(Mono(90, 30, 0xF0F0F0, 0x202020)), TPDFImageCompression::icCCITTG4, "ccitt", 1, 32},
        {Mono(64, 64, 0x000000, 0xFFFFFF), TPDFImageCompression::icFlate, "image", 8, 0},
    };
    const std::string file = Dir_.File("images.pdf");
    {
        TPDFDocument document;
        document.SetFileName(file);
        document.SetOnePass(true);
        document.BeginDoc();
        for (size_t i = 0; i < std::size(cases); ++i) {
            const int index = document.AddImage(cases[i].Bitmap, cases[i].Compression);
            EXPECT_EQ(document.Images().GetImage(index).ResourceName, "Im" + std::to_string(i));
            // pdfimages lists every drawing, so each image is drawn once, some turned.
            document.CurrentPage()->ShowImage(index, 30, 300, cases[i].Bitmap.Width, cases[i].Bitmap.Height,
                                              i % 2 ? 30 : 0);
            if (i % 3 == 2) document.NewPage();
        }
        document.EndDoc();
    }
    std::string output;
    ASSERT_TRUE(test::QpdfCheck(file, output)) << output;
    EXPECT_EQ(ExpectLineEndAfterImageData(test::ReadFileBytes(file)), int(std::size(cases)));
    const auto list = test::RunCommand("pdfimages -list " + file);
    ASSERT_EQ(list.ExitCode, 0) << list.Output;
    const auto extracted = test::RunCommand("pdfimages " + file + " " + Dir_.File("im"));
    ASSERT_EQ(extracted.ExitCode, 0) << extracted.Output;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        // One line per image: page num type width height color comp bpc enc ...
        size_t line = 0;
        for (size_t n = 0; n < i + 2; ++n) line = list.Output.find('\n', line) + 1;
        char type[16], colour[16], encoding[16];
        int page, num, width, height, components, bits;
        ASSERT_EQ(sscanf(list.Output.c_str() + line, "%d %d %15s %d %d %15s %d %d %15s", &page, &num, type, &width,
                         &height, colour, &components, &bits, encoding),
                  9)
            << list.Output;
        EXPECT_EQ(std::string(encoding), c.Encoding) << i;
        EXPECT_EQ(bits, c.Bits) << i;
        EXPECT_EQ(width, c.Bitmap.Width) << i;
        EXPECT_EQ(height, c.Bitmap.Height) << i;

        const std::string base = Dir_.File("im-" + std::string(3 - std::to_string(i).size(), '0') + std::to_string(i));
        std::string name = base + ".ppm";
        if (!std::filesystem::exists(name)) name = base + ".pbm";
        if (!std::filesystem::exists(name)) name = base + ".pgm";
        int w = 0, h = 0;
        const auto decoded = ReadNetpbm(name, w, h);
        const auto source = SourceRGB(c.Bitmap);
        ASSERT_EQ(decoded.size(), source.size()) << i;
        double total = 0;
        for (size_t k = 0; k < source.size(); ++k) total += std::abs(int(decoded[k]) - int(source[k]));
        if (c.Tolerance == 0)
            EXPECT_TRUE(decoded == source) << i;
        else
            EXPECT_LE(total / double(source.size()), c.Tolerance) << i;
    }
}

TEST_F(ImageTest, MasksAndTheirErrors) {
    TPDFDocument document;
    document.SetFileName(Dir_.File("mask.pdf"));
    document.BeginDoc();
    TPDFBitmap photo = Photo(40, 30);
    // A mask asked for as Flate is still a Group 4 stencil.
    const int mask = document.AddImage(photo, TPDFImageCompression::icFlate, 0xFF0028, true);
    EXPECT_THROW(document.AddImage(photo, TPDFImageCompression::icFlate, -1, false, 5), TPDFException);
    try {
        document.AddImage(photo, TPDFImageCompression::icFlate, -1, false, 1);
        FAIL();
    } catch (const TPDFException& e) {
        EXPECT_STREQ(e.what(), "Unknow Mask Image. Out of bound.");
    }
    const int plain = document.AddImage(photo, TPDFImageCompression::icFlate);
    try {
        document.AddImage(photo, TPDFImageCompression::icFlate, -1, false, plain);
        FAIL();
    } catch (const TPDFException& e) {
        EXPECT_STREQ(e.what(), "Mask Image not marked as \"Mask Image\".");
    }
    try {
        document.AddImage(photo, TPDFImageCompression::icFlate, -1, true, mask);
        FAIL();
    } catch (const TPDFException& e) {
        EXPECT_STREQ(e.what(), "Mask Image cannot have mask");
    }
    EXPECT_THROW(document.AddImage(photo, TPDFImageCompression::icCCITTG4), base::Exception);
    const int masked = document.AddImage(photo, TPDFImageCompression::icFlate, -1, false, mask);
    EXPECT_EQ(document.Images().Count(), 3);
    document.CurrentPage()->ShowImage(masked, 0, 0, 400, 300, 0);
    document.EndDoc();
    std::string output;
    ASSERT_TRUE(test::QpdfCheck(Dir_.File("mask.pdf"), output)) << output;
    const std::string objects = test::QpdfObjects(Dir_.File("mask.pdf"));
    EXPECT_NE(objects.find("/ImageMask true"), std::string::npos) << objects;
    EXPECT_NE(objects.find("/Mask "), std::string::npos) << objects;
    EXPECT_NE(objects.find("/K -1"), std::string::npos) << objects;
}

// JPEG files made by another encoder (Pillow) go in as they stand, grey or colour, or decoded and
// deflated; files that are not grey or colour JPEGs, and the uses a JPEG cannot serve, are refused.
TEST_F(ImageTest, JpegFilesAsTheyStand) {
    const auto made = test::RunPython(R"(
import sys
from PIL import Image
grey = Image.new('L', (61, 37))
grey.putdata([(x * 4 + y * 3) % 256 for y in range(37) for x in range(61)])
grey.save(sys.argv[1] + '/grey.jpg', quality=90)
colour = Image.new('RGB', (50, 40))
colour.putdata([(x * 5, y * 6, 128) for y in range(40) for x in range(50)])
colour.save(sys.argv[1] + '/colour.jpg', quality=85, progressive=True)
colour.convert('CMYK').save(sys.argv[1] + '/cmyk.jpg')
# What a reader decodes the colour file to, for the deflated form.
sys.stdout.buffer.write(Image.open(sys.argv[1] + '/colour.jpg').convert('RGB').tobytes())
)",
                                      Dir_.File(""));
    ASSERT_EQ(made.ExitCode, 0) << made.Output;
    const std::string grey = test::ReadFileBytes(Dir_.File("grey.jpg"));
    const std::string colour = test::ReadFileBytes(Dir_.File("colour.jpg"));
    const std::string file = Dir_.File("jpeg.pdf");
    {
        TPDFDocument document;
        document.SetFileName(file);
        document.BeginDoc();
        TPDFPage& page = *document.CurrentPage();
        page.ShowImage(document.AddImage(TPDFJpeg{grey}, TPDFImageCompression::icJPEG), 10, 10, 61, 37, 0);
        page.ShowImage(document.AddImage(TPDFJpeg{colour}, TPDFImageCompression::icJPEG), 10, 100, 50, 40, 0);
        page.ShowImage(document.AddImage(TPDFJpeg{colour}, TPDFImageCompression::icFlate), 10, 200, 50, 40, 0);
        struct TRefusal {
            std::string Data;
            TPDFImageCompression Compression;
            bool Mask;
            const char* Message;
        };
        const TRefusal refusals[] = {
            {test::ReadFileBytes(Dir_.File("cmyk.jpg")), TPDFImageCompression::icJPEG, false, "Not valid image."},
            {"\xFF\xD8\xFF\xE0 not a JPEG", TPDFImageCompression::icJPEG, false, "Not valid image."},
            {colour.substr(0, 200), TPDFImageCompression::icFlate, false, "Not valid image."},
            {colour, TPDFImageCompression::icCCITTG4, false, "CCITT compression work only for bitmap"},
            {colour, TPDFImageCompression::icJPEG, true, "Create Mask available only for bitmap images"},
        };
        for (const TRefusal& r : refusals) {
            try {
                document.AddImage(TPDFJpeg{r.Data}, r.Compression, -1, r.Mask);
                ADD_FAILURE() << r.Message;
            } catch (const TPDFException& e) {
                EXPECT_STREQ(e.what(), r.Message);
            }
        }
        EXPECT_EQ(document.Images().Count(), 3);
        document.EndDoc();
    }
    std::string output;
    ASSERT_TRUE(test::QpdfCheck(file, output)) << output;
    const auto list = test::RunCommand("pdfimages -list " + file);
    ASSERT_EQ(list.ExitCode, 0);
    int found = 0;
    for (const char* expected :
         {"61    37  gray    1   8  jpeg", "50    40  rgb     3   8  jpeg", "50    40  rgb     3   8  image"})
        found += list.Output.find(expected) != std::string::npos;
    EXPECT_EQ(found, 3) << list.Output;
    // pdfimages -j writes DCT streams out as they are: the files themselves.
    const auto extracted = test::RunCommand("pdfimages -j " + file + " " + Dir_.File("im"));
    ASSERT_EQ(extracted.ExitCode, 0) << extracted.Output;
    EXPECT_TRUE(test::ReadFileBytes(Dir_.File("im-000.jpg")) == grey);
    EXPECT_TRUE(test::ReadFileBytes(Dir_.File("im-001.jpg")) == colour);
    int width = 0, height = 0;
    const std::vector<uint8_t> decoded = ReadNetpbm(Dir_.File("im-002.ppm"), width, height);
    ASSERT_EQ(decoded.size(), made.Output.size());
    double total = 0;
    for (size_t i = 0; i < decoded.size(); ++i) total += std::abs(int(decoded[i]) - int(uint8_t(made.Output[i])));
    EXPECT_LE(total / double(decoded.size()), 1.0);
}

}  // namespace
}  // namespace pdf
