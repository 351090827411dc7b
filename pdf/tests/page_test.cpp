#include <gtest/gtest.h>

#include <string>

#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

// An open document whose current page is drawn on; the content text is checked line by line.
class PageTest : public ::testing::Test {
protected:
    void Open(int resolution = 72) {
        Document.SetFileName(Dir.File("page.pdf"));
        Document.SetResolution(resolution);
        Document.BeginDoc();
    }
    TPDFPage& Page() { return *Document.CurrentPage(); }
    // The lines appended after the page's own first "q".
    std::string Drawn() { return Page().Content().substr(3); }

    test::TTempDir Dir;
    TPDFDocument Document;
};

TEST_F(PageTest, NewPageHoldsItsOwnGraphicsState) {
    Open();
    EXPECT_EQ(Page().Content(), "q\r\n");
    EXPECT_EQ(Page().GStateDepth(), 1);
    EXPECT_EQ(Page().PageObjNumber(), 2);
}

TEST_F(PageTest, OperatorsAppendOneLineEach) {
    Open();
    TPDFPage& page = Page();
    page.MoveTo(10, 20);
    page.LineTo(100.5, 20.25);
    page.CurveTo(1, 2, 3, 4, 5, 6);
    page.ClosePath();
    page.NewPath();
    page.Stroke();
    page.Fill();
    page.EoFill();
    page.FillAndStroke();
    page.EoFillAndStroke();
    page.SetLineWidth(0.5);
    page.SetLineCap(1);
    page.SetLineJoin(2);
    page.SetRGBFillColor(1, 0.5, 0);
    page.SetRGBStrokeColor(0, 0, 0.25);
    page.Concat(1, 0, 0, 1, 10, -5.5);
    page.Translate(3, 4);
    page.Rotate(90);
    EXPECT_EQ(Drawn(),
              "10 822 m\r\n100.5 821.75 l\r\n1 840 3 838 5 836 c\r\nh\r\nn\r\nS\r\nf\r\nf*\r\nB\r\nB*\r\n"
              "0.5 w\r\n1 J\r\n2 j\r\n1 0.5 0 rg\r\n0 0 0.25 RG\r\n1 0 0 1 10 -5.5 cm\r\n1 0 0 1 3 4 cm\r\n"
              "0 1 -1 0 0 0 cm\r\n");
}

TEST_F(PageTest, RectangleOrdersCornersAndFlipsY) {
    Open();
    Page().Rectangle(10, 20, 110, 70);
    Page().Rectangle(110, 70, 10, 20);
    Page().Rectangle(110, 20, 10, 70);
    EXPECT_EQ(Drawn(), "10 772 100 50 re\r\n10 772 100 50 re\r\n10 772 100 50 re\r\n");
}

TEST_F(PageTest, ResolutionScalesDeviceUnits) {
    Open(144);
    EXPECT_DOUBLE_EQ(Page().Scale(), 2);
    Page().MoveTo(144, 144);
    Page().SetLineWidth(3);
    EXPECT_EQ(Drawn(), "72 770 m\r\n1.5 w\r\n");
    EXPECT_DOUBLE_EQ(Page().ToDeviceX(72), 144);
    EXPECT_DOUBLE_EQ(Page().ToDeviceY(770), 144);
}

TEST_F(PageTest, GraphicsStateNeverClosesThePagesOwn) {
    Open();
    Page().GStateRestore();
    Page().GStateSave();
    Page().GStateSave();
    EXPECT_EQ(Page().GStateDepth(), 3);
    Page().GStateRestore();
    EXPECT_EQ(Drawn(), "q\r\nq\r\nQ\r\n");
    EXPECT_EQ(Page().GStateDepth(), 2);
}

TEST_F(PageTest, DashOnlyWhenChangedAndClipOnlyWithPendingPath) {
    Open();
    TPDFPage& page = Page();
    page.NoDash();
    page.SetDash("[3 1] 0");
    page.SetDash("[3 1] 0");
    page.NoDash();
    EXPECT_EQ(page.DashPattern(), "[] 0");
    page.Clip();
    page.MoveTo(1, 1);
    EXPECT_TRUE(page.PathPending());
    page.Clip();
    page.Stroke();
    page.Clip();
    page.Rectangle(0, 0, 1, 1);
    page.NewPath();  // "n" leaves the pending flag as it is
    page.Clip();
    EXPECT_EQ(Drawn(), "[3 1] 0 d\r\n[] 0 d\r\n1 841 m\r\nW\r\nS\r\n0 841 1 1 re\r\nn\r\nW\r\n");
}

TEST_F(PageTest, PointOperationsDoNotMarkThePath) {
    Open();
    Page().MoveToPt(1, 2);
    Page().LineToPt(3, 4);
    Page().CurveToPt(1, 2, 3, 4, 5, 6);
    Page().RectanglePt(1, 2, 3, 4);
    EXPECT_FALSE(Page().PathPending());
    EXPECT_EQ(Drawn(), "1 2 m\r\n3 4 l\r\n1 2 3 4 5 6 c\r\n1 2 3 4 re\r\n");
}

TEST_F(PageTest, PagesListKeepsOrder) {
    Open();
    TPDFPage* first = Document.CurrentPage();
    Document.NewPage();
    TPDFPage* second = Document.CurrentPage();
    EXPECT_EQ(Document.Pages().Count(), 2);
    EXPECT_EQ(Document.Pages().IndexOf(*first), 0);
    EXPECT_EQ(Document.Pages().IndexOf(*second), 1);
    EXPECT_EQ(&Document.Pages().GetPage(1), second);
    EXPECT_EQ(second->PageObjNumber(), 3);
    EXPECT_THROW(Document.Pages().GetPage(2), TPDFException);
}

}  // namespace
}  // namespace pdf
