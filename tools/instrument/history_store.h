#pragma once

#include <cstdint>
#include <span>

#include "tools/instrument/instrument_state.h"

namespace instrument {

// One history record: what the instrument measured and when.
struct THistoryRecord {
    int16_t Temperature = 0;  // tenths of a degree
    uint16_t Humidity = 0;    // tenths of a percent
    TDateTime Time;
    bool operator==(const THistoryRecord&) const = default;
};

constexpr size_t HistoryRecordSize = 10;
// An event on the line: value, class, code and the six bytes of its time.
constexpr size_t AlarmEventSize = 10;

// Record `index` (0 the oldest) of the generated history: its time steps by the interval,
// its temperature rises a tenth per record in cycles of 100 and its humidity in cycles of
// 50, so that neighbouring records differ in every field.
THistoryRecord HistoryRecordAt(const TInstrumentState& state, uint32_t index);

// The record as it travels: temperature and humidity big-endian, then year - 2000, month,
// day, hour, minute, second.
void PutHistoryRecord(const THistoryRecord& record, std::span<uint8_t, HistoryRecordSize> out);

// The index of the first record taken at or after `moment` (civil seconds); the total when
// none was.
uint32_t FirstRecordFrom(const TInstrumentState& state, int64_t moment);

// A history of `count` records from `start`, every `interval` seconds, all unread.
void GenerateHistory(TInstrumentState& state, uint32_t count, const TDateTime& start, uint32_t interval);

// Event `index` (0 the oldest): from the list, or generated, cycling through the outputs,
// the alarms and both kinds of change.
TAlarmEvent AlarmEventAt(const TInstrumentState& state, uint32_t index);
void PutAlarmEvent(const TAlarmEvent& event, std::span<uint8_t, AlarmEventSize> out);

// Logs an event, unread. The list becomes the whole log: events generated before are gone.
// Raises base::Exception when the 16-bit counters are full.
void AddEvent(TInstrumentState& state, const TAlarmEvent& event);

}  // namespace instrument
