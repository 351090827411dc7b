#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/tests/emf_test_support.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

using namespace platform::emf;
using test::TEmfBuilder;

std::string Wide(const char* utf8) {
    const std::u16string text = base::Utf8ToUtf16(utf8);
    std::string bytes;
    for (char16_t c : text) base::AppendLE16(bytes, c);
    return bytes;
}

// Plays metafiles on the first page of an open document (72 units per inch, so one metafile pixel
// is 0.75 point) and shows what they appended.
class EmfTest : public ::testing::Test {
protected:
    EmfTest() {
        Document.SetFileName(Dir.File("emf.pdf"));
        Document.BeginDoc();
    }
    TPDFPage& Page() { return *Document.CurrentPage(); }
    // The operator lines the metafile produced, without the line cap and the closing resets.
    std::string Play(const std::string& emf) { return test::PlayOnPage(Page(), emf); }

    test::TTempDir Dir;
    TPDFDocument Document;
};

struct TShapeCase {
    const char* Name;
    std::vector<std::pair<uint32_t, std::vector<uint32_t>>> Records;
    const char* Expected;
};

TEST_F(EmfTest, ShapesPathsAndStateBecomeOperators) {
    const uint32_t stock = StockObject;
    const std::vector<TShapeCase> cases = {
        {"polygon with a solid pen and brush in winding mode",
         {{EMR_SETPOLYFILLMODE, {WINDING}}, {EMR_POLYGON, {0, 0, 0, 0, 3, 0, 0, 40, 0, 40, 40}}},
         "n|0 842 m|30 842 l|30 812 l|h|B|"},
        {"polygon with the null pen in alternate mode",
         {{EMR_SELECTOBJECT, {stock | NULL_PEN}}, {EMR_POLYGON, {0, 0, 0, 0, 3, 0, 0, 40, 0, 40, 40}}},
         "n|0 842 m|30 842 l|30 812 l|h|f*|"},
        {"rectangle with no width", {{EMR_RECTANGLE, {10, 10, 10, 50}}}, "n|"},
        {"ellipse with the null brush is stroked",
         {{EMR_CREATEPEN, {1, PS_SOLID, 1, 0, 0}},
          {EMR_SELECTOBJECT, {1}},
          {EMR_SELECTOBJECT, {stock | NULL_BRUSH}},
          {EMR_ELLIPSE, {0, 0, 40, 40}}},
         "0.75 w|1 1 1 rg|30 827 m|30 818.7157 23.2843 812 15 812 c|6.7157 812 0 "
         "818.7157 0 827 c|"
         "0 835.2843 6.7157 842 15 842 c|23.2843 842 30 835.2843 30 827 c|S|"},
        {"bezier of three points does nothing", {{EMR_POLYBEZIER, {0, 0, 0, 0, 3, 0, 0, 1, 1, 2, 2}}}, ""},
        {"bezier of seven points",
         {{EMR_POLYBEZIER, {0, 0, 0, 0, 7, 0, 0, 4, 0, 4, 4, 8, 4, 8, 8, 12, 8, 12, 12}}},
         "0 842 m|3 842 3 839 6 839 c|6 836 9 836 9 833 c|S|"},
        {"two clip rectangles replace each other",
         {{EMR_INTERSECTCLIPRECT, {0, 0, 40, 40}}, {EMR_INTERSECTCLIPRECT, {8, 8, 80, 80}}},
         "q|n|0 812 30 30 re|W|n|Q|0 0 0 RG|0 0 0 rg|0 w|q|n|6 782 54 54 "
         "re|W|n|"},
        {"a wide dashed pen draws solid", {{EMR_CREATEPEN, {1, PS_DASH, 3, 0, 0}}, {EMR_SELECTOBJECT, {1}}}, "2.25 w|"},
        {"a thin dashed pen dashes",
         {{EMR_CREATEPEN, {1, PS_DASH, 1, 0, 0}}, {EMR_SELECTOBJECT, {1}}},
         "[4 4] 0 d|0.75 w|"},
        {"a wide null pen stays invisible",
         {{EMR_CREATEPEN, {1, PS_NULL, 5, 0, 0}},
          {EMR_SELECTOBJECT, {1}},
          {EMR_MOVETOEX, {0, 0}},
          {EMR_LINETO, {40, 0}}},
         "3.75 w|0 842 m|30 842 l|n|"},
        {"restoring the device context closes the clip",
         {{EMR_SAVEDC, {}}, {EMR_INTERSECTCLIPRECT, {0, 0, 40, 40}}, {EMR_RESTOREDC, {uint32_t(-1)}}},
         // The restored brush is the device's white one.
         "q|n|0 812 30 30 re|W|n|Q|1 1 1 rg|"},
        {"light grey stock brush", {{EMR_SELECTOBJECT, {stock | LTGRAY_BRUSH}}}, "0.6667 0.6667 0.6667 rg|"},
        {"path fill follows the alternate fill mode",
         {{EMR_BEGINPATH, {}},
          {EMR_LINETO, {40, 0}},
          {EMR_LINETO, {40, 40}},
          {EMR_ENDPATH, {}},
          {EMR_FILLPATH, {0, 0, 0, 0}}},
         "n|0 842 m|30 842 l|30 812 l|f*|n|"},
        {"anisotropic mapping halves coordinates and pen widths",
         {{EMR_SETMAPMODE, {MM_ANISOTROPIC}},
          {EMR_SETWINDOWEXTEX, {1000, 1000}},
          {EMR_SETVIEWPORTEXTEX, {500, 500}},
          {EMR_CREATEPEN, {1, PS_SOLID, 4, 0, 0}},
          {EMR_SELECTOBJECT, {1}},
          {EMR_MOVETOEX, {0, 0}},
          {EMR_LINETO, {40, 40}}},
         "1.5 w|0 842 m|15 827 l|S|"},
        {"fixed mapping modes are scaled: 254 units of a tenth of a millimetre "
         "are one inch",
         {{EMR_SETMAPMODE, {MM_LOMETRIC}}, {EMR_MOVETOEX, {0, 0}}, {EMR_LINETO, {254, uint32_t(-254)}}},
         "0 842 m|72 770 l|S|"},
        {"polydraw closes its figure back to the first point",
         {{EMR_POLYDRAW, {0, 0, 0, 0, 3, 0, 0, 40, 0, 40, 40, 0x00030206, 0}}},
         "n|0 842 m|0 842 m|30 842 l|30 812 l|0 842 l|S|"},
        {"the window origin moves the drawing in the text mapping mode",
         {{EMR_SETWINDOWORGEX, {40, 0}}, {EMR_MOVETOEX, {40, 0}}, {EMR_LINETO, {80, 0}}},
         "0 842 m|30 842 l|S|"},
        {"a stock pen after the null pen draws solid",
         {{EMR_SELECTOBJECT, {stock | NULL_PEN}},
          {EMR_SELECTOBJECT, {stock | BLACK_PEN}},
          {EMR_MOVETOEX, {0, 0}},
          {EMR_LINETO, {40, 0}}},
         "0 0 0 RG|[] 0 d|0.75 w|0 842 m|30 842 l|S|"},
        {"a record that falls short of its count is skipped",
         {{EMR_POLYGON, {0, 0, 0, 0, 1000, 0, 0}}, {EMR_RECTANGLE, {0, 0, 40, 40}}},
         "0 812 30 30 re|f|"},
    };
    for (const TShapeCase& c : cases) {
        TEmfBuilder emf;
        for (const auto& [type, fields] : c.Records) {
            std::string body;
            for (uint32_t f : fields) base::AppendLE32(body, f);
            emf.AddRaw(type, body);
        }
        EXPECT_EQ(Play(emf.Finish()), c.Expected) << c.Name;
    }
}

