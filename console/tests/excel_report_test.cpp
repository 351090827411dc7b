// The Excel history report written through the report steps and read back by python3-xlrd and
// olefile: sheets, header block, the six formulas' cached results, rows, chart series, formats,
// and the workbook left clean for the next report whatever happened.
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "console/excel_report.h"
#include "console/tests/console_fixture.h"
#include "console/tests/xls_dump.h"

namespace console::testing {
namespace {

THistoryRecord Record(uint32_t i) {
    THistoryRecord r;
    r.Temperature = (i % 3 == 0 ? -51 : i % 3 == 1 ? 200 : 235 + int(i % 7)) / 10.0;
    r.Humidity = (400 + i % 100) / 10.0;
    r.Time = {2024, 3, 1 + int(i / 1440) % 28, int(i / 60) % 24, int(i % 60), int(i * 7 % 60)};
    return r;
}

QString Time(uint32_t i) { return Record(i).Time.DateTimeText(); }

// A number as the formulas' text joins show it.
QString Shown(double value) { return QString::number(value, 'g', 15); }

class ExcelReportTest : public ConsoleTest {
protected:
    // A report of records records at capacity records to a sheet; returns the file's path.
    std::string Write(int32_t capacity, uint32_t records) {
        TExcelReportState state;
        TExcelReport report(Form->XLS, state, capacity);
        int changes = 0;
        report.OnSheetChange = [&] { ++changes; };
        report.StartReport("007");
        for (uint32_t i = 1; i <= records; ++i) report.AddReportRow(i, Record(i));
        EXPECT_EQ(changes, capacity > 0 ? int(records / uint32_t(capacity)) : 0);
        const std::string name = report.FinishWorkbookReport({}, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        EXPECT_EQ(name, "温湿度007历史记录2024年5月6日7时8分9秒.xls");
        EXPECT_EQ(Form->XLS.SheetCount(), 1);
        EXPECT_TRUE(Form->XLS.GetSheets(0)->IsEmpty());
        return "data/" + name;
    }

    // Every sheet of a report of records records at capacity: texts, formulas, rows, chart.
    void ExpectReport(const QJsonArray& sheets, int32_t capacity, uint32_t records) {
        const int count = int(records / uint32_t(capacity)) + 1;
        ASSERT_EQ(sheets.size(), count);
        for (int s = 0; s < count; ++s) {
            SCOPED_TRACE("sheet " + std::to_string(s + 1));
            const QJsonObject sheet = sheets[s].toObject();
            const uint32_t first = uint32_t(s * capacity) + 1;
            const uint32_t last = std::min(records, uint32_t((s + 1) * capacity));
            const uint32_t onSheet = last + 1 - first;
            const int lastRow = 28 + int(onSheet);
            EXPECT_EQ(sheet["name"].toString(), QString("Sheet%1").arg(s + 1));
            EXPECT_EQ(CellText(sheet, 0, 0),
                      count == 1 ? "温湿度历史记录报表" : QString("温湿度历史记录报表%1").arg(s + 1));
            EXPECT_EQ(CellText(sheet, 2, 0), "    设备ID:7");
            if (count == 1) {
                EXPECT_EQ(CellText(sheet, 2, 3), QString("    记录条数:%1").arg(records));
            } else {
                EXPECT_EQ(CellText(sheet, 2, 2), QString("总条数:%1").arg(records));
                EXPECT_EQ(CellText(sheet, 2, 3), QString("    本页条数:%1").arg(onSheet));
            }
            EXPECT_EQ(CellText(sheet, 3, 0), "    开始时间:" + (records ? Time(1) : QString()));
            EXPECT_EQ(CellText(sheet, 3, 3), "    结束时间:" + (records ? Time(last) : QString()));
            std::vector<double> t, h;
            for (uint32_t i = first; i <= last; ++i) {
                t.push_back(Record(i).Temperature);
                h.push_back(Record(i).Humidity);
            }
            auto average = [](const std::vector<double>& v) {
                return Shown(std::round(std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()) * 100) / 100);
            };
            auto extreme = [](const std::vector<double>& v, bool max) {
                return v.empty()
                           ? QString("0")
                           : Shown(max ? *std::max_element(v.begin(), v.end()) : *std::min_element(v.begin(), v.end()));
            };
            // Averages over no record are #DIV/0!, which xlrd gives as its error code 7.
            EXPECT_EQ(CellText(sheet, 4, 0), t.empty() ? "7" : "    温度平均值:" + average(t));
            EXPECT_EQ(CellText(sheet, 4, 3), h.empty() ? "7" : "    湿度平均值:" + average(h));
            EXPECT_EQ(CellText(sheet, 5, 0), "    温度最小值:" + extreme(t, false));
            EXPECT_EQ(CellText(sheet, 5, 3), "    湿度最小值:" + extreme(h, false));
            EXPECT_EQ(CellText(sheet, 6, 0), "    温度最大值:" + extreme(t, true));
            EXPECT_EQ(CellText(sheet, 6, 3), "    湿度最大值:" + extreme(h, true));
            EXPECT_EQ(CellText(sheet, 27, 3), "记录时间");
            ASSERT_EQ(sheet["rows"].toArray().size(), lastRow);
            for (uint32_t i = first; i <= last; i += std::max<uint32_t>(1, onSheet / 50)) {
                const int row = 28 + int(i - first);
                EXPECT_EQ(CellText(sheet, row, 0), QString::number(i));
                EXPECT_EQ(CellText(sheet, row, 1), Shown(Record(i).Temperature));
                EXPECT_EQ(CellText(sheet, row, 2), Shown(Record(i).Humidity));
                EXPECT_EQ(CellText(sheet, row, 3), Time(i));
            }
            const QJsonArray charts = sheet["charts"].toArray();
            if (onSheet == 0) {
                // No chart over an empty range.
                EXPECT_TRUE(charts.isEmpty());
                continue;
            }
            ASSERT_EQ(charts.size(), 1);
            const QJsonObject chart = charts[0].toObject();
            EXPECT_TRUE(chart["line"].toBool());
            EXPECT_TRUE(chart["legend"].toBool());
            EXPECT_TRUE(chart["markers"].toArray().contains(0));
            const QJsonArray series = chart["series"].toArray();
            ASSERT_EQ(series.size(), 2);
            const QString area = QString("Sheet%1!%2%3:%2%4").arg(s + 1);
            EXPECT_EQ(series[0].toObject()["values"].toString(), area.arg("B").arg(29).arg(lastRow));
            EXPECT_EQ(series[1].toObject()["values"].toString(), area.arg("C").arg(29).arg(lastRow));
            for (const QJsonValue& one : series)
                EXPECT_EQ(one.toObject()["category"].toString(), area.arg("D").arg(29).arg(lastRow));
            EXPECT_EQ(series[0].toObject()["name"].toString(), "Sheet1!B28");
            EXPECT_EQ(series[1].toObject()["name"].toString(), "Sheet1!C28");
        }
    }
};

TEST_F(ExcelReportTest, SheetsFillToTheirCapacity) {
    struct Case {
        int32_t Capacity;
        uint32_t Records;
    };
    const Case cases[] = {
        {ReadingSheetCapacity, 0},
        {ReadingSheetCapacity, 7},
        {4, 4},
        {4, 9},
        {ReadingSheetCapacity, 32000},
        {ReadingSheetCapacity, 32001},
        {CardSheetCapacity, 32363},
        {CardSheetCapacity, 32364},
    };
    // One workbook for every case, as the window reuses it: each report starts on Sheet1.
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Capacity) + " a sheet, " + std::to_string(c.Records) + " records");
        ExpectReport(DumpWorkbook(Write(c.Capacity, c.Records)), c.Capacity, c.Records);
    }
}

