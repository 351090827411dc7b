#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "base/text_encoding.h"

#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {
namespace {

class ChartModelTest : public ::testing::Test {
protected:
    TTestChartWorkbook Workbook;
    TTestChartOwner Owner{Workbook};
    TDrwCharts Charts{Owner, Workbook};
};

std::vector<uint16_t> ChildIds(const TChartRecord& record) {
    std::vector<uint16_t> ids;
    for (int i = 0; i < record.Count(); ++i) ids.push_back(record.Items(i).RecId());
    return ids;
}

std::vector<uint8_t> Bytes(const TChartRecord& record) {
    return std::vector<uint8_t>(record.Data().begin(), record.Data().end());
}

TEST_F(ChartModelTest, ReportChartHasTheConsolesRecords) {
    TDrwChart& chart = ReportChart(Charts, 1, 128);
    TChartRecord& group = *chart.PlotArea().Style()->Record();
    EXPECT_EQ(ChildIds(group),
              (std::vector<uint16_t>{CHARTRECID_LINE, CHARTRECID_CRTLINK, CHARTRECID_LEGEND, CHARTRECID_DATAFORMAT}));
    EXPECT_EQ(Bytes(group.Items(0)), Hex("00 00"));
    EXPECT_EQ(ChildIds(group.Items(2)), (std::vector<uint16_t>{CHARTRECID_POS, CHARTRECID_TEXT}));
    EXPECT_EQ(ChildIds(group.Items(2).Items(1)), (std::vector<uint16_t>{CHARTRECID_POS, CHARTRECID_BRAI}));
    TChartRecord& points = group.Items(3);
    EXPECT_EQ(Bytes(points), Hex("00 00 00 00 fd ff 00 00"));
    EXPECT_EQ(ChildIds(points),
              (std::vector<uint16_t>{CHARTRECID_CHART3DBARSHAPE, CHARTRECID_LINEFORMAT, CHARTRECID_AREAFORMAT,
                                     CHARTRECID_PIEFORMAT, CHARTRECID_MARKERFORMAT}));
    // No markers, automatic formatting off.
    EXPECT_EQ(Bytes(points.Items(4)), Hex("00 00 00 00 00 00 00 00 00 00 00 00 4d 00 4d 00 3c 00 00 00"));

    // The plot area's frame: white, no border; the colour is palette entry 9 itself.
    TPaintFrame& frame = chart.PlotArea().Frame();
    EXPECT_EQ(frame.LineFormat().Color(), IndexColorToChartRGB(9));
    EXPECT_EQ(frame.LineFormat().Color(), 0x00FFFFFFu);
    EXPECT_EQ(frame.LineFormat().LinePattern(), 5);
    EXPECT_EQ(frame.LineFormat().ColorIndex(), 9);
    EXPECT_EQ(frame.AreaFormat().ForeColor(), 0x00FFFFFFu);
    EXPECT_EQ(frame.AreaFormat().ForeColorIndex(), 9);

    ASSERT_EQ(chart.Series().Count(), 2);
    TXLSChartSerie& first = chart.Series().GetItems(0);
    TXLSChartSerie& second = chart.Series().GetItems(1);
    EXPECT_EQ(first.Values(), u"Sheet1!$B$29:$B$128");
    EXPECT_EQ(first.Category(), u"Sheet1!$D$29:$D$128");
    EXPECT_EQ(first.SerieName(), u"Sheet1!$B$28");
    EXPECT_EQ(second.Values(), u"Sheet1!$C$29:$C$128");
    EXPECT_EQ(second.Category(), u"Sheet1!$D$29:$D$128");
    EXPECT_EQ(second.SerieName(), u"Sheet1!$C$28");
    // Values link: an area in reference class; the name link is a reference (rt 2).
    TChartRecord& values = first.SeriesRecord()->Items(1);
    EXPECT_EQ(Bytes(values), Hex("01 02 00 00 00 00 0b 00 3b 00 00 1c 00 7f 00 01 00 01 00"));
    EXPECT_EQ(first.SeriesRecord()->Items(0).Byte(1), 2);
    EXPECT_EQ(first.SeriesRecord()->Word(6), 100);  // cValy
    EXPECT_EQ(first.SeriesRecord()->Word(4), 10);   // cValx as the new chart has it
    EXPECT_EQ(second.SeriesRecord()->Word(6), 100);
    // Series stay in file order right after each other.
    TChartRecord& chartRecord = *chart.ChartRecord();
    EXPECT_EQ(chartRecord.IndexOf(*second.SeriesRecord()), chartRecord.IndexOf(*first.SeriesRecord()) + 1);
}

TEST_F(ChartModelTest, ReportChartReadBackIsByteStableAndKeepsItsMeaning) {
    TDrwChart& chart = ReportChart(Charts, 2, 32028);
    const std::vector<uint8_t> written = SaveBytes(*chart.Rec());

    TChartRecord& copy = Owner.NewRoot();
    LoadBytes(copy, written);
    TDrwChart& read = Charts.AddFromShape(copy);
    EXPECT_EQ(SaveBytes(copy), written);
    EXPECT_EQ(read.PlotArea().GetChartType(), 0);
    EXPECT_NE(dynamic_cast<TChartStyleLine*>(read.PlotArea().Style()), nullptr);
    EXPECT_TRUE(read.PlotArea().GetHasLegend());
    EXPECT_FALSE(read.PlotArea().GetHas3D());
    EXPECT_TRUE(read.PlotArea().Style()->GetHasDefDataPoint());
    EXPECT_EQ(read.PlotArea().Style()->DefDataPoint().MarkerFormat().MarkerType(), 0);
    ASSERT_EQ(read.Series().Count(), 2);
    EXPECT_EQ(read.Series().GetItems(1).Values(), u"Sheet2!$C$29:$C$32028");
    EXPECT_EQ(read.Series().GetItems(0).SerieName(), u"Sheet1!$B$28");
    EXPECT_EQ(read.Series().GetItems(0).SeriesRecord()->Word(6), 32000);
    EXPECT_EQ(read.DefaultTextA().Font(), chart.DefaultTextA().Font());
}

TEST_F(ChartModelTest, SecondReportInTheSameRunGivesTheSameChart) {
    const int fonts = Workbook.Fonts().Count();
    const std::vector<uint8_t> first = SaveBytes(*ReportChart(Charts, 1, 100).Rec());
    EXPECT_EQ(Workbook.Fonts().Count(), fonts + 2);
    const std::vector<uint8_t> second = SaveBytes(*ReportChart(Charts, 1, 100).Rec());
    EXPECT_EQ(Charts.Count(), 1);
    EXPECT_EQ(Owner.ShapeCount(), 1);
    // Clearing took the first chart's two fonts away, so the second chart's fonts carry the
    // same indexes: every record is the same, Fbi and FontX included.
    EXPECT_EQ(Workbook.Fonts().Count(), fonts + 2);
    std::vector<TRawRecord> a = SplitRecords(first), b = SplitRecords(second);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "record " << i;
    Charts.Clear();
    EXPECT_EQ(Workbook.Fonts().Count(), fonts);
}

TEST_F(ChartModelTest, ClearingKeepsTheFontsOfChartsReadFromAFile) {
    TXc12Font& title = Workbook.AddFileFont(u"Tahoma", 12);
    TXc12Font& axis = Workbook.AddFileFont(u"Tahoma", 8);
    const int fonts = Workbook.Fonts().Count();
    // A chart as a file holds it: its Fbi and FontX records name fonts of the file's list,
    // which cell formats may share.
    std::vector<TRawRecord> records = SplitRecords(SaveBytes(*Charts.Add(0).Rec()));
    std::map<uint8_t, uint8_t> fileIndex;
    for (TRawRecord& r : records)
        if (r.Id == CHARTRECID_FBI) {
            const int to = Workbook.FontFileIndex(fileIndex.empty() ? title : axis);
            fileIndex[r.Data.at(8)] = static_cast<uint8_t>(to);
        }
    ASSERT_EQ(fileIndex.size(), 2u);
    std::vector<uint8_t> file;
    for (TRawRecord& r : records) {
        if (r.Id == CHARTRECID_FBI || r.Id == CHARTRECID_FONTX) {
            uint8_t& index = r.Data.at(r.Id == CHARTRECID_FBI ? 8 : 0);
            index = fileIndex.at(index);
        }
        for (uint16_t word : {r.Id, static_cast<uint16_t>(r.Data.size())}) {
            file.push_back(static_cast<uint8_t>(word));
            file.push_back(static_cast<uint8_t>(word >> 8));
        }
        file.insert(file.end(), r.Data.begin(), r.Data.end());
    }
    Charts.Clear();
    EXPECT_EQ(Workbook.Fonts().Count(), fonts);

    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, file);
    TDrwChart& read = Charts.AddFromShape(root);
    EXPECT_EQ(read.DefaultTextA().Font(), &title);
    EXPECT_EQ(read.DefaultTextB().Font(), &axis);
    Charts.Clear();
    ASSERT_EQ(Workbook.Fonts().Count(), fonts);
    EXPECT_EQ(&Workbook.FontAtFileIndex(Workbook.FontFileIndex(title)), &title);
    EXPECT_EQ(axis.GetName(), u"Tahoma");
}

