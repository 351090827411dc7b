#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/instrument/tests/frame_test_support.h"
#include "tools/instrument/tests/line_client.h"

extern char** environ;

namespace instrument {
namespace {

using namespace std::chrono_literals;

// The command's first two lines: the port and its published link.
TEST(InstrumentCommand, ServesItsPublishedPortUntilTerminated) {
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("instrument-command-" + std::to_string(::getpid()));
    std::filesystem::create_directories(runtime);
    const std::string runtimeVariable = "XDG_RUNTIME_DIR=" + runtime.string();
    char* environment[] = {const_cast<char*>(runtimeVariable.c_str()), nullptr};

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const char* argv[] = {OMBRIX_INSTRUMENT_COMMAND,
                          "--address",
                          "9",
                          "--baud",
                          "19200",
                          "--name",
                          "z200-test",
                          "--reply-address",
                          "0x0A",
                          "--history",
                          "3",
                          "--interval",
                          "5",
                          "--events",
                          "2",
                          nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, const_cast<char**>(argv), environment), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    FILE* lines = ::fdopen(out[0], "r");
    char port[256] = {};
    char link[512] = {};
    ASSERT_TRUE(std::fgets(port, sizeof port, lines));
    ASSERT_TRUE(std::fgets(link, sizeof link, lines));
    const std::string linkPath = std::string(link, std::strlen(link) - 1);
    EXPECT_EQ(linkPath, (runtime / "ombrix-ports" / "z200-test").string());
    EXPECT_EQ(std::filesystem::read_symlink(linkPath).string() + "\n", port);
    {
        testing::TLineClient client(linkPath, 19200);
        client.Write({0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01, 0x10, 0x2A});
        EXPECT_EQ(client.Read(7, 5s), testing::WithCrc({0x0A, 0x03, 0x02, 0x00, 0x09}));
        // The history and the event log it was told to hold, all unread.
        client.Write(testing::WithCrc({0x09, 0x03, 0x00, 0x07, 0x00, 0x04}));
        EXPECT_EQ(client.Read(13, 5s), testing::WithCrc({0x0A, 0x03, 0x08, 0, 0, 0, 3, 0, 0, 0, 3}));
        client.Write(testing::WithCrc({0x09, 0x03, 0x03, 0xE8, 0x00, 0x02}));
        EXPECT_EQ(client.Read(9, 5s), testing::WithCrc({0x0A, 0x03, 0x04, 0, 2, 0, 2}));
    }

    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::is_symlink(linkPath));
    std::fclose(lines);
    std::filesystem::remove_all(runtime);
}

TEST(InstrumentCommand, RefusesBadOptions) {
    for (const char* bad : {"--baud=9600", "--baud", "--address"}) {
        const char* argv[] = {OMBRIX_INSTRUMENT_COMMAND, bad, "x", nullptr};
        pid_t child = 0;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, const_cast<char**>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << bad;
    }
}

}  // namespace
}  // namespace instrument
