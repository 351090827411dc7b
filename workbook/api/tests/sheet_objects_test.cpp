// Defined names, hyperlinks, comments and the drawing interface.
#include <gtest/gtest.h>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/api/tests/api_fixture.h"

namespace xls::test {
namespace {

class NamesTest : public ApiTest {
protected:
    void SetUp() override {
        Workbook->AddSheet();
        Workbook->AddSheet();
    }
    TXLSName* Add(const char16_t* name, const char16_t* content, int localSheet = -1) {
        auto* added = dynamic_cast<TXLSName*>(Workbook->Names()->Add(name, localSheet));
        EXPECT_NE(added, nullptr);
        added->SetContent(content);
        added->Compile();
        return added;
    }
};

TEST_F(NamesTest, AreaOnASheetFollowsDeletions) {
    TXLSName* data = Add(u"Data", u"Sheet2!$A$1:$B$3");
    EXPECT_EQ(data->RefKind, nrkArea);
    EXPECT_EQ(data->RefSheet, 1);
    EXPECT_EQ(data->GetContent(), u"Sheet2!$A$1:$B$3");
    TXLSName* cell = Add(u"Corner", u"Sheet3!$C$4");
    EXPECT_EQ(cell->RefKind, nrkCell);
    EXPECT_EQ(cell->GetContent(), u"Sheet3!$C$4");
    TXLSName* formula = Add(u"Twice", u"Sheet3!A1*2");
    EXPECT_EQ(formula->RefKind, nrkFormula);

    Workbook->DeleteSheet(0, 1);
    EXPECT_EQ(data->RefSheet, 0);
    EXPECT_EQ(data->GetContent(), u"Sheet2!$A$1:$B$3");
    EXPECT_EQ(formula->GetContent(), u"Sheet3!A1*2");
    Workbook->DeleteSheet(0, 1);
    EXPECT_EQ(data->GetContent(), u"#REF!");
    EXPECT_EQ(cell->GetContent(), u"Sheet3!$C$4");
}

TEST_F(NamesTest, LocalNamesOnLaterSheetsMoveWithTheirSheet) {
    TXLSName* onFirst = Add(u"Here", u"1", 0);
    TXLSName* onLast = Add(u"There", u"2", 2);
    Workbook->DeleteSheet(0, 1);
    EXPECT_EQ(onFirst->Deleted, 1);
    EXPECT_EQ(onLast->Deleted, 0);
    EXPECT_EQ(onLast->localSheetId, 1);
    // The deleted name's slot is taken by the next name.
    EXPECT_EQ(Workbook->Names()->Add(u"Next", -1), onFirst);
}

TEST_F(NamesTest, TextThatDoesNotCompileReports4011) {
    std::vector<std::u16string> reports;
    Errors.SetOnError([&](TXLSErrorManager&, TXLSErrorLevel, const std::u16string& text) { reports.push_back(text); });
    TXLSName* bad = Add(u"Bad", u"SUM(");
    EXPECT_TRUE(bad->GetPtgs().empty());
    ASSERT_FALSE(reports.empty());
    EXPECT_NE(reports.back().find(u"4011"), std::u16string::npos);
}

using HyperlinkTest = ApiTest;

TEST_F(HyperlinkTest, ClassifiesAndEncodesTargets) {
    struct TCase {
        const char16_t* Target;
        uint8_t Type;
        const char16_t* Address;
    };
    const TCase cases[] = {
        {u"http://example.org/a b", xhltURL, u"http://example.org/a%20b"},
        {u"WWW.example.org", xhltURL, u"WWW.example.org"},
        {u"\\\\server\\share\\x y", xhltUNC, u"file:///\\\\server\\share\\x%20y"},
        {u"C:\\data\\a&b.xls", xhltFile, u"file:///C:\\data\\a%26b.xls"},
        {u"file:///tmp/x y", xhltURL, u"file:///tmp/x%20y"},
        {u"mailto:a@b.org", xhltURL, u"mailto:a@b.org"},
        {u"Sheet1!A1", xhltWorkbook, u"Sheet1!A1"},
        {u"report #1.doc", xhltFile, u"report%20%231.doc"},
    };
    TXc12Hyperlinks& links = Sheet().GetHyperlinks();
    for (const TCase& c : cases) {
        SCOPED_TRACE(base::Utf16ToUtf8(c.Target));
        TXc12Hyperlink* link = links.Add();
        link->SetAddress(c.Target);
        EXPECT_EQ(link->LinkType, c.Type);
        EXPECT_EQ(link->WrittenType, c.Type);
        EXPECT_EQ(link->GetAddress(), c.Address);
    }
    EXPECT_EQ(Errors.ErrorCount(), 0);
}

TEST_F(HyperlinkTest, WorkbookLocationKeepsAGivenTooltip) {
    TXc12Hyperlink* link = Sheet().GetHyperlinks().Add();
    link->tooltip = u"Go to the data";
    link->SetAddress(u"Sheet1!B2");
    EXPECT_EQ(link->tooltip, u"Go to the data");
    TXc12Hyperlink* plain = Sheet().GetHyperlinks().Add();
    plain->SetAddress(u"Sheet1!B2");
    EXPECT_EQ(plain->tooltip, u"#Sheet1!B2");
}

TEST(HyperlinkEncoding, ReservedCharactersAndPercent) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"%41", u"%41"},
        {u"%G1", u"%25G1"},
        {u"%4", u"%254"},
        {u"a+b,c;d=e", u"a%2Bb%2Cc%3Bd%3De"},
        {u"x@[y]^`{z}~", u"x%40%5By%5D%5E%60%7Bz%7D%7E"},
        {u"/:\\?é", u"/:\\?é"},
        {u"$\x7F", u"%24%7F"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(TXLSHyperlink::EncodeAddress(in), out) << base::Utf16ToUtf8(in);
}

using CommentsTest = ApiTest;

TEST_F(CommentsTest, OneNotePerCellAndItsRuns) {
    TXLSComments& comments = Sheet().GetComments();
    comments.Add(1, 2, u"first");
    comments.Add(1, 2, u"second");
    ASSERT_EQ(comments.GetCount(), 1);
    EXPECT_EQ(Sheet().Model().comments.Count(), 1);
    TXc12Comment& note = comments.GetItems(0)->Note();
    EXPECT_EQ(note.Text, u"second");
    ASSERT_EQ(note.FontRuns().size(), 1u);
    EXPECT_EQ(note.FontRuns()[0].Font->GetName(), u"Tahoma");
    EXPECT_EQ(note.FontRuns()[0].Font->GetStyle() & xfsBold, 0);

    comments.AuthorName = u"Ann";
    comments.Add(3, 4, u"text");
    TXc12Comment& signed_ = comments.GetItems(1)->Note();
    EXPECT_EQ(signed_.Text, u"Ann:\rtext");
    ASSERT_EQ(signed_.FontRuns().size(), 2u);
    EXPECT_NE(signed_.FontRuns()[0].Font->GetStyle() & xfsBold, 0);
    EXPECT_EQ(signed_.FontRuns()[1].FirstChar, 4);
    EXPECT_EQ(signed_.GetAuthor()->GetName(), u"Ann");
    EXPECT_EQ(comments.Find(3, 4), 1);
    comments.DeleteArea(0, 0, 2, 9);
    EXPECT_EQ(comments.GetCount(), 1);
    EXPECT_EQ(comments.Find(3, 4), 0);
    comments.Clear();
    EXPECT_EQ(Sheet().Model().comments.Count(), 0);
}

// A PNG header with its size, all the picture store needs to take an image.
std::vector<uint8_t> Png(uint32_t width, uint32_t height) {
    std::vector<uint8_t> data = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) data.push_back(static_cast<uint8_t>(v >> shift));
    data.resize(data.size() + 9);
    return data;
}

