#include "workbook/biff/chart/chart_record.h"

#include <gtest/gtest.h>

#include "workbook/biff/chart/chart_defaults.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {
namespace {

class ChartRecordTest : public ::testing::Test {
protected:
    TTestChartWorkbook Workbook;
    TTestChartOwner Owner{Workbook};
};

// The ids a default set gives when written: Begin/End as they stand, set 1 in place of its entry.
std::vector<uint16_t> WrittenIds(int kind) {
    std::vector<uint16_t> ids;
    for (const TDefaultRecord& entry : ChartDefaultSet(kind)) {
        if (entry.RecId == CHARTRECID_LEGENDSET) {
            for (uint16_t id : WrittenIds(1)) ids.push_back(id);
        } else {
            ids.push_back(entry.RecId);
        }
    }
    return ids;
}

TEST_F(ChartRecordTest, NewChartIsWrittenAsItsDefaultSetWithRealFontsOfOneIndexConvention) {
    TXc12Font& normal = *Workbook.Fonts().GetItems(0);
    normal.SetName(u"Arial");
    normal.SetSize(10);
    Workbook.AddFileFont(u"Arial", 10);
    TChartRecord& root = Owner.NewRoot();
    const int fontsBefore = Workbook.Fonts().Count();
    root.AddDefaultRecords(0);
    ASSERT_EQ(Workbook.Fonts().Count(), fontsBefore + 2);

    const std::vector<TRawRecord> records = SplitRecords(SaveBytes(root));
    std::vector<uint16_t> ids;
    for (const TRawRecord& r : records) ids.push_back(r.Id);
    EXPECT_EQ(ids, WrittenIds(0));
    EXPECT_EQ(records.front().Data, Hex("00 06 20 00 46 18 cd 07 c1 80 00 00 06 02 00 00"));
    for (const TRawRecord& r : records) {
        if (r.Id == CHARTRECID_BEGIN || r.Id == CHARTRECID_END) {
            EXPECT_TRUE(r.Data.empty());
        }
    }

    // Each Fbi names one of the two new fonts by the index every record of the file uses for
    // it, and the FontX of each default text names the same font.
    std::vector<int> fbiIndexes, fontXIndexes;
    for (const TRawRecord& r : records) {
        if (r.Id == CHARTRECID_FBI) {
            ASSERT_EQ(r.Data.size(), 10u);
            fbiIndexes.push_back(r.Data[8] | r.Data[9] << 8);
        }
        if (r.Id == CHARTRECID_FONTX) fontXIndexes.push_back(r.Data[0] | r.Data[1] << 8);
    }
    ASSERT_EQ(fbiIndexes.size(), 2u);
    EXPECT_EQ(fbiIndexes, fontXIndexes);
    for (int k = 0; k < 2; ++k) {
        TXc12Font& font = *Workbook.Fonts().GetItems(fontsBefore + k);
        EXPECT_EQ(fbiIndexes[k], Workbook.FontFileIndex(font));
        EXPECT_EQ(fbiIndexes[k], fontsBefore + k - 1);
        EXPECT_EQ(font.GetName(), u"Arial");
        EXPECT_EQ(font.GetSize(), 10);
        EXPECT_TRUE(font.BuiltIn());
    }
}

TEST_F(ChartRecordTest, WrittenChartReadsBackAndWritesTheSameBytes) {
    TChartRecord& root = Owner.NewRoot();
    root.AddDefaultRecords(0);
    const std::vector<uint8_t> first = SaveBytes(root);

    TChartRecord& copy = Owner.NewRoot();
    EXPECT_EQ(LoadBytes(copy, first), static_cast<int64_t>(first.size()));
    EXPECT_EQ(SaveBytes(copy), first);
    // The fonts of the copy are the fonts the Fbi records name, not new ones.
    EXPECT_EQ(copy.Items(7).Font(), root.Items(7).Font());
}

TEST_F(ChartRecordTest, ReadingNormalisesNestingSmallDrawingsAndGelFrames) {
    // Per row: the records read, the records written back.
    std::vector<uint8_t> gel(9000);
    for (size_t i = 0; i < gel.size(); ++i) gel[i] = static_cast<uint8_t>(i * 7);
    const std::vector<uint8_t> gelHead(gel.begin(), gel.begin() + 100);
    const std::vector<uint8_t> gelTail(gel.begin() + 100, gel.end());
    const std::vector<uint8_t> gelFirst(gel.begin(), gel.begin() + 8224);
    const std::vector<uint8_t> gelRest(gel.begin() + 8224, gel.end());
    struct Case {
        const char* Name;
        std::vector<TRawRecord> In, Out;
    };
    const Case cases[] = {
        {"Begin with data is written with length 0",
         {{0x1002, {1, 2}}, {CHARTRECID_BEGIN, {9, 9}}, {0x1001, {}}, {CHARTRECID_END, {7}}},
         {{0x1002, {1, 2}}, {CHARTRECID_BEGIN, {}}, {0x1001, {}}, {CHARTRECID_END, {}}}},
        {"an empty Begin/End pair disappears",
         {{0x1002, {}}, {CHARTRECID_BEGIN, {}}, {CHARTRECID_END, {}}},
         {{0x1002, {}}}},
        {"a small MsoDrawing is dropped",
         {{0x1001, {}}, {CHARTRECID_MSODRAWING, std::vector<uint8_t>(80, 1)}},
         {{0x1001, {}}}},
        {"GelFrame and its continuations are joined and split at 8224",
         {{BIFFRECID_GELFRAME, gelHead}, {BIFFRECID_CONTINUE, gelTail}},
         {{BIFFRECID_GELFRAME, gelFirst}, {BIFFRECID_CONTINUE, gelRest}}},
        {"EOF inside a level closes the open levels and ends the substream",
         {{0x1002, {}}, {CHARTRECID_BEGIN, {}}, {0x1001, {}}, {CHARTRECID_EOF, {}}},
         {{0x1002, {}}, {CHARTRECID_BEGIN, {}}, {0x1001, {}}, {CHARTRECID_END, {}}, {CHARTRECID_EOF, {}}}},
        {"an End turned into Begin nests the rest, closed before the EOF",
         {{0x1002, {}},
          {CHARTRECID_BEGIN, {}},
          {0x1001, {}},
          {CHARTRECID_BEGIN, {}},
          {0x1003, {}},
          {CHARTRECID_EOF, {}}},
         {{0x1002, {}},
          {CHARTRECID_BEGIN, {}},
          {0x1001, {}},
          {CHARTRECID_BEGIN, {}},
          {0x1003, {}},
          {CHARTRECID_END, {}},
          {CHARTRECID_END, {}},
          {CHARTRECID_EOF, {}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TChartRecord& root = Owner.NewRoot();
        LoadBytes(root, JoinRecords(c.In));
        EXPECT_EQ(SplitRecords(SaveBytes(root)), c.Out);
    }
}

TEST_F(ChartRecordTest, ReadingStopsAtTheSubstreamsEof) {
    // What follows a chart's EOF belongs to the sheet: it is left in the stream.
    const std::vector<TRawRecord> in = {{CHARTRECID_BOF, Hex("00 06 20 00")},
                                        {0x1002, {}},
                                        {CHARTRECID_BEGIN, {}},
                                        {CHARTRECID_EOF, {}},
                                        {0x0006, {1, 2, 3}}};
    const std::vector<uint8_t> bytes = JoinRecords(in);
    TChartRecord& root = Owner.NewRoot();
    EXPECT_EQ(LoadBytes(root, bytes), static_cast<int64_t>(bytes.size()) - 7);
}

TEST_F(ChartRecordTest, LargeDrawingGoesToTheOwner) {
    const std::vector<uint8_t> drawing(200, 0x5A);
    const std::vector<TRawRecord> in = {{0x1001, {}}, {CHARTRECID_MSODRAWING, drawing}, {CHARTRECID_EOF, {}}};
    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, JoinRecords(in));
    EXPECT_EQ(root.Count(), 3);
    EXPECT_EQ(SplitRecords(SaveBytes(root, &Owner)), in);
}

TEST_F(ChartRecordTest, HostileSubstreamsGiveClearErrors) {
    Workbook.AddFileFont(u"Arial", 10);
    std::vector<TRawRecord> deep;
    for (int i = 0; i < 100; ++i) {
        deep.push_back({0x1002, {}});
        deep.push_back({CHARTRECID_BEGIN, {}});
    }
    struct Case {
        const char* Name;
        std::vector<TRawRecord> In;
        const char* Message;
    };
    const Case cases[] = {
        {"Begin without a record before it", {{CHARTRECID_BEGIN, {}}}, "List index out of bounds (-1)"},
        {"nesting without end", deep, "Chart records are nested too deeply"},
        {"FontX naming no font", {{CHARTRECID_FONTX, {9, 0}}}, "List index out of bounds (9)"},
        {"FontX without its index", {{CHARTRECID_FONTX, {9}}}, "FontX record is too short"},
        {"Fbi cut short", {{CHARTRECID_FBI, {1, 2, 3}}}, "Fbi record is too short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TChartRecord& root = Owner.NewRoot();
        try {
            LoadBytes(root, JoinRecords(c.In));
            ADD_FAILURE() << "no error";
        } catch (const EXLSError& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
    }
}

TEST_F(ChartRecordTest, StreamEndingInsideARecordKeepsWhatWasRead) {
    std::vector<uint8_t> bytes =
        JoinRecords({{0x1002, {}}, {CHARTRECID_BEGIN, {}}, {0x1001, {1, 2}}, {0x1003, {1, 2, 3, 4}}});
    bytes.resize(bytes.size() - 2);
    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, bytes);
    ASSERT_EQ(root.Count(), 1);
    ASSERT_EQ(root.Items(0).Count(), 1);
    EXPECT_EQ(root.Items(0).Items(0).RecId(), 0x1001);
}

TEST_F(ChartRecordTest, FontXResolvesThroughFbiOrTheFontList) {
    TXc12Font& first = Workbook.AddFileFont(u"Arial", 10);
    TXc12Font& second = Workbook.AddFileFont(u"Arial", 12);
    // An Fbi naming file font 1, a FontX naming it, and one naming file font 0 directly.
    const std::vector<TRawRecord> in = {
        {CHARTRECID_FBI, Hex("08 16 57 12 a0 00 00 00 01 00")}, {CHARTRECID_FONTX, {1, 0}}, {CHARTRECID_FONTX, {0, 0}}};
    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, JoinRecords(in));
    EXPECT_EQ(root.Items(0).Font(), &second);
    EXPECT_EQ(root.Items(1).Font(), &second);
    EXPECT_EQ(root.Items(2).Font(), &first);
    EXPECT_TRUE(second.BuiltIn());
    EXPECT_EQ(root.FindFbiFont(1), &second);
    EXPECT_EQ(root.FindFbiFont(0), nullptr);

    // The root's last record an Fbi: a font index that none matches is an error.
    TChartRecord& other = Owner.NewRoot();
    LoadBytes(other, JoinRecords({{CHARTRECID_FBI, Hex("08 16 57 12 a0 00 00 00 01 00")}}));
    EXPECT_THROW(other.FindFbiFont(0), EXLSError);
}

TEST_F(ChartRecordTest, TreeOperations) {
    TChartRecord& root = Owner.NewRoot();
    TChartRecord& a = root.InsertRecord(-1, 0x1001, false, 2);
    root.InsertRecord(0, 0x1002, true, 0);
    root.InsertRecord(1, 0x1001, false, 0);
    EXPECT_EQ(root.IndexOfRecord(0x1001), 1);
    EXPECT_EQ(root.IndexOf(a), 2);
    EXPECT_NE(dynamic_cast<TChartRecordUpdate*>(&root.Items(0)), nullptr);
    EXPECT_TRUE(root.DeleteRecord(0x1001));
    EXPECT_EQ(root.IndexOfRecord(0x1001), 1);
    EXPECT_FALSE(root.DeleteRecord(0x1050));
    EXPECT_EQ(&a.Root(), &root);
    EXPECT_EQ(&a.Owner(), &Owner);

    a.SetWord(0, 0xBEEF);
    a.Resize(3);
    EXPECT_EQ(a.Length(), 5);
    EXPECT_EQ(a.Word(0), 0xBEEF);
    a.Resize(-4);
    EXPECT_EQ(a.Length(), 1);
    EXPECT_THROW(a.Word(0), EXLSError);
    // One BIFF8 record holds 8224 bytes: a record is never grown past what its length can say.
    EXPECT_THROW(a.Resize(8224), EXLSError);
    EXPECT_EQ(a.Length(), 1);
}

}  // namespace
}  // namespace xls::testing
