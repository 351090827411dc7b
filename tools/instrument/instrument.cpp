#include "tools/instrument/instrument.h"

#include <algorithm>

#include "base/exception.h"
#include "tools/instrument/modbus_crc.h"
#include "tools/instrument/record_reads.h"
#include "tools/instrument/register_map.h"

namespace instrument {
namespace {

constexpr uint16_t MaxReadCount = 125;
constexpr uint16_t MaxWriteCount = 123;

uint16_t WordAt(std::span<const uint8_t> frame, size_t offset) {
    return static_cast<uint16_t>((frame[offset] << 8) | frame[offset + 1]);
}

void AppendWord(std::vector<uint8_t>& frame, uint16_t value) {
    frame.push_back(static_cast<uint8_t>(value >> 8));
    frame.push_back(static_cast<uint8_t>(value & 0xFF));
}

std::vector<uint8_t> RecordReply(uint8_t address, const TRecordRead& read) {
    if (read.Exception != exNone) return ExceptionReply(address, fnReadRegisters, read.Exception);
    std::vector<uint8_t> reply;
    reply.reserve(3 + read.Data.size() + 2);
    reply.resize(3 + read.Data.size());
    reply[0] = address;
    reply[1] = fnReadRegisters;
    // A block of many records overflows the byte count; it keeps the low byte.
    reply[2] = static_cast<uint8_t>(read.Data.size() & 0xFF);
    std::copy(read.Data.begin(), read.Data.end(), reply.begin() + 3);
    AppendModbusCrc(reply);
    return reply;
}

std::vector<uint8_t> Report(uint8_t address, uint16_t start, std::span<const uint8_t> data) {
    std::vector<uint8_t> frame{address, fnWriteRegisters};
    frame.reserve(7 + data.size() + 2);
    AppendWord(frame, start);
    AppendWord(frame, static_cast<uint16_t>(data.size() / 2));
    frame.push_back(static_cast<uint8_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    AppendModbusCrc(frame);
    return frame;
}

}  // namespace

std::vector<uint8_t> ExceptionReply(uint8_t address, uint8_t function, uint8_t code) {
    std::vector<uint8_t> reply{address, static_cast<uint8_t>(function | 0x80), code};
    AppendModbusCrc(reply);
    return reply;
}

TInstrument::TInstrument(const TInstrumentSettings& settings, THostClock hostClock) : HostClock_(std::move(hostClock)) {
    if (settings.Address < 1 || settings.Address > 247) throw base::Exception("instrument address must lie in 1..247");
    const auto baud = std::find(BaudRates.begin(), BaudRates.end(), settings.BaudRate);
    if (baud == BaudRates.end()) throw base::Exception("instrument baud rate must be 9600, 19200, 115200 or 1000000");
    State_.Parameters[pmAddress] = settings.Address;
    State_.Parameters[pmBaudRate] = static_cast<uint16_t>(baud - BaudRates.begin());
    State_.Model = settings.Model;
}

int64_t TInstrument::Now() const { return HostLocalSeconds(HostClock_()); }

std::optional<std::vector<uint8_t>> TInstrument::Answer(std::span<const uint8_t> frame) {
    if (!HasValidModbusCrc(frame)) return std::nullopt;
    std::lock_guard lock(Mutex_);
    // The reply leaves from the address the instrument had when it was asked, even when the
    // request moves it to another one.
    const uint8_t address = State_.Address();
    if (frame[0] != address && frame[0] != IdentifyAddress) return std::nullopt;
    return Handle(address, frame.first(frame.size() - 2));
}

std::vector<uint8_t> TInstrument::Handle(uint8_t address, std::span<const uint8_t> request) {
    const uint8_t function = request[1];
    const int64_t now = Now();
    switch (function) {
        case fnReadRegisters:
        case fnReadSettings: {
            if (request.size() != 6) return ExceptionReply(address, function, exIllegalValue);
            const uint16_t count = WordAt(request, 4);
            if (function == fnReadRegisters) {
                if (const auto records = ReadRecords(State_, WordAt(request, 2), count))
                    return RecordReply(address, *records);
            }
            if (count < 1 || count > MaxReadCount) return ExceptionReply(address, function, exIllegalValue);
            const TReadResult read = ReadRegisters(State_, now, function, WordAt(request, 2), count);
            if (read.Exception != exNone) return ExceptionReply(address, function, read.Exception);
            std::vector<uint8_t> reply{address, function, static_cast<uint8_t>(2 * count)};
            for (const uint16_t value : read.Values) AppendWord(reply, value);
            AppendModbusCrc(reply);
            return reply;
        }
        case fnWriteCoil:
        case fnWriteRegister: {
            if (request.size() != 6) return ExceptionReply(address, function, exIllegalValue);
            const uint16_t value = WordAt(request, 4);
            const TException refusal = WriteRegisters(State_, now, function, WordAt(request, 2), {&value, 1});
            if (refusal != exNone) return ExceptionReply(address, function, refusal);
            std::vector<uint8_t> reply(request.begin(), request.end());
            reply[0] = address;
            AppendModbusCrc(reply);
            return reply;
        }
        case fnWriteRegisters:
        case fnWriteSettings: {
            if (request.size() < 7) return ExceptionReply(address, function, exIllegalValue);
            const uint16_t count = WordAt(request, 4);
            const size_t byteCount = request[6];
            if (count < 1 || count > MaxWriteCount || byteCount != 2u * count || request.size() != 7 + byteCount)
                return ExceptionReply(address, function, exIllegalValue);
            std::vector<uint16_t> values;
            for (size_t i = 0; i < count; ++i) values.push_back(WordAt(request, 7 + 2 * i));
            const TException refusal = WriteRegisters(State_, now, function, WordAt(request, 2), values);
            if (refusal != exNone) return ExceptionReply(address, function, refusal);
            std::vector<uint8_t> reply(request.begin(), request.begin() + 6);
            reply[0] = address;
            AppendModbusCrc(reply);
            return reply;
        }
        default: return ExceptionReply(address, function, exIllegalFunction);
    }
}

std::vector<uint8_t> TInstrument::LiveReport() const {
    std::lock_guard lock(Mutex_);
    const TReadResult read = ReadRegisters(State_, Now(), fnReadRegisters, 0, 11);
    std::vector<uint8_t> data;
    for (const uint16_t value : read.Values) AppendWord(data, value);
    return Report(State_.Address(), 0, data);
}

std::vector<uint8_t> TInstrument::RecordReport(uint32_t records) const {
    if (records > MaxReportRecords) throw base::Exception("a report holds at most 24 records");
    std::lock_guard lock(Mutex_);
    return Report(State_.Address(), 7, UnreadBlock(State_, records));
}

void TInstrument::MarkReported(uint32_t records) {
    std::lock_guard lock(Mutex_);
    State_.HistoryUnread -= std::min(records, State_.HistoryUnread);
}

TInstrumentState TInstrument::State() const {
    std::lock_guard lock(Mutex_);
    return State_;
}

void TInstrument::Update(const std::function<void(TInstrumentState&)>& change) {
    std::lock_guard lock(Mutex_);
    change(State_);
}

std::optional<uint16_t> TInstrument::Register(uint16_t reg) const {
    std::lock_guard lock(Mutex_);
    for (const uint8_t function : {fnReadRegisters, fnReadSettings}) {
        const TReadResult read = ReadRegisters(State_, Now(), function, reg, 1);
        if (read.Exception == exNone) return read.Values[0];
    }
    return std::nullopt;
}

TDateTime TInstrument::Clock() const {
    std::lock_guard lock(Mutex_);
    return InstrumentClock(State_, Now());
}

void TInstrument::SetClock(const TDateTime& value) {
    std::lock_guard lock(Mutex_);
    State_.ClockOffset = CivilSeconds(value) - Now();
}

uint8_t TInstrument::Address() const {
    std::lock_guard lock(Mutex_);
    return State_.Address();
}

uint32_t TInstrument::BaudRate() const {
    std::lock_guard lock(Mutex_);
    return State_.BaudRate();
}

}  // namespace instrument
