#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace xls {

// Builds the data of a default record from little-endian fields.
class TRecordBytes {
public:
    TRecordBytes& Byte(uint8_t v) { return Put(v, 1); }
    TRecordBytes& Word(uint16_t v) { return Put(v, 2); }
    TRecordBytes& Long(uint32_t v) { return Put(v, 4); }
    TRecordBytes& Double(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return Put(bits, 8);
    }
    // Through resize and memcpy: GCC 12 at -O2 misreads a vector insert after the small pushes.
    TRecordBytes& Append(const uint8_t* data, size_t n) {
        const size_t at = Bytes.size();
        Bytes.resize(at + n);
        if (n > 0) std::memcpy(Bytes.data() + at, data, n);
        return *this;
    }
    // Flag byte 1 and the UTF-16LE characters.
    TRecordBytes& Wide(std::u16string_view text) {
        Byte(1);
        for (char16_t c : text) Word(c);
        return *this;
    }
    TRecordBytes& Zeros(size_t n) {
        Bytes.resize(Bytes.size() + n);
        return *this;
    }
    std::vector<uint8_t> Bytes;

private:
    TRecordBytes& Put(uint64_t v, int n) {
        for (int i = 0; i < n; ++i) Bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
};

// The BOF data of BIFF8 written by this library, for a substream of the given type.
inline std::vector<uint8_t> DefaultBOF(uint16_t type) {
    return TRecordBytes().Word(0x0600).Word(type).Word(0x18AF).Word(0x07CD).Long(0x80C9).Long(0x0106).Bytes;
}

}  // namespace xls
