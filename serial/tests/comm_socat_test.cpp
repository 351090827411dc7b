#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "serial/comm.h"
#include "serial/tests/comm_fixture.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A pty pair made by socat: something we did not write sits on the far end of the line.
class SocatPair {
public:
    SocatPair() {
        Folder_ = fs::path(::testing::TempDir()) / ("socat-" + std::to_string(getpid()));
        fs::create_directories(Folder_);
        Pid_ = fork();
        if (Pid_ == 0) {
            const std::string a = "pty,raw,echo=0,link=" + (Folder_ / "a").string();
            const std::string b = "pty,raw,echo=0,link=" + (Folder_ / "b").string();
            execlp("socat", "socat", a.c_str(), b.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 300 && !(fs::exists(Folder_ / "a") && fs::exists(Folder_ / "b")); ++i)
            std::this_thread::sleep_for(10ms);
    }
    ~SocatPair() {
        if (Pid_ > 0) {
            kill(Pid_, SIGTERM);
            waitpid(Pid_, nullptr, 0);
        }
        fs::remove_all(Folder_);
    }
    bool Ready() const { return fs::exists(Folder_ / "a") && fs::exists(Folder_ / "b"); }
    std::string A() const { return (Folder_ / "a").string(); }
    std::string B() const { return (Folder_ / "b").string(); }

private:
    fs::path Folder_;
    pid_t Pid_ = -1;
};

std::vector<uint8_t> ReadFd(int fd, size_t count) {
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) break;
        uint8_t buffer[256];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

TEST(CommThroughSocat, FramesCrossALineMadeBySocat) {
    SocatPair line;
    ASSERT_TRUE(line.Ready()) << "socat did not start";
    TComm comm;
    testing::TEventLog log;
    log.Attach(comm);
    comm.SetCommName(line.A());
    comm.SetBaudRate(19200);
    comm.SetReadIntervalTimeout(30);
    comm.OpenPort();

    const int far = open(line.B().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(far, 0);
    const std::vector<uint8_t> request = {0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01, 0x10, 0x2A};
    ASSERT_TRUE(comm.SendData(request.data(), static_cast<uint16_t>(request.size())));
    EXPECT_EQ(ReadFd(far, request.size()), request);

    const std::vector<uint8_t> reply = {0x01, 0x03, 0x02, 0x00, 0x01, 0x79, 0x84};
    ASSERT_EQ(write(far, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    ASSERT_TRUE(testing::PumpUntil([&] { return log.AllBytes().size() == reply.size(); }));
    EXPECT_EQ(log.AllBytes(), reply);
    comm.ClosePort();
    close(far);
}

}  // namespace
}  // namespace serial
