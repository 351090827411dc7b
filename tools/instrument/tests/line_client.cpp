#include "tools/instrument/tests/line_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace instrument::testing {
namespace {

speed_t SpeedCode(uint32_t baudRate) {
    switch (baudRate) {
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 115200: return B115200;
        case 1000000: return B1000000;
        default: throw std::invalid_argument("no speed code for this baud rate");
    }
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

TLineClient::TLineClient(const std::string& path, uint32_t baudRate)
    : Fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (Fd_ < 0) throw std::runtime_error("cannot open " + path);
    SetBaudRate(baudRate);
}

TLineClient::~TLineClient() { ::close(Fd_); }

void TLineClient::SetBaudRate(uint32_t baudRate) {
    termios t{};
    if (tcgetattr(Fd_, &t) != 0) throw std::runtime_error("tcgetattr failed");
    cfmakeraw(&t);
    cfsetispeed(&t, SpeedCode(baudRate));
    cfsetospeed(&t, SpeedCode(baudRate));
    if (tcsetattr(Fd_, TCSANOW, &t) != 0) throw std::runtime_error("tcsetattr failed");
}

void TLineClient::Write(const std::vector<uint8_t>& bytes) {
    if (::write(Fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("short write");
}

std::vector<uint8_t> TLineClient::Read(size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<uint8_t> bytes;
    while (bytes.size() < count) {
        const auto arrival = ReadArrival(std::chrono::milliseconds(RemainingMs(deadline)));
        if (arrival.empty()) break;
        bytes.insert(bytes.end(), arrival.begin(), arrival.end());
    }
    return bytes;
}

std::vector<uint8_t> TLineClient::ReadArrival(std::chrono::milliseconds timeout) {
    pollfd p{Fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0 || !(p.revents & POLLIN)) return {};
    uint8_t buffer[1024];
    const ssize_t n = ::read(Fd_, buffer, sizeof buffer);
    if (n <= 0) return {};
    return {buffer, buffer + n};
}

bool TLineClient::WaitHangUp(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        pollfd p{Fd_, POLLIN, 0};
        if (::poll(&p, 1, RemainingMs(deadline)) > 0) {
            if (p.revents & (POLLHUP | POLLERR)) return true;
            uint8_t byte;
            const ssize_t n = ::read(Fd_, &byte, 1);
            if (n == 0 || (n < 0 && errno == EIO)) return true;
        }
    } while (RemainingMs(deadline) > 0);
    return false;
}

}  // namespace instrument::testing
