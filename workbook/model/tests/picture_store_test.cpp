#include "workbook/model/picture_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/model/image_size.h"
#include "workbook/model/tests/model_fakes.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

struct TImageFixture {
    const char* Name;
    const char16_t* Extension;
    int Width;
    int Height;
    std::vector<uint8_t> Bytes;
};

const std::vector<TImageFixture>& Fixtures() {
    static const std::vector<TImageFixture> fixtures{
#include "workbook/model/tests/image_fixtures.inc"
    };
    return fixtures;
}

const TImageFixture& Fixture(std::string_view name) {
    for (const TImageFixture& fixture : Fixtures())
        if (fixture.Name == name) return fixture;
    throw std::runtime_error("no fixture");
}

std::unique_ptr<base::TMemoryStream> Stream(const std::vector<uint8_t>& bytes) {
    auto stream = std::make_unique<base::TMemoryStream>();
    if (!bytes.empty()) stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream->SetPosition(0);
    return stream;
}

class PictureStore : public ::testing::Test {
protected:
    PictureStore() { Errors.SetSaveToList(true); }
    TXLSErrorManager Errors;
    TXc12GraphicManager Manager{Errors};
    TXc12GraphicImages& Images = Manager.Images();
};

// Sizes as python3-pil reads them (metafiles by their header fields at 96 dpi); GIF is no
// picture type of the store, BMP is (the drawings of .xls files hold bitmaps).
TEST_F(PictureStore, SizesAgreeWithAnIndependentReader) {
    for (const TImageFixture& fixture : Fixtures()) {
        const std::u16string fileName = base::Utf8ToUtf16(fixture.Name) + u"." + std::u16string(fixture.Extension);
        const uint8_t type = TXc12GraphicImages::TypeFromExtension(fileName);
        auto stream = Stream(fixture.Bytes);
        TXc12GraphicImage* image = Images.AddFromFile(*stream, fileName);
        if (type == xitUnknown) {
            EXPECT_EQ(image, nullptr) << fixture.Name;
            continue;
        }
        ASSERT_NE(image, nullptr) << fixture.Name;
        EXPECT_EQ(image->Width, fixture.Width) << fixture.Name;
        EXPECT_EQ(image->Height, fixture.Height) << fixture.Name;
        EXPECT_EQ(image->Data, fixture.Bytes) << fixture.Name;
        int width = 0;
        int height = 0;
        EXPECT_TRUE(TXc12GraphicImages::MeasureImage(*stream, type, width, height));
        EXPECT_EQ(stream->Position(), 0);
    }
    ASSERT_EQ(Errors.Messages().size(), 1u);
    EXPECT_EQ(Errors.Messages()[0].Text, u"W3006: Unknown image type \"gif.gif\"");
}

TEST_F(PictureStore, SameFileOnceNamesNumbered) {
    const TImageFixture& png = Fixture("png");
    TXc12GraphicImage* first = Images.AddFromFile(*Stream(png.Bytes), u"logo.png");
    TXc12GraphicImage* again = Images.AddFromFile(*Stream(png.Bytes), u"LOGO.PNG");
    EXPECT_EQ(first, again);
    EXPECT_EQ(Images.Count(), 1);
    EXPECT_EQ(first->UseCount, 1);
    EXPECT_EQ(first->Name, u"Image1.png");
    TXc12GraphicImage* jpeg = Images.AddImage(*Stream(Fixture("jpeg").Bytes), xitJPEG);
    EXPECT_EQ(jpeg->Name, u"Image2.jpeg");
    Images.GetItems(0)->Name = u"Image3.jpeg";
    EXPECT_EQ(Images.AddImage(*Stream(Fixture("jpeg").Bytes), xitJPEG)->Name, u"Image4.jpeg");
    EXPECT_THROW(TXc12GraphicImage::MakeName(1, xitUnknown), EXLSError);
    EXPECT_EQ(TXc12GraphicImage::MakeName(2, xitBMP), u"Image2.bmp");
    EXPECT_EQ(TXc12GraphicImages::TypeFromExtension(u"Pict1_1.BMP"), xitBMP);
    EXPECT_EQ(ImageTypeExtension(7), u"???");
    EXPECT_EQ(TXc12GraphicImages::TypeFromExtension(u"a.b.JPG"), xitJPEG);
    EXPECT_EQ(TXc12GraphicImages::TypeFromExtension(u"noextension"), xitUnknown);
    EXPECT_EQ(Images.FindByName(u"Image2.jpeg"), jpeg);
}

TEST_F(PictureStore, ImagesFromAPackage) {
    auto data = Stream(Fixture("png").Bytes);
    TXc12GraphicImage* image = Images.AddFromPackage(*data, u"image1.png", u"rId1", u"rId7", u"xl/media/image1.png");
    EXPECT_EQ(Images.AddFromPackage(*data, u"image1.png", u"rId2", u"rId8", u"xl/media/image1.png"), image);
    EXPECT_EQ(image->UseCount, 2);
    EXPECT_EQ(image->ImageType, xitPNG);
    EXPECT_EQ(Images.FindByRelId(u"rId7", u"rId1"), image);
    EXPECT_EQ(Images.FindByRelId(u"rId8", u"rId2"), nullptr);
}

