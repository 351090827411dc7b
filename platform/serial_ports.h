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

// One serial port: the short name an operator recognises and the path that opens it.
struct TSerialPort {
    std::string Name;  // the /dev/serial/by-id or published name, else the device's own (ttyUSB0)
    std::string Path;  // the device node, or the link of a port that has no listed node
    bool operator==(const TSerialPort&) const = default;
};

// The folder where virtual ports (the instrument stand-in's, for one) publish themselves as
// symbolic links: $XDG_RUNTIME_DIR/ombrix-ports, or /tmp/ombrix-ports without it.
std::string VirtualPortFolder();

// Orders names with their digit runs compared as numbers: ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b);

// The serial ports of the machine, each device once: ttyS* with a real UART, ttyUSB*,
// ttyACM*, ttyAMA* and rfcomm* devices, named by their /dev/serial/by-id link where they
// have one, in the natural order of their device nodes (the newest adapter of a kind comes
// last); then the virtual ports whose links still lead to a device, in the natural order
// of their names.
std::vector<TSerialPort> ReadSerialPorts(const TSerialPortRoots& roots = {});

}  // namespace platform
