#include "platform/testing/pty_pair.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace platform::testing {

TPtyPair::TPtyPair() {
    char name[256] = {};
    if (openpty(&Master_, &Slave_, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    SlavePath_ = name;
    termios t{};
    tcgetattr(Slave_, &t);
    cfmakeraw(&t);
    tcsetattr(Slave_, TCSANOW, &t);
}

TPtyPair::~TPtyPair() {
    HangUp();
    if (Slave_ >= 0) ::close(Slave_);
}

void TPtyPair::Write(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{Master_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            throw std::runtime_error("pty write failed");
        }
    }
}

std::vector<uint8_t> TPtyPair::Read(size_t count, std::chrono::milliseconds timeout) {
    std::vector<uint8_t> bytes;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (bytes.size() < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{Master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        uint8_t buffer[4096];
        const ssize_t n = ::read(Master_, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

void TPtyPair::HangUp() {
    if (Master_ >= 0) ::close(Master_);
    Master_ = -1;
}

}  // namespace platform::testing
