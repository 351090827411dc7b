#pragma once

#include <cstdint>
#include <vector>

#include "tools/instrument/modbus_crc.h"

namespace instrument::testing {

// The bytes given with their CRC appended, as they go on the line.
inline std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
    AppendModbusCrc(bytes);
    return bytes;
}

}  // namespace instrument::testing
