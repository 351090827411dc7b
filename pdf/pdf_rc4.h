#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pdf {

// RC4 stream cipher: the permutation, then a copy of it as the key schedule left it.
struct TRC4State {
    std::array<uint8_t, 256> Permutation;
    std::array<uint8_t, 256> Initial;
};

// Raises base::Exception "RC4: Invalid key length" unless 1 <= keyLength <= 256.
void RC4Init(TRC4State& state, const void* key, int keyLength);
// Each call starts the keystream at i = j = 0 on the current permutation, so callers
// initialise before every string or stream. Source and destination may be the same.
void RC4Crypt(TRC4State& state, const void* source, void* destination, size_t count);

}  // namespace pdf
