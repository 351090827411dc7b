#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace instrument {

// What a misbehaving instrument or line does to its replies. All off by default.
struct TFaults {
    bool Silent = false;                      // hears nothing: no request is acted on or answered
    uint32_t SilentRequests = 0;              // the same for this many more requests addressed to it
    bool CorruptCrc = false;                  // the reply's CRC is wrong
    size_t ChunkSize = 0;                     // the reply goes out in pieces of this size (0: whole)
    std::chrono::milliseconds ChunkPause{0};  // silence between the pieces
    std::optional<uint8_t> ReplyAddress{};    // the reply claims to come from this address
    std::chrono::milliseconds ReplyDelay{0};  // silence before the reply
};

// A reply as the faults put it on the line: the pieces to write one after another.
std::vector<std::vector<uint8_t>> ShapeReply(std::vector<uint8_t> reply, const TFaults& faults);

}  // namespace instrument
