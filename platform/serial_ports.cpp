#include "platform/serial_ports.h"

#include <algorithm>
#include <cctype>
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

// The device a path leads to, links followed; the path itself when it cannot be resolved.
std::string DeviceOf(const fs::path& path) {
    std::error_code error;
    const fs::path device = fs::canonical(path, error);
    return error ? path.string() : device.string();
}

// The links of a folder that still lead to a character device, by name.
std::vector<fs::path> LiveLinks(const fs::path& folder) {
    std::vector<fs::path> links;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        std::error_code statError;
        // A link whose device has gone is left out.
        if (fs::is_character_file(entry.path(), statError)) links.push_back(entry.path());
    }
    std::sort(links.begin(), links.end());
    return links;
}

struct TListed {
    TSerialPort Port;
    std::string Device;   // what the port leads to: one entry per device
    std::string SortKey;  // the device node's path, or the name of a virtual port
    bool Named = false;   // a by-id link has given it its name
};

void SortNaturally(std::vector<TListed>& ports) {
    std::sort(ports.begin(), ports.end(),
              [](const TListed& a, const TListed& b) { return NaturalLess(a.SortKey, b.SortKey); });
}

}  // namespace

std::string VirtualPortFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return (runtime && *runtime) ? std::string(runtime) + "/ombrix-ports" : std::string("/tmp/ombrix-ports");
}

bool NaturalLess(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (!digit(a[i]) || !digit(b[j])) {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
            continue;
        }
        size_t iEnd = i, jEnd = j;
        while (iEnd < a.size() && digit(a[iEnd])) ++iEnd;
        while (jEnd < b.size() && digit(b[jEnd])) ++jEnd;
        // Leading zeros do not make a number larger.
        while (i + 1 < iEnd && a[i] == '0') ++i;
        while (j + 1 < jEnd && b[j] == '0') ++j;
        if (iEnd - i != jEnd - j) return iEnd - i < jEnd - j;
        const int order = a.compare(i, iEnd - i, b, j, jEnd - j);
        if (order != 0) return order < 0;
        i = iEnd;
        j = jEnd;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // equal as numbers ("07" and "7"): plain order keeps the sort strict
}

std::vector<TSerialPort> ReadSerialPorts(const TSerialPortRoots& roots) {
    std::vector<TListed> devices;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(roots.SysClassTty, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code linkError;
        if (!fs::exists(entry.path() / "device", linkError)) continue;  // virtual consoles, ptys
        const bool serial = (HasPrefix(name, "ttyS") && HasUart(entry.path())) || HasPrefix(name, "ttyUSB") ||
                            HasPrefix(name, "ttyACM") || HasPrefix(name, "ttyAMA") || HasPrefix(name, "rfcomm");
        if (!serial) continue;
        const fs::path node = fs::path(roots.DevDir) / name;
        devices.push_back({{name, node.string()}, DeviceOf(node), node.string()});
    }
    // A by-id link names the device it leads to; one whose device is not listed stands alone.
    for (const fs::path& link : LiveLinks(roots.ById)) {
        const std::string device = DeviceOf(link);
        const auto listed =
            std::find_if(devices.begin(), devices.end(), [&](const TListed& d) { return d.Device == device; });
        if (listed == devices.end()) {
            devices.push_back({{link.filename().string(), link.string()}, device, device, true});
        } else if (!listed->Named) {
            listed->Port.Name = link.filename().string();
            listed->Named = true;
        }
    }
    SortNaturally(devices);

    std::vector<TListed> virtualPorts;
    for (const fs::path& link : LiveLinks(roots.VirtualPorts.empty() ? VirtualPortFolder() : roots.VirtualPorts)) {
        const std::string device = DeviceOf(link);
        const bool known =
            std::any_of(devices.begin(), devices.end(), [&](const TListed& d) { return d.Device == device; });
        if (!known)
            virtualPorts.push_back({{link.filename().string(), link.string()}, device, link.filename().string()});
    }
    SortNaturally(virtualPorts);

    std::vector<TSerialPort> ports;
    for (const auto* list : {&devices, &virtualPorts})
        for (const TListed& listed : *list) ports.push_back(listed.Port);
    return ports;
}

}  // namespace platform
