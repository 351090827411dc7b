#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/exception.h"
#include "base/text_encoding.h"

namespace base {
namespace {

TEST(TextEncoding, Utf8AndUtf16RoundTrip) {
    const std::string text = "温湿度 Ω A \xF0\x9F\x98\x80";  // includes a character outside the BMP
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"温湿度 Ω A \U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\xFF", u"\uFFFD"},                      // never valid
        {"a\xC3", u"a\uFFFD"},                    // truncated sequence
        {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong encoding
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xE6\x97x", u"\uFFFD\uFFFDx"},          // bad continuation
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.utf8), c.expected) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(TextEncoding, Cp936MatchesTheCodePage) {
    // Byte values from Python's GBK codec.
    EXPECT_EQ(Utf8ToCp936("温湿度"), "\xCE\xC2\xCA\xAA\xB6\xC8");
    EXPECT_EQ(Utf8ToCp936("接收超时 ok"), "\xBD\xD3\xCA\xD5\xB3\xAC\xCA\xB1 ok");
    EXPECT_EQ(Cp936ToUtf8("\xC0\xFA\xCA\xB7\xBC\xC7\xC2\xBC"), "历史记录");
    EXPECT_EQ(Cp936ToUtf8("\x80"), "€");  // the Windows code page's euro sign
}

TEST(TextEncoding, Cp936ReplacesWhatItCannotConvert) {
    EXPECT_EQ(Utf8ToCp936("a\xF0\x9F\x98\x80"
                          "b"),
              "a?b");  // no such character in CP936
    EXPECT_EQ(Utf8ToCp936("a\xFF"
                          "b"),
              "a?b");  // not UTF-8 at all
    EXPECT_EQ(Cp936ToUtf8("a\xFF"
                          "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Cp936ToUtf8("a\xCE"), "a\xEF\xBF\xBD");  // lead byte without its trail
    std::string large(100000, '\xCE');
    for (size_t i = 1; i < large.size(); i += 2) large[i] = '\xC2';
    EXPECT_EQ(Utf8ToCp936(Cp936ToUtf8(large)), large);
}

// Expected text from Python's codecs of the same code pages.
TEST(TextEncoding, CodePagesToUtf16DropWhatTheyDoNotDefine) {
    const struct {
        int CodePage;
        std::string_view Bytes;
        std::u16string_view Expected;
    } cases[] = {
        {936, "\xCE\xC2\xCA\xAA\xB6\xC8", u"温湿度"},
        {936, "a\xFFz", u"az"},  // not a lead byte
        {936, "a\xCE", u"a"},    // lead byte without its trail
        {1252, "\x80\x9F\xE9", u"€Ÿé"},
        {1251, "\xC0\xFF", u"Ая"},
        {950, "\xA7\x41", u"你"},
        {936, "", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(CodePageToUtf16(c.Bytes, c.CodePage), c.Expected) << c.CodePage;
    EXPECT_THROW(CodePageToUtf16("a", 99999), EConvertError);
    // A converter left in mid-sequence by one call does not leak into the next.
    EXPECT_EQ(CodePageToUtf16("\xCE", 936), u"");
    EXPECT_EQ(CodePageToUtf16("\xCA\xAA", 936), u"湿");
}

// Expected bytes from Python's codecs of the same code pages.
TEST(TextEncoding, Utf16ToCodePagesRefusesWhatTheyLack) {
    const struct {
        int CodePage;
        std::u16string_view Text;
        bool Converted;
        std::string_view Expected;
    } cases[] = {
        {1252, u"€Ÿé", true, "\x80\x9F\xE9"},
        {1252, u"Zürich", true, "Z\xFCrich"},
        {936, u"温湿度", true, "\xCE\xC2\xCA\xAA\xB6\xC8"},
        {1252, u"a温b", false, "a"},
        {1252, u"", true, ""},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Utf16ToCodePage(c.Text, c.CodePage, out), c.Converted) << c.CodePage;
        EXPECT_EQ(out, c.Expected) << c.CodePage;
    }
    std::string out;
    EXPECT_THROW(Utf16ToCodePage(u"a", 99999, out), EConvertError);
    // A refused text leaves nothing behind for the next call.
    EXPECT_TRUE(Utf16ToCodePage(u"ok", 1252, out));
    EXPECT_EQ(out, "ok");
}

}  // namespace
}  // namespace base
