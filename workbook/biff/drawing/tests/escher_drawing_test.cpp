#include <gtest/gtest.h>

#include <string>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

namespace xls {
namespace {

using namespace testing;

// A drawing with fixed text ids, so that what it writes can be compared byte for byte.
struct TFixedDrawing {
    TEscherGroup Group;
    TEscherDrawing Drawing{Group};
    TFixedDrawing() {
        Drawing.OnNewTextId = [] { return 0x1234; };
        Drawing.OnNewChart = [] { return SmallChart(); };
    }
};

std::vector<uint16_t> Ids(const std::vector<TRecord>& records) {
    std::vector<uint16_t> ids;
    for (const TRecord& r : records) ids.push_back(r.Id);
    return ids;
}

// Writes, reads back into a new drawing of a new group and writes again: the same bytes.
std::vector<uint8_t> ExpectStableRoundTrip(const TEscherDrawing& drawing) {
    const std::vector<uint8_t> first = WriteDrawing(drawing);
    TEscherGroup group;
    TEscherDrawing back(group);
    ReadDrawing(first, back);
    EXPECT_EQ(WriteDrawing(back), first);
    return first;
}

TEST(EscherDrawingTest, TextBoxWritesItsRecordsInSubstreamOrder) {
    TFixedDrawing d;
    TShapeClientAnchor& shape = d.Drawing.AddText();
    auto& text = dynamic_cast<TShapeOutsideMsoBaseText&>(*shape.ObjPart);
    EXPECT_EQ(base::LoadLE16(text.Txo().data()), 0x0212);
    ASSERT_EQ(text.Runs().size(), 2u);
    text.SetText(u"abc");
    EXPECT_EQ(d.Drawing.DrawingId, 1u);
    EXPECT_EQ(d.Drawing.Root().ShapeId, 1024u);
    EXPECT_EQ(shape.ShapeId, 1025u);
    EXPECT_EQ(shape.CmoObjectId(), 2);  // the text part took 1

    const std::vector<TRecord> records = SplitRecords(ExpectStableRoundTrip(d.Drawing));
    EXPECT_EQ(Ids(records), (std::vector<uint16_t>{BIFFRECID_MSODRAWING, BIFFRECID_OBJ, BIFFRECID_MSODRAWING,
                                                   BIFFRECID_TXO, BIFFRECID_CONTINUE, BIFFRECID_CONTINUE}));
    const std::vector<uint8_t>& dg = records[0].Data;
    const TMSOHeader container = DecodeMSOHeader(dg.data());
    EXPECT_EQ(container.Type, MSOFBT_DGCONTAINER);
    // The container counts the client text box that travels in the third record.
    EXPECT_EQ(container.Length + 8, dg.size() + 8);
    EXPECT_EQ(base::LoadLE32(&dg[16]), 2u);     // csp
    EXPECT_EQ(base::LoadLE32(&dg[20]), 1026u);  // spidCur
    EXPECT_EQ(records[2].Data.size(), 8u);
    EXPECT_EQ(base::LoadLE16(&records[3].Data[10]), 3);   // cchText
    EXPECT_EQ(base::LoadLE16(&records[3].Data[12]), 16);  // cbRuns
    EXPECT_EQ(records[4].Data, (std::vector<uint8_t>{1, 'a', 0, 'b', 0, 'c', 0}));
    EXPECT_EQ(base::LoadLE16(&records[5].Data[8]), 3);  // the last run stands at the end
}

TEST(EscherDrawingTest, EmptyTextBoxHasNoContinueRecords) {
    TFixedDrawing d;
    d.Drawing.AddText();
    const std::vector<TRecord> records = SplitRecords(ExpectStableRoundTrip(d.Drawing));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[3].Id, BIFFRECID_TXO);
    EXPECT_EQ(base::LoadLE16(&records[3].Data[12]), 0);
}

TEST(EscherDrawingTest, LongTextIsCutIntoPiecesAndReadBackWhole) {
    TFixedDrawing d;
    auto& text = dynamic_cast<TShapeOutsideMsoBaseText&>(*d.Drawing.AddText().ObjPart);
    std::u16string long5000;
    for (int i = 0; i < 5000; ++i) long5000.push_back(static_cast<char16_t>(u'A' + i % 26 + (i % 7 == 0 ? 0x4E00 : 0)));
    text.SetText(long5000);
    const std::vector<uint8_t> bytes = ExpectStableRoundTrip(d.Drawing);
    const std::vector<TRecord> records = SplitRecords(bytes);
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[4].Data.size(), 8223u);
    EXPECT_EQ(records[5].Data.size(), 1779u);
    TEscherGroup group;
    TEscherDrawing back(group);
    ReadDrawing(bytes, back);
    EXPECT_EQ(dynamic_cast<TShapeOutsideMsoBaseText&>(*back.Shapes(0).ObjPart).Text(), long5000);
    EXPECT_THROW(text.SetText(std::u16string(70000, u'x')), EBIFFError);
}