TEST_F(ChartModelTest, NewChartViews) {
    TDrwChart& chart = Charts.Add(0);
    EXPECT_EQ(chart.Name(), u"Chart 0");
    EXPECT_EQ(Charts.Add(0).Name(), u"Chart 1");
    EXPECT_EQ(Workbook.ExternSheets, std::vector<int>{0});
    EXPECT_EQ(chart.Series().Count(), 1);
    EXPECT_EQ(chart.Series().GetItems(0).Values(), u"Sheet1!$A$1:$A$10");
    EXPECT_EQ(chart.PlotArea().GetChartType(), 3);
    EXPECT_TRUE(chart.PlotArea().CategoryAxis().HasRecord());
    EXPECT_TRUE(chart.PlotArea().CategoryAxis().Scaling().HasRecord());
    EXPECT_TRUE(chart.PlotArea().ValueAxis().TickFormat().HasRecord());
    EXPECT_FALSE(chart.PlotArea().SerieAxis().HasRecord());
    EXPECT_TRUE(chart.Frame().AreaFormat().HasRecord());
    EXPECT_TRUE(chart.PlotArea().Style()->Legend().HasRecord());
    EXPECT_NE(chart.DefaultTextA().Font(), nullptr);
    EXPECT_NE(chart.DefaultTextA().Font(), chart.DefaultTextB().Font());
    EXPECT_EQ(chart.Labels().Count(), 0);

    EXPECT_EQ(chart.SheetOptions(), csoOnlyVisibleCells);
    chart.SetSheetOptions(csoDoNotSize);
    EXPECT_EQ(chart.SheetOptions(), csoDoNotSize);
    EXPECT_EQ(chart.ChartRecord()->Items(chart.ChartRecord()->IndexOfRecord(CHARTRECID_SHTPROPS)).Word(0), 0x000C);

    Charts.Clear();
    EXPECT_EQ(Charts.Count(), 0);
    EXPECT_EQ(Owner.ShapeCount(), 0);
}

