#pragma once

#include <cstdint>

namespace platform {

// Any baud rate, standard or not, through the kernel's termios2 interface. Kept apart
// because its header cannot live with <termios.h> in one file.
bool SetAnyBaudRate(int fd, uint32_t baudRate);
bool GetAnyBaudRate(int fd, uint32_t& baudRate);

}  // namespace platform
