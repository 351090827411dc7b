// Metafiles made by LibreOffice from small drawings, played by our converter onto a page and
// rendered by poppler, against LibreOffice's own PDF of the same drawing rendered the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/emf_parser.h"
#include "pdf/pdf_document.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

const std::string Fixtures = std::string(OMBRIX_SOURCE_DIR) + "/pdf/tests/emf_fixtures/";

// A grey image of a PDF's first page at 72 pixels per inch, cropped to its ink.
struct TImage {
    int Width = 0, Height = 0;
    std::vector<unsigned char> Pixels;
    unsigned char At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
};

TImage RenderInk(const std::string& pdfFile, const std::string& stem) {
    const auto result = test::RunCommand("pdftoppm -r 72 -gray -f 1 -l 1 -singlefile '" + pdfFile + "' '" + stem + "'");
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    std::istringstream in(test::ReadFileBytes(stem + ".pgm"));
    std::string magic;
    TImage page;
    int maxValue = 0;
    in >> magic >> page.Width >> page.Height >> maxValue;
    in.get();
    page.Pixels.resize(size_t(page.Width) * page.Height);
    in.read(reinterpret_cast<char*>(page.Pixels.data()), std::streamsize(page.Pixels.size()));
    int left = page.Width, top = page.Height, right = -1, bottom = -1;
    for (int y = 0; y < page.Height; ++y)
        for (int x = 0; x < page.Width; ++x)
            if (page.At(x, y) < 230) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    TImage ink;
    if (right < 0) return ink;
    ink.Width = right - left + 1;
    ink.Height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) ink.Pixels.push_back(page.At(x, y));
    return ink;
}

// The share of pixels, over the larger of the two ink boxes, whose grey differs by more than
// a quarter of the scale.
double Difference(const TImage& a, const TImage& b) {
    const int width = std::max(a.Width, b.Width), height = std::max(a.Height, b.Height);
    auto at = [](const TImage& image, int x, int y) {
        return x < image.Width && y < image.Height ? image.At(x, y) : 255;
    };
    int differing = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) differing += std::abs(at(a, x, y) - at(b, x, y)) > 64;
    return double(differing) / (double(width) * height);
}

TEST(EmfLibreOffice, PagesRenderLikeLibreOfficesOwn) {
    // Thresholds, about twice what this converter shows: the plain shapes differ only by
    // anti-aliasing along edges (0.1 %); the fills by their thick outlines and an even-odd star
    // drawn a pixel apart (3.7 %); the clip by its cut edges (0.8 %); the text by glyphs placed
    // from the record's advances a pixel apart from LibreOffice's own layout (3.6 %). The image
    // drawing (a colour bitmap and a run-length coded two-colour one) renders the same (0 %).
    struct TCase {
        const char* Name;
        double Threshold;
    };
    test::TTempDir dir;
    for (const TCase c : {TCase{"shapes", 0.01}, TCase{"fills", 0.07}, TCase{"clip", 0.02}, TCase{"text", 0.07},
                          TCase{"image", 0.01}}) {
        const std::string emf = test::ReadFileBytes(Fixtures + c.Name + ".emf");
        TPDFDocument document;
        document.SetFileName(dir.File(std::string(c.Name) + ".pdf"));
        document.BeginDoc();
        TEMWParser parser(*document.CurrentPage());
        parser.LoadMetafile(emf);
        parser.Execute();
        document.EndDoc();
        const TImage ours = RenderInk(dir.File(std::string(c.Name) + ".pdf"), dir.File(std::string(c.Name) + "-ours"));
        const TImage theirs = RenderInk(Fixtures + "lo/" + c.Name + ".pdf", dir.File(std::string(c.Name) + "-lo"));
        ASSERT_GT(ours.Width, 0) << c.Name;
        EXPECT_NEAR(ours.Width, theirs.Width, 3) << c.Name;
        EXPECT_NEAR(ours.Height, theirs.Height, 3) << c.Name;
        EXPECT_LT(Difference(ours, theirs), c.Threshold) << c.Name;
    }
}

}  // namespace
}  // namespace pdf