TEST_F(ChartModelTest, ChartTypesReplaceTheGroup) {
    struct Case {
        uint8_t Type;
        uint16_t StyleRecord;
        int Reported;
        bool GroupPoints;
    };
    const Case cases[] = {{1, CHARTRECID_AREA, 1, true},    {2, CHARTRECID_SCATTER, 0, true},
                          {3, CHARTRECID_BAR, 3, false},    {4, CHARTRECID_LINE, 0, false},
                          {5, CHARTRECID_PIE, 0, false},    {6, CHARTRECID_RADAR, 0, true},
                          {7, CHARTRECID_SCATTER, 0, true}, {8, CHARTRECID_SURF, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        TDrwChart& chart = Charts.Add(0);
        TChartPlotArea& plot = chart.PlotArea();
        if (c.Type == 3) plot.SetChartType(4);
        plot.SetChartType(c.Type);
        TChartRecord& group = *plot.Style()->Record();
        EXPECT_EQ(group.Items(0).RecId(), c.StyleRecord);
        EXPECT_EQ(group.Items(1).RecId(), CHARTRECID_CRTLINK);
        EXPECT_EQ(plot.GetChartType(), c.Reported);
        EXPECT_TRUE(plot.GetHasLegend());
        EXPECT_EQ(plot.Style()->GetHasDefDataPoint(), c.GroupPoints);
        EXPECT_EQ(Bytes(group), std::vector<uint8_t>(20, 0));
        if (c.Type == 3) {
            EXPECT_EQ(Bytes(group.Items(0)), Hex("00 00 96 00 00 00"));  // columns
        }
    }
    for (uint8_t bad : {0, 9}) {
        TDrwChart& chart = Charts.Add(0);
        EXPECT_THROW(chart.PlotArea().SetChartType(bad), EXLSError);
        EXPECT_EQ(chart.PlotArea().GetChartType(), 3);
    }
}

TEST_F(ChartModelTest, SettingTheSameTypeAgain) {
    // Area and bar keep their group; the other styles rebuild it, losing changes made to it.
    TDrwChart& chart = Charts.Add(0);
    TChartPlotArea& plot = chart.PlotArea();
    plot.SetChartType(1);
    plot.SetHas3D(true);
    plot.SetChartType(1);
    EXPECT_TRUE(plot.GetHas3D());
    plot.SetChartType(4);
    plot.SetHas3D(true);
    plot.SetChartType(4);
    EXPECT_FALSE(plot.GetHas3D());
}

TEST_F(ChartModelTest, LegendAnd3D) {
    TDrwChart& chart = Charts.Add(0);
    TChartPlotArea& plot = chart.PlotArea();
    TChartRecord& group = *plot.Style()->Record();
    plot.SetHas3D(true);
    plot.SetHas3D(true);
    EXPECT_TRUE(plot.GetHas3D());
    EXPECT_EQ(ChildIds(group),
              (std::vector<uint16_t>{CHARTRECID_BAR, CHARTRECID_CRTLINK, CHARTRECID_CHART3D, CHARTRECID_LEGEND}));
    EXPECT_EQ(Bytes(group.Items(2)), Hex("14 00 0f 00 1e 00 64 00 64 00 96 00 16 00"));
    plot.SetHas3D(false);
    EXPECT_EQ(group.IndexOfRecord(CHARTRECID_CHART3D), -1);

    plot.SetHasLegend(false);
    EXPECT_FALSE(plot.GetHasLegend());
    EXPECT_EQ(group.IndexOfRecord(CHARTRECID_LEGEND), -1);
    plot.SetHasLegend(true);
    TChartRecord& legend = group.Items(group.IndexOfRecord(CHARTRECID_LEGEND));
    EXPECT_EQ(Bytes(legend), Hex("3c 0e 00 00 ce 06 00 00 50 01 00 00 5e 01 00 00 03 01 1f 00"));
    EXPECT_EQ(ChildIds(legend), (std::vector<uint16_t>{CHARTRECID_POS, CHARTRECID_TEXT}));

    // A group of one record has no room for 3-D settings.
    group.Delete(group.Count() - 1);
    group.Delete(group.Count() - 1);
    EXPECT_THROW(plot.SetHas3D(true), EXLSError);
}

TEST_F(ChartModelTest, FormatColoursAreThePaletteEntriesThemselves) {
    // rgb as the records store it: bytes red, green, blue, 0.
    struct Case {
        uint8_t Index;
        uint32_t Rgb;
    };
    const Case cases[] = {{8, 0x000000}, {9, 0xFFFFFF}, {10, 0x0000FF}, {12, 0xFF0000}, {63, 0x333333}};
    TDrwChart& chart = Charts.Add(0);
    TPaintFrame& frame = chart.PlotArea().Frame();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Index);
        frame.LineFormat().SetColorIndex(c.Index);
        frame.AreaFormat().SetForeColorIndex(c.Index);
        EXPECT_EQ(frame.LineFormat().Color(), c.Rgb);
        EXPECT_EQ(frame.AreaFormat().ForeColor(), c.Rgb);
        EXPECT_EQ(frame.LineFormat().ColorIndex(), c.Index);
    }
    // An index past the palette's 66 entries reads no memory beyond it: the automatic colour.
    frame.LineFormat().SetColorIndex(200);
    EXPECT_EQ(frame.LineFormat().Color(), IndexColorToChartRGB(64));
}

