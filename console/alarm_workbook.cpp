#include "console/alarm_workbook.h"

#include <filesystem>

#include "base/text_encoding.h"
#include "console/excel_report.h"
#include "console/report_files.h"

namespace console {

int32_t PrepareAlarmWorkbook(xls::TVUZAzurEruraWorkbook& xls) {
    xls::TXLSWorksheet& sheet = *xls.GetSheets(0);
    sheet.GetRows().GetItems(0).SetHeight(540);
    sheet.GetMergedCells().AddArea(0, 0, 2, 0);
    sheet.SetAsString(0, 0, u"告警记录");
    sheet.SetAsString(0, 1, u"类型");
    sheet.SetAsString(1, 1, u"数值");
    sheet.SetAsString(2, 1, u"记录时间");
    xls::TXLSRange& range = sheet.Range().GetItems(u"A1:C2");
    range.SetFontName(u"宋体");
    range.SetFontSize(9);
    range.SetFontStyle(xls::xfsBold);
    range.SetHorizAlignment(2);
    range.SetVertAlignment(1);
    for (int col = 0; col < 2; ++col) sheet.GetColumns().GetItems(col).SetWidth(4400);
    sheet.GetColumns().GetItems(2).SetWidth(7000);
    return 2;
}

void AddAlarmRow(xls::TVUZAzurEruraWorkbook& xls, int32_t& row, const TAlarmEvent& event) {
    xls::TXLSWorksheet& sheet = *xls.GetSheets(0);
    const QString texts[] = {event.EventText(), event.ValueText(), event.Time.DateTimeText()};
    for (int col = 0; col < 3; ++col) {
        sheet.SetAsString(col, row, texts[col].toStdU16String());
        sheet.GetCell(col, row)->SetHorizAlignment(2);
    }
    ++row;
}

std::string SaveAlarmWorkbook(xls::TVUZAzurEruraWorkbook& xls, const std::string& address, const QDateTime& now) {
    const std::string name = ReportFileName(address, "告警记录", now, ".xls");
    try {
        std::filesystem::create_directories(ReportFolder);
        xls.SetFilename(base::Utf8ToUtf16(ReportFolder + name));
        xls.Write();
    } catch (...) {
        ClearReportWorkbook(xls);
        throw;
    }
    ClearReportWorkbook(xls);
    return name;
}

}  // namespace console
