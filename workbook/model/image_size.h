#pragma once

#include <cstdint>
#include <span>

namespace xls {

// Pixel sizes read from image headers. Each returns false for data that is not such an image
// or is cut short; none reads outside the data.

// The first frame header (SOF0 to SOF3) after the segments that precede it.
bool MeasureJpeg(std::span<const uint8_t> data, int& width, int& height);
// The 32-bit width and height of the header chunk.
bool MeasurePng(std::span<const uint8_t> data, int& width, int& height);
// An enhanced metafile's frame (0.01 mm) at the 96-dpi reference device.
bool MeasureEmf(std::span<const uint8_t> data, int& width, int& height);
// A placeable Windows metafile's bounds in its own units per inch, at 96 dpi.
bool MeasureWmf(std::span<const uint8_t> data, int& width, int& height);
// A bitmap file's pixel size from its info header (the OS/2 core header's 16-bit fields or the
// 32-bit ones of the later headers; a negative height is a bitmap stored top row first).
bool MeasureBmp(std::span<const uint8_t> data, int& width, int& height);

}  // namespace xls
