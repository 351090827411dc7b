#include "platform/event_fd.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/exception.h"

namespace platform {

TEventFd::TEventFd() : Fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (Fd_ < 0) throw base::Exception(std::string("eventfd: ") + std::strerror(errno));
}

TEventFd::~TEventFd() { ::close(Fd_); }

void TEventFd::Set() {
    const uint64_t one = 1;
    // The counter cannot overflow in practice; a full counter is signalled anyway.
    [[maybe_unused]] const ssize_t n = ::write(Fd_, &one, sizeof one);
}

void TEventFd::Reset() {
    uint64_t value;
    [[maybe_unused]] const ssize_t n = ::read(Fd_, &value, sizeof value);
}

bool TEventFd::IsSet() const {
    pollfd p{Fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

}  // namespace platform
