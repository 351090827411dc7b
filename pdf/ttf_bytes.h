#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/truetype_tables.h"

namespace pdf {

// Reads of font tables are the platform's (bounds-checked, big-endian); damaged fonts raise
// platform::EFontError with BadFontFormat.
using platform::BadFontFormat;
using platform::ThrowBadFontFormat;
using platform::TTFGet16;
using platform::TTFGet32;
using platform::TTFGetS16;

// Big-endian writes of the font subsets; TTFSet* refuse an offset beyond the data.
void TTFPut16(std::string& out, uint16_t value);
void TTFPut32(std::string& out, uint32_t value);
void TTFSet16(std::string& data, size_t offset, uint16_t value);
void TTFSet32(std::string& data, size_t offset, uint32_t value);
// The TrueType table checksum: sum of the big-endian words, the last one zero-padded.
uint32_t TTFChecksum(std::string_view data);

}  // namespace pdf
