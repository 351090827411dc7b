#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <thread>

#include "platform/testing/socat_pair.h"
#include "serial/comm.h"
#include "serial/tests/comm_fixture.h"

namespace serial {
namespace {

using namespace std::chrono_literals;

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
    platform::testing::TSocatPair line;
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
