#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace skinpack {

// LZHUF compression matching the skin engine's decoder: the same ring, blanks, adaptive tree
// and position code. The output holds only the bit stream (no size).
std::vector<uint8_t> LzhEncode(std::span<const uint8_t> input);

}  // namespace skinpack