// Replaces the text records of a written text box by the given CONTINUE bodies.
std::vector<uint8_t> WithTextChunks(const std::vector<uint8_t>& written, uint16_t cchText,
                                    const std::vector<std::vector<uint8_t>>& chunks) {
    std::vector<TRecord> records = SplitRecords(written);
    base::StoreLE16(&records[3].Data[10], cchText);
    base::StoreLE16(&records[3].Data[12], 0);
    records.resize(4);
    for (const auto& chunk : chunks) records.push_back({BIFFRECID_CONTINUE, chunk});
    return JoinRecords(records);
}

std::vector<uint8_t> Chunk(bool wide, const std::string& chars) {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(wide ? 1 : 0)};
    for (char c : chars) {
        bytes.push_back(static_cast<uint8_t>(c));
        if (wide) bytes.push_back(0);
    }
    return bytes;
}

TEST(EscherDrawingTest, TxoTextIsReadByCountWhateverTheSplit) {
    TFixedDrawing d;
    d.Drawing.AddText();
    const std::vector<uint8_t> written = WriteDrawing(d.Drawing);
    struct TCase {
        const char* Name;
        std::vector<std::vector<uint8_t>> Chunks;
        uint16_t Count;
        std::u16string Text;  // empty: the read fails
    };
    const TCase cases[] = {
        {"small pieces", {Chunk(true, "ab"), Chunk(true, "cd"), Chunk(true, "e")}, 5, u"abcde"},
        {"wide then narrow", {Chunk(true, "ab"), Chunk(false, "cde")}, 5, u"abcde"},
        {"narrow only", {Chunk(false, "xyz")}, 3, u"xyz"},
        {"longer than counted", {Chunk(true, "abcdef")}, 4, u"abcd"},
        {"narrow then wide", {Chunk(false, "ab"), Chunk(true, "cd")}, 4, u""},
        {"too few characters", {Chunk(true, "ab")}, 4, u""},
        {"odd wide bytes", {{1, 'a', 0, 'b'}}, 2, u""},
        {"empty piece", {{}}, 2, u""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEscherGroup group;
        TEscherDrawing back(group);
        const std::vector<uint8_t> bytes = WithTextChunks(written, c.Count, c.Chunks);
        if (c.Text.empty()) {
            EXPECT_THROW(ReadDrawing(bytes, back), EBIFFError);
            continue;
        }
        ReadDrawing(bytes, back);
        EXPECT_EQ(dynamic_cast<TShapeOutsideMsoBaseText&>(*back.Shapes(0).ObjPart).Text(), c.Text);
    }
}

TEST(EscherDrawingTest, NotesKeepCellAuthorAndVisibilityThroughTheirNoteRecords) {
    TFixedDrawing d;
    d.Drawing.NoteFontIndex = 5;
    TShapeClientAnchor& shape = d.Drawing.AddNote();
    auto& note = dynamic_cast<TShapeOutsideMsoNote&>(*shape.ObjPart);
    EXPECT_EQ(base::LoadLE16(note.Runs()[0].data() + 2), 5);
    note.SetText(u"Degrees");
    note.Col = 3;
    note.Row = 7;
    note.NoteFlags = 2;
    note.Author = u"记录仪";
    d.Drawing.AddNote();  // a second one without author
    const std::vector<uint8_t> bytes = ExpectStableRoundTrip(d.Drawing);
    const std::vector<TRecord> records = SplitRecords(bytes);
    ASSERT_EQ(records.back().Id, BIFFRECID_NOTE);
    EXPECT_EQ(records.back().Data.size(), 11u);
    EXPECT_EQ(records[records.size() - 2].Data.size(), 11u + 6);

    TEscherGroup group;
    TEscherDrawing back(group);
    ReadDrawing(bytes, back);
    auto& read = dynamic_cast<TShapeOutsideMsoNote&>(*back.Shapes(0).ObjPart);
    EXPECT_EQ(read.Text(), u"Degrees");
    EXPECT_EQ(read.Col, 3);
    EXPECT_EQ(read.Row, 7);
    EXPECT_EQ(read.Author, u"记录仪");
    EXPECT_EQ(dynamic_cast<TShapeClientAnchor&>(back.Shapes(0)).Visible, 1);
    EXPECT_EQ(dynamic_cast<TShapeClientAnchor&>(back.Shapes(1)).Visible, 0);
    try {
        back.AssignNote(0, 0, u"", 7, 0);
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Can not find shape for note #7");
    }
}

TEST(EscherDrawingTest, ChartShapeIsFollowedByItsSubstreamAndNoText) {
    TFixedDrawing d;
    TShapeClientAnchor& chart = d.Drawing.AddChart();
    TDrwAnchor anchor;
    anchor.SetShape(&chart);
    EXPECT_EQ((std::vector<int>{anchor.Col1(), anchor.Row1(), anchor.Col2(), anchor.Row2()}),
              (std::vector<int>{2, 1, 8, 16}));
    anchor.SetCol1(0);
    anchor.SetRow1(9);
    anchor.SetCol2(4);
    anchor.SetRow2(26);
    EXPECT_EQ(chart.CmoObjectType(), OBJTYPE_CHART);
    const std::vector<TRecord> records = SplitRecords(ExpectStableRoundTrip(d.Drawing));
    EXPECT_EQ(Ids(records),
              (std::vector<uint16_t>{BIFFRECID_MSODRAWING, BIFFRECID_OBJ, BIFFRECID_BOF, 0x1002, BIFFRECID_EOF}));

    TEscherGroup group;
    TEscherDrawing noFactory(group);
    EXPECT_THROW(noFactory.AddChart(), EBIFFError);
}

TEST(EscherDrawingTest, EveryTemplateRoundTripsAndObjectIdsFollowEachOther) {
    TFixedDrawing d;
    d.Drawing.AddText();
    TShapeClientAnchor& line = d.Drawing.AddLine();
    EXPECT_EQ(line.CmoObjectId(), 3);
    EXPECT_EQ(d.Drawing.AddAutoShape().CmoObjectId(), 4);
    TShapeClientAnchor& picture = d.Drawing.AddPicture();
    EXPECT_EQ(picture.Properties.Items(0).IdWord, MSOPROP_PIB | MSOPROP_FBID);
    EXPECT_EQ(picture.Properties.GetString(MSOPROP_PIBNAME), u"[???]");
    EXPECT_EQ(picture.Anchor.Flags, 2u);
    ASSERT_EQ(picture.ObjSubrecords.size(), 4u);
    EXPECT_EQ(picture.ObjSubrecords[1].Ft, OBJ_FTCF);
    d.Drawing.AddNote();
    d.Drawing.AddChart();
    line.SetShapeType(1);
    EXPECT_EQ(line.CmoObjectType(), OBJTYPE_RECTANGLE);
    line.SetButtonFlags();
    EXPECT_EQ(line.Properties.PropertyCount(), 8);
    ExpectStableRoundTrip(d.Drawing);
}

TEST(EscherDrawingTest, ClustersFollowTheirPositionAcrossDrawingsAndReports) {
    TEscherGroup group;
    auto first = std::make_unique<TEscherDrawing>(group);
    first->OnNewChart = [] { return SmallChart(); };
    EXPECT_EQ(first->AddText().ShapeId, 1025u);
    TEscherDrawing second(group);
    second.AddLine();
    EXPECT_EQ(second.Root().ShapeId, 2048u);
    EXPECT_EQ(second.DrawingId, 2u);

    // Deleting the only shape frees the cluster; the next shape registers the drawing anew.
    const uint32_t only = second.Shapes(0).ShapeId;
    second.DeleteShape(9999);  // none: nothing happens
    EXPECT_EQ(second.ShapeCount(), 1);
    second.DeleteShape(only);
    EXPECT_EQ(second.DrawingId, 0u);
    EXPECT_EQ(group.Clusters.Items.size(), 1u);

    // A run of reports: each clears its chart and adds a new one; the shape ids stay those of
    // the cluster's position instead of climbing by 1024 each time.
    for (int report = 0; report < 3; ++report) {
        first->Clear();
        EXPECT_TRUE(group.Clusters.Items.empty());
        TShapeClientAnchor& chart = first->AddChart();
        EXPECT_EQ(chart.ShapeId, 1025u) << report;
        EXPECT_EQ(first->DrawingId, 1u);
    }
    // Drawing ids are not handed out twice even when a lower cluster went away.
    second.AddLine();
    EXPECT_EQ(second.DrawingId, 2u);
    EXPECT_EQ(second.Root().ShapeId, 2048u);
    first.reset();
    TEscherDrawing third(group);
    third.AddLine();
    EXPECT_NE(third.DrawingId, second.DrawingId);
}

TEST(EscherDrawingTest, UnknownShapeRecordsAreKeptAfterTheProperties) {
    TFixedDrawing d;
    TShapeClientAnchor& shape = d.Drawing.AddAutoShape();
    shape.KeptRecords = std::make_unique<TMSORecords>();
    const uint8_t body[6] = {1, 2, 3, 4, 5, 6};
    shape.KeptRecords->Add({0, 0, 0xF11F, 6}, body);
    shape.TertiaryProperties.Add(0x3A, 1);
    const std::vector<uint8_t> bytes = ExpectStableRoundTrip(d.Drawing);
    TEscherGroup group;
    TEscherDrawing back(group);
    ReadDrawing(bytes, back);
    ASSERT_TRUE(back.Shapes(0).KeptRecords);
    EXPECT_EQ(back.Shapes(0).KeptRecords->Items(0).size(), 14u);
}

TEST(EscherDrawingTest, ShapeRecordsBeyondOneRecordGoOnInContinueRecords) {
    TFixedDrawing d;
    TShapeClientAnchor& shape = d.Drawing.AddAutoShape();
    shape.Properties.AddString(0x380, std::u16string(20000, u'n'));  // a 40,002-byte name
    shape.Properties.SetCountToItems();
    TOPT& second = d.Drawing.AddAutoShape().Properties;
    second.AddString(0x380, std::u16string(40000, u'm'));
    second.SetCountToItems();
    const std::vector<uint8_t> bytes = ExpectStableRoundTrip(d.Drawing);
    for (const TRecord& r : SplitRecords(bytes)) EXPECT_LE(r.Data.size(), 8224u);
    TEscherGroup group;
    TEscherDrawing back(group);
    ReadDrawing(bytes, back);
    EXPECT_EQ(back.Shapes(0).Properties.GetString(0x380).size(), 20000u);

    // An OBJ record cannot be continued: one too large is refused, not wrapped.
    TFixedDrawing big;
    big.Drawing.AddLine().ObjSubrecords.insert(big.Drawing.Shapes(0).ObjSubrecords.begin() + 1,
                                               {0x0009, std::vector<uint8_t>(9000)});
    try {
        WriteDrawing(big.Drawing);
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_NE(e.Message().find("too large"), std::string::npos);
    }
}

TEST(EscherDrawingTest, CopiesTakeEverythingButIdsAndRefuseCharts) {
    TFixedDrawing d;
    TShapeClientAnchor& note = d.Drawing.AddNote();
    dynamic_cast<TShapeOutsideMsoNote&>(*note.ObjPart).SetText(u"copy me");
    dynamic_cast<TShapeOutsideMsoNote&>(*note.ObjPart).Author = u"me";
    note.Anchor.ColL = 9;
    TShapeClientAnchor copy;
    note.CopyTo(copy, &d.Drawing);
    EXPECT_EQ(copy.ShapeId, 0u);
    EXPECT_EQ(copy.Anchor.ColL, 9u);
    auto& copiedNote = dynamic_cast<TShapeOutsideMsoNote&>(*copy.ObjPart);
    EXPECT_EQ(copiedNote.Text(), u"copy me");
    EXPECT_EQ(copiedNote.Author, u"me");
    EXPECT_EQ(copiedNote.ObjId, 0);
    EXPECT_EQ(copy.Properties.Count(), note.Properties.Count());

    TShapeClientAnchor chartCopy;
    try {
        d.Drawing.AddChart().CopyTo(chartCopy, &d.Drawing);
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Wrong type of shape in Assign");
    }

    TShapeGroupClientAnchor group;
    group.Add(std::make_unique<TShapeChildAnchor>());
    TShapeGroupClientAnchor groupCopy;
    group.CopyTo(groupCopy, &d.Drawing);
    ASSERT_EQ(groupCopy.Count(), 1);
    EXPECT_NE(groupCopy.Items(0).ShapeId, 0u);
    group.Add(std::make_unique<TShapeClientAnchor>());
    TShapeGroupClientAnchor badCopy;
    EXPECT_THROW(group.CopyTo(badCopy, &d.Drawing), EBIFFError);
}

}  // namespace
}  // namespace xls