TEST_F(PictureStore, EachImageIsWrittenOnce) {
    test::TFakePackage package;
    Manager.Package = &package;
    TXc12GraphicImage* image = Images.AddImage(*Stream(Fixture("png").Bytes), xitPNG);
    std::u16string first;
    std::u16string second;
    Manager.WriteImagePart(*image, first);
    Manager.WriteImagePart(*image, second);
    ASSERT_EQ(package.Items.size(), 2u);
    EXPECT_NE(first, second);
    EXPECT_EQ(package.Items[0]->Target, u"../media/image1.png");
    EXPECT_EQ(package.Items[0]->Data.size(), Fixture("png").Bytes.size());
    EXPECT_TRUE(package.Items[1]->Data.empty());
    Manager.ResetWritten();
    EXPECT_FALSE(image->Written);
}

std::vector<uint8_t> Jpeg(std::initializer_list<uint8_t> bytes) { return std::vector<uint8_t>(bytes); }

// Hostile headers end the scan with an answer; none reads outside the data.
TEST(ImageSize, BrokenHeadersFail) {
    int w = 0;
    int h = 0;
    // A segment length of 0 or 1 would not move the scan.
    EXPECT_FALSE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0}), w, h));
    EXPECT_FALSE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0}), w, h));
    EXPECT_FALSE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0}), w, h));
    EXPECT_FALSE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xC0}), w, h));
    EXPECT_TRUE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xFF, 0xC0, 0, 17, 8, 0, 20, 0, 30, 3, 0}), w, h));
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 20);
    EXPECT_TRUE(MeasureJpeg(Jpeg({0xFF, 0xD8, 0xFF, 0xD0, 0xFF, 0xC1, 0, 17, 8, 0, 2, 0, 3, 0, 0}), w, h));
    std::vector<uint8_t> png = Fixture("png").Bytes;
    EXPECT_FALSE(MeasurePng(std::span(png).first(23), w, h));
    png[16] = 0x80;  // wider than an int
    EXPECT_FALSE(MeasurePng(png, w, h));
    EXPECT_FALSE(MeasureEmf(std::span(Fixture("emf").Bytes).first(43), w, h));
    std::vector<uint8_t> wmf = Fixture("wmf").Bytes;
    wmf[14] = wmf[15] = 0;  // no units per inch
    EXPECT_FALSE(MeasureWmf(wmf, w, h));
    EXPECT_FALSE(MeasureWmf(Fixture("emf").Bytes, w, h));
    std::vector<uint8_t> bmp = Fixture("bmp").Bytes;
    EXPECT_FALSE(MeasureBmp(std::span(bmp).first(29), w, h));
    bmp[0] = 'b';
    EXPECT_FALSE(MeasureBmp(bmp, w, h));
}

// Bitmaps stored top row first give their height as a negative number; the OS/2 core header
// has 16-bit fields.
TEST(ImageSize, BitmapHeaders) {
    int w = 0;
    int h = 0;
    std::vector<uint8_t> topDown = Fixture("bmp").Bytes;
    topDown[22] = static_cast<uint8_t>(-7);
    topDown[23] = topDown[24] = topDown[25] = 0xFF;
    ASSERT_TRUE(MeasureBmp(topDown, w, h));
    EXPECT_EQ(w, 12);
    EXPECT_EQ(h, 7);
    std::vector<uint8_t> core = {'B', 'M', 0, 0, 0, 0,    0,    0,    0,    0, 26, 0,  0,
                                 0,   12,  0, 0, 0, 0x2C, 0x01, 0xC8, 0x00, 1, 0,  24, 0};
    ASSERT_TRUE(MeasureBmp(core, w, h));
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 200);
    EXPECT_FALSE(MeasureBmp(std::span(core).first(21), w, h));
}

TEST(ImageSize, RandomBytesNeverReadOutside) {
    using TMeasure = bool (*)(std::span<const uint8_t>, int&, int&);
    const struct {
        const char* Name;
        TMeasure Measure;
        int Largest;  // the largest side the header can give
    } measures[] = {
        {"jpeg", MeasureJpeg, 0xFFFF},
        {"png", MeasurePng, std::numeric_limits<int>::max()},
        {"emf", MeasureEmf, std::numeric_limits<int>::max()},
        {"wmf", MeasureWmf, std::numeric_limits<int>::max()},
        {"bmp", MeasureBmp, std::numeric_limits<int>::max()},
    };
    uint32_t seed = 12345;
    int jpegSizes = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes(static_cast<size_t>(round % 64));
        for (uint8_t& b : bytes) {
            seed = seed * 1103515245 + 12345;
            b = static_cast<uint8_t>(seed >> 16);
        }
        if (bytes.size() > 3) bytes[0] = 0xFF, bytes[1] = 0xD8, bytes[2] = 0xFF;
        for (const auto& m : measures) {
            int w = -1;
            int h = -1;
            if (m.Measure(bytes, w, h)) {
                // A size read is one the header can hold.
                EXPECT_GE(w, 0) << m.Name << " round " << round;
                EXPECT_GE(h, 0) << m.Name << " round " << round;
                EXPECT_LE(std::max(w, h), m.Largest) << m.Name << " round " << round;
                jpegSizes += m.Measure == MeasureJpeg;
            } else {
                // No image: the sizes are left as they were.
                EXPECT_EQ(w, -1) << m.Name << " round " << round;
                EXPECT_EQ(h, -1) << m.Name << " round " << round;
            }
        }
    }
    // The JPEG start makes some rounds reach a frame header.
    EXPECT_GT(jpegSizes, 0);
}

}  // namespace
}  // namespace xls
