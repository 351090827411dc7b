#include "base/md4.h"

#include <algorithm>
#include <cstring>

#include "base/byte_reader.h"
#include "base/exception.h"

namespace base {

namespace {

constexpr const char* NotInitialized = "Hash not initialized";

uint32_t Rotl(uint32_t x, int n) { return x << n | x >> (32 - n); }

void Block(uint32_t state[4], const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = LoadLE32(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    auto f = [](uint32_t u, uint32_t v, uint32_t w) { return (u & v) | (~u & w); };
    auto g = [](uint32_t u, uint32_t v, uint32_t w) { return (u & v) | (u & w) | (v & w); };
    auto h = [](uint32_t u, uint32_t v, uint32_t w) { return u ^ v ^ w; };
    static constexpr int Shift1[4] = {3, 7, 11, 19};
    static constexpr int Shift2[4] = {3, 5, 9, 13};
    static constexpr int Shift3[4] = {3, 9, 11, 15};
    static constexpr int Order3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
    uint32_t* regs[4] = {&a, &d, &c, &b};
    for (int i = 0; i < 16; ++i) {
        // The target register rotates a, d, c, b; the others are its arguments in order.
        uint32_t& r = *regs[i % 4];
        uint32_t v1 = *regs[(i + 3) % 4], v2 = *regs[(i + 2) % 4], v3 = *regs[(i + 1) % 4];
        r = Rotl(r + f(v1, v2, v3) + x[i], Shift1[i % 4]);
    }
    for (int i = 0; i < 16; ++i) {
        uint32_t& r = *regs[i % 4];
        uint32_t v1 = *regs[(i + 3) % 4], v2 = *regs[(i + 2) % 4], v3 = *regs[(i + 1) % 4];
        r = Rotl(r + g(v1, v2, v3) + x[(i % 4) * 4 + i / 4] + 0x5A827999u, Shift2[i % 4]);
    }
    for (int i = 0; i < 16; ++i) {
        uint32_t& r = *regs[i % 4];
        uint32_t v1 = *regs[(i + 3) % 4], v2 = *regs[(i + 2) % 4], v3 = *regs[(i + 1) % 4];
        r = Rotl(r + h(v1, v2, v3) + x[Order3[i]] + 0x6ED9EBA1u, Shift3[i % 4]);
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void TMD4Hash::Reset() {
    Initialized_ = false;
    Bits_ = 0;
    Index_ = 0;
    std::memset(State_, 0, sizeof State_);
    std::memset(Buffer_, 0, sizeof Buffer_);
}

void TMD4Hash::Init() {
    Reset();
    State_[0] = 0x67452301u;
    State_[1] = 0xEFCDAB89u;
    State_[2] = 0x98BADCFEu;
    State_[3] = 0x10325476u;
    Initialized_ = true;
}

void TMD4Hash::Transform() {
    Block(State_, Buffer_);
    Index_ = 0;
    std::memset(Buffer_, 0, sizeof Buffer_);
}

void TMD4Hash::Update(const void* data, size_t count) {
    if (!Initialized_) throw Exception(NotInitialized);
    const auto* bytes = static_cast<const uint8_t*>(data);
    Bits_ += uint64_t(count) * 8;
    while (count > 0) {
        const size_t take = std::min(count, sizeof Buffer_ - Index_);
        std::memcpy(Buffer_ + Index_, bytes, take);
        Index_ += take;
        bytes += take;
        count -= take;
        if (Index_ == sizeof Buffer_) Transform();
    }
}

void TMD4Hash::Final(TDigest& digest) {
    if (!Initialized_) throw Exception(NotInitialized);
    Buffer_[Index_++] = 0x80;
    if (Index_ > 56) Transform();
    StoreLE64(Buffer_ + 56, Bits_);
    Transform();
    for (int i = 0; i < 4; ++i) StoreLE32(digest.data() + 4 * i, State_[i]);
    Reset();
}

TMD4Hash::TDigest MD4Digest(const uint8_t* data, size_t size) {
    TMD4Hash hash;
    hash.Init();
    hash.Update(data, size);
    TMD4Hash::TDigest digest;
    hash.Final(digest);
    return digest;
}

}  // namespace base
