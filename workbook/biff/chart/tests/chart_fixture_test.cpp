#include <gtest/gtest.h>

#include <string>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/biff/xls_stream.h"

namespace xls::testing {
namespace {

// Charts of workbooks that perl's Spreadsheet::WriteExcel and LibreOffice wrote
// (fixtures/make_chart_fixtures.py).
class ChartFixtureTest : public ::testing::Test {
protected:
    TTestChartWorkbook Workbook;
    TTestChartOwner Owner{Workbook};
    TDrwCharts Charts{Owner, Workbook};
    // Each chart substream as the file holds it, and its tree.
    std::vector<std::vector<uint8_t>> Originals;
    std::vector<TChartRecord*> Roots;

    // Reads the workbook's fonts and EXTERNSHEET entries, and every chart substream.
    void Read(const std::string& name) {
        TXLSStream stream;
        stream.Open(std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/chart/tests/fixtures/" + name);
        stream.Seek(0, 0);
        for (;;) {
            const int64_t start = stream.Position();
            TBIFFHeader header;
            if (stream.ReadHeader(header) < 4) break;
            std::vector<uint8_t> data(header.Length);
            stream.ReadPlain(data.data(), header.Length);
            if (header.RecID == CHARTRECID_BOF && data.size() >= 4 && base::LoadLE16(data.data() + 2) == 0x0020) {
                stream.Seek(start, 0);
                TChartRecord& root = Owner.NewRoot();
                root.LoadFromStream(stream);
                const int64_t end = stream.Position();
                std::vector<uint8_t> original(end - start);
                stream.Seek(start, 0);
                stream.ReadPlain(original.data(), end - start);
                Originals.push_back(std::move(original));
                Roots.push_back(&root);
            } else if (header.RecID == 0x0031) {
                Workbook.AddFileFont(u"Arial", 10);
            } else if (header.RecID == 0x0017) {
                base::TByteReader reader(data);
                for (int n = reader.U16LE(); n > 0; --n) {
                    reader.U16LE();
                    Workbook.ExternSheets.push_back(reader.U16LE());
                    reader.U16LE();
                }
            }
        }
    }
};

TEST_F(ChartFixtureTest, WriteExcelChartsReadAndWriteBackUnchanged) {
    Read("writeexcel_charts.xls");
    ASSERT_EQ(Roots.size(), 3u);
    for (size_t i = 0; i < Roots.size(); ++i) EXPECT_EQ(SaveBytes(*Roots[i]), Originals[i]) << "chart " << i;

    TDrwChart& line = Charts.AddFromShape(*Roots[0]);
    EXPECT_NE(dynamic_cast<TChartStyleLine*>(line.PlotArea().Style()), nullptr);
    ASSERT_EQ(line.Series().Count(), 2);
    EXPECT_EQ(line.Series().GetItems(0).Values(), u"Sheet1!$B$2:$B$11");
    EXPECT_EQ(line.Series().GetItems(0).Category(), u"Sheet1!$A$2:$A$11");
    EXPECT_EQ(line.Series().GetItems(0).SerieName(), u"Sheet1!$B$1");
    EXPECT_EQ(line.Series().GetItems(1).SerieName(), u"\"Humidity\"");
    EXPECT_EQ(line.Labels().Count(), 1);

    TDrwChart& column = Charts.AddFromShape(*Roots[1]);
    EXPECT_EQ(column.PlotArea().GetChartType(), 3);
    TDrwChart& pie = Charts.AddFromShape(*Roots[2]);
    EXPECT_NE(dynamic_cast<TChartStylePie*>(pie.PlotArea().Style()), nullptr);
    for (size_t i = 0; i < Roots.size(); ++i) EXPECT_EQ(SaveBytes(*Roots[i]), Originals[i]) << "chart " << i;

    // Changed through the views, the chart is written with the change and reads back with it.
    line.Series().GetItems(1).SetValues(u"Sheet1!$C$2:$C$5");
    line.PlotArea().SetHasLegend(false);
    TChartRecord& copy = Owner.NewRoot();
    LoadBytes(copy, SaveBytes(*Roots[0]));
    TDrwChart& changed = Charts.AddFromShape(copy);
    EXPECT_EQ(changed.Series().GetItems(1).Values(), u"Sheet1!$C$2:$C$5");
    EXPECT_EQ(changed.Series().GetItems(1).SeriesRecord()->Word(6), 4);
    EXPECT_FALSE(changed.PlotArea().GetHasLegend());
}

TEST_F(ChartFixtureTest, LibreOfficeChartReadsAndWritesBackUnchanged) {
    Read("libreoffice_line.xls");
    ASSERT_EQ(Roots.size(), 1u);
    EXPECT_EQ(SaveBytes(*Roots[0], &Owner), Originals[0]);
    TDrwChart& chart = Charts.AddFromShape(*Roots[0]);
    EXPECT_NE(dynamic_cast<TChartStyleLine*>(chart.PlotArea().Style()), nullptr);
    ASSERT_EQ(chart.Series().Count(), 2);
    EXPECT_EQ(chart.Series().GetItems(0).Values(), u"Sheet1!$B$2:$B$11");
    EXPECT_EQ(chart.Series().GetItems(1).Values(), u"Sheet1!$C$2:$C$11");
    EXPECT_EQ(chart.Series().GetItems(0).Category(), u"Sheet1!$A$2:$A$11");
    // LibreOffice links the names relatively.
    EXPECT_EQ(chart.Series().GetItems(0).SerieName(), u"Sheet1!B1");
    EXPECT_EQ(chart.Series().GetItems(1).SerieName(), u"Sheet1!C1");
    EXPECT_EQ(SaveBytes(*Roots[0], &Owner), Originals[0]);
}

}  // namespace
}  // namespace xls::testing