TEST_F(EmfTest, ReportTextSelectsItsFontOnceAndDrawsAtTheReferencePoint) {
    TEmfBuilder emf;
    emf.AddRaw(EMR_EXTCREATEFONTINDIRECTW, test::FontRecord(1, -27, 134, u"宋体"))
        .Add(EMR_SELECTOBJECT, {1})
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(300, 30, Wide("温湿度"), true))
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(300, 60, Wide("记录"), true));
    const std::string ops = Play(emf.Finish());
    // One colour, one font, two texts: the top of each text cell at its reference point.
    EXPECT_EQ(ops.find("rg"), ops.rfind("rg")) << ops;
    EXPECT_EQ(ops.find("Tf"), ops.rfind("Tf")) << ops;
    EXPECT_NE(ops.find("20 0 0 20 225 "), std::string::npos) << ops;
    EXPECT_EQ(Page().Fonts().size(), 1u);
}

TEST_F(EmfTest, CommentBetweenTextsLeavesTextMode) {
    TEmfBuilder emf;
    emf.AddRaw(EMR_EXTCREATEFONTINDIRECTW, test::FontRecord(1, -16, 0, u"宋体"))
        .Add(EMR_SELECTOBJECT, {1})
        .Add(EMR_SETTEXTCOLOR, {0x0000FF})
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(0, 0, Wide("A"), true))
        .Add(EMR_GDICOMMENT, {0})
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(0, 20, Wide("B"), true));
    const std::string ops = Play(emf.Finish());
    // Text colour, the brush colour back at the comment, the text colour again.
    EXPECT_EQ(ops.find("1 0 0 rg"), ops.find("rg") - 6) << ops;
    const size_t brush = ops.find("0 0 0 rg");
    ASSERT_NE(brush, std::string::npos) << ops;
    EXPECT_NE(ops.find("1 0 0 rg", brush), std::string::npos) << ops;
}

