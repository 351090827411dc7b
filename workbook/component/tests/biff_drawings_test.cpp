// Drawings of .xls files read through the component: pictures arrive in the interface drawings
// under "Pict<sheet>_<picture>" names, notes as comments, charts in the sheets' chart
// collections; the files are written back from the drawing layer, the same from the second
// write on; a picture added through the interface lands in the written file; damaged drawings
// end the read with an error.
#include <gtest/gtest.h>

#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "platform/compound_file.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/component/tests/workbook_stream.h"
#include "workbook/component/workbook_component.h"
#include "workbook/model/picture_store.h"

namespace xls::test {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

const char* const Fixtures[] = {"writeexcel_drawing.xls", "libreoffice_drawing.xls"};

std::string Fixture(const std::string& name) {
    return std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/drawing/tests/fixtures/" + name;
}

std::u16string U16(const std::string& path) { return base::Utf8ToUtf16(path); }

void WriteWorkbookStream(const std::string& path, const std::vector<uint8_t>& bytes) {
    platform::TCompoundFile out;
    out.Root().CreateStream(u"Workbook").WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    out.SaveToFile(path);
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The 4x3 pictures that the fixtures were made of (make_fixtures.sh).
std::vector<uint8_t> SmallPng() {
    return FromHex(
        "89504e470d0a1a0a0000000d49484452000000040000000308020000003b963991000000274944415478da0dc731"
        "0100300c03a008ab9c88a8b08a40d6c64712131b17494d6d5d7f1896e3012c5e12496b32fbe70000000049454e44ae426082");
}

std::vector<uint8_t> SmallBmp() {
    return FromHex(
        "424d5a0000000000000036000000280000000400000003000000010018000000000024000000130b0000130b0000"
        "0000000000000000c80000c8003cc80078c800b4c86400c8643cc86478c864b4c8c800c8c83cc8c878c8c8b4");
}

std::vector<std::u16string> ImageNames(TVUZAzurEruraWorkbook& book, int sheet) {
    std::vector<std::u16string> names;
    TXLSDrawing& drawing = book.GetSheets(sheet)->GetDrawing();
    for (int i = 0; i < drawing.Images().Count(); ++i)
        names.push_back(drawing.Images().GetItems(i)->Anchor()->Picture.Descr);
    return names;
}

// The picture frames of a sheet's drawing.
int PictureShapes(TVUZAzurEruraWorkbook& book, int sheet) {
    const TEscherDrawing* drawing = SheetDrawing(book.GetBIFF()->GetSheet(sheet));
    int count = 0;
    for (int i = 0; drawing && i < drawing->ShapeCount(); ++i)
        count += drawing->Shapes(i).ShapeType == MSOSPT_PICTUREFRAME ? 1 : 0;
    return count;
}

struct TNote {
    int Sheet, Col, Row;
    std::u16string Text;
};

class BiffDrawingsTest : public ::testing::TestWithParam<const char*> {
protected:
    TTempDir Dir;
};

TEST_P(BiffDrawingsTest, PicturesReadArriveUnderTheirSheetAndPlace) {
    TVUZAzurEruraWorkbook book;
    book.Errors().SetSaveToList(true);
    book.LoadFromFile(U16(Fixture(GetParam())));
    ASSERT_EQ(book.SheetCount(), 2);
    // WriteExcel stores the second picture as a bitmap, which arrives as one; LibreOffice wrote
    // it again as PNG.
    const bool bitmap = std::string(GetParam()) == "writeexcel_drawing.xls";
    EXPECT_EQ(ImageNames(book, 0),
              (std::vector<std::u16string>{u"Pict1_1.png", bitmap ? u"Pict1_2.bmp" : u"Pict1_2.png"}));
    EXPECT_TRUE(book.Errors().Messages().empty()) << base::Utf16ToUtf8(book.Errors().Messages()[0].Text);
    const TXc12GraphicImage* second = book.GetSheets(0)->GetDrawing().Images().GetItems(1)->Anchor()->Picture.Image;
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->ImageType, bitmap ? xitBMP : xitPNG);
    EXPECT_EQ(second->Width, 4);
    EXPECT_EQ(second->Height, 3);
    EXPECT_EQ(ImageNames(book, 1), (std::vector<std::u16string>{u"Pict2_1.png"}));
    // The first picture lies at D2, the second at D8, the third at B2.
    const struct { int Sheet, Index, Col, Row; } places[] = {{0, 0, 3, 1}, {0, 1, 3, 7}, {1, 0, 1, 1}};
    for (const auto& place : places) {
        if (place.Index >= book.GetSheets(place.Sheet)->GetDrawing().Images().Count()) continue;
        const TXc12TwoCellAnchor* anchor =
            book.GetSheets(place.Sheet)->GetDrawing().Images().GetItems(place.Index)->Anchor();
        EXPECT_EQ(anchor->From.Col, place.Col);
        EXPECT_EQ(anchor->From.Row, place.Row);
    }
    // The stored pictures are the files' own bytes: the PNG is the one the fixture was made of.
    const TEscherGroup* group = DrawingGroup(*book.GetBIFF());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetItems(0).FileBytes(), SmallPng());
    // WriteExcel's bitmap blip carries a second uid, which is no part of the picture.
    if (bitmap) {
        EXPECT_EQ(group->GetItems(1).FileBytes(), SmallBmp());
    }
}

