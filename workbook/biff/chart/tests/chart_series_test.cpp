#include "workbook/biff/chart/chart_series.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/text_encoding.h"

#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {
namespace {

class ChartSeriesTest : public ::testing::Test {
protected:
    TTestChartWorkbook Workbook;
    TTestChartOwner Owner{Workbook};
    TDrwCharts Charts{Owner, Workbook};
    TDrwChart& Chart = Charts.Add(0);
    TXLSChartSerie& Serie = Chart.Series().GetItems(0);

    uint16_t ValueCount() const { return Serie.SeriesRecord()->Word(6); }
};

TEST_F(ChartSeriesTest, ValueCountFollowsTheValuesArea) {
    struct Case {
        const char16_t* Values;
        uint16_t Count;
    };
    const Case cases[] = {
        {u"Sheet1!$B$5", 1},
        {u"Sheet1!$B$29:$B$128", 100},
        {u"Sheet1!$B$2:$D$3", 6},
        // A report without data rows: the range ends one row above its first.
        {u"Sheet1!$B$29:$B$28", 0},
        // More cells than the 16-bit count holds: the count stays at its top.
        {u"Sheet1!$A$1:$B$65536", 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(base::Utf16ToUtf8(c.Values));
        Serie.SetValues(c.Values);
        EXPECT_EQ(ValueCount(), c.Count);
        EXPECT_EQ(Serie.SeriesRecord()->Word(4), 10);
    }
}

TEST_F(ChartSeriesTest, LiteralNameInsertsSeriesTextAndKeepsTheOtherLinks) {
    Serie.SetSerieName(u"\"Temp\"");
    EXPECT_EQ(Serie.SerieName(), u"\"Temp\"");
    TChartRecord& series = *Serie.SeriesRecord();
    EXPECT_EQ(series.Items(1).RecId(), CHARTRECID_SERIESTEXT);
    EXPECT_EQ(std::vector<uint8_t>(series.Items(1).Data().begin(), series.Items(1).Data().end()),
              Hex("00 00 04 01 54 00 65 00 6d 00 70 00"));
    EXPECT_EQ(series.Items(0).Byte(1), 1);  // rt literal
    Serie.SetValues(u"Sheet1!$C$1:$C$3");
    EXPECT_EQ(Serie.Values(), u"Sheet1!$C$1:$C$3");
    EXPECT_EQ(series.Items(2).RecId(), CHARTRECID_BRAI);
    EXPECT_EQ(series.Items(2).Byte(0), 1);
    Serie.SetCategory(u"Sheet1!$D$1:$D$3");
    EXPECT_EQ(Serie.Category(), u"Sheet1!$D$1:$D$3");

    // A second literal reuses the SeriesText; a name without a closing quote is taken whole.
    Serie.SetSerieName(u"\"湿度");
    EXPECT_EQ(Serie.SerieName(), u"\"湿度\"");
    EXPECT_EQ(series.Count(), 7);
    Serie.SetSerieName(u"\"\"");
    EXPECT_EQ(Serie.SerieName(), u"");

    // A reference again: the name link holds tokens and reads as the reference.
    Serie.SetSerieName(u"Sheet1!$C$28");
    EXPECT_EQ(Serie.SerieName(), u"Sheet1!$C$28");
}

TEST_F(ChartSeriesTest, OverlongTextsAreRefusedAndChangeNothing) {
    TChartRecord& series = *Serie.SeriesRecord();
    const std::vector<uint8_t> before(series.Items(1).Data().begin(), series.Items(1).Data().end());
    // A union of areas whose tokens do not fit one BIFF8 record.
    std::u16string many = u"(Sheet1!$A$1:$A$2";
    for (int i = 0; i < 900; ++i) many += u",Sheet1!$A$1:$A$2";
    many += u")";
    EXPECT_THROW(Serie.SetValues(many), EXLSError);
    EXPECT_EQ(std::vector<uint8_t>(series.Items(1).Data().begin(), series.Items(1).Data().end()), before);

    // A SeriesText counts characters in one byte.
    EXPECT_THROW(Serie.SetSerieName(u"\"" + std::u16string(256, u'x') + u"\""), EXLSError);
    EXPECT_EQ(series.IndexOfRecord(CHARTRECID_SERIESTEXT), -1);
    Serie.SetSerieName(u"\"" + std::u16string(255, u'x') + u"\"");
    EXPECT_EQ(Serie.SerieName().size(), 257u);
}

TEST_F(ChartSeriesTest, MissingLinksSayPropertyHasNoData) {
    TChartRecord& series = *Serie.SeriesRecord();
    while (series.DeleteRecord(CHARTRECID_BRAI)) {
    }
    Serie.Bind(series);
    const std::function<void()> calls[] = {[&] { Serie.Values(); },
                                           [&] { Serie.SetValues(u"Sheet1!A1"); },
                                           [&] { Serie.Category(); },
                                           [&] { Serie.SetCategory(u"A1"); },
                                           [&] { Serie.Values2(); },
                                           [&] { Serie.SerieName(); },
                                           [&] { Serie.SetSerieName(u"\"x\""); }};
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EXLSError& e) {
            EXPECT_STREQ(e.what(), "Property has no data");
        }
    }
}

