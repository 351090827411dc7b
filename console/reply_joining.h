#pragma once

#include <cstdint>

#include "console/console_state.h"

namespace console {

// A frame of `length` bytes in the state's receive frame ends with its right Modbus CRC.
bool ReplyCrcOk(const TConsoleState& state, int32_t length);

// Takes one received chunk into the state's reply joining. A chunk that is a whole reply
// by itself is taken at once; otherwise it joins a pending reply when it starts one or
// continues the expected instrument's, and a join never holds more than 1023 bytes.
// True when the receive frame (RxFrame, RxLength) now holds a whole reply.
bool JoinReplyChunk(TConsoleState& state, const uint8_t* buffer, uint16_t length);

}  // namespace console
