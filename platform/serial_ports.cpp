#include "platform/serial_ports.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {
namespace {

namespace fs = std::filesystem;

bool HasPrefix(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

// A 16550-style port exists in /sys for every possible ttyS line; only those whose UART
// type is not 0 (PORT_UNKNOWN) have hardware behind them.
bool HasUart(const fs::path& ttyEntry) {
    std::ifstream type(ttyEntry / "type");
    int value = 0;
    return type >> value && value != 0;
}

void AddLinks(const fs::path& folder, std::vector<std::string>& ports) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::error_code statError;
        // A link whose device has gone is left out.
        if (fs::is_character_file(entry.path(), statError)) ports.push_back(entry.path().string());
    }
}

}  // namespace

std::string VirtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return (runtime && *runtime) ? std::string(runtime) + "/ombrix-ports" : std::string("/tmp/ombrix-ports");
}

std::vector<std::string> ReadSerialPorts(const TSerialPortRoots& roots) {
    std::vector<std::string> ports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(roots.SysClassTty, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code linkError;
        if (!fs::exists(entry.path() / "device", linkError)) continue;  // virtual consoles, ptys
        const bool serial = (HasPrefix(name, "ttyS") && HasUart(entry.path())) || HasPrefix(name, "ttyUSB") ||
                            HasPrefix(name, "ttyACM") || HasPrefix(name, "ttyAMA") || HasPrefix(name, "rfcomm");
        if (serial) ports.push_back((fs::path(roots.DevDir) / name).string());
    }
    AddLinks(roots.ById, ports);
    AddLinks(roots.VirtualPorts.empty() ? VirtualPortFolder() : roots.VirtualPorts, ports);
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}

}  // namespace platform