TEST_F(ExcelReportTest, HeaderBlockFormats) {
    const QJsonArray sheets =
        DumpWorkbook(Write(ReadingSheetCapacity, 3), {"0,0", "1,0", "2,0", "27,0", "28,0", "30,3"});
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(sheet["widths"].toObject(), (QJsonObject{{"0", 4400}, {"1", 4400}, {"2", 4400}, {"3", 8800}}));
    const QJsonObject heights = sheet["heights"].toObject();
    EXPECT_EQ(heights["0"].toInt(), 1000);
    for (const char* row : {"1", "8", "26"}) EXPECT_EQ(heights[row].toInt(), 360) << row;
    EXPECT_EQ(sheet["merged"].toArray(), (QJsonArray{QJsonArray{0, 1, 0, 4}}));
    const QJsonObject formats = sheet["formats"].toObject();
    const QJsonObject title = formats["0,0"].toObject();
    EXPECT_EQ(title["font"].toString(), "宋体");
    EXPECT_EQ(title["size"].toInt(), 360);
    EXPECT_TRUE(title["bold"].toBool());
    EXPECT_EQ(title["horiz"].toInt(), 2);
    EXPECT_EQ(title["vert"].toInt(), 1);
    EXPECT_EQ(formats["1,0"].toObject()["fill"].toString(), "C0C0C0");
    EXPECT_EQ(formats["1,0"].toObject()["size"].toInt(), 180);
    EXPECT_EQ(formats["2,0"].toObject()["horiz"].toInt(), 1);
    // The record table's lines are red (not blue): the outline around A28:D31, and the inside
    // lines, which each cell keeps on its right and bottom edges.
    const QJsonArray red{"FF0000", "FF0000", "FF0000", "FF0000"};
    EXPECT_EQ(formats["27,0"].toObject()["borderColour"].toArray(), red);
    EXPECT_EQ(formats["30,3"].toObject()["border"].toArray(), (QJsonArray{0, 0, 1, 1}));
    EXPECT_EQ(formats["30,3"].toObject()["borderColour"].toArray(), (QJsonArray{{}, {}, "FF0000", "FF0000"}));
    EXPECT_EQ(formats["28,0"].toObject()["font"].toString(), "宋体");
}

