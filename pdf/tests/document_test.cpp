#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/exception.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/tests/pdf_oracle.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

namespace fs = std::filesystem;

void ExpectPDFError(const std::function<void()>& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const TPDFException& e) {
        EXPECT_EQ(e.Message(), message);
    }
}

// The console's report grid: per row a saved state, a new path, four cells, close, stroke.
void DrawGridRows(TPDFPage& page, int rows) {
    for (int row = 0; row < rows; ++row) {
        const double top = 60 + row * 14;
        page.GStateSave();
        page.NewPath();
        for (int cell = 0; cell < 4; ++cell) page.Rectangle(40 + cell * 130, top, 170 + cell * 130, top + 14);
        page.ClosePath();
        page.Stroke();
    }
}

// Draws every kind of shape the page offers.
void DrawShapes(TPDFPage& page) {
    page.SetLineWidth(1.5);
    page.SetRGBStrokeColor(0.8, 0.1, 0.1);
    page.SetRGBFillColor(0.1, 0.6, 0.2);
    page.Rectangle(50, 50, 200, 120);
    page.FillAndStroke();
    page.MoveTo(50, 150);
    page.LineTo(300, 150);
    page.LineTo(300, 200);
    page.ClosePath();
    page.Stroke();
    page.MoveTo(50, 250);
    page.CurveTo(100, 200, 200, 300, 250, 250);
    page.Stroke();
    page.ArcByAngles(300, 300, 400, 380, 30, 250);
    page.Stroke();
    page.Arc(50, 300, 250, 400, 250, 350, 150, 300);
    page.Stroke();
    page.Pie(50, 420, 200, 520, 200, 470, 125, 420);
    page.EoFillAndStroke();
    page.Ellipse(250, 420, 450, 500);
    page.Fill();
    page.SetDash("[4 2] 0");
    page.RoundRect(300, 550, 500, 650, 30, 20);
    page.Stroke();
    page.GStateSave();
    page.Rotate(10);
    page.Rectangle(100, 600, 150, 650);
    page.Clip();
    page.NewPath();
}

// Every cross-reference entry must point at the line that opens its object.
void ExpectXrefMatchesObjects(const std::string& bytes) {
    const size_t startxref = bytes.rfind("startxref\r\n");
    ASSERT_NE(startxref, std::string::npos);
    const size_t xref = std::stoul(bytes.substr(startxref + 11));
    ASSERT_EQ(bytes.compare(xref, 6, "xref\r\n"), 0);
    const size_t countStart = xref + 8;
    const int count = std::stoi(bytes.substr(countStart));
    size_t entry = bytes.find("\r\n", countStart) + 2;
    EXPECT_EQ(bytes.substr(entry, 20), "0000000000 65535 f\r\n");
    for (int number = 1; number < count; ++number) {
        entry += 20;
        ASSERT_EQ(bytes.substr(entry + 10, 10), " 00000 n\r\n") << number;
        const size_t offset = std::stoul(bytes.substr(entry, 10));
        const std::string opening = std::to_string(number) + " 0 obj\r\n<<";
        EXPECT_EQ(bytes.compare(offset, opening.size(), opening), 0) << number;
    }
    EXPECT_EQ(bytes.compare(entry + 20, 9, "trailer\r\n"), 0);
}

class DocumentTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return Dir.File(name); }
    void ExpectValidPDF(const std::string& fileName) {
        std::string output;
        EXPECT_TRUE(test::QpdfCheck(fileName, output)) << output;
        EXPECT_NE(output.find("No syntax or stream encoding errors found"), std::string::npos) << output;
        ExpectXrefMatchesObjects(test::ReadFileBytes(fileName));
    }

    test::TTempDir Dir;
};

