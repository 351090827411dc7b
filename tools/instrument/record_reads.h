#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/instrument/instrument_state.h"
#include "tools/instrument/register_map.h"

namespace instrument {

// The largest block of records one read may ask for: 5 * 100 + 4 registers.
constexpr uint32_t MaxBlockRecords = 100;

struct TRecordRead {
    TException Exception = exNone;
    std::vector<uint8_t> Data;  // the reply's data bytes
};

// The function-3 reads that hand out records and move past them:
// - register 7, 5n+4 registers: total and unread (what remains after this block), then the
//   n oldest unread records, or as many as are left;
// - register 5000, 5n+4 registers: the same over the records of the range query;
// - register 3000, 7 registers (minute models) or 9 (second models): the day's count and
//   the records still to read after this one, 16 or 32 bits each, then the day's next record;
// - register 1000, 7 registers: the event counters, unread after this one, then the next
//   event.
// With nothing left to hand out the answer is exception 3. Nothing when the read is none of
// these: the counters alone are the register map's.
std::optional<TRecordRead> ReadRecords(TInstrumentState& state, uint16_t start, uint16_t count);

// The counters and the oldest `records` unread records (fewer when fewer are unread) as a
// block carries them, without moving past them; the unread counter says what remains after
// the block.
std::vector<uint8_t> UnreadBlock(const TInstrumentState& state, uint32_t records);

// The records a day query (or a range query, from its first day to its last) finds.
void FindDayRecords(TInstrumentState& state);
void FindRangeRecords(TInstrumentState& state);

}  // namespace instrument
