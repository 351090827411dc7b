#include "tools/instrument/record_reads.h"

#include <algorithm>
#include <limits>

#include "tools/instrument/history_store.h"

namespace instrument {
namespace {

constexpr uint16_t UnreadRegister = 7;
constexpr uint16_t EventRegister = 1000;
constexpr uint16_t DayRegister = 3000;
constexpr uint16_t RangeRegister = 5000;
constexpr int64_t SecondsPerDay = 86400;

void AppendShort(std::vector<uint8_t>& data, uint32_t value) {
    data.push_back(static_cast<uint8_t>(value >> 8));
    data.push_back(static_cast<uint8_t>(value & 0xFF));
}

void AppendLong(std::vector<uint8_t>& data, uint32_t value) {
    AppendShort(data, value >> 16);
    AppendShort(data, value & 0xFFFF);
}

void AppendRecords(std::vector<uint8_t>& data, const TInstrumentState& state, uint32_t first, uint32_t count) {
    const size_t at = data.size();
    data.resize(at + size_t{count} * HistoryRecordSize);
    for (uint32_t i = 0; i < count; ++i)
        PutHistoryRecord(HistoryRecordAt(state, first + i),
                         std::span(data).subspan(at + i * HistoryRecordSize).first<HistoryRecordSize>());
}

// n of a block read of 5n+4 registers (n = 0 reads the counters alone); nothing for any
// other size.
std::optional<uint32_t> BlockRecords(uint16_t count) {
    if (count < 4 || (count - 4) % 5 != 0) return std::nullopt;
    return (count - 4u) / 5u;
}

// The total, the records left after this block and the block's `count` records from `from`.
std::vector<uint8_t> BlockData(const TInstrumentState& state, uint32_t from, uint32_t count, uint32_t leftAfter) {
    std::vector<uint8_t> data;
    data.reserve(8 + size_t{count} * HistoryRecordSize);
    AppendLong(data, state.HistoryTotal);
    AppendLong(data, leftAfter);
    AppendRecords(data, state, from, count);
    return data;
}

// A block of up to `wanted` records from the `left` still to read of a run that began at
// `first` and holds `records`; `left` counts down by the records handed out.
TRecordRead Block(const TInstrumentState& state, uint32_t first, uint32_t records, uint32_t& left, uint32_t wanted) {
    if (wanted > MaxBlockRecords) return {exIllegalValue, {}};
    if (left == 0 && wanted > 0) return {exIllegalValue, {}};
    const uint32_t taken = std::min(wanted, left);
    TRecordRead read{exNone, BlockData(state, first + (records - std::min(left, records)), taken, left - taken)};
    left -= taken;
    return read;
}

// Unread records are the newest ones.
uint32_t FirstUnread(const TInstrumentState& state) {
    return state.HistoryTotal - std::min(state.HistoryUnread, state.HistoryTotal);
}

TRecordRead DayRecord(TInstrumentState& s, uint16_t count) {
    const bool seconds = s.SecondsModel();
    if (count != (seconds ? 9 : 7)) return {exIllegalAddress, {}};
    if (s.DayReadIndex == 0) return {exIllegalValue, {}};
    const uint32_t index = s.DayFirstRecord + (s.DayRecords - std::min(s.DayReadIndex, s.DayRecords));
    --s.DayReadIndex;
    TRecordRead read;
    read.Data.reserve(8 + HistoryRecordSize);
    if (seconds) {
        AppendLong(read.Data, s.DayRecords);
        AppendLong(read.Data, s.DayReadIndex);
    } else {
        AppendShort(read.Data, s.DayRecords & 0xFFFF);
        AppendShort(read.Data, s.DayReadIndex & 0xFFFF);
    }
    AppendRecords(read.Data, s, index, 1);
    return read;
}

TRecordRead NextEvent(TInstrumentState& s) {
    if (s.AlarmUnread == 0) return {exIllegalValue, {}};
    const uint32_t index = s.AlarmTotal - std::min(s.AlarmUnread, s.AlarmTotal);
    --s.AlarmUnread;
    TRecordRead read;
    read.Data.resize(4 + AlarmEventSize);
    read.Data[0] = static_cast<uint8_t>(s.AlarmTotal >> 8);
    read.Data[1] = static_cast<uint8_t>(s.AlarmTotal & 0xFF);
    read.Data[2] = static_cast<uint8_t>(s.AlarmUnread >> 8);
    read.Data[3] = static_cast<uint8_t>(s.AlarmUnread & 0xFF);
    PutAlarmEvent(AlarmEventAt(s, index), std::span(read.Data).subspan<4, AlarmEventSize>());
    return read;
}

int64_t DayStart(const TDate& date) { return CivilSeconds({date.Year, date.Month, date.Day, 0, 0, 0}); }

}  // namespace

std::optional<TRecordRead> ReadRecords(TInstrumentState& state, uint16_t start, uint16_t count) {
    switch (start) {
        case UnreadRegister:
            if (const auto wanted = BlockRecords(count))
                return Block(state, FirstUnread(state), state.HistoryUnread, state.HistoryUnread, *wanted);
            return std::nullopt;
        case RangeRegister:
            if (const auto wanted = BlockRecords(count))
                return Block(state, state.RangeFirstRecord, state.RangeRecords, state.RangeReadIndex, *wanted);
            return std::nullopt;
        case DayRegister:
            if (count == 7 || count == 9) return DayRecord(state, count);
            return std::nullopt;
        case EventRegister:
            if (count == 7) return NextEvent(state);
            return std::nullopt;
        default: return std::nullopt;
    }
}

std::vector<uint8_t> UnreadBlock(const TInstrumentState& state, uint32_t records) {
    const uint32_t unread = state.HistoryTotal - FirstUnread(state);
    const uint32_t count = std::min(records, unread);
    return BlockData(state, FirstUnread(state), count, unread - count);
}

void FindDayRecords(TInstrumentState& s) {
    const int64_t from = DayStart(s.DayQuery);
    s.DayFirstRecord = FirstRecordFrom(s, from);
    s.DayRecords = FirstRecordFrom(s, from + SecondsPerDay) - s.DayFirstRecord;
    // A minute model counts a day in 16 bits.
    if (!s.SecondsModel()) s.DayRecords = std::min<uint32_t>(s.DayRecords, std::numeric_limits<uint16_t>::max());
    s.DayReadIndex = s.DayRecords;
}

void FindRangeRecords(TInstrumentState& s) {
    s.RangeFirstRecord = FirstRecordFrom(s, DayStart(s.RangeStart));
    s.RangeRecords = FirstRecordFrom(s, DayStart(s.RangeEnd) + SecondsPerDay) - s.RangeFirstRecord;
    s.RangeReadIndex = s.RangeRecords;
}

}  // namespace instrument