TEST_F(DocumentTest, EmptyPageDocumentHasEveryPart) {
    TPDFDocument document;
    document.SetFileName(Path("empty.pdf"));
    document.BeginDoc();
    document.EndDoc();
    EXPECT_FALSE(document.Generating());
    EXPECT_EQ(document.CurrentPage(), nullptr);
    ExpectValidPDF(Path("empty.pdf"));
    EXPECT_EQ(test::QpdfObjects(Path("empty.pdf")),
              "1 <</Count 1 /Kids [2 0 R] /Type /Pages>>\n"
              "2 <</Contents [5 0 R] /MediaBox [0 0 595 842] /Parent 1 0 R /Resources 4 0 R /Type /Page>>\n"
              "3 <</Author u:Ombrix User /CreationDate * /Creator u:Ombrix PDF Writer /Keywords u:Ombrix PDF Writer "
              "/Producer u:Ombrix PDF Writer 1.0 /Subject u:None /Title u:No Title>>\n"
              "4 <</ProcSet [/PDF]>>\n"
              "5 stream <</Length 6>>\n"
              "6 <</PageLayout /SinglePage /PageMode /UseNone /Pages 1 0 R /Type /Catalog>>\n"
              "trailer <</ID * /Info 3 0 R /Root 6 0 R /Size 7>>\n");
    const std::string bytes = test::ReadFileBytes(Path("empty.pdf"));
    EXPECT_EQ(bytes.substr(0, 17), "%PDF-1.3\r\n%\xD2\xE5\xD1\xF2\r\n");
    EXPECT_NE(bytes.find("stream\r\nq\r\nQ\r\n\r\nendstream"), std::string::npos);
    const size_t id = bytes.find("/ID [<");
    ASSERT_NE(id, std::string::npos);
    const std::string fileId = document.FileID();
    EXPECT_EQ(fileId.size(), 32u);
    EXPECT_EQ(fileId.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(bytes.substr(id, 76), "/ID [<" + fileId + "><" + fileId + ">]\r\n");
    const size_t date = bytes.find("/CreationDate (D:");
    ASSERT_NE(date, std::string::npos);
    EXPECT_EQ(bytes.substr(date + 17, 14).find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(bytes.substr(date + 31, 3), ")\r\n");
    EXPECT_EQ(bytes.substr(bytes.size() - 7), "%%EOF\r\n");
}

TEST_F(DocumentTest, ManyPagesOfShapesAndGridsPassQpdf) {
    for (TCompressionType compression : {TCompressionType::ctNone, TCompressionType::ctFlate}) {
        TPDFDocument document;
        document.SetFileName(Path("shapes.pdf"));
        document.SetCompression(compression);
        document.BeginDoc();
        DrawShapes(*document.CurrentPage());
        for (int page = 1; page < 5; ++page) {
            document.NewPage();
            DrawGridRows(*document.CurrentPage(), 50);
        }
        document.EndDoc();
        ExpectValidPDF(Path("shapes.pdf"));
        const std::string objects = test::QpdfObjects(Path("shapes.pdf"));
        // Pages reserve 2..6 as they begin; the information dictionary is 7; each page then
        // takes its resources and contents in page order; the catalogue comes last.
        EXPECT_NE(objects.find("1 <</Count 5 /Kids [2 0 R 3 0 R 4 0 R 5 0 R 6 0 R] /Type /Pages>>"), std::string::npos)
            << objects;
        EXPECT_NE(objects.find("\n6 <</Contents [17 0 R] /MediaBox [0 0 595 842] /Parent 1 0 R /Resources 16 0 R"),
                  std::string::npos)
            << objects;
        EXPECT_NE(objects.find("trailer <</ID * /Info 7 0 R /Root 18 0 R /Size 19>>"), std::string::npos) << objects;
        if (compression == TCompressionType::ctFlate) {
            EXPECT_NE(objects.find("9 stream <</Filter /FlateDecode /Length "), std::string::npos) << objects;
        }
    }
}

TEST_F(DocumentTest, SecondDocumentRestartsAtObjectOne) {
    TPDFDocument document;
    std::vector<std::string> layouts;
    for (const char* name : {"first.pdf", "second.pdf"}) {
        document.SetFileName(Path(name));
        document.BeginDoc();
        DrawGridRows(*document.CurrentPage(), 3);
        document.NewPage();
        document.EndDoc();
        ExpectValidPDF(Path(name));
        layouts.push_back(test::QpdfObjects(Path(name)));
    }
    EXPECT_EQ(layouts[0], layouts[1]);
    EXPECT_NE(layouts[1].find("trailer <</ID * /Info 4 0 R /Root 9 0 R /Size 10>>"), std::string::npos) << layouts[1];
}

TEST_F(DocumentTest, OnePassWritesEachPageAtTheNextNewPage) {
    TPDFDocument document;
    document.SetFileName(Path("onepass.pdf"));
    document.SetOnePass(true);
    document.BeginDoc();
    DrawGridRows(*document.CurrentPage(), 2);
    document.NewPage();
    // The first page's objects are numbered and its content released before the second.
    EXPECT_TRUE(document.Pages().GetPage(0).Content().empty());
    DrawShapes(*document.CurrentPage());
    document.EndDoc();
    ExpectValidPDF(Path("onepass.pdf"));
    const std::string objects = test::QpdfObjects(Path("onepass.pdf"));
    EXPECT_NE(objects.find("2 <</Contents [4 0 R] /MediaBox [0 0 595 842] /Parent 1 0 R /Resources 3 0 R"),
              std::string::npos)
        << objects;
    EXPECT_NE(objects.find("5 <</Contents [7 0 R] /MediaBox [0 0 595 842] /Parent 1 0 R /Resources 6 0 R"),
              std::string::npos)
        << objects;
    EXPECT_NE(objects.find("trailer <</ID * /Info 8 0 R /Root 9 0 R /Size 10>>"), std::string::npos) << objects;
}

TEST_F(DocumentTest, CatalogueAndInformationEntries) {
    TPDFDocument document;
    document.SetFileName(Path("catalogue.pdf"));
    document.SetPageLayout(TPageLayout::plTwoColumnLeft);
    document.SetPageMode(TPageMode::pmFullScreen);
    document.SetViewerPreferences({TViewerPreference::vpCenterWindow, TViewerPreference::vpHideToolBar});
    document.SetVersion(TPDFVersion::v15);
    TPDFDocInfo info;
    info.SetTitle("Report (daily) \\ 1");
    info.SetAuthor("Line\rbreak");
    document.SetDocumentInfo(info);
    document.BeginDoc();
    document.EndDoc();
    ExpectValidPDF(Path("catalogue.pdf"));
    const std::string objects = test::QpdfObjects(Path("catalogue.pdf"));
    EXPECT_NE(objects.find("<</PageLayout /TwoColumnLeft /PageMode /FullScreen /Pages 1 0 R /Type /Catalog "
                           "/ViewerPreferences <</CenterWindow true /HideToolbar true>>>>"),
              std::string::npos)
        << objects;
    EXPECT_NE(objects.find("/Title u:Report (daily) \\ 1"), std::string::npos) << objects;
    EXPECT_NE(objects.find("/Author u:Line\rbreak"), std::string::npos) << objects;
    EXPECT_EQ(test::ReadFileBytes(Path("catalogue.pdf")).substr(0, 8), "%PDF-1.5");
}

TEST_F(DocumentTest, CompressedContentInflatesToTheUncompressedText) {
    std::vector<std::string> streams;
    for (TCompressionType compression : {TCompressionType::ctNone, TCompressionType::ctFlate}) {
        TPDFDocument document;
        const std::string name = Path(compression == TCompressionType::ctNone ? "plain.pdf" : "flate.pdf");
        document.SetFileName(name);
        document.SetCompression(compression);
        document.BeginDoc();
        DrawShapes(*document.CurrentPage());
        DrawGridRows(*document.CurrentPage(), 50);
        document.EndDoc();
        const std::string bytes = test::ReadFileBytes(name);
        // The content stream is object 5; /Length counts the bytes before the final CR LF.
        const size_t object = bytes.find("5 0 obj\r\n<</Length ");
        ASSERT_NE(object, std::string::npos);
        const size_t length = std::stoul(bytes.substr(object + 19));
        const size_t start = bytes.find("stream\r\n", object) + 8;
        ASSERT_EQ(bytes.substr(start + length, 11), "\r\nendstream");
        streams.push_back(bytes.substr(start, length));
    }
    EXPECT_LT(streams[1].size(), streams[0].size() / 3);
    test::WriteFileBytes(Path("flate.bin"), streams[1]);
    const auto result =
        test::RunPython("import sys, zlib\nsys.stdout.buffer.write(zlib.decompress(open(sys.argv[1], 'rb').read()))\n",
                        "'" + Path("flate.bin") + "'");
    ASSERT_EQ(result.ExitCode, 0) << result.Output;
    EXPECT_EQ(result.Output, streams[0]);
    EXPECT_EQ(streams[0].substr(streams[0].size() - 6), "Q\r\nQ\r\n");
}

TEST_F(DocumentTest, OpenStatesAreClosedWhenThePageIsWritten) {
    TPDFDocument document;
    document.SetFileName(Path("states.pdf"));
    document.BeginDoc();
    document.CurrentPage()->GStateSave();
    document.CurrentPage()->GStateSave();
    document.CurrentPage()->Rectangle(10, 10, 20, 20);
    document.EndDoc();
    ExpectValidPDF(Path("states.pdf"));
    const std::string bytes = test::ReadFileBytes(Path("states.pdf"));
    EXPECT_NE(
        bytes.find("<</Length 35\r\n>>\r\nstream\r\nq\r\nq\r\nq\r\n10 822 10 10 re\r\nQ\r\nQ\r\nQ\r\n\r\nendstream"),
        std::string::npos);
}

TEST_F(DocumentTest, OperationsNeedTheRightState) {
    TPDFDocument document;
    ExpectPDFError([&] { document.NewPage(); }, "Generation PDF file not activated");
    ExpectPDFError([&] { document.EndDoc(); }, "Generation PDF file not activated");
    ExpectPDFError([&] { document.Abort(); }, "Generation PDF file not activated");
    document.SetFileName(Path("state.pdf"));
    document.BeginDoc();
    TPDFPage* page = document.CurrentPage();
    ExpectPDFError([&] { document.BeginDoc(); }, "Generation PDF file in progress");
    // The open document is unharmed.
    EXPECT_TRUE(document.Generating());
    EXPECT_EQ(document.CurrentPage(), page);
    DrawGridRows(*page, 2);
    document.EndDoc();
    ExpectValidPDF(Path("state.pdf"));
}

TEST_F(DocumentTest, GuardedSettersRaiseWhileGeneratingAndKeepTheirValue) {
    TPDFDocument document;
    document.SetFileName(Path("guards.pdf"));
    document.SetOwnerPassword("owner");
    document.BeginDoc();
    const std::vector<std::function<void()>> guarded = {
        [&] { document.SetFileName(Path("other.pdf")); },
        [&] { document.SetProtectionEnabled(true); },
        [&] { document.SetProtectionOptions({TPDFCriptoOption::coPrint}); },
        [&] { document.SetOwnerPassword("x"); },
        [&] { document.SetUserPassword("y"); },
        [&] { document.SetOnePass(true); },
    };
    for (const auto& set : guarded) ExpectPDFError(set, "Generation PDF file in progress");
    EXPECT_EQ(document.FileName(), Path("guards.pdf"));
    EXPECT_FALSE(document.ProtectionEnabled());
    EXPECT_TRUE(document.ProtectionOptions().empty());
    EXPECT_EQ(document.OwnerPassword(), "owner");
    EXPECT_EQ(document.UserPassword(), "");
    EXPECT_FALSE(document.OnePass());

    // Unchanged values pass; changes raise.
    document.SetProtectionKeyLength(TPDFKeyLength::kl40);
    document.SetEmulateStandardFont(false);
    ExpectPDFError([&] { document.SetProtectionKeyLength(TPDFKeyLength::kl128); }, "Cannot change this value");
    ExpectPDFError([&] { document.SetEmulateStandardFont(true); }, "Cannot change this value");
    EXPECT_EQ(document.ProtectionKeyLength(), TPDFKeyLength::kl40);
    // Simply stored values change at any time.
    document.SetCompression(TCompressionType::ctFlate);
    document.SetJPEGQuality(50);
    EXPECT_EQ(document.JPEGQuality(), 50);
    document.EndDoc();
    EXPECT_FALSE(fs::exists(Path("other.pdf")));
    ExpectValidPDF(Path("guards.pdf"));
}

TEST_F(DocumentTest, VersionAndKeyLengthFollowEachOther) {
    TPDFDocument document;
    EXPECT_EQ(document.Version(), TPDFVersion::v13);
    document.SetProtectionKeyLength(TPDFKeyLength::kl128);
    EXPECT_EQ(document.Version(), TPDFVersion::v14);
    document.SetVersion(TPDFVersion::v16);
    EXPECT_EQ(document.ProtectionKeyLength(), TPDFKeyLength::kl128);
    document.SetVersion(TPDFVersion::v13);
    EXPECT_EQ(document.ProtectionKeyLength(), TPDFKeyLength::kl40);
}

TEST_F(DocumentTest, DefaultsAndDocumentInfoAssignment) {
    TPDFDocument document;
    EXPECT_EQ(document.Resolution(), 72);
    EXPECT_EQ(document.JPEGQuality(), 80);
    EXPECT_EQ(document.Compression(), TCompressionType::ctNone);
    EXPECT_TRUE(document.AutoCreateURL());
    EXPECT_TRUE(document.ReDrawEMFFile());
    EXPECT_FALSE(document.AutoLaunch());
    TPDFDocInfo info;
    info.SetCreator("c");
    info.SetKeywords("k");
    info.SetCreationDate(45000.25);
    document.SetDocumentInfo(info);
    EXPECT_EQ(document.DocumentInfo().Creator(), "c");
    EXPECT_EQ(document.DocumentInfo().Keywords(), "k");
    EXPECT_EQ(document.DocumentInfo().CreationDate(), 45000.25);
    EXPECT_EQ(document.DocumentInfo().Producer(), "Ombrix PDF Writer 1.0");
}

TEST_F(DocumentTest, AbortDeletesTheFile) {
    TPDFDocument document;
    document.SetFileName(Path("aborted.pdf"));
    document.BeginDoc();
    DrawGridRows(*document.CurrentPage(), 2);
    EXPECT_TRUE(fs::exists(Path("aborted.pdf")));
    document.Abort();
    EXPECT_FALSE(fs::exists(Path("aborted.pdf")));
    EXPECT_TRUE(document.Aborted());
    EXPECT_FALSE(document.Generating());
    EXPECT_EQ(document.CurrentPage(), nullptr);
    // The component runs the next document normally.
    document.BeginDoc();
    EXPECT_FALSE(document.Aborted());
    document.EndDoc();
    ExpectValidPDF(Path("aborted.pdf"));
}

TEST_F(DocumentTest, DestroyingAnOpenDocumentDeletesThePartialFile) {
    {
        TPDFDocument document;
        document.SetFileName(Path("dropped.pdf"));
        document.BeginDoc();
        DrawGridRows(*document.CurrentPage(), 2);
    }
    EXPECT_FALSE(fs::exists(Path("dropped.pdf")));
}

TEST_F(DocumentTest, FileThatCannotBeCreatedLeavesTheDocumentIdle) {
    TPDFDocument document;
    document.SetFileName(Path("missing/folder.pdf"));
    EXPECT_THROW(document.BeginDoc(), base::EFCreateError);
    EXPECT_FALSE(document.Generating());
    EXPECT_EQ(document.CurrentPage(), nullptr);
    document.SetFileName(Path("ok.pdf"));
    document.BeginDoc();
    document.EndDoc();
    ExpectValidPDF(Path("ok.pdf"));
}

TEST_F(DocumentTest, FailedEndAbortsAndPassesTheErrorOn) {
    // A link to a device that refuses every write: the end of the document fails.
    fs::create_symlink("/dev/full", Path("full.pdf"));
    TPDFDocument document;
    document.SetFileName(Path("full.pdf"));
    document.BeginDoc();
    DrawGridRows(*document.CurrentPage(), 2);
    EXPECT_THROW(document.EndDoc(), base::EWriteError);
    EXPECT_FALSE(document.Generating());
    EXPECT_TRUE(document.Aborted());
    EXPECT_FALSE(fs::exists(fs::symlink_status(Path("full.pdf"))));
}

TEST(FileOffset, PositionsBeyondTwoGigabytesRaise) {
    EXPECT_EQ(ToFileOffset(0), 0u);
    EXPECT_EQ(ToFileOffset(2147483647), 2147483647u);
    for (int64_t position : {int64_t(2147483648), int64_t(4294967296 + 10), int64_t(-1)}) {
        try {
            ToFileOffset(position);
            ADD_FAILURE() << position;
        } catch (const TPDFException& e) {
            EXPECT_EQ(e.Message(), "PDF file size exceeds 2 GB");
        }
    }
}

// pdfinfo reads the texts back, Chinese and Latin-1 letters included, with and without encryption.
TEST_F(DocumentTest, InformationTextsReadBackInPdfinfo) {
    for (bool protect : {false, true}) {
        const std::string file = Path(protect ? "info-protected.pdf" : "info.pdf");
        TPDFDocument document;
        document.SetFileName(file);
        document.SetProtectionEnabled(protect);
        TPDFDocInfo info;
        info.SetTitle("温湿度历史记录");
        info.SetAuthor("Jürgen (Lab 2)");
        info.SetSubject("Logger history");
        info.SetKeywords("");
        document.SetDocumentInfo(info);
        document.BeginDoc();
        document.EndDoc();
        const auto shown = test::RunCommand("pdfinfo -enc UTF-8 " + file);
        ASSERT_EQ(shown.ExitCode, 0) << shown.Output;
        EXPECT_NE(shown.Output.find("Title:           温湿度历史记录\n"), std::string::npos) << shown.Output;
        EXPECT_NE(shown.Output.find("Author:          Jürgen (Lab 2)\n"), std::string::npos) << shown.Output;
        EXPECT_NE(shown.Output.find("Subject:         Logger history\n"), std::string::npos) << shown.Output;
        EXPECT_NE(shown.Output.find(protect ? "Encrypted:       yes" : "Encrypted:       no"), std::string::npos);
    }
}

}  // namespace
}  // namespace pdf
