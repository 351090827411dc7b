#pragma once

#include <QDateTime>
#include <cstdint>
#include <string>

#include "console/alarm_event.h"
#include "workbook/component/workbook_component.h"

namespace console {

// The alarm and event workbook of a continuous alarm read: a merged title, the column heads,
// then one row of event, value and time texts per event, on sheet 1 of the window's workbook.

// Lays the heads out and returns the first event row.
int32_t PrepareAlarmWorkbook(xls::TVUZAzurEruraWorkbook& xls);
void AddAlarmRow(xls::TVUZAzurEruraWorkbook& xls, int32_t& row, const TAlarmEvent& event);
// Writes the file in ReportFolder, named after the address and the time, clears the sheet for
// the next read and returns the file's name.
std::string SaveAlarmWorkbook(xls::TVUZAzurEruraWorkbook& xls, const std::string& address,
                              const QDateTime& now = QDateTime::currentDateTime());

}  // namespace console
