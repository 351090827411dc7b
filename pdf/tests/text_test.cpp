#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "base/text_encoding.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_font.h"
#include "pdf/tests/pdf_oracle.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

using test::RunCommand;

// Mixed Chinese and Latin text in the three CJK faces, as the report draws it.
std::string WriteMixedDocument(const test::TTempDir& dir) {
    const std::string file = dir.File("mixed.pdf");
    TPDFDocument document;
    document.SetFileName(file);
    document.SetResolution(96);
    document.BeginDoc();
    TPDFPage& page = *document.CurrentPage();
    page.SetActiveFont("宋体", fsUnderline, 20, 134);
    page.TextOut(base::Utf8ToCp936("温湿度历史记录 No.12"), 100, 60);
    page.SetActiveFont("WenQuanYi Zen Hei", 0, 10, 1);
    page.WideTextOut(base::Utf8ToUtf16("序号 温度 25.3 湿度"), 100, 200);
    page.SetActiveFont("WenQuanYi Micro Hei", 0, 10, 1);
    page.WideTextOut(base::Utf8ToUtf16("日期 2024-05-01 ijij"), 100, 300);
    page.SetActiveFont("AR PL UMing CN", 0, 12, 0);
    page.TextOut("fiji \x80 quote\"", 100, 400);
    document.EndDoc();
    return file;
}

TEST(PageTextTest, MixedChineseAndLatinTextReadsBackWithEmbeddedSubsets) {
    test::TTempDir dir;
    const std::string file = WriteMixedDocument(dir);
    std::string check;
    EXPECT_TRUE(test::QpdfCheck(file, check)) << check;

    const std::string fonts = RunCommand("pdffonts '" + file + "'").Output;
    // Every face twice: a CID font for the Chinese runs and a single-byte font for the Latin ones.
    for (const char* face : {"+AR PL UMing CN ", "+WenQuanYi Zen Hei ", "+WenQuanYi Micro Hei "}) {
        size_t cid = 0, single = 0;
        for (size_t at = fonts.find(face); at != std::string::npos; at = fonts.find(face, at + 1)) {
            const std::string line = fonts.substr(at, fonts.find('\n', at) - at);
            cid += line.find("CID TrueType      Identity-H       yes yes yes") != std::string::npos;
            single += line.find("TrueType          WinAnsi          yes yes no") != std::string::npos;
        }
        EXPECT_EQ(cid, 1u) << face << fonts;
        EXPECT_EQ(single, 1u) << face << fonts;
    }

    const std::string text = RunCommand("pdftotext -layout '" + file + "' -").Output;
    for (const char* expected :
         {"温湿度历史记录 No.12", "序号 温度 25.3 湿度", "日期 2024-05-01 ijij", "fiji € quote\""})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
}

// Text in a charset's code page measures as its UTF-16 form; text the code page cannot read,
// or a code page the system cannot convert, is refused.
TEST(PageTextTest, CodePageTextConvertsOrIsRefused) {
    test::TTempDir dir;
    TPDFDocument document;
    document.SetFileName(dir.File("code_pages.pdf"));
    document.BeginDoc();
    TPDFPage& page = *document.CurrentPage();
    page.SetActiveFont("宋体", 0, 10, 134);
    EXPECT_DOUBLE_EQ(page.TextWidth(base::Utf8ToCp936("温湿度 25.3")), page.WideTextWidth(u"温湿度 25.3"));
    page.SetActiveFont("DejaVu Sans", 0, 10, 204);
    EXPECT_DOUBLE_EQ(page.TextWidth("\xC0\xFF"), page.WideTextWidth(u"Ая"));
    const struct {
        uint8_t Charset;
        std::string Text;
    } refused[] = {{134, "\xFF"}, {77, "abc"}};  // not a CP936 lead byte; no converter for the Mac code page
    for (const auto& c : refused) {
        page.SetActiveFont("宋体", 0, 10, c.Charset);
        try {
            page.TextOut(c.Text, 10, 10);
            ADD_FAILURE() << int(c.Charset);
        } catch (const TPDFException& e) {
            EXPECT_STREQ(e.what(), "Cannot convert text to unicode");
        }
    }
    document.Abort();
}

