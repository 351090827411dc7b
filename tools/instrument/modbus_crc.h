#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace instrument {

constexpr uint16_t ModbusCrcStart = 0xFFFF;

// CRC-16 of Modbus RTU frames (initial value 0xFFFF, reflected polynomial 0xA001).
uint16_t ModbusCrc(std::span<const uint8_t> bytes);
// One more byte into a running CRC.
uint16_t ModbusCrcUpdate(uint16_t crc, uint8_t byte);

// Appends the CRC low byte first, as the frame carries it.
void AppendModbusCrc(std::vector<uint8_t>& frame);

// True when the frame is long enough to carry a CRC and its last two bytes match the rest.
bool HasValidModbusCrc(std::span<const uint8_t> frame);

}  // namespace instrument
