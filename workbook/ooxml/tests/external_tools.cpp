#include "workbook/ooxml/tests/external_tools.h"

#include <random>

namespace xls::testing {

std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    static const char Words[] = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>42</v></c></row>\r";
    std::vector<uint8_t> bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        if (random() % 4 == 0) {
            for (int i = 0; i < 16 && bytes.size() < size; ++i) bytes.push_back(static_cast<uint8_t>(random()));
        } else {
            for (size_t i = 0; i + 1 < sizeof Words && bytes.size() < size; ++i)
                bytes.push_back(static_cast<uint8_t>(Words[i]));
        }
    }
    return bytes;
}

}  // namespace xls::testing
