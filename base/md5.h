#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// MD5 message digest (RFC 1321): the PDF file identifier and security handler, and the key
// derivation of encrypted workbooks.
struct TMD5Context {
    uint32_t State[4];
    uint32_t Count[2];  // message length in bits: low, high
    uint8_t Buffer[64];
    uint32_t BufferLength;
};

using TMD5Digest = std::array<uint8_t, 16>;

void MD5Init(TMD5Context& context);
void MD5Update(TMD5Context& context, const void* buffer, size_t count);
// Pads, finishes the digest and wipes the context.
void MD5Final(TMD5Digest& digest, TMD5Context& context);
TMD5Digest MD5Buffer(const void* buffer, size_t count);
// 32 lower-case hexadecimal digits.
std::string MD5DigestToHex(const TMD5Digest& digest);
std::string MD5String(std::string_view text);

}  // namespace base