TEST(PageTextTest, WordsStandWhereTheyWereDrawnAndThePageRenders) {
    test::TTempDir dir;
    const std::string file = WriteMixedDocument(dir);
    const std::string boxes = RunCommand("pdftotext -bbox '" + file + "' -").Output;
    // At 96 dpi device x 100 is 75 pt; y 200 is the top of a 10-point line at 150 pt.
    struct TWord {
        const char* Text;
        double Left, Top, Height;
    };
    for (const TWord& word : {TWord{"序号", 75, 150, 10}, TWord{"日期", 75, 225, 10}, TWord{"fiji", 75, 300, 12}}) {
        const size_t at = boxes.find(std::string(">") + word.Text + "<");
        ASSERT_NE(at, std::string::npos) << word.Text << boxes;
        const size_t start = boxes.rfind("<word", at);
        double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
        ASSERT_EQ(std::sscanf(boxes.c_str() + start, "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &xMin,
                              &yMin, &xMax, &yMax),
                  4);
        EXPECT_NEAR(xMin, word.Left, 1.5) << word.Text;
        EXPECT_NEAR(yMin, word.Top, 2.5) << word.Text;
        EXPECT_GT(xMax, xMin + word.Height) << word.Text;
    }
    const std::string image = dir.File("page");
    ASSERT_EQ(RunCommand("pdftoppm -r 50 -gray '" + file + "' '" + image + "'").ExitCode, 0);
    const std::string pixels = test::ReadFileBytes(image + "-1.pgm");
    size_t dark = 0;
    for (char c : pixels) dark += uint8_t(c) < 128;
    EXPECT_GT(dark, 200u);
}

// Takes every embedded font program out with qpdf and compares, with fontTools, each glyph
// of the subset that has an outline with the same glyph of the installed face.
TEST(PageTextTest, EmbeddedProgramsLoadInFontToolsWithTheSourceOutlines) {
    test::TTempDir dir;
    const std::string file = WriteMixedDocument(dir);
    static const char* const Script = R"(
import io, json, subprocess, sys
from fontTools.ttLib import TTFont
pdf = sys.argv[1]
objects = json.loads(subprocess.run(['qpdf', '--json=2', '--json-key=qpdf', pdf], capture_output=True, check=True).stdout)['qpdf'][1]
sources = {'AR PL UMing CN': ('/usr/share/fonts/truetype/arphic/uming.ttc', 0),
           'WenQuanYi Zen Hei': ('/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc', 0),
           'WenQuanYi Micro Hei': ('/usr/share/fonts/truetype/wqy/wqy-microhei.ttc', 0)}
Used = {'AR PL UMing CN': 'fiji\u20acquote"No.12', 'WenQuanYi Zen Hei': '25.3', 'WenQuanYi Micro Hei': '2024-05-01ij'}
checked = 0
for key, o in objects.items():
    d = o.get('value') or {}
    if d.get('/Type') != '/FontDescriptor' or '/FontFile2' not in d: continue
    name = d['/FontName'][1:].split('+', 1)[1].replace('#20', ' ')
    number = d['/FontFile2'].split()[0]
    data = subprocess.run(['qpdf', '--show-object=' + number, '--filtered-stream-data', pdf], capture_output=True, check=True).stdout
    sub = TTFont(io.BytesIO(data))
    src = TTFont(sources[name][0], fontNumber=sources[name][1])
    def outline(font, gname):
        coords, ends, flags = font['glyf'][gname].getCoordinates(font['glyf'])
        return list(coords), list(ends)
    kept = 0
    if len(sub.getGlyphOrder()) == len(src.getGlyphOrder()):
        # Unicode font: glyph ids are the source's.
        order = src.getGlyphOrder()
        for gid, gname in enumerate(sub.getGlyphOrder()):
            if sub['glyf'][gname].numberOfContours == 0: continue
            assert outline(sub, gname) == outline(src, order[gid]), (name, gid)
            kept += 1
    else:
        # Single-byte font: renumbered glyphs reached through its own cmap, bytes and Unicode alike.
        unicode, mac, source = sub['cmap'].getcmap(3, 1).cmap, sub['cmap'].getcmap(1, 0).cmap, src.getBestCmap()
        for ch in Used[name]:
            gname = unicode[ord(ch)]
            assert mac[ch.encode('cp1252')[0]] == gname, (name, ch)
            assert outline(sub, gname) == outline(src, source[ord(ch)]), (name, ch)
            kept += 1
        assert unicode[32] == sub.getGlyphOrder()[2], name
    assert kept >= 2, (name, kept)
    checked += 1
print('checked', checked)
)";
    const test::TCommandResult result = test::RunPython(Script, "'" + file + "'");
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_NE(result.Output.find("checked 6"), std::string::npos) << result.Output;
}

}  // namespace
}  // namespace pdf
