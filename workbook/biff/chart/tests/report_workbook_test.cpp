#include "workbook/biff/chart/tests/report_workbook.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/xls_stream.h"

namespace xls::testing {
namespace {

// The drawing group record, then the sheet's records from its MSODRAWING to the chart's EOF.
std::vector<test::TRecord> DrawingRecords(const std::vector<uint8_t>& stream) {
    const std::vector<test::TRecord> records = test::SplitRecords(stream);
    std::vector<test::TRecord> result;
    bool inDrawing = false;
    for (const test::TRecord& r : records) {
        if (r.Id == 0x00EB) result.push_back(r);
        inDrawing = inDrawing || r.Id == 0x00EC;
        if (!inDrawing) continue;
        result.push_back(r);
        if (r.Id == CHARTRECID_EOF) break;
    }
    return result;
}

// The data of every record with the id, in stream order.
std::vector<std::vector<uint8_t>> RecordsWithId(const std::vector<uint8_t>& stream, uint16_t id) {
    std::vector<std::vector<uint8_t>> result;
    for (const test::TRecord& r : test::SplitRecords(stream))
        if (r.Id == id) result.push_back(r.Data);
    return result;
}

TEST(ReportWorkbookTest, LaterReportsWriteTheSameDrawingAndChartAsTheFirst) {
    TReportWorkbook first;
    first.FillRows(50);
    first.AddReportChart(78);
    const std::vector<uint8_t> onceStream = first.WriteStream();
    const std::vector<test::TRecord> once = DrawingRecords(onceStream);

    TReportWorkbook run;
    run.FillRows(50);
    for (int report = 0; report < 3; ++report) run.AddReportChart(78);
    EXPECT_EQ(run.ChartShapeCount(), 1);
    const std::vector<uint8_t> thirdStream = run.WriteStream();
    const std::vector<test::TRecord> third = DrawingRecords(thirdStream);

    // The same font list: each report's chart leaves with the fonts it made.
    EXPECT_EQ(RecordsWithId(thirdStream, 0x0031), RecordsWithId(onceStream, 0x0031));
    // The same drawing group, drawing (shape ids of the first cluster) and chart records, Fbi
    // and FontX font indexes included, but for the chart's object id: a later chart gets one of
    // its own.
    ASSERT_EQ(third.size(), once.size());
    for (size_t i = 0; i < once.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(third[i].Id, once[i].Id);
        std::vector<uint8_t> a = once[i].Data, b = third[i].Data;
        if (once[i].Id == 0x005D && a.size() >= 8 && a.size() == b.size()) a[6] = a[7] = b[6] = b[7] = 0;
        EXPECT_EQ(b, a);
    }
    // The group, the sheet's MSODRAWING, the chart's OBJ and its substream with two series.
    std::vector<uint16_t> ids;
    for (const test::TRecord& r : once) ids.push_back(r.Id);
    ASSERT_GE(ids.size(), 4u);
    EXPECT_EQ(ids[0], 0x00EB);
    EXPECT_EQ(ids[1], 0x00EC);
    EXPECT_EQ(ids[2], 0x005D);
    EXPECT_EQ(ids[3], CHARTRECID_BOF);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), CHARTRECID_SERIES), 2);
}

}  // namespace
}  // namespace xls::testing
