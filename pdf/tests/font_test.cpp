#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "pdf/font_lookup.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_font.h"
#include "pdf/pdf_hex.h"
#include "pdf/tests/test_support.h"
#include "pdf/ttf_bytes.h"
#include "pdf/ttf_data.h"

namespace pdf {
namespace {

std::shared_ptr<const platform::TFontFile> UmingFile() {
    return platform::Fonts::Open(*platform::Fonts::FacesOf("AR PL UMing CN").front());
}

TEST(FontLookupTest, ChineseFaceAndMissingFacesResolveWithoutRecursion) {
    std::string face = "宋体";
    TFontStyles style = fsBold | fsItalic | fsUnderline;
    ASSERT_TRUE(FindInstalledFont(face, style));
    EXPECT_EQ(face, "AR PL UMing CN");
    EXPECT_EQ(style, TFontStyles(fsUnderline));  // only a regular face: bold italic, bold, then plain
    EXPECT_TRUE(IsTrueTypeFontInstalled("宋体", 134));
    EXPECT_FALSE(IsTrueTypeFontInstalled("", 134));
    EXPECT_FALSE(FindTrueTypeFontForCharset(134).empty());

    face = "Arial";
    style = fsBold;
    EXPECT_FALSE(FindInstalledFont(face, style));
    EXPECT_EQ(face, "Arial");
    EXPECT_EQ(style, TFontStyles(fsBold));

    test::TTempDir dir;
    TPDFDocument document;
    document.SetFileName(dir.File("lookup.pdf"));
    document.BeginDoc();
    TPDFFonts& fonts = document.Fonts();
    EXPECT_EQ(fonts.Lookup("Arial", fsBold, false).ResourceName, "F1");
    TPDFFont& unicode = fonts.Lookup("Arial", 0, true, 134);
    EXPECT_FALSE(unicode.Standard());
    EXPECT_EQ(unicode.FaceName(), FindTrueTypeFontForCharset(134));
    // The requested name is remembered: no second load of the same face.
    EXPECT_EQ(&fonts.Lookup("arial", 0, true, 134), &unicode);
    TPDFFont& song = fonts.Lookup("宋体", 0, false, 134);
    EXPECT_EQ(&fonts.Lookup("宋体", 0, false, 134), &song);
    EXPECT_EQ(&fonts.Lookup("AR PL UMing CN", 0, false), &song);
    EXPECT_EQ(fonts.Count(), 3);
    document.Abort();
}

// The face a report's font lands on has the requested weight and width, and a later lookup by
// the name found gives the same face (condensed faces are listed under the wider name too).
TEST(FontLookupTest, RegularAndCondensedRequestsKeepTheirFace) {
    const struct {
        const char* Name;
        TFontStyles Style;
        const char* Found;
        const char* File;
    } cases[] = {
        {"DejaVu Sans", 0, "DejaVu Sans", "/DejaVuSans.ttf"},
        {"dejavu sans", fsBold | fsStrikeOut, "DejaVu Sans", "/DejaVuSans-Bold.ttf"},
        {"DejaVu Sans Condensed", fsBold, "DejaVu Sans Condensed", "/DejaVuSansCondensed-Bold.ttf"},
    };
    for (const auto& c : cases) {
        std::string face = c.Name;
        TFontStyles style = c.Style;
        ASSERT_TRUE(FindInstalledFont(face, style)) << c.Name;
        EXPECT_EQ(face, c.Found);
        EXPECT_EQ(style, c.Style);
        const platform::TFontFace* installed = InstalledFace(face, style);
        ASSERT_NE(installed, nullptr);
        EXPECT_TRUE(installed->File.ends_with(c.File)) << c.Name << ": " << installed->File;
    }
}

TEST(FontObjectTest, NamesEscapeDelimitersAndBytesOutsideThePrintableRange) {
    EXPECT_EQ(EscapePDFName("Courier New Bold"), "Courier#20New#20Bold");
    EXPECT_EQ(EscapePDFName("a(b)/c#d%e"), "a#28b#29#2Fc#23d#25e");
    EXPECT_EQ(EscapePDFName("\xCB\xCE\xCC\xE5"), "#CB#CE#CC#E5");
}

TEST(TTFDataTest, WidthsAndToUnicodeFollowTheUsedCharacters) {
    TTTFData data(UmingFile(), 0);
    EXPECT_EQ(data.GetWidthArray(), "[]");
    const uint16_t zhong = data.UseChar(0x4E2D);
    EXPECT_EQ(zhong, data.CodeToGlyph(0x4E2D));
    EXPECT_NE(zhong, 0);
    const std::string one = data.WriteToUnicode("TT1");
    EXPECT_NE(one.find("1 begincodespacerange <0000> <FFFF> endcodespacerange"), std::string::npos);
    // A single used character keeps its own mapping; padding never rewrites a code.
    EXPECT_NE(one.find("1 beginbfchar\r<" + WordToHex(zhong) + "> <4E2D>\rendbfchar"), std::string::npos) << one;
    EXPECT_EQ(data.GetWidthArray(),
              "[" + std::to_string(zhong) + "[" + std::to_string(data.GetCharWidth(0x4E2D)) + "]]");
    for (uint16_t code = 0x4E30; code < 0x4E30 + 100; ++code) data.UseChar(code);
    const std::string many = data.WriteToUnicode("TT1");
    EXPECT_NE(many.find("100 beginbfchar"), std::string::npos);
    EXPECT_NE(many.find("endbfchar\r1 beginbfchar"), std::string::npos);
}

// Damaged copies of a real face: each must be refused with the font error, never crash.
TEST(TTFDataTest, DamagedFontsAreRefusedWithTheFontError) {
    const std::string source(UmingFile()->Bytes());
    const auto face = platform::TFontFile::FromBytes(source, 0);
    auto tableOffset = [&](const char* tag) { return size_t(face->Table(tag)->data() - face->Bytes().data()); };
    struct TDamage {
        const char* Name;
        const char* Table;
        size_t Offset;
        std::string Bytes;
    };
    const TDamage damages[] = {
        {"units per em zero", "head", 18, std::string("\0\0", 2)},
        {"hmtx metrics beyond hmtx", "hhea", 34, std::string("\xFF\xFF", 2)},
        {"loca beyond glyf", "loca", 8, std::string("\xFF\xFF\xFF\xFF", 4)},
    };
    auto expectRefused = [](const char* name, const std::string& bytes) {
        try {
            TTTFData data(platform::TFontFile::FromBytes(bytes, 0), 0);
            data.UseChar('A');
            data.BuildSubset();
            ADD_FAILURE() << name << ": accepted";
        } catch (const base::Exception& e) {
            EXPECT_EQ(e.Message(), "Incorrect or unknown font format") << name;
        }
    };
    for (const TDamage& damage : damages) {
        std::string bytes = source;
        const size_t at = tableOffset(damage.Table) + damage.Offset;
        const std::string& patch = damage.Bytes;
        bytes.replace(at, patch.size(), patch);
        expectRefused(damage.Name, bytes);
    }
    // Every cmap subtable beyond the table, then every segment count beyond it.
    const std::string_view cmap = *face->Table("cmap");
    std::string offsets = source, segments = source;
    for (size_t i = 0; i < TTFGet16(cmap, 2); ++i) {
        offsets.replace(tableOffset("cmap") + 8 + 8 * i, 4, std::string("\x7F\xFF\xFF\xF0", 4));
        segments.replace(tableOffset("cmap") + TTFGet32(cmap, 8 + 8 * i) + 6, 2, std::string("\xFF\xFE", 2));
    }
    expectRefused("cmap subtables beyond the table", offsets);
    expectRefused("segment count beyond the table", segments);
}

TEST(FontObjectTest, FontSelectedButNeverUsedIsNotWritten) {
    test::TTempDir dir;
    const std::string file = dir.File("unused.pdf");
    TPDFDocument document;
    document.SetFileName(file);
    document.BeginDoc();
    document.CurrentPage()->SetActiveFont("宋体", 0, 10, 134);
    EXPECT_GT(document.CurrentPage()->TextRise(), 0);  // registers the WinAnsi face, shows nothing
    document.EndDoc();
    EXPECT_EQ(test::ReadFileBytes(file).find("/FontDescriptor"), std::string::npos);
}

}  // namespace
}  // namespace pdf