// The date axis labels and marks every so many records, whatever their count: at most 20 labels,
// and every record labelled while there are few. Each sheet of a longer report counts its own
// records.
TEST_F(ExcelReportTest, CategoryAxisShowsAReadableNumberOfLabels) {
    struct Case {
        int32_t Capacity;
        uint32_t Records;
        uint32_t OnLastSheet;
    };
    const Case cases[] = {
        {ReadingSheetCapacity, 1, 1},     {ReadingSheetCapacity, 20, 20},     {ReadingSheetCapacity, 21, 21},
        {ReadingSheetCapacity, 100, 100}, {ReadingSheetCapacity, 1000, 1000}, {ReadingSheetCapacity, 31999, 31999},
        {ReadingSheetCapacity, 32001, 1}, {CardSheetCapacity, 32363, 32363},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.Records) + " records");
        const QJsonArray sheets = DumpWorkbook(Write(c.Capacity, c.Records));
        for (int s = 0; s < sheets.size(); ++s) {
            const QJsonArray charts = sheets[s].toObject()["charts"].toArray();
            ASSERT_EQ(charts.size(), 1);
            const uint32_t records = s + 1 < sheets.size() ? uint32_t(c.Capacity) : c.OnLastSheet;
            const QJsonArray axes = charts[0].toObject()["categoryAxes"].toArray();
            ASSERT_EQ(axes.size(), 1);
            const int labelEvery = axes[0].toObject()["labelEvery"].toInt();
            const int tickEvery = axes[0].toObject()["tickEvery"].toInt();
            ASSERT_GE(labelEvery, 1);
            EXPECT_EQ(tickEvery, labelEvery);
            const uint32_t labels = (records + uint32_t(labelEvery) - 1) / uint32_t(labelEvery);
            EXPECT_LE(labels, 20u) << "every " << labelEvery;
            EXPECT_GE(labels, std::min(records, 10u)) << "every " << labelEvery;
        }
    }
}

// A second report of a run writes the font list of the first: each report's charts leave with
// the fonts they made for their texts. Those fonts have a face and a size.
TEST_F(ExcelReportTest, LaterReportsWriteTheSameFonts) {
    struct Case {
        int32_t Capacity;
        uint32_t Records;
    };
    // Compared as text, which a failure shows readably.
    auto text = [](const QJsonArray& fonts) {
        return QJsonDocument(fonts).toJson(QJsonDocument::Compact).toStdString();
    };
    for (const Case& c : {Case{ReadingSheetCapacity, 7}, Case{4, 9}}) {
        SCOPED_TRACE(std::to_string(c.Capacity) + " a sheet");
        const std::string path = Write(c.Capacity, c.Records);
        const QJsonArray first = DumpFonts(path);
        for (const QJsonValue& sheet : DumpWorkbook(path))
            for (const QJsonValue& chart : sheet.toObject()["charts"].toArray()) {
                const QJsonArray fbi = chart.toObject()["fonts"].toArray();
                ASSERT_EQ(fbi.size(), 2);
                EXPECT_NE(fbi[0].toInt(), fbi[1].toInt());
                for (const QJsonValue& index : fbi) {
                    ASSERT_LT(index.toInt(), first.size());
                    const QJsonObject font = first[index.toInt()].toObject();
                    EXPECT_EQ(font["name"].toString(), "Arial");
                    EXPECT_EQ(font["height"].toInt(), 200);
                }
            }
        EXPECT_EQ(text(DumpFonts(Write(c.Capacity, c.Records))), text(first));
        // A report of several sheets reads its own file back, so the next one starts from that
        // file's fonts, in that file's order: the list keeps its length.
        EXPECT_EQ(DumpFonts(Write(c.Capacity, c.Records)).size(), first.size());
    }
}

// A report that cannot be written is reported, and the next one starts on one clean sheet.
TEST_F(ExcelReportTest, FailedFinishLeavesTheWorkbookClean) {
    QDir("data").removeRecursively();
    std::ofstream("data") << "not a folder";
    TExcelReportState state;
    TExcelReport report(Form->XLS, state, 4);
    report.StartReport("1");
    for (uint32_t i = 1; i <= 10; ++i) report.AddReportRow(i, Record(i));
    ASSERT_EQ(Form->XLS.SheetCount(), 3);
    EXPECT_ANY_THROW(report.FinishWorkbookReport());
    EXPECT_FALSE(report.Active());
    EXPECT_EQ(Form->XLS.SheetCount(), 1);
    EXPECT_TRUE(Form->XLS.GetSheets(0)->IsEmpty());
    std::filesystem::remove("data");
    ExpectReport(DumpWorkbook(Write(4, 2)), 4, 2);
}

}  // namespace
}  // namespace console::testing
