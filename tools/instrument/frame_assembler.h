#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace instrument {

// Cuts request frames out of the byte stream of a Modbus RTU line without timing: the
// function code tells the frame's length and the CRC confirms it. Bytes that cannot start a
// frame are dropped one at a time until a frame lines up again.
class TFrameAssembler {
public:
    // The longest frame of the RTU line.
    static constexpr size_t MaxFrame = 256;
    // The master's answer to the instrument's own write: address, function 16, first
    // register, register count, CRC. No byte count, so it is only looked for on request.
    static constexpr size_t AcknowledgementSize = 8;

    void AwaitAcknowledgement(bool awaited) { AcknowledgementAwaited_ = awaited; }

    // Takes received bytes and returns the complete frames (CRC checked) now available.
    std::vector<std::vector<uint8_t>> Push(std::span<const uint8_t> bytes);
    // The line fell silent: whatever still waits for more bytes never completes, so resync
    // over it and return the frames found on the way.
    std::vector<std::vector<uint8_t>> Flush();
    bool HasPartial() const { return !Pending_.empty(); }

private:
    enum class TScan { Frame, NeedMore, Garbage };
    TScan ScanAt(size_t offset, size_t& length) const;
    TScan ScanFront(size_t& length) const;
    void Extract(std::vector<std::vector<uint8_t>>& frames, bool final);

    std::vector<uint8_t> Pending_;
    bool AcknowledgementAwaited_ = false;
};

}  // namespace instrument
