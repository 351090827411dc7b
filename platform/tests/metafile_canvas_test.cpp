#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "platform/emf_format.h"
#include "platform/metafile_canvas.h"

namespace platform {
namespace {

using namespace emf;

struct TRecord {
    uint32_t Type;
    std::string Bytes;
    uint32_t At(size_t offset) const { return base::LoadLE32(reinterpret_cast<const uint8_t*>(Bytes.data()) + offset); }
};

std::vector<TRecord> Records(const std::string& emf) {
    std::vector<TRecord> records;
    base::TByteReader r(emf);
    while (!r.AtEnd()) {
        const uint32_t type = r.U32LEAt(r.Position()), size = r.U32LEAt(r.Position() + 4);
        EXPECT_GE(size, 8u);
        EXPECT_EQ(size % 4, 0u);
        const auto bytes = r.Bytes(size);
        records.push_back({type, std::string(bytes.begin(), bytes.end())});
    }
    return records;
}

std::vector<uint32_t> Types(const std::vector<TRecord>& records) {
    std::vector<uint32_t> types;
    for (const TRecord& r : records) types.push_back(r.Type);
    return types;
}

TEST(MetafileCanvas, HeaderCountsBytesRecordsHandlesAndBounds) {
    TMetafileCanvas canvas(793, 1123);
    canvas.MoveTo(10, 20);
    canvas.LineTo(110, 20);
    canvas.Rectangle(5, 6, 50, 60);
    const std::string emf = canvas.Finish();
    const auto records = Records(emf);
    ASSERT_FALSE(records.empty());
    const TRecord& header = records.front();
    EXPECT_EQ(header.Type, uint32_t(EMR_HEADER));
    EXPECT_EQ(header.At(40), Signature);
    EXPECT_EQ(header.At(48), emf.size());
    EXPECT_EQ(header.At(52), records.size());
    // Index 0 is the metafile; the pen and the brush take 1 and 2.
    EXPECT_EQ(header.At(56) & 0xFFFF, 3u);
    EXPECT_EQ(int32_t(header.At(8)), 5);
    EXPECT_EQ(int32_t(header.At(12)), 6);
    EXPECT_EQ(int32_t(header.At(16)), 110);
    EXPECT_EQ(int32_t(header.At(20)), 59);
    // The frame is the canvas in hundredths of a millimetre: 793 px at 96 per inch.
    EXPECT_EQ(int32_t(header.At(32)), 20981 - 1);
    EXPECT_EQ(records.back().Type, uint32_t(EMR_EOF));
    EXPECT_EQ(Types(records),
              (std::vector<uint32_t>{EMR_HEADER, EMR_MOVETOEX, EMR_CREATEPEN, EMR_SELECTOBJECT, EMR_LINETO,
                                     EMR_CREATEBRUSHINDIRECT, EMR_SELECTOBJECT, EMR_RECTANGLE, EMR_EOF}));
}

TEST(MetafileCanvas, EmptyCanvasHasEmptyBounds) {
    TMetafileCanvas canvas(100, 100);
    const auto records = Records(canvas.Finish());
    EXPECT_GT(int32_t(records[0].At(8)), int32_t(records[0].At(16)));
    EXPECT_EQ(records.size(), 2u);
}

TEST(MetafileCanvas, TextRecordsFontColourAndUtf16Text) {
    TMetafileCanvas canvas(793, 1123);
    canvas.Font().Name = "宋体";
    canvas.Font().Size = 20;
    canvas.Font().Charset = 134;
    canvas.Font().Color = 0x0000FF;
    canvas.TextOut(300, 30, "温湿度历史记录");
    canvas.Font().Size = 10;
    canvas.TextOut(88, 100, "序号");
    canvas.TextOut(170, 100, "23.5");
    const std::string emf = canvas.Finish();
    const auto records = Records(emf);
    EXPECT_EQ(Types(records),
              (std::vector<uint32_t>{EMR_HEADER, EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_SETTEXTCOLOR,
                                     EMR_EXTTEXTOUTW, EMR_EXTCREATEFONTINDIRECTW, EMR_SELECTOBJECT, EMR_DELETEOBJECT,
                                     EMR_EXTTEXTOUTW, EMR_EXTTEXTOUTW, EMR_EOF}));
    const TRecord& font = records[1];
    EXPECT_EQ(font.At(8), 1u);
    EXPECT_EQ(int32_t(font.At(12)), -27);  // 20 points at 96 pixels per inch
    EXPECT_EQ(uint8_t(font.Bytes[12 + 23]), 134);
    EXPECT_EQ(base::Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(font.Bytes.data() + 40), 2)), "宋体");
    // The second font reuses no index until the first is deleted: it takes 2, then 1 is free.
    EXPECT_EQ(records[5].At(8), 2u);
    EXPECT_EQ(records[7].At(8), 1u);
    EXPECT_EQ(records[0].At(56) & 0xFFFF, 3u);

