#pragma once

#include <string>
#include <vector>

namespace platform {

// Where the serial ports of this machine are listed; tests point these at folders of their own.
struct TSerialPortRoots {
    std::string SysClassTty = "/sys/class/tty";
    std::string DevDir = "/dev";
    std::string ById = "/dev/serial/by-id";
    std::string VirtualPorts;  // empty: VirtualPortFolder()
};

// The folder where virtual ports (the instrument stand-in's, for one) publish themselves as
// symbolic links: $XDG_RUNTIME_DIR/ombrix-ports, or /tmp/ombrix-ports without it.
std::string VirtualPortFolder();

// The serial ports of the machine as device paths, sorted by name: ttyS* with a real UART,
// ttyUSB*, ttyACM*, ttyAMA* and rfcomm* devices, the links in /dev/serial/by-id, and the
// virtual ports whose links still lead to a device.
std::vector<std::string> ReadSerialPorts(const TSerialPortRoots& roots = {});

}  // namespace platform