TEST_P(BiffDrawingsTest, NotesReadArriveAsComments) {
    TVUZAzurEruraWorkbook book;
    book.LoadFromFile(U16(Fixture(GetParam())));
    const TNote expected[] = {{0, 0, 0, u"Degrees Celsius"},
                              {0, 1, 0, u"Relative humidity, percent " + std::u16string(300, u'x')},
                              {1, 2, 2, u"温度"}};
    int counts[2] = {0, 0};
    for (const TNote& note : expected) {
        ++counts[note.Sheet];
        TXLSComments& comments = book.GetSheets(note.Sheet)->GetComments();
        const int index = comments.Find(note.Col, note.Row);
        ASSERT_GE(index, 0) << "sheet " << note.Sheet << " col " << note.Col << " row " << note.Row;
        EXPECT_EQ(comments.GetItems(index)->Note().Text, note.Text);
    }
    for (int s = 0; s < 2; ++s) EXPECT_EQ(book.GetSheets(s)->GetComments().GetCount(), counts[s]);
}

TEST_P(BiffDrawingsTest, ChartsReadJoinTheChartCollectionAndClearAlone) {
    TVUZAzurEruraWorkbook book;
    book.LoadFromFile(U16(Fixture(GetParam())));
    TSheet& first = book.GetBIFF()->GetSheet(0);
    ASSERT_EQ(first.Charts().Count(), 1);
    EXPECT_EQ(book.GetBIFF()->GetSheet(1).Charts().Count(), 0);
    TEscherDrawing* drawing = SheetDrawing(first);
    ASSERT_NE(drawing, nullptr);
    const int shapes = drawing->ShapeCount();
    // What a report does to a sheet read: its charts go, the pictures and notes stay.
    first.Charts().Clear();
    EXPECT_EQ(drawing->ShapeCount(), shapes - 1);
    const std::string path = Dir / "cleared.xls";
    book.SaveToFile(U16(path));
    TVUZAzurEruraWorkbook again;
    again.LoadFromFile(U16(path));
    EXPECT_EQ(again.GetBIFF()->GetSheet(0).Charts().Count(), 0);
    EXPECT_EQ(PictureShapes(again, 0), 2);
    EXPECT_EQ(again.GetSheets(0)->GetComments().GetCount(), 2);
}

