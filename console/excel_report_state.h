#pragma once

#include <cstdint>
#include <string>

namespace console {

// Where an Excel history report stands while records arrive: the next row and its sheet, the
// records on that sheet and in the whole report, and the first and latest record times. The
// report's own last data row is kept apart from the reading's block size, so that finishing a
// report never changes how the next read is asked for.
struct TExcelReportState {
    bool Active = false;  // started and not yet finished or dropped
    int32_t ReportRow = 28;
    int32_t ReportSheet = 0;
    int32_t SheetRecords = 0;
    uint32_t RecordsRead = 0;
    int32_t LastDataRow = 28;
    std::u16string FirstRecordTime;
    std::u16string LastRecordTime;
    std::string DeviceId;
    std::string ReportFileName;
};

}  // namespace console
