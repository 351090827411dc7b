#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "tools/instrument/civil_time.h"
#include "tools/instrument/instrument_state.h"

namespace instrument {

// Anyone on the line may ask this address who is there; the instrument answers as itself.
constexpr uint8_t IdentifyAddress = 255;
// A report's byte count is one byte: the counters and 24 records fill it.
constexpr uint32_t MaxReportRecords = 24;

struct TInstrumentSettings {
    uint8_t Address = 1;       // 1..247
    uint32_t BaudRate = 9600;  // one of BaudRates
    uint8_t Model = 0x14;
};

// The instrument as a Modbus RTU slave without any I/O: it answers whole request frames.
// Safe to use from several threads: the line's thread answers while a test reads or
// changes the state.
class TInstrument {
public:
    // Raises base::Exception for an address or baud rate the instrument cannot take.
    explicit TInstrument(const TInstrumentSettings& settings = {},
                         THostClock hostClock = std::chrono::system_clock::now);

    // The reply to a request frame (CRC included), or nothing when the frame is not for
    // this instrument or fails its CRC.
    std::optional<std::vector<uint8_t>> Answer(std::span<const uint8_t> frame);

    // The frames the instrument sends on its own, function-16 writes from its address: the
    // live block (registers 0 to 10), or the history counters followed by the oldest
    // `records` unread records (register 7; fewer when fewer are unread). The counters say
    // what stays unread once the console has the block, which only its acknowledgement
    // makes so (MarkReported).
    std::vector<uint8_t> LiveReport() const;
    std::vector<uint8_t> RecordReport(uint32_t records) const;
    void MarkReported(uint32_t records);

    TInstrumentState State() const;
    void Update(const std::function<void(TInstrumentState&)>& change);
    // A register as function 3, or else function 46, reads it; nothing outside the map.
    std::optional<uint16_t> Register(uint16_t reg) const;
    TDateTime Clock() const;
    void SetClock(const TDateTime& value);
    uint8_t Address() const;
    uint32_t BaudRate() const;

private:
    std::vector<uint8_t> Handle(uint8_t address, std::span<const uint8_t> frame);
    int64_t Now() const;

    THostClock HostClock_;
    mutable std::mutex Mutex_;
    TInstrumentState State_;
};

// An exception reply: address, function with its top bit set, exception code, CRC.
std::vector<uint8_t> ExceptionReply(uint8_t address, uint8_t function, uint8_t code);

}  // namespace instrument
