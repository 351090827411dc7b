#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "platform/serial_device.h"
#include "platform/testing/pty_pair.h"

namespace platform {
namespace {

using namespace std::chrono_literals;
using testing::TPtyPair;

std::unique_ptr<TSerialDevice> OpenOrFail(const std::string& path) {
    auto result = TSerialDevice::Open(path);
    EXPECT_EQ(result.Failure, TSerialDevice::TOpenFailure::None);
    return std::move(result.Device);
}

TEST(SerialDevice, OpenFailuresSayWhy) {
    const std::string file = ::testing::TempDir() + "/not_a_port";
    std::ofstream(file) << "x";
    struct Case {
        std::string path;
        TSerialDevice::TOpenFailure failure;
    };
    const Case cases[] = {
        {"/dev/nonexistent-port", TSerialDevice::TOpenFailure::CannotOpen},
        {file, TSerialDevice::TOpenFailure::NotACharacterDevice},
        {"/dev/null", TSerialDevice::TOpenFailure::NotACharacterDevice},  // a character device, not a tty
    };
    for (const Case& c : cases) {
        const auto result = TSerialDevice::Open(c.path);
        EXPECT_EQ(result.Failure, c.failure) << c.path;
        EXPECT_EQ(result.Device, nullptr);
    }
    std::remove(file.c_str());
}

TEST(SerialDevice, SecondOpenerIsRefusedUntilTheFirstCloses) {
    TPtyPair pty;
    auto first = OpenOrFail(pty.SlavePath());
    EXPECT_EQ(TSerialDevice::Open(pty.SlavePath()).Failure, TSerialDevice::TOpenFailure::CannotOpen);
    first.reset();
    EXPECT_NE(TSerialDevice::Open(pty.SlavePath()).Device, nullptr);
}

TEST(SerialDevice, LineSettingsReachTheTerminal) {
    TPtyPair pty;
    auto device = OpenOrFail(pty.SlavePath());
    TSerialLineSettings settings;
    ASSERT_TRUE(device->GetState(settings));
    settings.BaudRate = 19200;
    settings.StopBits = 1;  // one and a half stop bits act as two
    settings.EofChar = 26;  // no equivalent: kept as given
    ASSERT_TRUE(device->SetState(settings));
    termios t{};
    ASSERT_EQ(tcgetattr(device->Fd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_FALSE(t.c_oflag & OPOST);

    TSerialLineSettings back;
    ASSERT_TRUE(device->GetState(back));
    EXPECT_EQ(back.BaudRate, 19200u);
    EXPECT_EQ(back.StopBits, 1);
    EXPECT_EQ(back.EofChar, 26);

    // A pty keeps 8 data bits and no parity whatever it is asked; the rest still applies.
    settings.ByteSize = 7;
    settings.ParityMode = 2;
    settings.BaudRate = 4800;
    device->SetState(settings);
    ASSERT_TRUE(device->GetState(back));
    EXPECT_EQ(back.BaudRate, 4800u);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.ParityMode, 0);
    settings.ByteSize = 8;
    settings.ParityMode = 0;

    for (uint32_t rate : {1000000u, 250000u, 31250u}) {  // standard and non-standard rates
        settings.BaudRate = rate;
        ASSERT_TRUE(device->SetState(settings)) << rate;
        ASSERT_TRUE(device->GetState(back));
        EXPECT_EQ(back.BaudRate, rate);
    }
    settings.ByteSize = 9;  // impossible: refused whole, the port keeps what it had
    settings.BaudRate = 9600;
    EXPECT_FALSE(device->SetState(settings));
    ASSERT_TRUE(device->GetState(back));
    EXPECT_EQ(back.BaudRate, 31250u);
}

class SerialDeviceReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        Device = OpenOrFail(Pty.SlavePath());
        TSerialLineSettings settings;
        Device->GetState(settings);
        Device->SetState(settings);
        Device->SetTimeouts({50, 0, 0, 0, 0});
    }
    TSerialIoResult ReadChunk() { return Device->Read(Buffer, sizeof Buffer, Stop); }

