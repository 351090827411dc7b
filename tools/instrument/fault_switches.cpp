#include "tools/instrument/fault_switches.h"

#include <algorithm>

#include "tools/instrument/modbus_crc.h"

namespace instrument {

std::vector<std::vector<uint8_t>> ShapeReply(std::vector<uint8_t> reply, const TFaults& faults) {
    if (reply.size() >= 4 && faults.ReplyAddress) {
        // Another instrument's reply carries its own valid CRC.
        reply.resize(reply.size() - 2);
        reply[0] = *faults.ReplyAddress;
        AppendModbusCrc(reply);
    }
    if (reply.size() >= 2 && faults.CorruptCrc) reply.back() ^= 0xFF;
    if (faults.ChunkSize == 0 || faults.ChunkSize >= reply.size()) return {reply};
    std::vector<std::vector<uint8_t>> chunks;
    for (size_t at = 0; at < reply.size(); at += faults.ChunkSize) {
        const size_t end = std::min(reply.size(), at + faults.ChunkSize);
        chunks.emplace_back(reply.begin() + static_cast<ptrdiff_t>(at), reply.begin() + static_cast<ptrdiff_t>(end));
    }
    return chunks;
}

}  // namespace instrument
