#include "tools/instrument/history_store.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "base/exception.h"

namespace instrument {
namespace {

uint32_t Step(const TInstrumentState& state) { return std::max<uint32_t>(state.HistoryInterval, 1); }

void PutTime(const TDateTime& time, std::span<uint8_t, 6> out) {
    out[0] = static_cast<uint8_t>(time.Year - FirstYear);
    out[1] = static_cast<uint8_t>(time.Month);
    out[2] = static_cast<uint8_t>(time.Day);
    out[3] = static_cast<uint8_t>(time.Hour);
    out[4] = static_cast<uint8_t>(time.Minute);
    out[5] = static_cast<uint8_t>(time.Second);
}

// What the generated log holds in turn, with a value that suits each kind of event.
constexpr std::array<std::pair<uint8_t, uint8_t>, 13> EventCycle = {{
    {1, 1},
    {1, 2},
    {2, 1},
    {2, 2},
    {2, 3},
    {2, 4},
    {2, 5},
    {2, 6},
    {2, 7},
    {2, 8},
    {3, 5},
    {4, 18},
    {4, 29},
}};
constexpr int64_t EventSpacing = 600;

}  // namespace

THistoryRecord HistoryRecordAt(const TInstrumentState& state, uint32_t index) {
    const int64_t time = CivilSeconds(state.HistoryStart) + int64_t{index} * Step(state);
    return {static_cast<int16_t>(state.HistoryTemperature + static_cast<int>(index % 100)),
            static_cast<uint16_t>(state.HistoryHumidity + index % 50), FromCivilSeconds(time)};
}

void PutHistoryRecord(const THistoryRecord& record, std::span<uint8_t, HistoryRecordSize> out) {
    const auto temperature = static_cast<uint16_t>(record.Temperature);
    out[0] = static_cast<uint8_t>(temperature >> 8);
    out[1] = static_cast<uint8_t>(temperature & 0xFF);
    out[2] = static_cast<uint8_t>(record.Humidity >> 8);
    out[3] = static_cast<uint8_t>(record.Humidity & 0xFF);
    PutTime(record.Time, out.subspan<4>());
}

uint32_t FirstRecordFrom(const TInstrumentState& state, int64_t moment) {
    const int64_t first = CivilSeconds(state.HistoryStart);
    if (moment <= first) return 0;
    const int64_t step = Step(state);
    const int64_t index = (moment - first + step - 1) / step;
    return static_cast<uint32_t>(std::min<int64_t>(index, state.HistoryTotal));
}

void GenerateHistory(TInstrumentState& state, uint32_t count, const TDateTime& start, uint32_t interval) {
    state.HistoryTotal = state.HistoryUnread = count;
    state.HistoryStart = start;
    state.HistoryInterval = interval;
    state.DayRecords = state.DayReadIndex = state.DayFirstRecord = 0;
    state.RangeRecords = state.RangeReadIndex = state.RangeFirstRecord = 0;
}

TAlarmEvent AlarmEventAt(const TInstrumentState& state, uint32_t index) {
    if (index < state.Events.size()) return state.Events[index];
    const auto [kind, code] = EventCycle[index % EventCycle.size()];
    // Outputs close and open by turns; the others carry a reading or a parameter value.
    const int16_t value =
        kind == 1 ? static_cast<int16_t>(index / EventCycle.size() % 2 == 0) : static_cast<int16_t>(300 + index % 100);
    return {kind, code, value, FromCivilSeconds(CivilSeconds(state.HistoryStart) + int64_t{index} * EventSpacing)};
}

void PutAlarmEvent(const TAlarmEvent& event, std::span<uint8_t, AlarmEventSize> out) {
    const auto value = static_cast<uint16_t>(event.Value);
    out[0] = static_cast<uint8_t>(value >> 8);
    out[1] = static_cast<uint8_t>(value & 0xFF);
    out[2] = event.Class;
    out[3] = event.Code;
    PutTime(event.Time, out.subspan<4>());
}

void AddEvent(TInstrumentState& state, const TAlarmEvent& event) {
    if (state.Events.size() >= std::numeric_limits<uint16_t>::max())
        throw base::Exception("the instrument's event log is full");
    state.Events.push_back(event);
    state.AlarmTotal = static_cast<uint16_t>(state.Events.size());
    state.AlarmUnread = static_cast<uint16_t>(std::min<uint32_t>(state.AlarmUnread + 1u, state.AlarmTotal));
}

}  // namespace instrument
