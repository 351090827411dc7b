#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace xls {

// The MD4 digest (RFC 1320): the uid by which a drawing group names its pictures.
std::array<uint8_t, 16> MD4Digest(const uint8_t* data, size_t size);

}  // namespace xls
