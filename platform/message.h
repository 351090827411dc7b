#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// A window or thread message: the number, two parameters and, for messages that carry
// bytes, the block they own. Whoever holds the message owns the block; it is freed with it.
struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    std::vector<uint8_t> Block;
};

// Windows numbers the application's own messages from here.
constexpr uint32_t WM_USER = 0x0400;

}  // namespace platform
