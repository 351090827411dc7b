#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "console/history_record.h"

namespace console {

// The Excel report of a memory-card export, written record by record, that the console's
// Excel history report provides: one sheet laid out with the plain title, 32,364 records to
// a sheet, then the next sheet; finishing saves the workbook and offers to open it.
class TCardWorkbookReport {
public:
    virtual ~TCardWorkbookReport() = default;
    virtual void AddReportRow(uint32_t number, const THistoryRecord& record) = 0;
    virtual void FinishWorkbookReport() = 0;
};

// Whether the console has an Excel report the export can write.
bool CardWorkbookReportAvailable();
// Starts the report of a device; null when no Excel report is available.
std::unique_ptr<TCardWorkbookReport> StartCardWorkbookReport(const std::string& deviceNumber);

}  // namespace console
