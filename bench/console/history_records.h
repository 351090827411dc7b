#pragma once

#include <cstdint>

#include "console/history_record.h"

namespace console {

// The history reading's records as the report benchmarks make them: a quarter-hour apart, with
// temperatures and humidities that vary from row to row.
inline THistoryRecord BenchRecord(uint32_t i) {
    THistoryRecord r;
    r.Temperature = (200 + int(i % 100)) / 10.0;
    r.Humidity = (500 + int(i % 300)) / 10.0;
    r.Time = {2026, 1 + int(i / 2880) % 12, 1 + int(i / 96) % 28, int(i / 4) % 24, int(i % 4) * 15, 0};
    return r;
}

}  // namespace console
