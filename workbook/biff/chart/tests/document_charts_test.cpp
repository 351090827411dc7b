#include "workbook/biff/chart/document_charts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/tests/biff_test_workbook.h"

namespace xls {
namespace {

constexpr uint16_t MsoDrawingGroup = 0x00EB;
constexpr uint16_t MsoDrawing = 0x00EC;
constexpr uint16_t Obj = 0x005D;
constexpr uint16_t ClientAnchorType = 0xF010;

// Per sheet substream (after the globals), the record ids from the MSODRAWING to the chart's EOF.
std::vector<std::vector<uint16_t>> SheetDrawingIds(const std::vector<test::TRecord>& records) {
    std::vector<std::vector<uint16_t>> sheets;
    bool inDrawing = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const test::TRecord& r = records[i];
        // A worksheet BOF (type 0x10) starts a sheet; the chart's BOF (type 0x20) does not.
        if (r.Id == 0x0809 && r.Word(2) == 0x0010) {
            sheets.emplace_back();
            inDrawing = false;
        }
        if (sheets.empty()) continue;
        inDrawing = inDrawing || r.Id == MsoDrawing;
        if (inDrawing) sheets.back().push_back(r.Id);
        if (inDrawing && r.Id == CHARTRECID_EOF) inDrawing = false;
    }
    return sheets;
}

// The cells of the first client anchor in the sheet's MSODRAWING: col1, row1, col2, row2.
std::array<uint16_t, 4> AnchorCells(const test::TRecord& drawing) {
    const std::vector<uint8_t>& d = drawing.Data;
    for (size_t at = 0; at + 26 <= d.size(); ++at)
        if (base::LoadLE16(d.data() + at + 2) == ClientAnchorType && base::LoadLE32(d.data() + at + 4) == 18)
            return {drawing.Word(at + 10), drawing.Word(at + 14), drawing.Word(at + 18), drawing.Word(at + 22)};
    ADD_FAILURE() << "no client anchor";
    return {};
}

class DocumentChartsTest : public ::testing::Test {
protected:
    DocumentChartsTest() {
        Book.AddSheet(u"Sheet2");
        AttachDrawingLayer(*Book.Document);
    }
    TSheet& Sheet(int i) { return Book.Document->GetSheet(i); }
    test::TBIFFTestWorkbook Book;
};

TEST_F(DocumentChartsTest, AddedChartsAreWrittenInTheirSheetsWithTheirAnchors) {
    TDrwChart& first = Sheet(0).AddChart();
    EXPECT_EQ(first.Series().Count(), 1);
    ASSERT_NE(first.PlotArea().Style(), nullptr);
    first.PlotArea().SetChartType(4);
    first.Anchor().SetCol1(0);
    first.Anchor().SetRow1(9);
    first.Anchor().SetCol2(4);
    first.Anchor().SetRow2(26);
    TDrwChart& second = Sheet(1).AddChart();
    second.Series().Add();
    second.Anchor().SetCol1(2);
    second.Anchor().SetRow1(3);
    second.Anchor().SetCol2(7);
    second.Anchor().SetRow2(12);
    EXPECT_EQ(Sheet(0).Charts().Count(), 1);
    EXPECT_EQ(Sheet(1).Charts().Count(), 1);

    const std::vector<test::TRecord> records = test::SplitRecords(Book.WriteStream());
    EXPECT_EQ(test::RecordsOf(records, MsoDrawingGroup).size(), 1u);
    const auto sheets = SheetDrawingIds(records);
    ASSERT_EQ(sheets.size(), 2u);
    for (size_t s = 0; s < 2; ++s) {
        SCOPED_TRACE(s);
        ASSERT_GE(sheets[s].size(), 4u);
        EXPECT_EQ(sheets[s][0], MsoDrawing);
        EXPECT_EQ(sheets[s][1], Obj);
        EXPECT_EQ(sheets[s][2], CHARTRECID_BOF);
        EXPECT_EQ(sheets[s].back(), CHARTRECID_EOF);
        EXPECT_EQ(std::count(sheets[s].begin(), sheets[s].end(), CHARTRECID_SERIES), static_cast<long>(s + 1));
    }
    const auto drawings = test::RecordsOf(records, MsoDrawing);
    ASSERT_EQ(drawings.size(), 2u);
    EXPECT_EQ(AnchorCells(*drawings[0]), (std::array<uint16_t, 4>{0, 9, 4, 26}));
    EXPECT_EQ(AnchorCells(*drawings[1]), (std::array<uint16_t, 4>{2, 3, 7, 12}));
}

TEST_F(DocumentChartsTest, ClearedChartsLeaveNoDrawingBehind) {
    Sheet(0).AddChart();
    Sheet(0).AddChart();
    EXPECT_EQ(Sheet(0).EscherDrawing->ShapeCount(), 2);
    Sheet(0).Charts().Clear();
    EXPECT_EQ(Sheet(0).Charts().Count(), 0);
    EXPECT_EQ(Sheet(0).EscherDrawing->ShapeCount(), 0);
    const std::vector<test::TRecord> records = test::SplitRecords(Book.WriteStream());
    EXPECT_TRUE(test::RecordsOf(records, MsoDrawing).empty());
    EXPECT_TRUE(test::RecordsOf(records, Obj).empty());

    // Clearing the sheet takes its charts too, and a chart can be added again.
    Sheet(1).AddChart();
    Sheet(1).Clear();
    EXPECT_EQ(Sheet(1).Charts().Count(), 0);
    EXPECT_EQ(Sheet(1).AddChart().Series().Count(), 1);
    EXPECT_EQ(test::RecordsOf(test::SplitRecords(Book.WriteStream()), MsoDrawing).size(), 1u);
}

TEST(DocumentChartsWithoutLayerTest, ChartsOfADocumentWithoutDrawingLayerRaise) {
    test::TBIFFTestWorkbook book;
    EXPECT_THROW(book.Document->GetSheet(0).AddChart(), EBIFFError);
    EXPECT_THROW(book.Document->GetSheet(0).Charts(), EBIFFError);
}

}  // namespace
}  // namespace xls
