#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <vector>

#include "platform/device_watcher.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

TEST(DeviceWatcher, ReportsPortsAppearingAndDisappearing) {
    const fs::path folder = fs::path(::testing::TempDir()) / "device_watcher_test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<bool> notices;
    TDeviceWatcher watcher([&](bool arrived) { notices.push_back(arrived); }, {folder.string()});
    fs::create_symlink("/dev/null", folder / "instrument");
    fs::remove(folder / "instrument");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (notices.size() < 2 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(notices, (std::vector<bool>{true, false}));
    fs::remove_all(folder);
}

}  // namespace
}  // namespace platform
