#include "pdf/ttf_bytes.h"

#include "base/byte_reader.h"

namespace pdf {
namespace {

uint8_t* Field(std::string& data, size_t offset, size_t size) {
    if (offset > data.size() || data.size() - offset < size) ThrowBadFontFormat();
    return reinterpret_cast<uint8_t*>(data.data() + offset);
}

}  // namespace

void TTFPut16(std::string& out, uint16_t value) { base::AppendBE16(out, value); }

void TTFPut32(std::string& out, uint32_t value) { base::AppendBE32(out, value); }

void TTFSet16(std::string& data, size_t offset, uint16_t value) { base::StoreBE16(Field(data, offset, 2), value); }

void TTFSet32(std::string& data, size_t offset, uint32_t value) { base::StoreBE32(Field(data, offset, 4), value); }

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
