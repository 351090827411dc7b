#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/serial_ports.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(SerialPorts, ListsRealPortsLinksAndVirtualPortsSorted) {
    const fs::path root = fs::path(::testing::TempDir()) / "serial_ports_test";
    fs::remove_all(root);
    const fs::path sys = root / "sys";
    auto addTty = [&](const std::string& name, bool device, const char* uartType) {
        fs::create_directories(sys / name);
        if (device) fs::create_directories(sys / name / "device");
        if (uartType) std::ofstream(sys / name / "type") << uartType << "\n";
    };
    addTty("ttyS0", true, "4");    // a 16550A
    addTty("ttyS1", true, "0");    // a line without a UART
    addTty("ttyUSB0", true, nullptr);
    addTty("ttyACM3", true, nullptr);
    addTty("tty1", false, nullptr);      // a virtual console
    addTty("ttyUSB9", false, nullptr);   // no device behind it
    fs::create_directories(root / "by-id");
    fs::create_symlink("/dev/null", root / "by-id" / "usb-Adapter-if00-port0");
    fs::create_directories(root / "virtual");
    fs::create_symlink("/dev/null", root / "virtual" / "instrument");
    fs::create_symlink(root / "missing", root / "virtual" / "gone");  // the stand-in has ended

    TSerialPortRoots roots;
    roots.SysClassTty = sys.string();
    roots.DevDir = "/dev";
    roots.ById = (root / "by-id").string();
    roots.VirtualPorts = (root / "virtual").string();
    const std::vector<std::string> expected = {
        "/dev/ttyACM3", "/dev/ttyS0", "/dev/ttyUSB0",
        (root / "by-id" / "usb-Adapter-if00-port0").string(), (root / "virtual" / "instrument").string()};
    std::vector<std::string> sortedExpected = expected;
    std::sort(sortedExpected.begin(), sortedExpected.end());
    EXPECT_EQ(ReadSerialPorts(roots), sortedExpected);
    fs::remove_all(root);
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