TEST_F(ChartModelTest, FormatSettersWithoutRecordsSayPropertyHasNoData) {
    TLineFormat line;
    TAreaFormat area;
    TMarkerFormat marker;
    TChartStyleBarColumn bar;
    const std::function<void()> calls[] = {[&] { line.SetColorIndex(9); }, [&] { line.SetLinePattern(5); },
                                           [&] { area.SetForeColorIndex(9); }, [&] { marker.SetMarkerType(0); },
                                           [&] { bar.SetHorizontal(true); }};
    for (const auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const EXLSError& e) {
            EXPECT_STREQ(e.what(), "Property has no data.");
        }
    }
}

TEST_F(ChartModelTest, BindingRefusesDamagedTrees) {
    struct Case {
        const char* Name;
        std::vector<TRawRecord> In;
        const char* Message;
    };
    const std::vector<uint8_t> noText = {2, 0};
    const Case cases[] = {
        {"DefaultText without Text", {{CHARTRECID_DEFAULTTEXT, noText}}, "Excpected Chart record missing: TEXT"},
        {"empty chart group",
         {{CHARTRECID_AXISPARENT, {}}, {CHARTRECID_BEGIN, {}}, {CHARTRECID_CHARTFORMAT, {}}, {CHARTRECID_END, {}}},
         "Chart style record is missing"},
        {"unknown style",
         {{CHARTRECID_AXISPARENT, {}},
          {CHARTRECID_BEGIN, {}},
          {CHARTRECID_CHARTFORMAT, {}},
          {CHARTRECID_BEGIN, {}},
          {0x1234, {}},
          {CHARTRECID_END, {}},
          {CHARTRECID_END, {}}},
         "Unknown chart style 1234"},
        {"unknown axis",
         {{CHARTRECID_AXISPARENT, {}}, {CHARTRECID_BEGIN, {}}, {CHARTRECID_AXIS, {7, 0}}, {CHARTRECID_END, {}}},
         "Unknown axis type 7"},
        {"axis without type",
         {{CHARTRECID_AXISPARENT, {}}, {CHARTRECID_BEGIN, {}}, {CHARTRECID_AXIS, {}}, {CHARTRECID_END, {}}},
         "Chart record is too short"},
        {"series point formats without children",
         {{CHARTRECID_SERIES, {}},
          {CHARTRECID_BEGIN, {}},
          {CHARTRECID_DATAFORMAT, Hex("ff ff 00 00")},
          {CHARTRECID_END, {}}},
         "DATAFORMAT has no child records"},
        {"GelFrame not starting with OPT",
         {{CHARTRECID_FRAME, {}},
          {CHARTRECID_BEGIN, {}},
          {BIFFRECID_GELFRAME, Hex("00 00 22 f1 00 00 00 00")},
          {CHARTRECID_END, {}}},
         "First MSO record in Gelframe is not OPT"},
        {"GelFrame property past its end",
         {{CHARTRECID_FRAME, {}},
          {CHARTRECID_BEGIN, {}},
          {BIFFRECID_GELFRAME, Hex("13 00 0b f0 06 00 00 00 81 c1 ff 00 00 00")},
          {CHARTRECID_END, {}}},
         "GelFrame property table is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TChartRecord& root = Owner.NewRoot();
        LoadBytes(root, JoinRecords(c.In));
        try {
            Charts.AddFromShape(root);
            ADD_FAILURE() << "no error";
        } catch (const EXLSError& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
    }
    EXPECT_EQ(Charts.Count(), 0);
    EXPECT_THROW(TDrwChart(Workbook).Bind(nullptr), EXLSError);
}

TEST_F(ChartModelTest, PlotAreaViewsTheLastAxisGroup) {
    const std::vector<TRawRecord> in = {{CHARTRECID_AXISPARENT, Hex("00 00")},
                                        {CHARTRECID_BEGIN, {}},
                                        {CHARTRECID_FRAME, {}},
                                        {CHARTRECID_BEGIN, {}},
                                        {CHARTRECID_LINEFORMAT, Hex("00 00 00 00 00 00 00 00 09 00 4d 00")},
                                        {CHARTRECID_END, {}},
                                        {CHARTRECID_END, {}},
                                        {CHARTRECID_AXISPARENT, Hex("01 00")},
                                        {CHARTRECID_BEGIN, {}},
                                        {CHARTRECID_AXIS, Hex("02 00")},
                                        {CHARTRECID_END, {}}};
    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, JoinRecords(in));
    TDrwChart& chart = Charts.AddFromShape(root);
    EXPECT_EQ(chart.PlotArea().Record(), &root.Items(1));
    EXPECT_TRUE(chart.PlotArea().SerieAxis().HasRecord());
    // The first group's frame is not viewed any more.
    EXPECT_FALSE(chart.PlotArea().Frame().HasRecord());
    EXPECT_EQ(chart.PlotArea().Style(), nullptr);
}

TEST_F(ChartModelTest, GelFrameIsWrittenBackAsItsPropertyTable) {
    // An OPT of three properties (one complex: 4 bytes) followed by a tertiary OPT.
    const std::vector<uint8_t> opt =
        Hex("33 00 0b f0 16 00 00 00 81 01 ff 00 00 00 83 01 00 ff 00 00 97 c1 04 00 00 00 de ad be ef");
    std::vector<uint8_t> gel = opt;
    const std::vector<uint8_t> tertiary = Hex("13 00 22 f1 06 00 00 00 bf 01 00 00 60 00");
    gel.insert(gel.end(), tertiary.begin(), tertiary.end());
    const std::vector<TRawRecord> in = {{CHARTRECID_FRAME, Hex("00 00 02 00")},
                                        {CHARTRECID_BEGIN, {}},
                                        {BIFFRECID_GELFRAME, gel},
                                        {CHARTRECID_END, {}}};
    TChartRecord& root = Owner.NewRoot();
    LoadBytes(root, JoinRecords(in));
    TDrwChart& chart = Charts.AddFromShape(root);
    ASSERT_EQ(chart.Frame().GelFrame().Properties().size(), 3u);
    EXPECT_EQ(chart.Frame().GelFrame().Properties()[2].Complex, Hex("de ad be ef"));
    std::vector<TRawRecord> out = in;
    out[2].Data = opt;
    EXPECT_EQ(SplitRecords(SaveBytes(root)), out);
    EXPECT_EQ(SplitRecords(SaveBytes(root)), out);
    // Binding the same tree again gives the same table.
    TDrwChart& again = Charts.AddFromShape(root);
    EXPECT_EQ(again.Frame().GelFrame().Properties().size(), 3u);
    EXPECT_EQ(SplitRecords(SaveBytes(root)), out);
}

}  // namespace
}  // namespace xls::testing
