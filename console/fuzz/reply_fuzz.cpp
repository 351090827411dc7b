#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "console/conversions.h"
#include "console/reply_joining.h"
#include "console/reply_values.h"

namespace {

// Every decoder on the reply, as each request state would run it. A count too large for the
// console's conversion raises ERangeError, which the window shows; nothing else may escape.
void DecodeAll(const console::TConsoleState& state, uint32_t wanted) {
    using namespace console;
    const TReplyData data(state.RxFrame.data(), state.RxLength);
    (void)TReplyHead::Decode(data, state.ExpectedAddress, false);
    (void)TReplyHead::Decode(data, state.ExpectedAddress, true);
    (void)ReportHead(data);
    if (const auto records = TRecordReport::Decode(data))
        for (const THistoryRecord& record : records->Records) (void)ReportedLine(1, record);
    try {
        (void)TLiveReport::Decode(data);
        (void)TLiveValues::Decode(data);
        (void)TParameterBlock::Decode(data);
        if (const auto clock = TDeviceClock::Decode(data)) (void)clock->Plausible();
        (void)TCounters::DecodeAlarm(data);
        (void)TAdvancedSettings::Decode(data);
        (void)TIdentity::DecodeIdentify(data);
        (void)TIdentity::DecodeDetect(data);
        (void)TModelReply::Decode(data);
        (void)TSerialVersion::Decode(data);
        const TAlarmReply alarm = TAlarmReply::Decode(data);
        if (alarm.Event) (void)alarm.Event->Line();
        (void)TCounters::DecodeDayCount(data, false);
        if (const auto day = TDayRecord::Decode(data, false); day && day->Record) (void)HistoryLine(1, *day->Record);
        if (const auto block = THistoryBlock::Decode(data, wanted))
            for (const THistoryRecord& record : block->Records) (void)DayLine(1, record);
        (void)TCounters::DecodeHistory(data);
        (void)TCounters::DecodeRangeCount(data);
        (void)TCounters::DecodeDayCount(data, true);
        (void)TDayRecord::Decode(data, true);
    } catch (const ERangeError&) {
    }
}

}  // namespace

// Whatever arrives on the line, in pieces whose sizes the input chooses, is joined into
// replies within the receive buffers, and every reply decodes without reading past it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    console::TConsoleState state;
    state.ExpectedAddress = data[0];
    const uint32_t wanted = data[1] % 101;
    std::span<const uint8_t> line(data + 2, size - 2);
    while (!line.empty()) {
        const size_t piece = std::min<size_t>(line.size(), 1 + line[0] * 5u);
        if (console::JoinReplyChunk(state, line.data(), static_cast<uint16_t>(piece))) DecodeAll(state, wanted);
        line = line.subspan(piece);
    }
    return 0;
}
