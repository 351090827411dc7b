#pragma once

#include <cstdint>
#include <vector>

namespace xls {

// Inflates zlib-format data into a new buffer. The buffer starts at estimate bytes (0: the
// input size rounded up to 256) and doubles while more room is needed; a hostile estimate
// is held to what the input could possibly inflate to. Raises EDecompressionError.
std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t estimate = 0);

// Deflates a buffer in zlib format at level 9. Raises ECompressionError.
std::vector<uint8_t> DeflateBuffer(const void* inBuf, int64_t inSize);

}  // namespace xls
