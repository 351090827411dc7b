#include <gtest/gtest.h>

#include <string>

#include "pdf/pdf_document.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

// One page rendered by poppler at 72 dpi, grey, without anti-aliasing: one pixel per point.
class TRendering {
public:
    TRendering(const test::TTempDir& dir, const std::string& pdfFile, int page) {
        const std::string prefix = dir.File("page" + std::to_string(page));
        const auto result =
            test::RunCommand("pdftoppm -r 72 -gray -aa no -aaVector no -singlefile -f " + std::to_string(page) +
                             " -l " + std::to_string(page) + " '" + pdfFile + "' '" + prefix + "'");
        EXPECT_EQ(result.ExitCode, 0) << result.Output;
        Bytes_ = test::ReadFileBytes(prefix + ".pgm");
        const std::string header = "P5\n595 842\n255\n";
        EXPECT_EQ(Bytes_.substr(0, header.size()), header);
        Pixels_ = Bytes_.size() - 595 * 842;
    }
    bool Dark(int x, int y) const { return static_cast<unsigned char>(Bytes_[Pixels_ + y * 595 + x]) < 128; }

private:
    std::string Bytes_;
    size_t Pixels_ = 0;
};

TEST(Render, LinesAndShapesLandWhereDrawn) {
    test::TTempDir dir;
    const std::string file = dir.File("render.pdf");
    TPDFDocument document;
    document.SetFileName(file);
    document.SetCompression(TCompressionType::ctFlate);
    document.BeginDoc();
    TPDFPage& page = *document.CurrentPage();
    page.SetLineWidth(2);
    page.MoveTo(100, 200);
    page.LineTo(400, 200);
    page.MoveTo(300, 400);
    page.LineTo(300, 600);
    page.Stroke();
    page.Rectangle(150, 750, 50, 650);
    page.Fill();
    page.Ellipse(400, 650, 500, 750);
    page.Fill();

    // A second page at twice the resolution draws the same horizontal line in device units.
    document.SetResolution(144);
    document.NewPage();
    TPDFPage& second = *document.CurrentPage();
    second.SetLineWidth(4);
    second.MoveTo(200, 400);
    second.LineTo(800, 400);
    second.Stroke();
    second.RoundRect(200, 1000, 600, 1200, 80, 80);
    second.Fill();
    document.EndDoc();

    for (int pageNumber : {1, 2}) {
        const TRendering r(dir, file, pageNumber);
        // The 2-point line centred on y = 200 covers rows 199 and 200 from x 100 to 399.
        EXPECT_TRUE(r.Dark(101, 199));
        EXPECT_TRUE(r.Dark(250, 200));
        EXPECT_TRUE(r.Dark(398, 199));
        EXPECT_FALSE(r.Dark(250, 196));
        EXPECT_FALSE(r.Dark(250, 203));
        EXPECT_FALSE(r.Dark(97, 200));
        EXPECT_FALSE(r.Dark(403, 200));
        if (pageNumber == 1) {
            EXPECT_TRUE(r.Dark(299, 500));
            EXPECT_TRUE(r.Dark(300, 401));
            EXPECT_FALSE(r.Dark(296, 500));
            EXPECT_FALSE(r.Dark(303, 500));
            EXPECT_FALSE(r.Dark(300, 605));
            EXPECT_TRUE(r.Dark(51, 651));
            EXPECT_TRUE(r.Dark(148, 748));
            EXPECT_FALSE(r.Dark(48, 700));
            EXPECT_FALSE(r.Dark(152, 700));
            EXPECT_FALSE(r.Dark(100, 647));
            EXPECT_TRUE(r.Dark(450, 700));
            EXPECT_TRUE(r.Dark(402, 700));
            EXPECT_TRUE(r.Dark(450, 652));
            EXPECT_FALSE(r.Dark(404, 654));  // outside the ellipse, inside its box
            EXPECT_FALSE(r.Dark(496, 746));
        } else {
            // Rounded rectangle (100, 500)-(300, 600) in points with 20-point corners.
            EXPECT_TRUE(r.Dark(200, 550));
            EXPECT_TRUE(r.Dark(101, 550));
            EXPECT_TRUE(r.Dark(200, 501));
            EXPECT_FALSE(r.Dark(101, 501));  // the cut-off corner
            EXPECT_FALSE(r.Dark(298, 598));
            EXPECT_FALSE(r.Dark(200, 603));
            EXPECT_FALSE(r.Dark(300, 400));  // the first page's vertical line is not here
        }
    }
}

// Bars of Helvetica 40 (ascent 29.12, bar 2 points thick) at 72 dpi, where device units are
// points: the underline of "Hello" is as long as its measured width (91.12), the strike-out
// crosses the blanks between two letters, and a turned underline follows its text.
TEST(Render, UnderlineAndStrikeOutBarsLieWhereTheTextIs) {
    test::TTempDir dir;
    const std::string file = dir.File("decoration.pdf");
    TPDFDocument document;
    document.SetFileName(file);
    document.SetResolution(72);
    document.BeginDoc();
    TPDFPage& page = *document.CurrentPage();
    page.SetActiveFont("Helvetica", fsUnderline, 40);
    EXPECT_NEAR(page.TextWidth("Hello"), 91.12, 1e-9);
    page.TextOut("Hello", 100, 100);  // baseline 129.12, bar rows 131.12 to 133.12
    page.SetActiveFont("Helvetica", fsStrikeOut, 40);
    page.TextOut("H    H", 100, 200);  // baseline 229.12, bar rows 217.12 to 219.12
    page.SetActiveFont("Helvetica", fsUnderline, 40);
    page.TextOut("Hello", 300, 500, 90);  // upwards from (329.12, 500), bar x 332.12 to 334.12
    document.EndDoc();

    const TRendering r(dir, file, 1);
    struct TPixel {
        int X, Y;
        bool Dark;
    };
    const TPixel pixels[] = {
        {101, 132, true},  {150, 132, true},  {190, 132, true},  {193, 132, false},
        {97, 132, false},  {150, 129, false}, {150, 135, false},                     // under "Hello"
        {150, 218, true},  {165, 218, true},  {150, 215, false}, {150, 221, false},  // through the blanks
        {333, 495, true},  {333, 450, true},  {333, 412, true},  {333, 406, false},
        {336, 450, false}, {330, 450, false},  // beside the turned text
    };
    for (const TPixel& p : pixels) EXPECT_EQ(r.Dark(p.X, p.Y), p.Dark) << p.X << "," << p.Y;
}

}  // namespace
}  // namespace pdf
