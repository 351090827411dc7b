#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/exception.h"

namespace skin {

class ElzhException : public base::Exception {
public:
    using base::Exception::Exception;
};

// The LZHUF decompressor of skin packages.
class TLZH {
public:
    // Decompresses exactly count bytes from the bit stream. Raises ElzhException when the
    // stream ends before count bytes exist (a damaged package), instead of inventing zeros.
    static std::vector<uint8_t> Decode(std::span<const uint8_t> input, size_t count);
};

}  // namespace skin
