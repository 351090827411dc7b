#pragma once

#include <cstdint>
#include <vector>

namespace xls {

// Deflate cannot expand data by more than about 1032:1; the slack covers headers and tiny
// inputs. Sizes claimed beyond this are refused before any memory is spent on them.
constexpr int64_t MaxDeflateRatio = 1032;
constexpr int64_t RatioSlack = 4096;

// Default ceiling of inflated data (ZIP entries, InflateBuffer): well above any part a
// spreadsheet holds, low enough that a deflate bomb is refused before it costs gigabytes.
constexpr int64_t DefaultInflateLimit = int64_t{256} << 20;

// Inflates zlib-format data into a new buffer of exactly the inflated size. The size is
// measured first through a small window, so that data inflating to more than limit bytes
// is refused (EDecompressionError) without any of it being kept, and the result is
// allocated once. Bad data raises EDecompressionError too.
std::vector<uint8_t> InflateBuffer(const void* inBuf, int64_t inSize, int64_t limit = DefaultInflateLimit);

// Deflates a buffer in zlib format at level 9. Raises ECompressionError.
std::vector<uint8_t> DeflateBuffer(const void* inBuf, int64_t inSize);

}  // namespace xls
