#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// Message of every damaged or unsupported font; raised as base::Exception.
inline constexpr const char* BadFontFormat = "Incorrect or unknown font format";

// Big-endian reads of font tables; every read is bounds-checked and a read beyond the
// table raises BadFontFormat.
uint16_t TTFGet16(std::string_view data, size_t offset);
int16_t TTFGetS16(std::string_view data, size_t offset);
uint32_t TTFGet32(std::string_view data, size_t offset);
void TTFPut16(std::string& out, uint16_t value);
void TTFPut32(std::string& out, uint32_t value);
void TTFSet16(std::string& data, size_t offset, uint16_t value);
void TTFSet32(std::string& data, size_t offset, uint32_t value);
// The TrueType table checksum: sum of the big-endian words, the last one zero-padded.
uint32_t TTFChecksum(std::string_view data);
[[noreturn]] void ThrowBadFontFormat();

}  // namespace pdf