TEST_P(BiffDrawingsTest, WrittenBackTheSameFromTheSecondWriteOn) {
    std::vector<std::vector<uint8_t>> streams;
    std::string from = Fixture(GetParam());
    for (int pass = 0; pass < 3; ++pass) {
        TVUZAzurEruraWorkbook book;
        book.LoadFromFile(U16(from));
        from = Dir / ("pass" + std::to_string(pass) + ".xls");
        book.SaveToFile(U16(from));
        streams.push_back(WorkbookStream(from));
    }
    EXPECT_EQ(streams[1], streams[2]);
    // What was written still holds every drawing.
    TVUZAzurEruraWorkbook last;
    last.LoadFromFile(U16(from));
    EXPECT_EQ(PictureShapes(last, 0) + PictureShapes(last, 1), 3);
    EXPECT_EQ(last.GetSheets(0)->GetComments().GetCount() + last.GetSheets(1)->GetComments().GetCount(), 3);
    EXPECT_EQ(last.GetBIFF()->GetSheet(0).Charts().Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, BiffDrawingsTest, ::testing::ValuesIn(Fixtures));

TEST(BiffPictureAddedTest, PictureAddedThroughTheInterfaceIsInTheWrittenFile) {
    TTempDir dir;
    const std::string png = dir / "logo.png";
    {
        const std::vector<uint8_t> bytes = SmallPng();
        std::ofstream(png, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    TVUZAzurEruraWorkbook book;
    book.SetVersion(xvExcel97);
    TXLSDrawingAnchor anchor;
    anchor.Col1 = 1;
    anchor.Row1 = 1;
    anchor.Col2 = 4;
    anchor.Row2 = 7;
    // Twice: one stored picture, two shapes.
    ASSERT_NE(book.GetSheets(0)->GetDrawing().AddPicture(png, anchor), nullptr);
    anchor.Col1 = 6;
    anchor.Col2 = 8;
    ASSERT_NE(book.GetSheets(0)->GetDrawing().AddPicture(png, anchor), nullptr);
    const std::string path = dir / "pictures.xls";
    book.SaveToFile(U16(path));

    // olefile finds the picture's bytes in the drawing group and a drawing in the sheet.
    const std::string script =
        "import olefile, struct, sys\n"
        "data = olefile.OleFileIO(sys.argv[1]).openstream('Workbook').read()\n"
        "png = open(sys.argv[2], 'rb').read()\n"
        "p, group, drawings = 0, b'', 0\n"
        "while p + 4 <= len(data):\n"
        "    rid, n = struct.unpack_from('<HH', data, p)\n"
        "    if rid == 0xEB: group += data[p + 4:p + 4 + n]\n"
        "    if rid == 0xEC: drawings += 1\n"
        "    p += 4 + n\n"
        "print(group.count(png), drawings)\n";
    const std::string scriptPath = dir / "check.py";
    std::ofstream(scriptPath) << script;
    const auto result =
        RunCommand("/usr/bin/python3 " + ShellQuote(scriptPath) + " " + ShellQuote(path) + " " + ShellQuote(png));
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(result.Output.substr(0, 2), "1 ") << result.Output;

    TVUZAzurEruraWorkbook read;
    read.LoadFromFile(U16(path));
    EXPECT_EQ(ImageNames(read, 0), (std::vector<std::u16string>{u"Pict1_1.png", u"Pict1_2.png"}));
    const TXc12TwoCellAnchor* first = read.GetSheets(0)->GetDrawing().Images().GetItems(0)->Anchor();
    EXPECT_EQ(first->From.Col, 1);
    EXPECT_EQ(first->From.Row, 1);
    EXPECT_EQ(first->To.Col, 4);
    EXPECT_EQ(first->To.Row, 7);
    EXPECT_EQ(DrawingGroup(*read.GetBIFF())->Count(), 1);
}

// The WriteExcel workbook with an unused store entry (reference count 0, still holding a blip)
// put in front of its pictures: the shapes' blip ids then count it, the kept pictures do not.
TEST(BiffPictureStoreTest, UnusedEntryBeforeThePicturesIsPassedOver) {
    std::vector<uint8_t> stream = WorkbookStream(Fixture("writeexcel_drawing.xls"));
    size_t group = 0;
    for (size_t p = 0; p + 4 <= stream.size(); p += 4 + base::LoadLE16(&stream[p + 2]))
        if (base::LoadLE16(&stream[p]) == 0x00EB) group = p;
    ASSERT_GT(group, 0u);
    // The group: DggContainer, FDGG, then the BStoreContainer.
    const size_t dgg = group + 4;
    const size_t store = dgg + 8 + 8 + base::LoadLE32(&stream[dgg + 8 + 4]);
    ASSERT_EQ(base::LoadLE16(&stream[store + 2]), 0xF001);
    std::vector<uint8_t> blip = {0x00, 0x00, 0x1E, 0xF0};  // a PNG blip of the picture
    const std::vector<uint8_t> png = SmallPng();
    base::AppendLE32(blip, static_cast<uint32_t>(17 + png.size()));
    base::StoreLE16(&blip[0], 0x6E00);
    blip.resize(blip.size() + 16, 0xAB);
    blip.push_back(0xFF);
    blip.insert(blip.end(), png.begin(), png.end());
    std::vector<uint8_t> entry = {0x62, 0x00, 0x07, 0xF0};
    base::AppendLE32(entry, static_cast<uint32_t>(36 + blip.size()));
    std::vector<uint8_t> body(36, 0);
    body[0] = body[1] = 6;
    base::StoreLE32(&body[20], static_cast<uint32_t>(blip.size()));
    entry.insert(entry.end(), body.begin(), body.end());
    entry.insert(entry.end(), blip.begin(), blip.end());
    const auto grow16 = [&stream](size_t at, size_t by) {
        base::StoreLE16(&stream[at], static_cast<uint16_t>(base::LoadLE16(&stream[at]) + by));
    };
    const auto grow32 = [&stream](size_t at, size_t by) {
        base::StoreLE32(&stream[at], static_cast<uint32_t>(base::LoadLE32(&stream[at]) + by));
    };
    grow16(group + 2, entry.size());
    grow32(dgg + 4, entry.size());
    grow32(store + 4, entry.size());
    grow16(store, 1 << 4);  // one more entry in the instance
    stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(store + 8), entry.begin(), entry.end());
    for (size_t p = 0; p + 4 <= stream.size(); p += 4 + base::LoadLE16(&stream[p + 2]))
        if (base::LoadLE16(&stream[p]) == 0x0085) grow32(p + 4, entry.size());
    // Every shape's blip id points one entry further.
    for (size_t p = 0; p + 10 <= stream.size(); ++p)
        if (base::LoadLE16(&stream[p]) == 0x4104 && base::LoadLE32(&stream[p + 2]) - 1 < 2u) ++stream[p + 2];
    TTempDir dir;
    const std::string path = dir / "unused_entry.xls";
    WriteWorkbookStream(path, stream);

    TVUZAzurEruraWorkbook book;
    book.LoadFromFile(U16(path));
    const TEscherGroup* kept = DrawingGroup(*book.GetBIFF());
    ASSERT_EQ(kept->Count(), 2);
    EXPECT_EQ(kept->GetItems(0).FileBytes(), SmallPng());
    EXPECT_EQ(kept->GetItems(1).FileBytes(), SmallBmp());
    EXPECT_EQ(ImageNames(book, 0), (std::vector<std::u16string>{u"Pict1_1.png", u"Pict1_2.bmp"}));
    EXPECT_EQ(ImageNames(book, 1), std::vector<std::u16string>{u"Pict2_1.png"});
    // Written without the unused entry, it reads as the fixture does.
    const std::string written = dir / "written.xls";
    book.SaveToFile(U16(written));
    TVUZAzurEruraWorkbook again;
    again.LoadFromFile(U16(written));
    EXPECT_EQ(DrawingGroup(*again.GetBIFF())->Count(), 2);
    EXPECT_EQ(PictureShapes(again, 0), 2);
}

// A picture frame without a picture (blip id 0), as a template leaves it, reads back as one.
TEST(BiffPictureStoreTest, FrameWithoutAPictureReadsBack) {
    TTempDir dir;
    TVUZAzurEruraWorkbook book;
    book.SetVersion(xvExcel97);
    TSheet& sheet = book.GetBIFF()->GetSheet(0);
    sheet.DrawingLayer();
    SheetDrawing(sheet)->AddPicture();
    const std::string path = dir / "frame.xls";
    book.SaveToFile(U16(path));
    TVUZAzurEruraWorkbook read;
    read.LoadFromFile(U16(path));
    EXPECT_EQ(PictureShapes(read, 0), 1);
    EXPECT_EQ(read.GetSheets(0)->GetDrawing().Images().Count(), 0);
}

TEST(BiffPictureAddedTest, WithoutABinaryDocumentNothingTakesThePicture) {
    TVUZAzurEruraWorkbook book;
    EXPECT_FALSE(book.AddPictureToBiff({"missing.png", {}}, 0, 0, 0));
}

// Every byte of the drawing group and of the first sheet's drawing run replaced in turn: the
// read succeeds or raises, and a failed read leaves the empty workbook.
TEST(BiffDrawingsHostileTest, DamagedDrawingsEndInAnError) {
    TTempDir dir;
    const std::vector<uint8_t> original = WorkbookStream(Fixture("writeexcel_drawing.xls"));
    std::vector<std::pair<size_t, size_t>> runs;
    size_t p = 0;
    while (p + 4 <= original.size()) {
        const uint16_t id = base::LoadLE16(&original[p]);
        const size_t length = base::LoadLE16(&original[p + 2]);
        if (id == 0x00EB || id == 0x00EC || id == 0x005D || id == 0x01B6 || id == 0x001C)
            runs.emplace_back(p, std::min(original.size(), p + 4 + length));
        p += 4 + length;
    }
    ASSERT_FALSE(runs.empty());
    const std::string path = dir / "damaged.xls";
    int failed = 0;
    for (const auto& [start, end] : runs) {
        for (size_t at = start; at < end; at += 7) {
            for (const uint8_t value : {uint8_t{0xFF}, uint8_t{0x00}}) {
                std::vector<uint8_t> damaged = original;
                if (damaged[at] == value) continue;
                damaged[at] = value;
                WriteWorkbookStream(path, damaged);
                TVUZAzurEruraWorkbook book;
                try {
                    book.LoadFromFile(U16(path));
                } catch (const std::exception&) {
                    ++failed;
                    EXPECT_EQ(book.SheetCount(), 1);
                }
            }
        }
    }
    EXPECT_GT(failed, 0);
}

}  // namespace
}  // namespace xls::test
