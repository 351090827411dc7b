#include "base/md5.h"

#include <algorithm>
#include <cstring>

namespace base {
namespace {

constexpr uint32_t Sines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int Shifts[64] = {7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
                            14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
                            4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21};

uint32_t RotateLeft(uint32_t value, int shift) { return (value << shift) | (value >> (32 - shift)); }

void Transform(uint32_t state[4], const uint8_t block[64]) {
    uint32_t words[16];
    for (int i = 0; i < 16; ++i)
        words[i] = uint32_t(block[i * 4]) | uint32_t(block[i * 4 + 1]) << 8 | uint32_t(block[i * 4 + 2]) << 16 |
                   uint32_t(block[i * 4 + 3]) << 24;
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (d & b) | (~d & c);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const uint32_t next = d;
        d = c;
        c = b;
        b = b + RotateLeft(a + f + Sines[i] + words[g], Shifts[i]);
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

}  // namespace

void MD5Init(TMD5Context& context) {
    context.State[0] = 0x67452301;
    context.State[1] = 0xefcdab89;
    context.State[2] = 0x98badcfe;
    context.State[3] = 0x10325476;
    context.Count[0] = context.Count[1] = 0;
    context.BufferLength = 0;
}

void MD5Update(TMD5Context& context, const void* buffer, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    const uint64_t bits = uint64_t(count) << 3;
    const uint32_t low = context.Count[0] + uint32_t(bits);
    if (low < context.Count[0]) ++context.Count[1];
    context.Count[0] = low;
    context.Count[1] += uint32_t(bits >> 32);
    while (count > 0) {
        const size_t take = std::min<size_t>(count, 64 - context.BufferLength);
        std::memcpy(context.Buffer + context.BufferLength, bytes, take);
        context.BufferLength += uint32_t(take);
        bytes += take;
        count -= take;
        if (context.BufferLength == 64) {
            Transform(context.State, context.Buffer);
            context.BufferLength = 0;
        }
    }
}

void MD5Final(TMD5Digest& digest, TMD5Context& context) {
    uint8_t length[8];
    for (int i = 0; i < 4; ++i) {
        length[i] = uint8_t(context.Count[0] >> (8 * i));
        length[i + 4] = uint8_t(context.Count[1] >> (8 * i));
    }
    const uint8_t pad = 0x80;
    const uint8_t zero = 0;
    MD5Update(context, &pad, 1);
    while (context.BufferLength != 56) MD5Update(context, &zero, 1);
    MD5Update(context, length, 8);
    for (int i = 0; i < 16; ++i) digest[i] = uint8_t(context.State[i / 4] >> (8 * (i % 4)));
    std::memset(&context, 0, sizeof context);
}

TMD5Digest MD5Buffer(const void* buffer, size_t count) {
    TMD5Context context;
    MD5Init(context);
    MD5Update(context, buffer, count);
    TMD5Digest digest;
    MD5Final(digest, context);
    return digest;
}

std::string MD5DigestToHex(const TMD5Digest& digest) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (uint8_t byte : digest) {
        text += Digits[byte >> 4];
        text += Digits[byte & 15];
    }
    return text;
}

std::string MD5String(std::string_view text) { return MD5DigestToHex(MD5Buffer(text.data(), text.size())); }

}  // namespace base