using DrawingTest = ApiTest;

TEST_F(DrawingTest, PicturesGetUniqueIdsAndOffsetsInEmu) {
    TXLSDrawing& drawing = Sheet().GetDrawing();
    const std::vector<uint8_t> png = Png(20, 10);
    base::TMemoryStream first = base::TMemoryStream::View(png.data(), static_cast<int64_t>(png.size()));
    const TXLSDrawingAnchor anchor{0, 0.5, 9, 0.25, 4, 0, 26, 1};
    TXLSDrawingImage* image = drawing.AddImage(u"logo.png", first, anchor);
    ASSERT_NE(image, nullptr);
    const TXc12TwoCellAnchor& placed = *image->Anchor();
    EXPECT_EQ(placed.Picture.Id, 1);
    EXPECT_EQ(placed.Picture.Name, u"Picture 1");
    EXPECT_EQ(placed.Picture.Descr, u"logo.png");
    EXPECT_EQ(placed.From.Col, 0);
    EXPECT_EQ(placed.From.Row, 9);
    // Half a default column and a quarter of a default row (300 twips), in EMU.
    EXPECT_EQ(placed.From.ColOff, drawing.ColOffsetEmu(0, 0.5));
    EXPECT_GT(placed.From.ColOff, 100000);
    EXPECT_EQ(placed.From.RowOff, 300 * 635 / 4);
    EXPECT_EQ(placed.To.RowOff, 300 * 635);
    // A wider column gives a larger offset for the same fraction.
    Sheet().GetColumns().GetItems(0).SetWidth(2 * XLSDefaultColWidth);
    EXPECT_NEAR(drawing.ColOffsetEmu(0, 0.5), 2.0 * placed.From.ColOff, 2 * 9525);

    // The same image again: the stored image is shared, the shape id is not.
    base::TMemoryStream second = base::TMemoryStream::View(png.data(), static_cast<int64_t>(png.size()));
    TXLSDrawingImage* again = drawing.AddImage(u"LOGO.PNG", second, anchor);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Anchor()->Picture.Image, placed.Picture.Image);
    EXPECT_NE(again->Anchor()->Picture.Id, placed.Picture.Id);
    EXPECT_EQ(drawing.Images().Count(), 2);

    // Data the store cannot identify adds nothing.
    const uint8_t junk[] = {1, 2, 3};
    base::TMemoryStream bad = base::TMemoryStream::View(junk, 3);
    EXPECT_EQ(drawing.AddImage(u"junk.png", bad, anchor), nullptr);
    EXPECT_EQ(Sheet().Model().drawing->TwoCellAnchorCount(), 2);
}

