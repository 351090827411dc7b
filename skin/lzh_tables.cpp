#include "skin/lzh_tables.h"

namespace skin {

const std::array<uint8_t, 64> LzhPositionLength = {3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
                                                   6, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,
                                                   7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8};

const std::array<uint8_t, 64> LzhPositionCode = {
    0x00, 0x20, 0x30, 0x40, 0x50, 0x58, 0x60, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x94, 0x98, 0x9C,
    0xA0, 0xA4, 0xA8, 0xAC, 0xB0, 0xB4, 0xB8, 0xBC, 0xC0, 0xC2, 0xC4, 0xC6, 0xC8, 0xCA, 0xCC, 0xCE,
    0xD0, 0xD2, 0xD4, 0xD6, 0xD8, 0xDA, 0xDC, 0xDE, 0xE0, 0xE2, 0xE4, 0xE6, 0xE8, 0xEA, 0xEC, 0xEE,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF};

namespace {

// Every byte that begins with a code maps to that code's value and length.
template <bool Lengths>
std::array<uint8_t, 256> Expand() {
    std::array<uint8_t, 256> table{};
    for (int upper = 0; upper < 64; ++upper) {
        const int span = 1 << (8 - LzhPositionLength[upper]);
        for (int k = 0; k < span; ++k)
            table[LzhPositionCode[upper] + k] = static_cast<uint8_t>(Lengths ? LzhPositionLength[upper] : upper);
    }
    return table;
}

}  // namespace

const std::array<uint8_t, 256> LzhDecodeCode = Expand<false>();
const std::array<uint8_t, 256> LzhDecodeLength = Expand<true>();

}  // namespace skin
