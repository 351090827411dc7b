#include "tools/instrument/frame_assembler.h"

#include <algorithm>

#include "tools/instrument/modbus_crc.h"

namespace instrument {
namespace {

// Requests of these functions are eight bytes long: address, function, two words, CRC.
bool IsFixedLength(uint8_t function) {
    switch (function) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
        case 46: return true;
        default: return false;
    }
}

// Requests of these functions carry a byte count at offset 6 and that many data bytes.
bool HasByteCount(uint8_t function) { return function == 15 || function == 16 || function == 47; }

constexpr size_t MinFrame = 4;

}  // namespace

TFrameAssembler::TScan TFrameAssembler::ScanAt(size_t offset, size_t& length) const {
    const std::span<const uint8_t> pending = std::span(Pending_).subspan(offset);
    if (pending.size() < 2) return TScan::NeedMore;
    const uint8_t function = pending[1];
    if (function == 16 && AcknowledgementAwaited_) {
        if (pending.size() < AcknowledgementSize) return TScan::NeedMore;
        if (HasValidModbusCrc(pending.first(AcknowledgementSize))) {
            length = AcknowledgementSize;
            return TScan::Frame;
        }
    }
    if (IsFixedLength(function) || HasByteCount(function)) {
        if (HasByteCount(function)) {
            if (pending.size() < 7) return TScan::NeedMore;
            length = 9 + size_t{pending[6]};
        } else {
            length = 8;
        }
        if (pending.size() < length) return TScan::NeedMore;
        return HasValidModbusCrc(pending.first(length)) ? TScan::Frame : TScan::Garbage;
    }
    // A function this instrument does not know: only the CRC can tell where its frame ends.
    // One running CRC serves every candidate length.
    const size_t limit = std::min(pending.size(), MaxFrame);
    uint16_t crc = ModbusCrcStart;
    for (size_t covered = 0; covered + 2 < limit; ++covered) {
        crc = ModbusCrcUpdate(crc, pending[covered]);
        // The CRC over bytes 0..covered would sit in the two bytes after them.
        length = covered + 3;
        if (length >= MinFrame && pending[covered + 1] == (crc & 0xFF) && pending[covered + 2] == (crc >> 8))
            return TScan::Frame;
    }
    return pending.size() >= MaxFrame ? TScan::Garbage : TScan::NeedMore;
}

TFrameAssembler::TScan TFrameAssembler::ScanFront(size_t& length) const {
    const TScan scan = ScanAt(0, length);
    if (scan != TScan::NeedMore) return scan;
    // A front that still waits for bytes is garbage when a whole request of a known function
    // already stands behind it: the master sent that one after the front fell short.
    for (size_t offset = 1; offset + MinFrame <= Pending_.size(); ++offset) {
        const uint8_t function = Pending_[offset + 1];
        size_t later = 0;
        if ((IsFixedLength(function) || HasByteCount(function)) && ScanAt(offset, later) == TScan::Frame)
            return TScan::Garbage;
    }
    return TScan::NeedMore;
}

void TFrameAssembler::Extract(std::vector<std::vector<uint8_t>>& frames, bool final) {
    while (!Pending_.empty()) {
        size_t length = 0;
        const TScan scan = ScanFront(length);
        if (scan == TScan::Frame) {
            frames.emplace_back(Pending_.begin(), Pending_.begin() + static_cast<ptrdiff_t>(length));
            Pending_.erase(Pending_.begin(), Pending_.begin() + static_cast<ptrdiff_t>(length));
        } else if (scan == TScan::Garbage || final) {
            Pending_.erase(Pending_.begin());
        } else {
            return;
        }
    }
}

std::vector<std::vector<uint8_t>> TFrameAssembler::Push(std::span<const uint8_t> bytes) {
    std::vector<std::vector<uint8_t>> frames;
    // Taken in slices so that the pending bytes stay bounded whatever the caller hands in.
    while (!bytes.empty()) {
        const size_t take = std::min(bytes.size(), MaxFrame);
        Pending_.insert(Pending_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(take));
        bytes = bytes.subspan(take);
        Extract(frames, false);
    }
    return frames;
}

std::vector<std::vector<uint8_t>> TFrameAssembler::Flush() {
    std::vector<std::vector<uint8_t>> frames;
    Extract(frames, true);
    return frames;
}

}  // namespace instrument
