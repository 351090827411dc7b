#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pdf {

// A 1-bit bitmap: rows top first, Stride bytes apart, the leftmost pixel in the most
// significant bit; a set bit is palette index 1.
struct TMonoBitmap {
    const uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    size_t Stride = 0;
};

// The /K value of each mode in /DecodeParms: Group 3 one-dimensional, Group 3 mixed
// (CCITTGroup3K rows per one-dimensional row) and Group 4.
enum class TCCITTMode { Group3OneD = 0, Group3TwoD = 1, Group4 = 2 };

// Group 3 two-dimensional data code one row in every four one-dimensionally, the /K the
// image dictionary states, so that a decoder is never asked to trust an unstated mix.
inline constexpr int CCITTGroup3K = 4;

// Appends the bitmap coded as CCITT facsimile data (T.4 / T.6, bits packed most significant
// first, rows not byte aligned). Palette index 1 is coded as white, index 0 as black.
// Group 3 two-dimensional rows start with EOL and the tag bit; Group 3 ends with RTC (six EOL,
// each with the tag bit 1 in two-dimensional data), Group 4 with EOFB. A bitmap of width or
// height 0 appends nothing.
void CCITTCompressBitmap(const TMonoBitmap& bitmap, std::string& stream, TCCITTMode mode);

}  // namespace pdf