TEST_F(EmfTest, TextInsideAPathBracketDrawsNothing) {
    TEmfBuilder emf;
    emf.Add(EMR_BEGINPATH).AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(0, 0, Wide("A"), true)).Add(EMR_ENDPATH);
    EXPECT_EQ(Play(emf.Finish()), "n|0 842 m|");
}

TEST_F(EmfTest, OpaqueEmptyTextPaintsItsRectangleInTheBackgroundColour) {
    TEmfBuilder emf;
    emf.Add(EMR_SETBKCOLOR, {0x0000FF})
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(0, 0, "", true, ETO_OPAQUE, {0, 0, 40, 40}));
    // The end of the metafile leaves text mode: the brush colour is back.
    EXPECT_EQ(Play(emf.Finish()), "1 0 0 rg|n|0 812 30 30 re|f|0 0 0 rg|");
}

TEST_F(EmfTest, AdvancesOfTheRecordPlaceEachCharacter) {
    TEmfBuilder emf;
    emf.AddRaw(EMR_EXTCREATEFONTINDIRECTW, test::FontRecord(1, -16, 0, u"宋体"))
        .Add(EMR_SELECTOBJECT, {1})
        .AddRaw(EMR_EXTTEXTOUTW, test::TextRecord(0, 0, Wide("AB"), true, 0, {0, 0, -1, -1}, {20, 20}));
    const std::string ops = Play(emf.Finish());
    // 20 pixels are 15 points, at 12 points a glyph: 1.25 font units to the next character.
    EXPECT_NE(ops.find("1.25 0 Td"), std::string::npos) << ops;
}

TEST_F(EmfTest, DoubleByteTextOfAnAnsiRecordDecodesInItsFontsCharset) {
    TEmfBuilder emf;
    emf.AddRaw(EMR_EXTCREATEFONTINDIRECTW, test::FontRecord(1, -27, 134, u"宋体"))
        .Add(EMR_SELECTOBJECT, {1})
        .AddRaw(EMR_EXTTEXTOUTA, test::TextRecord(0, 0, base::Utf8ToCp936("温度"), false));
    Play(emf.Finish());
    ASSERT_EQ(Page().Fonts().size(), 1u);
    EXPECT_TRUE(Page().Content().find("> Tj") != std::string::npos) << "shown through the Unicode font";
}

TEST_F(EmfTest, TextErrorsPassOnAndDamagedFramingIsAnError) {
    TEmfBuilder undecodable;
    undecodable.AddRaw(EMR_EXTCREATEFONTINDIRECTW, test::FontRecord(1, -27, 134, u"宋体"))
        .Add(EMR_SELECTOBJECT, {1})
        .AddRaw(EMR_EXTTEXTOUTA, test::TextRecord(0, 0, "\x81", false));
    EXPECT_THROW(Play(undecodable.Finish()), TPDFException);

    std::string damaged = TEmfBuilder().Add(EMR_SAVEDC).Finish();
    damaged[HeaderSize + 4] = 9;  // a record size that is no multiple of four
    EXPECT_THROW(Play(damaged), TPDFException);
    EXPECT_THROW(Play(std::string(40, '\0')), TPDFException);
}

TEST_F(EmfTest, PageCanvasLiesUnderThePagesOwnOperators) {
    platform::TMetafileCanvas& canvas = *Document.GetCanvas();
    canvas.MoveTo(0, 0);
    canvas.LineTo(96, 0);
    Page().NewPath();
    Page().CloseCanvas();
    EXPECT_EQ(Document.GetCanvas(), nullptr);
    EXPECT_EQ(Page().Content(), "1 J\r\n0.75 w\r\n0 842 m\r\n72 842 l\r\nS\r\n\r\nq\r\nn\r\n");
}

TEST_F(EmfTest, EmptyCanvasAddsNothing) {
    Page().CloseCanvas();
    EXPECT_EQ(Page().Content(), "q\r\n");
}

}  // namespace
}  // namespace pdf
