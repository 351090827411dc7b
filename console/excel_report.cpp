#include "console/excel_report.h"

#include <algorithm>
#include <filesystem>

#include "base/format.h"
#include "base/text_encoding.h"
#include "console/report_files.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/drw_chart.h"

namespace console {
namespace {

constexpr int32_t HeaderRows = 28;  // the first record goes to row 29
const char* const PlainTitle = "温湿度历史记录报表";

// The window's colours are blue-green-red values; the workbook takes red-green-blue.
constexpr uint32_t Rgb(uint32_t windowColour) {
    return (windowColour & 0xFF) << 16 | (windowColour & 0xFF00) | (windowColour >> 16 & 0xFF);
}
constexpr uint32_t White = Rgb(0xFFFFFF);
constexpr uint32_t Silver = Rgb(0xC0C0C0);
constexpr uint32_t Red = Rgb(0x0000FF);

std::u16string U(std::string_view utf8) { return base::Utf8ToUtf16(utf8); }

std::u16string Text(std::string_view format, std::initializer_list<base::TFormatArg> args) {
    return U(base::Format(format, args));
}

std::u16string NumberedTitle(int32_t sheet) { return Text("温湿度历史记录报表%d", {sheet + 1}); }

// A label and a tick mark under every record make the date axis a black band from about a
// hundred records on: the axis labels every so many records instead, at most this many in all.
constexpr uint32_t AxisLabels = 20;

uint16_t CategoryInterval(uint32_t records) {
    return static_cast<uint16_t>(std::max<uint32_t>(1, (records + AxisLabels - 1) / AxisLabels));
}

// The category axis's scaling record: bytes 2-3 the categories between labels, 4-5 those
// between tick marks.
void SpaceCategoryLabels(xls::TChartPlotArea& plot, uint32_t records) {
    xls::TChartRecord* scaling = plot.CategoryAxis().Scaling().Record();
    if (!scaling) return;
    const uint16_t interval = CategoryInterval(records);
    scaling->SetWord(2, interval);
    scaling->SetWord(4, interval);
}

// The chart of a sheet whose records end on lastRow: temperature and humidity over the record
// times, as lines without markers, with a legend; the series names are the heads of sheet 1.
void AddReportChart(xls::TSheet& sheet, int sheetNumber, int32_t lastRow) {
    xls::TDrwChart& chart = sheet.AddChart();
    chart.Anchor().SetCol1(0);
    chart.Anchor().SetRow1(9);
    chart.Anchor().SetCol2(4);
    chart.Anchor().SetRow2(26);
    xls::TChartPlotArea& plot = chart.PlotArea();
    plot.SetChartType(4);
    plot.SetHasLegend(true);
    plot.SetHas3D(false);
    plot.Frame().LineFormat().SetColorIndex(9);
    plot.Frame().AreaFormat().SetForeColorIndex(9);
    plot.Frame().LineFormat().SetLinePattern(5);
    plot.Style()->SetHasDefDataPoint(true);
    plot.Style()->DefDataPoint().MarkerFormat().SetMarkerType(0);
    SpaceCategoryLabels(plot, static_cast<uint32_t>(lastRow - HeaderRows));
    const std::u16string times = Text("Sheet%d!$D$29:$D$%d", {sheetNumber, lastRow});
    xls::TXLSChartSerie& temperature = chart.Series().GetItems(chart.Series().Count() - 1);
    temperature.SetValues(Text("Sheet%d!$B$29:$B$%d", {sheetNumber, lastRow}));
    temperature.SetCategory(times);
    temperature.SetSerieName(u"Sheet1!$B$28");
    xls::TXLSChartSerie& humidity = chart.Series().Add();
    humidity.SetValues(Text("Sheet%d!$C$29:$C$%d", {sheetNumber, lastRow}));
    humidity.SetSerieName(u"Sheet1!$C$28");
    humidity.SetCategory(times);
}

}  // namespace

void LayoutReportSheet(xls::TXLSWorksheet& sheet, std::u16string_view title) {
    sheet.GetRows().GetItems(0).SetHeight(1000);
    for (int row : {1, 8, 26}) sheet.GetRows().GetItems(row).SetHeight(360);
    xls::TXLSRange& range = sheet.Range();
    range.GetItems(u"A1:D27").SetVertAlignment(1);
    sheet.GetMergedCells().AddArea(0, 0, 3, 0);
    sheet.SetAsString(0, 0, title);
    range.GetItems(u"A1:D1").SetBorderOutlineStyle(xls::cbsThin);
    range.GetItems(u"A1:D1").SetHorizAlignment(2);
    range.GetItems(u"A1:D2").SetFontStyle(xls::xfsBold);
    sheet.SetAsString(0, 1, U("1.设备信息："));
    range.GetItems(u"A3:D26").SetHorizAlignment(1);
    range.GetItems(u"A2:D27").SetFontSize(9);
    range.GetItems(u"A3:D8").SetBorderOutlineStyle(xls::cbsThin);
    range.GetItems(u"A9:D9").SetFontStyle(xls::xfsBold);
    sheet.SetAsString(0, 8, U("2.温湿度曲线："));
    range.GetItems(u"A27:D27").SetFontStyle(xls::xfsBold);
    sheet.SetAsString(0, 26, U("3.详细数据："));
    range.GetItems(u"A1:D27").SetFillColor(White);
    for (const char16_t* band : {u"A2:D2", u"A9:D9", u"A27:D27"}) range.GetItems(band).SetFillColor(Silver);
    range.GetItems(u"A1:D27").SetBorderRightStyle(xls::cbsThin);
    range.GetItems(u"A1:D27").SetBorderLeftStyle(xls::cbsThin);
    for (int col = 0; col < 4; ++col) sheet.GetColumns().GetItems(col).SetHorizAlignment(2);
    const char* heads[] = {"序号", "温度", "湿度", "记录时间"};
    for (int col = 0; col < 4; ++col) sheet.SetAsString(col, 27, U(heads[col]));
    for (int col = 0; col < 3; ++col) sheet.GetColumns().GetItems(col).SetWidth(4400);
    sheet.GetColumns().GetItems(3).SetWidth(8800);
    range.GetItems(u"A1:D1").SetFontSize(18);
}

void ClearReportWorkbook(xls::TVUZAzurEruraWorkbook& xls) {
    if (xls.SheetCount() == 0) return;
    if (xls.GetBIFF())
        for (int i = std::min(xls.SheetCount(), xls.GetBIFF()->Sheets().Count()) - 1; i >= 0; --i)
            xls.GetBIFF()->GetSheet(i).Charts().Clear();
    // The sheets after the first go in one step: deleting gives back their formats and strings
    // block by block, with no cell-by-cell clearing first.
    if (xls.SheetCount() > 1) xls.DeleteSheet(1, xls.SheetCount() - 1);
    xls.GetSheets(0)->Clear();
}

void TExcelReport::StartReport(const std::string& deviceId) {
    ClearReportWorkbook(XLS_);
    State_ = TExcelReportState();
    State_.DeviceId = deviceId;
    State_.Active = true;
    LayoutReportSheet(*XLS_.GetSheets(0), U(PlainTitle));
}

void TExcelReport::AddReportRow(uint32_t number, const THistoryRecord& record) {
    xls::TXLSWorksheet& sheet = *XLS_.GetSheets(State_.ReportSheet);
    const int row = State_.ReportRow;
    State_.RecordsRead = number;
    sheet.SetAsFloat(0, row, number);
    sheet.SetAsFloat(1, row, record.Temperature);
    sheet.SetAsFloat(2, row, record.Humidity);
    const std::u16string time = record.Time.DateTimeText().toStdU16String();
    sheet.SetAsString(3, row, time);
    if (number == 1) State_.FirstRecordTime = time;
    State_.LastRecordTime = time;
    ++State_.ReportRow;
    if (++State_.SheetRecords >= Capacity_) StartNewReportSheet();
}

// A3, D3, A4 and D4 of a closed sheet: device, the sheet's records, first and latest time.
void TExcelReport::CloseSheetInfo(xls::TXLSWorksheet& sheet) {
    sheet.SetAsString(0, 2, Text("    设备ID:%d", {QString::fromStdString(State_.DeviceId).toInt()}));
    sheet.SetAsString(3, 2, Text("    本页条数:%d", {State_.SheetRecords}));
    sheet.SetAsString(0, 3, u"    开始时间:" + State_.FirstRecordTime);
    sheet.SetAsString(3, 3, u"    结束时间:" + State_.LastRecordTime);
}

void TExcelReport::StartNewReportSheet() {
    if (OnSheetChange) OnSheetChange();
    xls::TXLSWorksheet& full = *XLS_.GetSheets(State_.ReportSheet);
    full.SetAsString(0, 0, NumberedTitle(State_.ReportSheet));
    CloseSheetInfo(full);
    ++State_.ReportSheet;
    xls::TXLSWorksheet& next = *XLS_.AddSheet();
    State_.SheetRecords = 0;
    LayoutReportSheet(next, NumberedTitle(State_.ReportSheet));
    State_.ReportRow = HeaderRows;
}

void TExcelReport::FinishSheet(int index) {
    xls::TXLSWorksheet& sheet = *XLS_.GetSheets(index);
    if (State_.ReportSheet == 0)
        sheet.SetAsString(3, 2, Text("    记录条数:%d", {State_.RecordsRead}));
    else
        sheet.SetAsString(2, 2, Text("总条数:%d", {State_.RecordsRead}));
    const int32_t last = index == State_.ReportSheet ? State_.ReportRow : HeaderRows + Capacity_;
    State_.LastDataRow = last;
    xls::TXLSRange& range = sheet.Range();
    range.GetItems(Text("A1:D%d", {last})).SetFontName(u"宋体");
    sheet.CalcDimensions();
    const struct {
        int Col, Row;
        const char* Formula;
    } formulas[] = {{0, 4, "\"    温度平均值:\"&ROUND(AVERAGE(B28:B%d),2)"},
                    {3, 4, "\"    湿度平均值:\"&ROUND(AVERAGE(C28:C%d),2)"},
                    {0, 5, "\"    温度最小值:\"&MIN(B28:B%d)"},
                    {3, 5, "\"    湿度最小值:\"&MIN(C28:C%d)"},
                    {0, 6, "\"    温度最大值:\"&MAX(B28:B%d)"},
                    {3, 6, "\"    湿度最大值:\"&MAX(C28:C%d)"}};
    for (const auto& f : formulas) sheet.SetAsFormula(f.Col, f.Row, Text(f.Formula, {last}));
    range.GetItems(Text("A28:D%d", {last}));
    range.SetBorderInsideVertStyle(xls::cbsThin);
    range.SetBorderInsideHorizStyle(xls::cbsThin);
    range.SetBorderOutlineStyle(xls::cbsThin);
    range.SetBorderInsideVertColor(Red);
    range.SetBorderInsideHorizColor(Red);
    range.SetBorderOutlineColor(Red);
    xls::TSheet& biff = XLS_.GetBIFF()->GetSheet(index);
    biff.Charts().Clear();
    // A sheet without records gets no chart: its ranges would end above their first row.
    if (last > HeaderRows) AddReportChart(biff, index + 1, last);
}

void TExcelReport::DropReport() {
    State_.Active = false;
    ClearReportWorkbook(XLS_);
}

std::string TExcelReport::FinishWorkbookReport(const std::function<void()>& afterReload, const QDateTime& now) {
    State_.Active = false;
    try {
        CloseSheetInfo(*XLS_.GetSheets(State_.ReportSheet));
        State_.ReportFileName = ReportFileName(State_.DeviceId, "历史记录", now, ".xls");
        std::filesystem::create_directories(ReportFolder);
        XLS_.SetFilename(base::Utf8ToUtf16(ReportFolder + State_.ReportFileName));
        if (State_.ReportSheet > 0) {
            XLS_.Write();
            XLS_.Read();
            if (afterReload) afterReload();
        }
        for (int i = 0; i <= State_.ReportSheet; ++i) FinishSheet(i);
        // One recalculation for every sheet's summaries: each sheet's formulas read only its
        // own records, and a recalculation per sheet would work out the earlier sheets' again.
        XLS_.Calculate();
        XLS_.Write();
    } catch (...) {
        ClearReportWorkbook(XLS_);
        throw;
    }
    ClearReportWorkbook(XLS_);
    return State_.ReportFileName;
}

}  // namespace console
