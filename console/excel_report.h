#pragma once

#include <QDateTime>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "console/excel_report_state.h"
#include "console/history_record.h"
#include "workbook/component/workbook_component.h"

namespace console {

// Records to a sheet: the history reading's and the memory-card export's.
constexpr int32_t ReadingSheetCapacity = 32000;
constexpr int32_t CardSheetCapacity = 32364;

// The Excel history report: a titled sheet with the device block, six summary formulas, a line
// chart of temperature and humidity and one row per record, a further sheet whenever one is
// full. It is written through the window's workbook and left there as one cleared sheet.
class TExcelReport {
public:
    TExcelReport(xls::TVUZAzurEruraWorkbook& xls, TExcelReportState& state, int32_t capacity)
        : XLS_(xls), State_(state), Capacity_(capacity) {}

    // Runs when a full sheet is closed (the caller scrolls its list).
    std::function<void()> OnSheetChange;

    // Lays out sheet 1 with the plain title; the workbook is emptied first should a failed
    // report have left anything behind.
    void StartReport(const std::string& deviceId);
    // Writes record number (the caller's count, from 1) at the next row; a full sheet is closed
    // and the next opened at once.
    void AddReportRow(uint32_t number, const THistoryRecord& record);
    void StartNewReportSheet();
    bool Active() const { return State_.Active; }
    // Forgets the report and empties the workbook (the link to the instrument is gone).
    void DropReport();
    // Completes, names and writes the file in ReportFolder and returns its name; afterReload
    // runs once a report of several sheets has been written and read back. Whatever happens,
    // the workbook is left with one cleared sheet.
    std::string FinishWorkbookReport(const std::function<void()>& afterReload = {},
                                     const QDateTime& now = QDateTime::currentDateTime());

private:
    void CloseSheetInfo(xls::TXLSWorksheet& sheet);
    void FinishSheet(int index);

    xls::TVUZAzurEruraWorkbook& XLS_;
    TExcelReportState& State_;
    int32_t Capacity_;
};

// The header block of a report sheet: row heights, merged title, section heads, fills,
// borders, column heads and widths.
void LayoutReportSheet(xls::TXLSWorksheet& sheet, std::u16string_view title);
// Empties the workbook from its last sheet to its first: charts, cells, every sheet but the
// first.
void ClearReportWorkbook(xls::TVUZAzurEruraWorkbook& xls);

}  // namespace console
