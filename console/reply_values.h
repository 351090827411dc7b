#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "console/alarm_event.h"
#include "console/history_record.h"

// The replies of the instrument decoded into plain values, apart from any window: the
// window shows a value in a step of its own. Each decoder takes a whole reply (CRC checked)
// and gives nothing when the reply is too short for it; a 32-bit count that does not fit
// a signed 32-bit number raises ERangeError, as the console's conversion of it does.
namespace console {

// The data of a reply: data byte k is frame byte 3 + k. Bytes past the reply's end read
// as 0, as in the zero-filled receive buffer.
class TReplyData {
public:
    TReplyData(const uint8_t* frame, int32_t length) : Frame_(frame), Length_(length < 0 ? 0 : length) {}
    int32_t Length() const { return Length_; }
    // Frame byte `at`, 0 past the reply's end.
    uint8_t At(int at) const;
    uint8_t Byte(int k) const { return At(3 + k); }
    uint16_t Word(int index) const;
    // Words index and index + 1 as one count; raises ERangeError from 0x80000000 on.
    uint32_t Long(int index) const;

private:
    const uint8_t* Frame_;
    int32_t Length_;
};

struct TLiveValues {
    int16_t Temperature = 0;  // tenths; 0x8000: no probe
    uint16_t Humidity = 0;    // tenths
    int16_t DewPoint = 0;     // tenths
    bool Do1Closed = false;
    bool Do2Closed = false;
    uint8_t Alarm = 0;
    static std::optional<TLiveValues> Decode(const TReplyData& data);
};

// Registers 200 to 223.
struct TParameterBlock {
    std::array<uint16_t, 24> Registers{};
    uint16_t Register(int reg) const { return Registers[static_cast<size_t>(reg - 200)]; }
    static std::optional<TParameterBlock> Decode(const TReplyData& data);
};

// A clock as the instrument keeps it: year - 2000, month, day, hour, minute, second.
struct TDeviceClock {
    std::array<uint8_t, 6> Fields{};
    // Month, day, hour, minute and second within their ranges (the date itself unchecked).
    bool Plausible() const;
    static std::optional<TDeviceClock> Decode(const TReplyData& data);
};

struct TCounters {
    uint32_t Total = 0;
    uint32_t Unread = 0;  // or, of a query, the index the read starts from
    static std::optional<TCounters> DecodeAlarm(const TReplyData& data);
    static std::optional<TCounters> DecodeHistory(const TReplyData& data);
    static std::optional<TCounters> DecodeDayCount(const TReplyData& data, bool secondsModel);
    static std::optional<TCounters> DecodeRangeCount(const TReplyData& data);
};

struct TAdvancedSettings {
    std::array<uint16_t, 4> Values{};
    static std::optional<TAdvancedSettings> Decode(const TReplyData& data);
};

// The address an instrument gives on identification (exactly one register) or detection.
struct TIdentity {
    uint16_t Address = 0;
    static std::optional<TIdentity> DecodeIdentify(const TReplyData& data);
    static std::optional<TIdentity> DecodeDetect(const TReplyData& data);
};

struct TModelReply {
    uint8_t Class = 0;
    uint8_t Options = 0;
    uint16_t Version = 0;
    static std::optional<TModelReply> Decode(const TReplyData& data);
};

struct TSerialVersion {
    std::array<uint8_t, 6> Serial{};
    uint16_t Version = 0;
    static std::optional<TSerialVersion> Decode(const TReplyData& data);
};

// A block of the unread or range read: the counters and the records the frame carries, at
// most `wanted` (a block's one-byte byte count cannot say 1008, so the frame's length counts).
struct THistoryBlock {
    TCounters Counters;
    std::vector<THistoryRecord> Records;
    bool CarriesRecords = false;  // the frame is longer than the counters alone
    static std::optional<THistoryBlock> Decode(const TReplyData& data, uint32_t wanted);
};

// A record of the day read, with the day's count and the index of the next record.
struct TDayRecord {
    TCounters Counters;
    std::optional<THistoryRecord> Record;
    static std::optional<TDayRecord> Decode(const TReplyData& data, bool secondsModel);
};

// An alarm or event read: the counters (when the reply holds them) and the event.
struct TAlarmReply {
    std::optional<TCounters> Counters;
    std::optional<TAlarmEvent> Event;
    static TAlarmReply Decode(const TReplyData& data);
};

// What a reply is, told by its address, function code and length: each kind is handled apart.
enum class TReplyKind {
    Ignored,
    Exception,
    OperationDone,  // the echo of a coil write or the instrument's own write
    WriteDone,      // the echo of a register write
    Report,         // a register write the instrument sends on its own
    Read,
};

struct TReplyHead {
    TReplyKind Kind = TReplyKind::Ignored;
    uint8_t Function = 0;  // without the exception flag
    uint8_t ExceptionCode = 0;
    // A read reply is taken from any address while identifying or detecting (anyAddress).
    static TReplyHead Decode(const TReplyData& data, uint8_t expectedAddress, bool anyAddress);
};

// The address, function, register and count of a report, echoed in its acknowledgement.
std::array<uint8_t, 6> ReportHead(const TReplyData& data);

// The report of register 0: live values, DO states, battery level and the record counters.
struct TLiveReport {
    int16_t Temperature = 0;  // tenths
    int16_t Humidity = 0;     // tenths
    int16_t DewPoint = 0;     // tenths
    uint16_t Do1 = 0;
    uint16_t Do2 = 0;
    uint16_t Alarm = 0;
    uint16_t Battery = 0;
    TCounters Counters;
    // Nothing for another register; a short report reads 0 past its end.
    static std::optional<TLiveReport> Decode(const TReplyData& data);
};

// The report of register 7: the records its byte count promises and its frame holds.
struct TRecordReport {
    std::vector<THistoryRecord> Records;
    // Nothing for another register.
    static std::optional<TRecordReport> Decode(const TReplyData& data);
};

}  // namespace console
