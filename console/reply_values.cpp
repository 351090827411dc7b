#include "console/reply_values.h"

#include <algorithm>

#include "console/conversions.h"
#include "console/modbus_protocol.h"

namespace console {
namespace {

// A history record from data byte k on; bytes past the reply read as 0.
THistoryRecord RecordAt(const TReplyData& data, int k) {
    std::array<uint8_t, protocol::HistoryRecordBytes> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = data.Byte(k + static_cast<int>(i));
    return THistoryRecord::Decode(bytes.data());
}

}  // namespace

uint8_t TReplyData::At(int at) const { return at >= 0 && at < Length_ ? Frame_[at] : 0; }

uint16_t TReplyData::Word(int index) const { return static_cast<uint16_t>(Byte(2 * index) << 8 | Byte(2 * index + 1)); }

uint32_t TReplyData::Long(int index) const {
    const uint32_t value = static_cast<uint32_t>(Word(index)) << 16 | Word(index + 1);
    if (value >= 0x80000000u) throw ERangeError();
    return value;
}

std::optional<TLiveValues> TLiveValues::Decode(const TReplyData& data) {
    if (data.Length() < 15) return std::nullopt;
    return TLiveValues{static_cast<int16_t>(data.Word(0)),
                       data.Word(1),
                       static_cast<int16_t>(data.Word(2)),
                       (data.Word(3) & 1) != 0,
                       (data.Word(4) & 1) != 0,
                       static_cast<uint8_t>(data.Word(5) & 0xFF)};
}

std::optional<TParameterBlock> TParameterBlock::Decode(const TReplyData& data) {
    if (data.Length() < 41) return std::nullopt;
    TParameterBlock block;
    for (size_t i = 0; i < block.Registers.size(); ++i) block.Registers[i] = data.Word(static_cast<int>(i));
    return block;
}

bool TDeviceClock::Plausible() const {
    return Fields[1] <= 12 && Fields[2] <= 31 && Fields[3] <= 23 && Fields[4] <= 59 && Fields[5] <= 59;
}

std::optional<TDeviceClock> TDeviceClock::Decode(const TReplyData& data) {
    if (data.Length() < 9) return std::nullopt;
    TDeviceClock clock;
    for (size_t k = 0; k < clock.Fields.size(); ++k) clock.Fields[k] = data.Byte(static_cast<int>(k));
    return clock;
}

std::optional<TCounters> TCounters::DecodeAlarm(const TReplyData& data) {
    if (data.Length() < 7) return std::nullopt;
    return TCounters{data.Word(0), data.Word(1)};
}

std::optional<TCounters> TCounters::DecodeHistory(const TReplyData& data) {
    if (data.Length() < 12) return std::nullopt;
    return TCounters{data.Long(0), data.Long(2)};
}

std::optional<TCounters> TCounters::DecodeDayCount(const TReplyData& data, bool secondsModel) {
    if (data.Length() < 7) return std::nullopt;
    return secondsModel ? TCounters{data.Long(0), data.Long(2)} : TCounters{data.Word(0), data.Word(1)};
}

std::optional<TCounters> TCounters::DecodeRangeCount(const TReplyData& data) {
    if (data.Length() < 11) return std::nullopt;
    return TCounters{data.Long(0), data.Long(2)};
}

std::optional<TAdvancedSettings> TAdvancedSettings::Decode(const TReplyData& data) {
    if (data.Length() < 13) return std::nullopt;
    return TAdvancedSettings{{data.Word(0), data.Word(1), data.Word(2), data.Word(3)}};
}

std::optional<TIdentity> TIdentity::DecodeIdentify(const TReplyData& data) {
    if (data.Length() != 7) return std::nullopt;
    return TIdentity{data.Word(0)};
}

std::optional<TIdentity> TIdentity::DecodeDetect(const TReplyData& data) {
    if (data.Length() < 7) return std::nullopt;
    return TIdentity{data.Word(0)};
}

std::optional<TModelReply> TModelReply::Decode(const TReplyData& data) {
    if (data.Length() < 9) return std::nullopt;
    return TModelReply{data.Byte(0), data.Byte(1), data.Word(1)};
}

std::optional<TSerialVersion> TSerialVersion::Decode(const TReplyData& data) {
    if (data.Length() != 27) return std::nullopt;
    TSerialVersion reply;
    for (size_t k = 0; k < reply.Serial.size(); ++k) reply.Serial[k] = data.Byte(static_cast<int>(k + 2));
    reply.Version = data.Word(10);
    return reply;
}

std::optional<THistoryBlock> THistoryBlock::Decode(const TReplyData& data, uint32_t wanted) {
    using namespace protocol;
    if (data.Length() < 12) return std::nullopt;
    THistoryBlock block;
    block.Counters = {data.Long(0), data.Long(2)};
    block.CarriesRecords = data.Length() > 20;
    if (!block.CarriesRecords) return block;
    const int32_t carried = (data.Length() - static_cast<int32_t>(ReadReplyOverhead + BlockHeaderBytes)) /
                            static_cast<int32_t>(HistoryRecordBytes);
    const uint32_t records = std::min(wanted, static_cast<uint32_t>(std::max(carried, 0)));
    block.Records.reserve(records);
    for (uint32_t i = 0; i < records; ++i)
        block.Records.push_back(RecordAt(data, static_cast<int>(BlockHeaderBytes + HistoryRecordBytes * i)));
    return block;
}

std::optional<TDayRecord> TDayRecord::Decode(const TReplyData& data, bool secondsModel) {
    if (data.Length() < (secondsModel ? 9 : 7)) return std::nullopt;
    TDayRecord day;
    day.Counters = secondsModel ? TCounters{data.Long(0), data.Long(2)} : TCounters{data.Word(0), data.Word(1)};
    // Past 16 bytes the frame carries the record, after the counters.
    if (data.Length() > 16) day.Record = RecordAt(data, secondsModel ? 8 : 4);
    return day;
}

TAlarmReply TAlarmReply::Decode(const TReplyData& data) {
    TAlarmReply reply;
    if (data.Length() >= 6) reply.Counters = TCounters{data.Word(0), data.Word(1)};
    if (data.Length() >= 17) {
        std::array<uint8_t, 14> bytes{};
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = data.Byte(static_cast<int>(i));
        reply.Event = TAlarmEvent::Decode(bytes.data());
    }
    return reply;
}

TReplyHead TReplyHead::Decode(const TReplyData& data, uint8_t expectedAddress, bool anyAddress) {
    using namespace protocol;
    const uint8_t function = data.At(1);
    TReplyHead head;
    head.Function = function & static_cast<uint8_t>(~ExceptionFlag);
    const bool addressed = data.Length() >= 2 && data.At(0) == expectedAddress;
    const bool registerWrite = function == fnWriteRegisters || function == fnWriteRegister;
    if (addressed && function > ExceptionFlag) {
        head.Kind = TReplyKind::Exception;
        head.ExceptionCode = data.At(2);
    } else if (addressed && (function == fnWriteCoil || function == fnWriteCoils || function == fnWritePrivate)) {
        head.Kind = TReplyKind::OperationDone;
    } else if (addressed && registerWrite) {
        // No acknowledgement is longer than its 8 bytes; a longer register write is a report.
        head.Kind = data.Length() <= static_cast<int32_t>(WriteAcknowledgementBytes) ? TReplyKind::WriteDone
                                                                                     : TReplyKind::Report;
    } else if ((function == fnReadRegisters || function == fnReadPrivate) && (addressed || anyAddress)) {
        head.Kind = TReplyKind::Read;
    }
    return head;
}

std::array<uint8_t, 6> ReportHead(const TReplyData& data) {
    std::array<uint8_t, 6> head{};
    for (size_t i = 0; i < head.size(); ++i) head[i] = data.At(static_cast<int>(i));
    return head;
}

namespace {

// A report's first register, bytes 2-3; its register data starts at data byte 4 (frame byte 7).
uint16_t ReportRegister(const TReplyData& data) { return static_cast<uint16_t>(data.At(2) << 8 | data.At(3)); }

}  // namespace

std::optional<TLiveReport> TLiveReport::Decode(const TReplyData& data) {
    if (ReportRegister(data) != protocol::regLiveValues) return std::nullopt;
    const auto tenths = [&](int index) { return static_cast<int16_t>(data.Word(index)); };
    return TLiveReport{tenths(2),    tenths(3),    tenths(4),    data.Word(5),
                       data.Word(6), data.Word(7), data.Word(8), TCounters{data.Long(9), data.Long(11)}};
}

std::optional<TRecordReport> TRecordReport::Decode(const TReplyData& data) {
    using namespace protocol;
    if (ReportRegister(data) != regUnreadBlock) return std::nullopt;
    // The counters (8 bytes) come first; the records follow from data byte 12 on.
    constexpr int first = 4 + static_cast<int>(BlockHeaderBytes);
    const int promised = data.Byte(3) / static_cast<int>(HistoryRecordBytes);
    const int held =
        std::max(0, (data.Length() - static_cast<int>(CrcBytes) - 3 - first) / static_cast<int>(HistoryRecordBytes));
    TRecordReport report;
    const int records = std::min(promised, held);
    report.Records.reserve(static_cast<size_t>(records));
    for (int i = 0; i < records; ++i)
        report.Records.push_back(RecordAt(data, first + static_cast<int>(HistoryRecordBytes) * i));
    return report;
}

}  // namespace console
