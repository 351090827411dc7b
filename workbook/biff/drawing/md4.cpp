#include "workbook/biff/drawing/md4.h"

#include <vector>

#include "base/byte_reader.h"

namespace xls {

namespace {

uint32_t Rotl(uint32_t x, int n) { return x << n | x >> (32 - n); }

void Block(uint32_t state[4], const uint8_t* block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = base::LoadLE32(block + 4 * i);
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

std::array<uint8_t, 16> MD4Digest(const uint8_t* data, size_t size) {
    uint32_t state[4] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u};
    size_t done = 0;
    for (; size - done >= 64; done += 64) Block(state, data + done);
    std::vector<uint8_t> tail(data + done, data + size);
    tail.push_back(0x80);
    while (tail.size() % 64 != 56) tail.push_back(0);
    base::AppendLE64(tail, uint64_t(size) * 8);
    for (size_t i = 0; i < tail.size(); i += 64) Block(state, tail.data() + i);
    std::array<uint8_t, 16> digest;
    for (int i = 0; i < 4; ++i) base::StoreLE32(digest.data() + 4 * i, state[i]);
    return digest;
}

}  // namespace xls
