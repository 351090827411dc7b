#include "platform/fonts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace platform {
namespace {

TEST(FontsTest, EnumeratesTrueTypeFacesOfCollectionsWithLocalisedNamesAndCharsets) {
    const auto faces = Fonts::FacesOf("文泉驿正黑");
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(faces.front()->Family, "WenQuanYi Zen Hei");
    EXPECT_TRUE(faces.front()->File.ends_with("wqy-zenhei.ttc"));
    EXPECT_EQ(faces.front()->Index, 0);
    EXPECT_TRUE(faces.front()->HasCharset(134));
    EXPECT_TRUE(faces.front()->HasCharset(0));

    const auto mono = Fonts::FacesOf("wenquanyi zen hei mono");
    ASSERT_EQ(mono.size(), 1u);
    EXPECT_EQ(mono.front()->Index, 1);

    const auto& all = Fonts::Faces();
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const TFontFace& a, const TFontFace& b) { return a.Family < b.Family; }));
    for (const TFontFace& face : all) EXPECT_TRUE(Fonts::Open(face)->HasTable("glyf")) << face.File;
}

TEST(FontsTest, ChineseWindowsFaceIsServedByUmingAndUnknownFacesByNothing) {
    const auto faces = Fonts::FacesOf("宋体");
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(faces.front()->Family, "AR PL UMing CN");
    EXPECT_TRUE(Fonts::FacesOf("No Such Face Anywhere").empty());
    EXPECT_TRUE(Fonts::FacesOf("").empty());
}

// DejaVu Sans lists extra-light and condensed faces under its own name; file order would put
// the extra-light face first.
TEST(FontsTest, MatchChoosesTheFaceOfTheRequestedWeightWidthAndSlant) {
    const struct {
        const char* Family;
        bool Bold;
        bool Italic;
        const char* File;
    } cases[] = {
        {"DejaVu Sans", false, false, "/DejaVuSans.ttf"},
        {"dejavu sans", true, false, "/DejaVuSans-Bold.ttf"},
        {"DejaVu Sans", false, true, "/DejaVuSans-Oblique.ttf"},
        {"DejaVu Sans", true, true, "/DejaVuSans-BoldOblique.ttf"},
        {"DejaVu Sans Light", false, false, "/DejaVuSans-ExtraLight.ttf"},
        {"DejaVu Sans Light", true, true, "/DejaVuSans-ExtraLight.ttf"},
        {"DejaVu Sans Condensed", false, false, "/DejaVuSansCondensed.ttf"},
        {"DejaVu Sans Condensed", true, false, "/DejaVuSansCondensed-Bold.ttf"},
        {"DejaVu Serif", false, true, "/DejaVuSerif-Italic.ttf"},
        {"AR PL UMing CN", true, false, "/uming.ttc"},
    };
    for (const auto& c : cases) {
        const TFontFace* face = Fonts::Match(c.Family, c.Bold, c.Italic);
        ASSERT_NE(face, nullptr) << c.Family;
        EXPECT_TRUE(face->File.ends_with(c.File)) << c.Family << " " << c.Bold << c.Italic << ": " << face->File;
    }
    EXPECT_EQ(Fonts::Match("No Such Face Anywhere", false, false), nullptr);
    const TFontFace* regular = Fonts::Match("DejaVu Sans", false, false);
    EXPECT_EQ(regular->Weight, 400);
    EXPECT_EQ(regular->Width, 100);
    EXPECT_EQ(Fonts::Match("DejaVu Sans Condensed", false, false)->Width, 87);
}

TEST(FontsTest, TablesOfACollectionMemberAreItsOwnAndTheFileIsMappedOnce) {
    const auto faces = Fonts::FacesOf("AR PL UMing TW");
    ASSERT_FALSE(faces.empty());
    const auto file = Fonts::Open(*faces.front());
    EXPECT_EQ(file.get(), Fonts::Open(*faces.front()).get());
    const auto head = file->Table("head");
    ASSERT_TRUE(head);
    EXPECT_EQ(head->size(), 54u);
    EXPECT_EQ(head->substr(12, 4), std::string_view("\x5F\x0F\x3C\xF5", 4));  // magic number
    EXPECT_FALSE(file->Table("ZZZZ"));
}

TEST(FontsTest, DamagedDirectoriesAreRefused) {
    std::string header("\x00\x01\x00\x00\x00\x01\x00\x10\x00\x00\x00\x00", 12);
    const std::string record("glyf\0\0\0\0\0\0\0\x1C\0\0\x10\0", 16);  // table beyond the end
    const std::string cases[] = {
        "",
        "ttcf",
        std::string("ttcf\0\1\0\0\0\0\0\x09", 12),  // collection member 0 of 9 has no offset
        header,                                     // one table announced, no record
        header + record,
    };
    for (const std::string& bytes : cases) EXPECT_THROW(TFontFile::FromBytes(bytes, 0), EFontError);
    EXPECT_THROW(TFontFile::Open("/nonexistent/font.ttf", 0), EFontError);
}

}  // namespace
}  // namespace platform
