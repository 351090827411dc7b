#pragma once

#include <cstdint>

#include "platform/message.h"

namespace serial {

// Messages between the component and its threads; the numbers are those of the original
// component and keep their meanings.
constexpr uint32_t WM_COMM_DATA = platform::WM_USER + 1;        // received chunk / write request
constexpr uint32_t WM_COMM_ERROR = platform::WM_USER + 2;       // line error flags in LParam
constexpr uint32_t WM_COMM_HANGUP = platform::WM_USER + 3;      // a thread cannot go on
constexpr uint32_t WM_COMM_MODEM = platform::WM_USER + 4;       // modem events in LParam
constexpr uint32_t WM_COMM_SEND_EMPTY = platform::WM_USER + 5;  // the write queue ran empty

// Modem event values of WM_COMM_MODEM.
constexpr intptr_t ModemCarrierDetect = 8;
constexpr intptr_t ModemRing = 4;

// The largest chunk a single read delivers.
constexpr size_t ReadBufferSize = 1024;

}  // namespace serial
