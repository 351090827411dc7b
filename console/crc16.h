#pragma once

#include <cstddef>
#include <cstdint>

namespace console {

// The CRC-16 of Modbus RTU frames (initial value 0xFFFF, reflected polynomial 0xA001). The
// high half of the result is the byte sent first, right after the data.
uint16_t Crc16Modbus(const uint8_t* buffer, size_t length);

}  // namespace console
