#include "platform/serial_baud.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace platform {

bool SetAnyBaudRate(int fd, uint32_t baudRate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baudRate;
    t.c_ospeed = baudRate;
    return ioctl(fd, TCSETS2, &t) == 0;
}

bool GetAnyBaudRate(int fd, uint32_t& baudRate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    baudRate = t.c_ospeed;
    return true;
}

}  // namespace platform
