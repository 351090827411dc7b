#include "console/crc16.h"

#include <array>

namespace console {
namespace {

// The two byte tables of the table-driven form: the high and low halves of the CRC of each
// byte value, built once.
struct TCrcTables {
    std::array<uint8_t, 256> Hi{};
    std::array<uint8_t, 256> Lo{};
    TCrcTables() {
        for (unsigned value = 0; value < 256; ++value) {
            unsigned crc = value;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
            Lo[value] = static_cast<uint8_t>(crc & 0xFF);
            Hi[value] = static_cast<uint8_t>(crc >> 8);
        }
    }
};

const TCrcTables Tables;

}  // namespace

uint16_t Crc16Modbus(const uint8_t* buffer, size_t length) {
    uint8_t lo = 0xFF;  // the CRC's low byte: sent first
    uint8_t hi = 0xFF;
    for (size_t i = 0; i < length; ++i) {
        const uint8_t index = lo ^ buffer[i];
        lo = hi ^ Tables.Lo[index];
        hi = Tables.Hi[index];
    }
    return static_cast<uint16_t>(lo << 8 | hi);
}

}  // namespace console