    const TRecord& title = records[4];
    EXPECT_EQ(int32_t(title.At(36)), 300);
    EXPECT_EQ(int32_t(title.At(40)), 30);
    ASSERT_EQ(title.At(44), 7u);
    const uint32_t offString = title.At(48);
    EXPECT_EQ(base::Utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(title.Bytes.data() + offString), 7)),
              "温湿度历史记录");
    EXPECT_EQ(title.At(72), 0u) << "left-aligned text needs no advances";
    // The bounds hold the title's cell: 7 full-width characters of 27 pixels.
    EXPECT_EQ(int32_t(title.At(8)), 300);
    EXPECT_EQ(int32_t(title.At(16)), 300 + 7 * 27 - 1);
}

TEST(MetafileCanvas, AlignedTextCarriesAdvances) {
    TMetafileCanvas canvas(200, 200);
    canvas.Font().Name = "宋体";
    canvas.Font().Size = 10;
    canvas.SetTextAlign(TA_RIGHT);
    canvas.TextOut(150, 10, "温度");
    const auto records = Records(canvas.Finish());
    const TRecord& text = records[records.size() - 2];
    ASSERT_EQ(text.Type, uint32_t(EMR_EXTTEXTOUTW));
    const uint32_t offDx = text.At(72);
    ASSERT_NE(offDx, 0u);
    EXPECT_EQ(text.At(offDx), 13u);
    EXPECT_EQ(text.At(offDx + 4), 13u);
    EXPECT_EQ(int32_t(text.At(8)), 150 - 26);
}

TEST(MetafileCanvas, MeasuresFromTheFaceTables) {
    TMetafileCanvas canvas(200, 200);
    canvas.Font().Name = "宋体";
    canvas.Font().Size = 10;
    // A full-width ideograph is one em; the face's digits are half an em.
    EXPECT_EQ(canvas.TextWidth("温"), 13);
    EXPECT_EQ(canvas.TextWidth("2"), 7);
    EXPECT_GE(canvas.TextHeight("温"), 13);
}

TEST(MetafileCanvas, BitmapsBecomeStretchBlitsOfBottomUpBits) {
    TMetafileCanvas canvas(200, 200);
    // 3 x 2, 24 bits, rows from the top: red green blue, then black white grey.
    const TCanvasBitmap colour{3, 2, 24, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 128, 128, 128}};
    canvas.StretchDraw(10, 20, 16, 24, colour);
    const TCanvasBitmap mono{9, 1, 1, {0x80, 0x80}, {0x112233, 0x445566}};
    canvas.Draw(50, 60, mono);
    const std::string emf = canvas.Finish();
    const auto records = Records(emf);
    ASSERT_EQ(records.size(), 4u);
    const TRecord& blit = records[1];
    ASSERT_EQ(blit.Type, uint32_t(EMR_STRETCHBLT));
    // Bounds, destination, operation, source size, and the bitmap right after the fixed fields.
    for (const auto& [offset, value] : std::vector<std::pair<size_t, uint32_t>>{{8, 10},
                                                                                {12, 20},
                                                                                {16, 15},
                                                                                {20, 23},
                                                                                {32, 6},
                                                                                {36, 4},
                                                                                {40, SRCCOPY},
                                                                                {84, 108},
                                                                                {88, 40},
                                                                                {100, 3},
                                                                                {104, 2},
                                                                                {108, 40},
                                                                                {112, 3},
                                                                                {116, 2}})
        EXPECT_EQ(blit.At(offset), value) << offset;
    EXPECT_EQ(blit.At(92), 148u);
    EXPECT_EQ(blit.At(96), 24u);  // two rows of 9 bytes, each padded to 12
    // The bottom row comes first, blue-green-red.
    EXPECT_EQ(blit.Bytes.substr(148, 9), std::string("\0\0\0\xFF\xFF\xFF\x80\x80\x80", 9));
    EXPECT_EQ(blit.Bytes.substr(160, 9), std::string("\0\0\xFF\0\xFF\0\xFF\0\0", 9));
    const TRecord& monoBlit = records[2];
    // One bit per pixel with its two colours as blue-green-red quads.
    EXPECT_EQ(monoBlit.At(108 + 14) & 0xFFFF, 1u);
    EXPECT_EQ(monoBlit.At(108 + 40), 0x112233u);
    EXPECT_EQ(monoBlit.At(108 + 44), 0x445566u);
    EXPECT_EQ(monoBlit.At(108 + 48), 0x8080u);
    EXPECT_EQ(records[0].At(16), 58u);  // bounds right: 50 + 9 - 1
    EXPECT_THROW(canvas.Draw(0, 0, colour), base::Exception);
}

TEST(MetafileCanvas, BitmapsThatDoNotMatchTheirSizeAreRefused) {
    TMetafileCanvas canvas(10, 10);
    for (const TCanvasBitmap& bitmap :
         {TCanvasBitmap{2, 2, 24, std::vector<uint8_t>(11)}, TCanvasBitmap{0, 2, 24, {}}, TCanvasBitmap{1, 1, 8, {0}}})
        EXPECT_THROW(canvas.Draw(0, 0, bitmap), base::Exception);
}

TEST(MetafileCanvas, NoDrawingAfterFinish) {
    TMetafileCanvas canvas(10, 10);
    canvas.Finish();
    EXPECT_THROW(canvas.LineTo(1, 1), base::Exception);
}

}  // namespace
}  // namespace platform
