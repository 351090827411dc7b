#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace base {

// RC4 stream cipher state: the permutation and the two keystream indexes.
struct TRC4State {
    std::array<uint8_t, 256> Permutation;
    uint8_t X = 0;
    uint8_t Y = 0;
};

// The key schedule; the keystream starts afresh. Raises base::Exception "RC4: Invalid key
// length" unless 1 <= keyLength <= 256.
void RC4Init(TRC4State& state, const void* key, int keyLength);
// XORs count bytes with the keystream, which goes on from where the previous call left it.
// Source and destination may be the same.
void RC4Crypt(TRC4State& state, const void* source, void* destination, size_t count);
// Advances the keystream by count bytes.
void RC4Skip(TRC4State& state, size_t count);

}  // namespace base