TEST_F(ChartSeriesTest, AddedSeriesFollowTheLastOne) {
    TXLSChartSerie& second = Chart.Series().Add();
    TXLSChartSerie& third = Chart.Series().Add();
    TChartRecord& chart = *Chart.ChartRecord();
    const int first = chart.IndexOf(*Serie.SeriesRecord());
    EXPECT_EQ(chart.IndexOf(*second.SeriesRecord()), first + 1);
    EXPECT_EQ(chart.IndexOf(*third.SeriesRecord()), first + 2);
    // The children of set 2: four links, the default point format, SerToCrt.
    std::vector<uint16_t> ids;
    for (int i = 0; i < third.SeriesRecord()->Count(); ++i) ids.push_back(third.SeriesRecord()->Items(i).RecId());
    EXPECT_EQ(ids, (std::vector<uint16_t>{CHARTRECID_BRAI, CHARTRECID_BRAI, CHARTRECID_BRAI, CHARTRECID_BRAI,
                                          CHARTRECID_DATAFORMAT, 0x1045}));
    EXPECT_EQ(third.Values(), u"Sheet1!$A$1:$A$10");
    EXPECT_EQ(third.SeriesRecord()->Word(6), 10);

    TXLSChartSeries empty(Workbook);
    EXPECT_THROW(empty.Add(), EListError);
    // An item viewing a record whose list holds no Series: nowhere to add after.
    TChartRecord& list = Owner.NewRoot();
    TChartRecord& notSeries = list.InsertRecord(-1, 0x1001, false, 0);
    TXLSChartSeries other(Workbook);
    other.AddItem().Bind(notSeries);
    try {
        other.Add();
        ADD_FAILURE() << "no error";
    } catch (const EXLSError& e) {
        EXPECT_STREQ(e.what(), "Can not find insertion point for serie");
    }
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(ChartSeriesTest, GeomteryAndDefaultDataPoint) {
    const TSerieItemGeomtery all[] = {sigDefault, sigCylinder, sigPyramid, sigChoppedPyramid, sigCone, sigChoppedCone};
    for (TSerieItemGeomtery g : all) {
        Serie.SetGeomtery(g);
        EXPECT_EQ(Serie.Geomtery(), g);
    }
    Serie.SetGeomtery(sigPyramid);
    Serie.SetGeomtery(sigLast);
    EXPECT_EQ(Serie.Geomtery(), sigPyramid);
    EXPECT_EQ(Serie.DefDataPoint().Record()->Items(0).Word(0), 0x0100);

    EXPECT_FALSE(Serie.HasDefDataPoint());
    EXPECT_FALSE(Serie.DefDataPoint().MarkerFormat().HasRecord());
    Serie.SetHasDefDataPoint(true);
    EXPECT_TRUE(Serie.HasDefDataPoint());
    EXPECT_EQ(Serie.DefDataPoint().Record()->Count(), 6);
    Serie.DefDataPoint().MarkerFormat().SetMarkerType(0);
    Serie.SetHasDefDataPoint(true);
    Serie.SetHasDefDataPoint(false);
    EXPECT_EQ(Serie.DefDataPoint().Record()->Count(), 6);
}

}  // namespace
}  // namespace xls::testing
