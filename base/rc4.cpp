#include "base/rc4.h"

#include <utility>

#include "base/exception.h"

namespace base {

void RC4Init(TRC4State& state, const void* key, int keyLength) {
    if (keyLength < 1 || keyLength > 256) throw Exception("RC4: Invalid key length");
    const auto* bytes = static_cast<const uint8_t*>(key);
    for (int i = 0; i < 256; ++i) state.Permutation[i] = uint8_t(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = uint8_t(j + state.Permutation[i] + bytes[i % keyLength]);
        std::swap(state.Permutation[i], state.Permutation[j]);
    }
    state.X = state.Y = 0;
}

namespace {

uint8_t NextKeyByte(TRC4State& state) {
    auto& s = state.Permutation;
    state.X = uint8_t(state.X + 1);
    state.Y = uint8_t(state.Y + s[state.X]);
    std::swap(s[state.X], s[state.Y]);
    return s[uint8_t(s[state.X] + s[state.Y])];
}

}  // namespace

void RC4Crypt(TRC4State& state, const void* source, void* destination, size_t count) {
    const auto* in = static_cast<const uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(destination);
    for (size_t n = 0; n < count; ++n) out[n] = in[n] ^ NextKeyByte(state);
}

void RC4Skip(TRC4State& state, size_t count) {
    for (size_t n = 0; n < count; ++n) NextKeyByte(state);
}

}  // namespace base
