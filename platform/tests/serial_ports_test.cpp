#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/serial_ports.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(SerialPorts, ListsEachDeviceOnceByItsShortNameInNaturalOrder) {
    const fs::path root = fs::path(::testing::TempDir()) / "serial_ports_test";
    fs::remove_all(root);
    const fs::path sys = root / "sys";
    const fs::path dev = root / "dev";
    fs::create_directories(dev);
    auto addTty = [&](const std::string& name, bool device, const char* uartType) {
        fs::create_directories(sys / name);
        if (device) fs::create_directories(sys / name / "device");
        if (uartType) std::ofstream(sys / name / "type") << uartType << "\n";
    };
    addTty("ttyS0", true, "4");  // a 16550A
    addTty("ttyS1", true, "0");  // a line without a UART
    addTty("ttyUSB10", true, nullptr);
    addTty("ttyUSB2", true, nullptr);
    addTty("ttyACM3", true, nullptr);
    addTty("tty1", false, nullptr);     // a virtual console
    addTty("ttyUSB9", false, nullptr);  // no device behind it
    // The adapter on ttyUSB2 is a character device here, and its by-id link leads to it.
    fs::create_symlink("/dev/null", dev / "ttyUSB2");
    fs::create_directories(root / "by-id");
    fs::create_symlink(dev / "ttyUSB2", root / "by-id" / "usb-Adapter-if00-port0");
    fs::create_symlink("/dev/zero", root / "by-id" / "usb-Other-if00-port0");  // no node listed for it
    fs::create_directories(root / "virtual");
    fs::create_symlink("/dev/full", root / "virtual" / "port-10");
    fs::create_symlink("/dev/full", root / "virtual" / "port-9");
    fs::create_symlink(root / "missing", root / "virtual" / "gone");  // the stand-in has ended

    TSerialPortRoots roots;
    roots.SysClassTty = sys.string();
    roots.DevDir = dev.string();
    roots.ById = (root / "by-id").string();
    roots.VirtualPorts = (root / "virtual").string();
    const std::vector<TSerialPort> expected = {
        {"usb-Other-if00-port0", (root / "by-id" / "usb-Other-if00-port0").string()},  // sorts as /dev/zero
        {"ttyACM3", (dev / "ttyACM3").string()},
        {"ttyS0", (dev / "ttyS0").string()},
        {"usb-Adapter-if00-port0", (dev / "ttyUSB2").string()},
        {"ttyUSB10", (dev / "ttyUSB10").string()},
        {"port-9", (root / "virtual" / "port-9").string()},
        {"port-10", (root / "virtual" / "port-10").string()},
    };
    const std::vector<TSerialPort> ports = ReadSerialPorts(roots);
    std::vector<std::string> names;
    for (const TSerialPort& port : ports) names.push_back(port.Name);
    EXPECT_EQ(ports, expected) << ::testing::PrintToString(names);
    fs::remove_all(root);
}

TEST(SerialPorts, NaturalOrderComparesNumbersByValue) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {{"ttyUSB2", "ttyUSB10", true}, {"ttyUSB10", "ttyUSB2", false}, {"ttyACM0", "ttyUSB0", true},
                          {"port", "port1", true},       {"port007", "port10", true},    {"a7b", "a7c", true},
                          {"ttyS1", "ttyS1", false},     {"x9", "x09", false},           {"x09", "x9", true}};
    for (const Case& c : cases) EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(SerialPorts, MissingFoldersGiveAnEmptyList) {
    TSerialPortRoots roots{"/nonexistent/sys", "/dev", "/nonexistent/by-id", "/nonexistent/virtual"};
    EXPECT_TRUE(ReadSerialPorts(roots).empty());
}

TEST(SerialPorts, VirtualPortFolderFollowsTheRuntimeDirectory) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(VirtualPortFolder(), "/run/user/1000/ombrix-ports");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(VirtualPortFolder(), "/tmp/ombrix-ports");
    if (saved) setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
}

}  // namespace
}  // namespace platform
