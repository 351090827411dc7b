#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/pdf_document.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

// Word boxes as poppler lays out the first page: (text, xMin, xMax) in points.
struct TWord {
    std::string Text;
    double XMin, XMax;
};

std::vector<TWord> Words(const std::string& file) {
    const std::string html = test::RunCommand("pdftotext -bbox '" + file + "' -").Output;
    std::vector<TWord> words;
    for (size_t at = html.find("<word "); at != std::string::npos; at = html.find("<word ", at + 1)) {
        auto attribute = [&](const char* name) {
            return std::stod(html.substr(html.find(name, at) + std::char_traits<char>::length(name)));
        };
        const size_t open = html.find('>', at) + 1;
        words.push_back({html.substr(open, html.find('<', open) - open), attribute("xMin=\""), attribute("xMax=\"")});
    }
    return words;
}

class TextLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        File_ = Dir_.File("layout.pdf");
        Document_.SetFileName(File_);
        Document_.SetResolution(72);  // device units are points
        Document_.BeginDoc();
        Page_ = Document_.CurrentPage();
    }
    test::TTempDir Dir_;
    std::string File_;
    TPDFDocument Document_;
    TPDFPage* Page_ = nullptr;
};

// Measured widths follow what the viewer lays out, spacing and scaling included.
TEST_F(TextLayoutTest, TextWidthWithCharacterAndWordSpacingMatchesTheLaidOutText) {
    struct TCase {
        double Tc, Tw, Tz;
        double Expected;  // (5 × 0.6 + Tw + 5 × Tc) × 10 × Tz / 100
    };
    const TCase cases[] = {{0, 0, 100, 30}, {0.1, 0.3, 100, 38}, {-0.05, 0, 100, 27.5}, {0.1, 0.3, 50, 19}};
    std::vector<double> widths;
    double y = 100;
    for (const TCase& c : cases) {
        Page_->SetActiveFont("Courier", 0, 10);
        Page_->SetRawCharacterSpacing(c.Tc);
        Page_->SetWordSpacing(c.Tw);
        Page_->SetHorizontalScaling(c.Tz);
        const double width = Page_->TextWidth("ab cd");
        EXPECT_NEAR(width, c.Expected, 1e-9);
        widths.push_back(width);
        Page_->ShowTextAt("ab cd", 100, 842 - y);
        y += 40;
    }
    Document_.EndDoc();
    const std::vector<TWord> words = Words(File_);
    ASSERT_EQ(words.size(), 2 * widths.size());
    for (size_t i = 0; i < widths.size(); ++i) {
        EXPECT_EQ(words[2 * i].Text, "ab");
        // Poppler's box leaves out the spacing after the last character.
        const double lastSpacing = cases[i].Tc * 10 * cases[i].Tz / 100;
        EXPECT_NEAR(words[2 * i + 1].XMax - words[2 * i].XMin + lastSpacing, widths[i], 0.05) << i;
    }
}

TEST_F(TextLayoutTest, StandardFontWidthsComeFromTheirMetrics) {
    struct TCase {
        const char* Face;
        TFontStyles Style;
        const char* Text;
        double Width;  // 1/1000 em summed, at size 10
    };
    const TCase cases[] = {
        {"Helvetica", 0, "Hello", 22.78},
        {"Helvetica", fsBold, "Hello", 24.45},
        {"Times", 0, "Hello", 22.22},
        {"Times", fsBold | fsItalic, "Hello", 22.78},
        {"Courier", fsItalic, "Hello", 30},
        {"Helvetica", 0, "\x80\xA0\xE9", 2.78 + 5.56 + 5.56},
        {"Symbol", 0, "abc", 6.31 + 5.49 + 5.49},
        {"ZapfDingbats", 0, "!", 9.74},
    };
    for (const TCase& c : cases) {
        Page_->SetActiveFont(c.Face, c.Style, 10);
        EXPECT_NEAR(Page_->TextWidth(c.Text), c.Width, 1e-9) << c.Face << " " << c.Text;
    }
    Document_.Abort();
}

// Runs whose advances stay within 0.1 of the natural widths go out whole, with the difference
// spread as character spacing; a larger difference ends the run after that character.
TEST_F(TextLayoutTest, FittingToAdvancesSpreadsSmallDifferencesAndBreaksRunsAtLargeOnes) {
    struct TCase {
        double Advances[3];  // device units (points), Courier 10: natural 6
        const char* Content;
    };
    const TCase cases[] = {
        {{6, 6, 6}, "(abc) Tj\r\n"},
        {{6.5, 6.5, 6.5}, "0.05 Tc\r\n(abc) Tj\r\n"},
        {{6, 8, 6}, "(ab) Tj\r\n1.4 0 Td\r\n(c) Tj\r\n"},
    };
    double y = 100;
    for (const TCase& c : cases) {
        Page_->SetActiveFont("Courier", 0, 10);
        Page_->SetRawCharacterSpacing(0);
        const size_t before = Page_->Content().size();
        Page_->ExtWideTextOut(u"abc", c.Advances, 100, y);
        const std::string content = Page_->Content().substr(before);
        EXPECT_NE(content.find(c.Content), std::string::npos) << content;
        y += 40;
    }
    Document_.EndDoc();
    // Poppler's boxes end at the last advance without its spacing; the widened gap splits
    // the last line into two words.
    const std::vector<TWord> words = Words(File_);
    const TWord expected[] = {{"abc", 100, 118}, {"abc", 100, 119}, {"ab", 100, 112}, {"c", 114, 120}};
    ASSERT_EQ(words.size(), std::size(expected));
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].Text, expected[i].Text);
        EXPECT_NEAR(words[i].XMin, expected[i].XMin, 0.01) << i;
        EXPECT_NEAR(words[i].XMax, expected[i].XMax, 0.01) << i;
    }
}

}  // namespace
}  // namespace pdf