TEST_F(DrawingTest, RescanWrapsPicturesReadFromAFile) {
    auto* plain = dynamic_cast<TXc12PlainDrawing*>(Sheet().Model().drawing.get());
    ASSERT_NE(plain, nullptr);
    const std::vector<uint8_t> png = Png(4, 4);
    base::TMemoryStream data = base::TMemoryStream::View(png.data(), static_cast<int64_t>(png.size()));
    TXc12GraphicImage* image = Manager->GraphicManager().Images().AddFromFile(data, u"a.png");
    for (int id : {1005, 1002}) {
        TXc12TwoCellAnchor* anchor = plain->TwoCell.Add();
        anchor->HasPicture = true;
        anchor->Picture.Id = id;
        anchor->Picture.Image = image;
    }
    plain->TwoCell.Add();  // an anchor without a picture
    TXc12AbsoluteAnchor* absolute = plain->Absolute.Add();
    absolute->HasPicture = true;
    absolute->Picture.Id = 1009;
    plain->Read = true;
    Sheet().GetDrawing().Rescan();
    EXPECT_EQ(Sheet().GetDrawing().Images().Count(), 2);
    EXPECT_EQ(Sheet().GetDrawing().HighestShapeId(), 1009);
}

}  // namespace
}  // namespace xls::test
