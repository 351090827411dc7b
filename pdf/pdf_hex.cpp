#include "pdf/pdf_hex.h"

#include <algorithm>

namespace pdf {
namespace {
constexpr char Digits[] = "0123456789ABCDEF";
}

std::string ByteToHex(uint8_t value) { return {Digits[value >> 4], Digits[value & 15]}; }

std::string WordToHex(uint16_t value) {
    return {Digits[value >> 12], Digits[(value >> 8) & 15], Digits[(value >> 4) & 15], Digits[value & 15]};
}

void SortWords(std::span<uint16_t> values) { std::sort(values.begin(), values.end()); }

}  // namespace pdf
