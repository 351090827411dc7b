#include "tools/instrument/modbus_crc.h"

#include <array>

namespace instrument {
namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t value = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? static_cast<uint16_t>((value >> 1) ^ 0xA001) : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint16_t, 256> CrcTable = MakeCrcTable();

}  // namespace

uint16_t ModbusCrcUpdate(uint16_t crc, uint8_t byte) {
    return static_cast<uint16_t>((crc >> 8) ^ CrcTable[(crc ^ byte) & 0xFF]);
}

uint16_t ModbusCrc(std::span<const uint8_t> bytes) {
    uint16_t crc = ModbusCrcStart;
    for (const uint8_t b : bytes) crc = ModbusCrcUpdate(crc, b);
    return crc;
}

void AppendModbusCrc(std::vector<uint8_t>& frame) {
    const uint16_t crc = ModbusCrc(frame);
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
}

bool HasValidModbusCrc(std::span<const uint8_t> frame) {
    if (frame.size() < 4) return false;
    const uint16_t crc = ModbusCrc(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

}  // namespace instrument
