#include "pdf/pdf_rc4.h"

#include <utility>

#include "base/exception.h"

namespace pdf {

void RC4Init(TRC4State& state, const void* key, int keyLength) {
    if (keyLength < 1 || keyLength > 256) throw base::Exception("RC4: Invalid key length");
    const auto* bytes = static_cast<const uint8_t*>(key);
    for (int i = 0; i < 256; ++i) state.Permutation[i] = uint8_t(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = uint8_t(j + state.Permutation[i] + bytes[i % keyLength]);
        std::swap(state.Permutation[i], state.Permutation[j]);
    }
    state.Initial = state.Permutation;
}

void RC4Crypt(TRC4State& state, const void* source, void* destination, size_t count) {
    const auto* in = static_cast<const uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(destination);
    auto& s = state.Permutation;
    uint8_t i = 0, j = 0;
    for (size_t n = 0; n < count; ++n) {
        i = uint8_t(i + 1);
        j = uint8_t(j + s[i]);
        std::swap(s[i], s[j]);
        out[n] = in[n] ^ s[uint8_t(s[i] + s[j])];
    }
}

}  // namespace pdf
