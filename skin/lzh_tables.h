#pragma once

#include <array>
#include <cstdint>

namespace skin {

// Parameters of the skin package's LZHUF coding: LZSS over a 4 KB ring with adaptive Huffman
// codes for literals and match lengths, and a fixed code for the upper six bits of a position.
inline constexpr int LzhRingSize = 4096;                                   // N: positions are 12-bit
inline constexpr int LzhLongestMatch = 60;                                 // F
inline constexpr int LzhThreshold = 2;                                     // matches are at least THRESHOLD + 1 bytes
inline constexpr int LzhCharCount = 256 - LzhThreshold + LzhLongestMatch;  // N_CHAR: 314 symbols
inline constexpr int LzhTreeSize = 2 * LzhCharCount - 1;                   // T: 627 nodes
inline constexpr int LzhRoot = LzhTreeSize - 1;                            // R
inline constexpr int LzhMaxFreq = 0x8000;                           // root frequency at which the tree is rebuilt
inline constexpr int LzhRingStart = LzhRingSize - LzhLongestMatch;  // blanks before the first byte
inline constexpr uint8_t LzhBlank = 0x20;

// The fixed code of a position's upper six bits: for each upper value, its code length and
// its code left-aligned in a byte (the encoder's tables).
extern const std::array<uint8_t, 64> LzhPositionLength;
extern const std::array<uint8_t, 64> LzhPositionCode;

// The decoder's view of the same code, indexed by the next eight input bits: the upper six
// bits of the position, and how many bits the code and two bits of the lower part take.
extern const std::array<uint8_t, 256> LzhDecodeCode;
extern const std::array<uint8_t, 256> LzhDecodeLength;

}  // namespace skin
