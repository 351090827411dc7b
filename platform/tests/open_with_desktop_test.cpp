#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/open_with_desktop.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A stand-in xdg-open first on PATH records what it was asked to open, so the test sees the
// path arrive as one argument, spaces and Chinese included.
TEST(OpenWithDesktop, HandsThePathToTheDesktopOpener) {
    const fs::path folder = fs::path(::testing::TempDir()) / "open_with_desktop_test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path record = folder / "opened.txt";
    {
        std::ofstream script(folder / "xdg-open");
        script << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" << record.string() << ".part\"\nmv \""
               << record.string() << ".part\" \"" << record.string() << "\"\n";
    }
    fs::permissions(folder / "xdg-open", fs::perms::owner_all);
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);

    OpenWithDesktop("/tmp/温湿度 报告.pdf");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    setenv("PATH", oldPath.c_str(), 1);
    std::ifstream in(record);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "1|/tmp/温湿度 报告.pdf");
    fs::remove_all(folder);
}

// Without an opener on the system the call returns quietly, as the shell's failures did.
TEST(OpenWithDesktop, MissingOpenerIsIgnored) {
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    EXPECT_NO_THROW(OpenWithDesktop("/tmp/report.pdf"));
    setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace platform
