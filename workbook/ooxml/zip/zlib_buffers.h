#pragma once

#include <cstdint>
#include <vector>

namespace xls {

// Deflate cannot expand data by more than about 1032:1; the slack covers headers and tiny
// inputs. Sizes claimed beyond this are refused before any memory is spent on them.
constexpr int64_t MaxDeflateRatio = 1032;
constexpr int64_t RatioSlack = 4096;

// Inflates zlib-format data into a new buffer. The buffer starts at estimate bytes (0: the
// input size rounded up to 256) and doubles while more room is needed; a hostile estimate
// is held to what the input could possibly inflate to. Raises EDecompressionError.
std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t estimate = 0);

// Deflates a buffer in zlib format at level 9. Raises ECompressionError.
std::vector<uint8_t> DeflateBuffer(const void* inBuf, int64_t inSize);

}  // namespace xls
