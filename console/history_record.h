#pragma once

#include <QString>
#include <cstdint>

#include "console/record_time.h"

namespace console {

// The instrument's 10-byte history record, as replies, reports and memory-card day files
// carry it: temperature (signed tenths), humidity (tenths), then year - 2000, month, day,
// hour, minute, second.
struct THistoryRecord {
    double Temperature = 0;
    double Humidity = 0;
    TRecordTime Time;

    static THistoryRecord Decode(const uint8_t* bytes);
};

// List lines: the unread and range reads, the day reads (time only) and the reports the
// instrument sends on its own. `number` counts the record.
QString HistoryLine(uint32_t number, const THistoryRecord& record);
QString DayLine(uint32_t number, const THistoryRecord& record);
QString ReportedLine(uint32_t number, const THistoryRecord& record);

}  // namespace console
