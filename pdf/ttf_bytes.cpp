#include "pdf/ttf_bytes.h"

#include "base/exception.h"

namespace pdf {

void ThrowBadFontFormat() { throw base::Exception(BadFontFormat); }

uint16_t TTFGet16(std::string_view data, size_t offset) {
    if (offset > data.size() || data.size() - offset < 2) ThrowBadFontFormat();
    return uint16_t(uint8_t(data[offset]) << 8 | uint8_t(data[offset + 1]));
}

int16_t TTFGetS16(std::string_view data, size_t offset) { return int16_t(TTFGet16(data, offset)); }

uint32_t TTFGet32(std::string_view data, size_t offset) {
    return uint32_t(TTFGet16(data, offset)) << 16 | TTFGet16(data, offset + 2);
}

void TTFPut16(std::string& out, uint16_t value) {
    out += char(value >> 8);
    out += char(value & 0xFF);
}

void TTFPut32(std::string& out, uint32_t value) {
    TTFPut16(out, uint16_t(value >> 16));
    TTFPut16(out, uint16_t(value & 0xFFFF));
}

void TTFSet16(std::string& data, size_t offset, uint16_t value) {
    if (offset > data.size() || data.size() - offset < 2) ThrowBadFontFormat();
    data[offset] = char(value >> 8);
    data[offset + 1] = char(value & 0xFF);
}

void TTFSet32(std::string& data, size_t offset, uint32_t value) {
    TTFSet16(data, offset, uint16_t(value >> 16));
    TTFSet16(data, offset + 2, uint16_t(value & 0xFFFF));
}

uint32_t TTFChecksum(std::string_view data) {
    uint32_t sum = 0;
    for (size_t i = 0; i < data.size(); i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < data.size() ? uint8_t(data[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

}  // namespace pdf