    TPtyPair Pty;
    std::unique_ptr<TSerialDevice> Device;
    TEventFd Stop;
    uint8_t Buffer[1024];
};

TEST_F(SerialDeviceReadTest, LongReplyArrivesAsFullBufferThenRest) {
    std::vector<uint8_t> reply(2000);
    for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<uint8_t>(i * 7);
    Pty.Write(reply);
    std::vector<uint8_t> received;
    for (size_t expected : {1024u, 976u}) {
        const TSerialIoResult r = ReadChunk();
        ASSERT_EQ(r.Status, TSerialIoStatus::Completed);
        EXPECT_EQ(r.Count, expected);
        received.insert(received.end(), Buffer, Buffer + r.Count);
    }
    EXPECT_EQ(received, reply);
}

TEST_F(SerialDeviceReadTest, SilenceLongerThanTheIntervalSplitsAReply) {
    Device->SetTimeouts({250, 0, 0, 0, 0});  // wide margins: a loaded machine may oversleep
    std::thread far([&] {
        Pty.Write({1, 2, 3});
        std::this_thread::sleep_for(10ms);  // shorter than the interval: same chunk
        Pty.Write({4});
        std::this_thread::sleep_for(800ms);  // longer: a new chunk
        Pty.Write({5, 6});
    });
    TSerialIoResult r = ReadChunk();
    ASSERT_EQ(r.Status, TSerialIoStatus::Completed);
    EXPECT_EQ(std::vector<uint8_t>(Buffer, Buffer + r.Count), (std::vector<uint8_t>{1, 2, 3, 4}));
    r = ReadChunk();
    ASSERT_EQ(r.Status, TSerialIoStatus::Completed);
    EXPECT_EQ(std::vector<uint8_t>(Buffer, Buffer + r.Count), (std::vector<uint8_t>{5, 6}));
    far.join();
}

TEST_F(SerialDeviceReadTest, StopEventEndsAPendingReadAndHangUpFailsIt) {
    std::thread stopper([&] {
        std::this_thread::sleep_for(50ms);
        Stop.Set();
    });
    EXPECT_EQ(ReadChunk().Status, TSerialIoStatus::Stopped);
    stopper.join();
    Stop.Reset();

    Pty.HangUp();
    EXPECT_EQ(ReadChunk().Status, TSerialIoStatus::Failed);
}

TEST_F(SerialDeviceReadTest, TotalTimeoutCompletesEmptyAndNulBytesCanBeDiscarded) {
    Device->SetTimeouts({0, 0, 30, 0, 0});
    const TSerialIoResult r = ReadChunk();
    EXPECT_EQ(r.Status, TSerialIoStatus::Completed);
    EXPECT_EQ(r.Count, 0u);

    Device->SetTimeouts({20, 0, 0, 0, 0});
    TSerialLineSettings settings;
    Device->GetState(settings);
    settings.Null = true;
    Device->SetState(settings);
    Pty.Write({0, 7, 0, 8, 0});
    const TSerialIoResult chunk = ReadChunk();
    ASSERT_EQ(chunk.Status, TSerialIoStatus::Completed);
    EXPECT_EQ(std::vector<uint8_t>(Buffer, Buffer + chunk.Count), (std::vector<uint8_t>{7, 8}));
}

TEST_F(SerialDeviceReadTest, WritesReachTheFarEnd) {
    const std::vector<uint8_t> frame = {0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8};
    const TSerialIoResult r = Device->Write(frame.data(), frame.size(), Stop);
    EXPECT_EQ(r.Status, TSerialIoStatus::Completed);
    EXPECT_EQ(r.Count, frame.size());
    EXPECT_EQ(Pty.Read(frame.size(), 1s), frame);
}

}  // namespace
}  // namespace platform
