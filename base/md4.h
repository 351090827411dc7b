#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace base {

// The MD4 digest (RFC 1320): the uid by which a workbook's drawing group names its pictures.
class TMD4Hash {
public:
    using TDigest = std::array<uint8_t, 16>;

    void Init();
    // Forgets everything; Update and Final then raise "Hash not initialized" until Init.
    void Reset();
    void Update(const void* data, size_t count);
    // Pads, gives the digest and resets.
    void Final(TDigest& digest);

private:
    void Transform();

    bool Initialized_ = false;
    uint64_t Bits_ = 0;
    size_t Index_ = 0;
    uint32_t State_[4] = {};
    uint8_t Buffer_[64] = {};
};

TMD4Hash::TDigest MD4Digest(const uint8_t* data, size_t size);

}  // namespace base
