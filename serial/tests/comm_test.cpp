#include <gtest/gtest.h>
#include <termios.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "platform/testing/pty_pair.h"
#include "serial/comm.h"
#include "serial/tests/comm_fixture.h"

namespace serial {
namespace {

using namespace std::chrono_literals;
using platform::testing::TPtyPair;
using testing::PumpFor;
using testing::PumpUntil;
using testing::TEventLog;

speed_t LineSpeed(int fd) {
    termios t{};
    tcgetattr(fd, &t);
    return cfgetospeed(&t);
}

void SetLineSpeed(int fd, speed_t speed) {
    termios t{};
    tcgetattr(fd, &t);
    cfsetospeed(&t, speed);
    cfsetispeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
}

std::string OpenError(TComm& comm) {
    try {
        comm.OpenPort();
    } catch (const ECommsError& e) {
        return e.Message();
    }
    return "";
}

class CommTest : public ::testing::Test {
protected:
    void SetUp() override {
        Comm.SetCommName(Pty.SlavePath());
        Comm.SetReadIntervalTimeout(50);
        Log.Attach(Comm);
    }

    TPtyPair Pty;
    TComm Comm;
    TEventLog Log;
};

TEST(Comm, StartsClosedWithTheDefaultSettings) {
    TComm comm;
    EXPECT_EQ(comm.ComHandle(), 0u);
    EXPECT_EQ(comm.CommName(), "COM2");
    EXPECT_EQ(comm.BaudRate(), 9600u);
    EXPECT_TRUE(comm.Outx_CtsFlow() && comm.Outx_DsrFlow() && comm.TxContinueOnXoff());
    EXPECT_FALSE(comm.ParityCheck() || comm.DsrSensitivity() || comm.Outx_XonXoffFlow() || comm.Inx_XonXoffFlow() ||
                 comm.ReplaceWhenParityError() || comm.IgnoreNullChar());
    EXPECT_EQ(comm.DtrControl(), TDtrControl::DtrEnable);
    EXPECT_EQ(comm.RtsControl(), TRtsControl::RtsEnable);
    EXPECT_EQ(comm.XonLimit(), 10);
    EXPECT_EQ(comm.XoffLimit(), 10);
    EXPECT_EQ(comm.ByteSize(), TByteSize::_8);
    EXPECT_EQ(comm.Parity(), TParity::None);
    EXPECT_EQ(comm.StopBits(), TStopBits::_1);
    EXPECT_EQ(comm.XonChar(), 17);
    EXPECT_EQ(comm.XoffChar(), 19);
    EXPECT_EQ(comm.ReplacedChar(), 0);
    EXPECT_EQ(comm.ReadIntervalTimeout(), 10u);
    EXPECT_EQ(comm.ReadTotalTimeoutMultiplier() + comm.ReadTotalTimeoutConstant() + comm.WriteTotalTimeoutMultiplier() +
                  comm.WriteTotalTimeoutConstant(),
              0u);
    EXPECT_FALSE(comm.SendData("x", 1));  // closed: nothing to hand it to
}

TEST(Comm, OpenFailuresGiveTheirTextAndLeaveThePortClosed) {
    const std::string file = ::testing::TempDir() + "/comm_not_a_port";
    std::ofstream(file) << "x";
    struct Case {
        std::string name;
        std::string message;
    };
    const Case cases[] = {
        {"/dev/nonexistent-port", "Error opening serial port"},
        {"nonexistent-port", "Error opening serial port"},  // a bare name is taken under /dev
        {file, "File handle is not a comm handle "},
        {"null", "File handle is not a comm handle "},  // /dev/null: a character device, not a tty
    };
    for (const Case& c : cases) {
        TComm comm;
        comm.SetCommName(c.name);
        EXPECT_EQ(OpenError(comm), c.message) << c.name;
        EXPECT_EQ(comm.ComHandle(), 0u);
    }
    std::remove(file.c_str());

    TPtyPair pty;
    TComm first;
    TComm second;
    first.SetCommName(pty.SlavePath());
    second.SetCommName(pty.SlavePath());
    first.OpenPort();
    EXPECT_EQ(OpenError(second), "Error opening serial port");  // not shared
    EXPECT_EQ(second.ComHandle(), 0u);
}

TEST_F(CommTest, OpeningTwiceRaisesAndKeepsTheOpenPortWorking) {
    Comm.OpenPort();
    const uint32_t handle = Comm.ComHandle();
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(OpenError(Comm), "This serial port already opened");
    EXPECT_EQ(Comm.ComHandle(), handle);
    ASSERT_TRUE(Comm.SendData("\x01\x03", 2));
    EXPECT_EQ(Pty.Read(2, 2s), (std::vector<uint8_t>{1, 3}));
}

TEST_F(CommTest, BareDeviceNamesAreTakenUnderDev) {
    Comm.SetCommName(Pty.SlavePath().substr(5));  // "pts/N"
    Comm.OpenPort();
    EXPECT_NE(Comm.ComHandle(), 0u);
}

TEST_F(CommTest, QueueEmptyIsSignalledOnOpenAndAfterEachWrite) {
    Comm.OpenPort();
    ASSERT_TRUE(PumpUntil([&] { return Log.SendEmpty == 1; }));
    PumpFor(100ms);
    EXPECT_EQ(Log.SendEmpty, 1);  // not again while the writer idles
    const std::vector<uint8_t> frame = {0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8};
    ASSERT_TRUE(Comm.SendData(frame.data(), static_cast<uint16_t>(frame.size())));
    EXPECT_EQ(Pty.Read(frame.size(), 2s), frame);
    ASSERT_TRUE(PumpUntil([&] { return Log.SendEmpty == 2; }));
    EXPECT_FALSE(Comm.SendData(frame.data(), 0));
}

TEST_F(CommTest, ReceivedBytesArriveInChunksOfAtMost1024FollowedByNul) {
    Comm.OpenPort();
    std::vector<uint8_t> reply(2000);
    for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<uint8_t>(1 + i % 250);
    Pty.Write(reply);
    ASSERT_TRUE(PumpUntil([&] { return Log.AllBytes().size() == reply.size(); }));
    ASSERT_EQ(Log.Chunks.size(), 2u);
    EXPECT_EQ(Log.Chunks[0].size(), 1024u);
    EXPECT_EQ(Log.Chunks[1].size(), 976u);
    EXPECT_EQ(Log.AllBytes(), reply);
    EXPECT_EQ(Log.ChunkEndsWithNul, (std::vector<bool>{true, true}));
}

TEST_F(CommTest, APauseLongerThanTheIntervalSplitsAReply) {
    Comm.OpenPort();
    Pty.Write({0x01, 0x03, 0x02});
    std::this_thread::sleep_for(400ms);
    Pty.Write({0x00, 0x05});
    ASSERT_TRUE(PumpUntil([&] { return Log.AllBytes().size() == 5; }));
    EXPECT_EQ(Log.Chunks, (std::vector<std::vector<uint8_t>>{{0x01, 0x03, 0x02}, {0x00, 0x05}}));
}

TEST_F(CommTest, ClosingWithAReadPendingEndsQuietlyAndCanBeRepeated) {
    Comm.OpenPort();
    ASSERT_TRUE(PumpUntil([&] { return Log.SendEmpty == 1; }));
    Comm.ClosePort();
    EXPECT_EQ(Comm.ComHandle(), 0u);
    Comm.ClosePort();
    Pty.Write({1, 2, 3});
    PumpFor(150ms);
    EXPECT_TRUE(Log.Chunks.empty());
    EXPECT_EQ(Log.Hangups, 0);
    EXPECT_FALSE(Comm.SendData("x", 1));

    Comm.OpenPort();  // the port can be opened again, by this component or another
    Pty.Write({7});
    ASSERT_TRUE(PumpUntil([&] { return Log.Chunks.size() == 1; }));
    EXPECT_EQ(Log.Chunks[0], std::vector<uint8_t>{7});
}

TEST_F(CommTest, ATotalReadTimeoutWithNothingReceivedKeepsTheReaderListening) {
    Comm.SetReadTotalTimeoutConstant(50);
    Comm.OpenPort();
    PumpFor(300ms);  // several reads end empty
    Pty.Write({0x42});
    ASSERT_TRUE(PumpUntil([&] { return Log.Chunks.size() == 1; }));
    EXPECT_EQ(Log.Chunks[0], std::vector<uint8_t>{0x42});
    EXPECT_EQ(Log.Hangups, 0);
}

TEST_F(CommTest, FarEndHangingUpRaisesRequestHangup) {
    Comm.OpenPort();
    Pty.HangUp();
    ASSERT_TRUE(PumpUntil([&] { return Log.Hangups >= 1; }));
    Comm.ClosePort();
}

TEST_F(CommTest, LineSettingsReachThePortAtOnceExceptParity) {
    Comm.SetBaudRate(19200);
    Comm.OpenPort();
    EXPECT_EQ(LineSpeed(Pty.SlaveFd()), B19200);

    Comm.SetBaudRate(115200);
    EXPECT_EQ(LineSpeed(Pty.SlaveFd()), B115200);

    // Someone else changes the line; setting the same value again must not re-apply.
    SetLineSpeed(Pty.SlaveFd(), B4800);
    Comm.SetBaudRate(115200);
    EXPECT_EQ(LineSpeed(Pty.SlaveFd()), B4800);
    // Parity is only stored while open ...
    Comm.SetParity(TParity::Even);
    EXPECT_EQ(Comm.Parity(), TParity::Even);
    EXPECT_EQ(LineSpeed(Pty.SlaveFd()), B4800);
    // ... and goes out with the next re-apply, which sends the whole setting again.
    Comm.SetStopBits(TStopBits::_2);
    EXPECT_EQ(LineSpeed(Pty.SlaveFd()), B115200);
    termios t{};
    tcgetattr(Pty.SlaveFd(), &t);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
}

TEST(Comm, DestroyingAnOpenComponentClosesThePortFirst) {
    TPtyPair pty;
    int received = 0;
    {
        TComm comm;
        comm.SetCommName(pty.SlavePath());
        comm.OnReceiveData = [&](TComm&, const uint8_t*, uint16_t) { ++received; };
        comm.OpenPort();
        pty.Write({1, 2, 3});
        std::this_thread::sleep_for(50ms);  // the chunk is posted but not yet handled
    }
    PumpFor(100ms);
    EXPECT_EQ(received, 0);
    TComm next;
    next.SetCommName(pty.SlavePath());
    next.OpenPort();  // the lock went with the port
    EXPECT_NE(next.ComHandle(), 0u);
}

}  // namespace
}  // namespace serial
