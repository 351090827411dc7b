#pragma once

#include <cstdint>
#include <span>

namespace console {

// The skin package the form stores (our own skin, packed by the build).
std::span<const uint8_t> Form1SkinPackage();

}  // namespace console
