#pragma once

#include <cstdint>
#include <string_view>

#include "base/byte_reader.h"
#include "base/exception.h"

namespace platform {

// Raised when a font file cannot be opened or its tables are damaged.
class EFontError : public base::Exception {
public:
    using base::Exception::Exception;
};

// Message of every damaged or unsupported font.
inline constexpr const char* BadFontFormat = "Incorrect or unknown font format";

[[noreturn]] inline void ThrowBadFontFormat() { throw EFontError(BadFontFormat); }

// A big-endian reader over a font file or one of its tables: a read beyond its end raises
// EFontError(BadFontFormat), whatever offset a damaged table gives.
inline base::TByteReader TrueTypeReader(std::string_view data) { return base::TByteReader(data, ThrowBadFontFormat); }

// Single reads at an offset, for table code that picks fields here and there.
inline uint16_t TTFGet16(std::string_view data, size_t offset) { return TrueTypeReader(data).U16BEAt(offset); }
inline int16_t TTFGetS16(std::string_view data, size_t offset) { return TrueTypeReader(data).I16BEAt(offset); }
inline uint32_t TTFGet32(std::string_view data, size_t offset) { return TrueTypeReader(data).U32BEAt(offset); }

// A table tag ("cvt " with its blank) as the directory stores it.
constexpr uint32_t TTFTag(std::string_view tag) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | uint8_t(i < tag.size() ? tag[i] : ' ');
    return value;
}

}  // namespace platform
