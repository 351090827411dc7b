#include "platform/serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "platform/serial_baud.h"

namespace platform {
namespace {

constexpr uint32_t MaxDword = 0xFFFFFFFF;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct TBaudCode {
    uint32_t Rate;
    speed_t Code;
};
constexpr TBaudCode BaudCodes[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

// Sets or clears a modem line; drivers without modem lines (ptys) refuse, which is fine.
void SetModemLine(int fd, int line, bool on) { ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line); }

}  // namespace

TSerialDevice::TOpenResult TSerialDevice::Open(const std::string& path) {
    TOpenResult result;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.Failure = TOpenFailure::CannotOpen;
        return result;
    }
    // Not shared: a second opener, in this process or another, is refused.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        result.Failure = TOpenFailure::CannotOpen;
        return result;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode) || !isatty(fd)) {
        ::close(fd);
        result.Failure = TOpenFailure::NotACharacterDevice;
        return result;
    }
    ioctl(fd, TIOCEXCL);
    // Handle 0 means "closed" to the owner, so never hand out descriptor 0.
    if (fd == 0) {
        const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        ::close(fd);
        if (moved < 0) {
            result.Failure = TOpenFailure::CannotOpen;
            return result;
        }
        fd = moved;
    }
    result.Device = std::make_unique<TSerialDevice>(TKey{}, fd);
    return result;
}

TSerialDevice::TSerialDevice(TKey, int fd) : Fd_(fd) {
    serial_icounter_struct counters{};
    HasCounters_ = ioctl(Fd_, TIOCGICOUNT, &counters) == 0;
    if (HasCounters_) {
        Counters_ = {counters.dcd,    counters.rng, counters.frame,      counters.overrun,
                     counters.parity, counters.brk, counters.buf_overrun};
        ErrorBase_ = Counters_;
    }
    GetState(Cached_);
}

TSerialDevice::~TSerialDevice() {
    ioctl(Fd_, TIOCNXCL);
    ::close(Fd_);
}

bool TSerialDevice::SetupComm(uint32_t, uint32_t) { return true; }

void TSerialDevice::Purge(bool receive, bool transmit) {
    if (receive && transmit)
        tcflush(Fd_, TCIOFLUSH);
    else if (receive)
        tcflush(Fd_, TCIFLUSH);
    else if (transmit)
        tcflush(Fd_, TCOFLUSH);
}

bool TSerialDevice::GetState(TSerialLineSettings& settings) const {
    termios t{};
    if (tcgetattr(Fd_, &t) != 0) return false;
    settings = Cached_;
    const speed_t code = cfgetospeed(&t);
    const auto known =
        std::find_if(std::begin(BaudCodes), std::end(BaudCodes), [code](const TBaudCode& b) { return b.Code == code; });
    if (known != std::end(BaudCodes))
        settings.BaudRate = known->Rate;
    else
        GetAnyBaudRate(Fd_, settings.BaudRate);
    switch (t.c_cflag & CSIZE) {
        case CS5: settings.ByteSize = 5; break;
        case CS6: settings.ByteSize = 6; break;
        case CS7: settings.ByteSize = 7; break;
        default: settings.ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        settings.ParityMode = 0;
    else if (t.c_cflag & CMSPAR)
        settings.ParityMode = (t.c_cflag & PARODD) ? 3 : 4;
    else
        settings.ParityMode = (t.c_cflag & PARODD) ? 1 : 2;
    if (!(t.c_cflag & CSTOPB))
        settings.StopBits = 0;
    else if (settings.StopBits == 0)
        settings.StopBits = 2;
    settings.Parity = (t.c_iflag & INPCK) != 0;
    settings.OutX = (t.c_iflag & IXON) != 0;
    settings.InX = (t.c_iflag & IXOFF) != 0;
    settings.XonChar = static_cast<char>(t.c_cc[VSTART]);
    settings.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return true;
}

bool TSerialDevice::SetState(const TSerialLineSettings& settings) {
    termios t{};
    if (tcgetattr(Fd_, &t) != 0) return false;
    if (settings.ByteSize < 5 || settings.ByteSize > 8 || settings.ParityMode > 4 || settings.StopBits > 2 ||
        settings.DtrControl > 2 || settings.RtsControl > 3 || settings.BaudRate == 0)
        return false;

    // Raw binary line: no echo, no line editing, no character translation.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    constexpr tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= Sizes[settings.ByteSize - 5];
    switch (settings.ParityMode) {
        case 1: t.c_cflag |= PARENB | PARODD; break;
        case 2: t.c_cflag |= PARENB; break;
        case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 4: t.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    if (settings.StopBits != 0) t.c_cflag |= CSTOPB;
    if (settings.Parity) t.c_iflag |= INPCK;
    if (settings.OutX) t.c_iflag |= IXON;
    if (settings.InX) t.c_iflag |= IXOFF;
    if (settings.OutxCtsFlow || settings.RtsControl == 2) t.c_cflag |= CRTSCTS;
    t.c_cc[VSTART] = static_cast<cc_t>(settings.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(settings.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const auto known = std::find_if(std::begin(BaudCodes), std::end(BaudCodes),
                                    [&](const TBaudCode& b) { return b.Rate == settings.BaudRate; });
    if (known != std::end(BaudCodes)) {
        cfsetispeed(&t, known->Code);
        cfsetospeed(&t, known->Code);
    }
    // A driver may refuse part of the settings (a pty keeps 8 data bits and no parity) and
    // still take the rest; the port keeps what it accepted and the caller learns of the refusal.
    bool accepted = tcsetattr(Fd_, TCSANOW, &t) == 0;
    if (known == std::end(BaudCodes)) accepted = SetAnyBaudRate(Fd_, settings.BaudRate) && accepted;

    if (settings.DtrControl != 2) SetModemLine(Fd_, TIOCM_DTR, settings.DtrControl == 1);
    if (settings.RtsControl < 2) SetModemLine(Fd_, TIOCM_RTS, settings.RtsControl == 1);
    DiscardNul_ = settings.Null;
    Cached_ = settings;
    return accepted;
}

bool TSerialDevice::GetTimeouts(TSerialTimeouts& timeouts) const {
    timeouts = {ReadInterval_, ReadMultiplier_, ReadConstant_, WriteMultiplier_, WriteConstant_};
    return true;
}

bool TSerialDevice::SetTimeouts(const TSerialTimeouts& timeouts) {
    ReadInterval_ = timeouts.ReadIntervalTimeout;
    ReadMultiplier_ = timeouts.ReadTotalTimeoutMultiplier;
    ReadConstant_ = timeouts.ReadTotalTimeoutConstant;
    WriteMultiplier_ = timeouts.WriteTotalTimeoutMultiplier;
    WriteConstant_ = timeouts.WriteTotalTimeoutConstant;
    return true;
}

bool TSerialDevice::SetEventMask(uint32_t mask) {
    EventMask_ = mask;
    return true;
}

int TSerialDevice::RemainingMs(int64_t deadlineMs) const {
    return static_cast<int>(std::clamp<int64_t>(deadlineMs - NowMs(), 0, INT_MAX));
}

uint32_t TSerialDevice::PendingEvents() {
    if (!HasCounters_) return 0;
    serial_icounter_struct now{};
    if (ioctl(Fd_, TIOCGICOUNT, &now) != 0) return 0;
    uint32_t events = 0;
    if (now.dcd != Counters_.Dcd) events |= EV_RLSD;
    if (now.rng != Counters_.Rng) events |= EV_RING;
    if (now.frame != Counters_.Frame || now.overrun != Counters_.Overrun || now.parity != Counters_.Parity ||
        now.brk != Counters_.Brk || now.buf_overrun != Counters_.BufOverrun)
        events |= EV_ERR;
    Counters_ = {now.dcd, now.rng, now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
    return events & EventMask_;
}

uint32_t TSerialDevice::ClearErrors() {
    if (!HasCounters_) return 0;
    serial_icounter_struct now{};
    if (ioctl(Fd_, TIOCGICOUNT, &now) != 0) return 0;
    uint32_t flags = 0;
    if (now.buf_overrun != ErrorBase_.BufOverrun) flags |= CE_RXOVER;
    if (now.overrun != ErrorBase_.Overrun) flags |= CE_OVERRUN;
    if (now.parity != ErrorBase_.Parity) flags |= CE_RXPARITY;
    if (now.frame != ErrorBase_.Frame) flags |= CE_FRAME;
    if (now.brk != ErrorBase_.Brk) flags |= CE_BREAK;
    ErrorBase_ = {now.dcd, now.rng, now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
    return flags;
}

TSerialIoResult TSerialDevice::Read(uint8_t* buffer, size_t capacity, const TEventFd& stop) {
    const uint32_t interval = ReadInterval_;
    const uint32_t multiplier = ReadMultiplier_;
    const uint32_t constant = ReadConstant_;
    const bool immediate = interval == MaxDword && multiplier == 0 && constant == 0;
    const bool hasTotal = multiplier != 0 || constant != 0;
    const int64_t deadline =
        hasTotal ? NowMs() + static_cast<int64_t>(multiplier) * static_cast<int64_t>(capacity) + constant : 0;

    size_t gathered = 0;
    if (const uint32_t events = PendingEvents()) return {TSerialIoStatus::LineEvent, 0, events};
    for (;;) {
        int timeout = -1;
        if (immediate) timeout = 0;
        if (gathered > 0 && interval != 0 && interval != MaxDword)
            timeout = static_cast<int>(std::min<uint32_t>(interval, INT_MAX));
        if (hasTotal) timeout = timeout < 0 ? RemainingMs(deadline) : std::min(timeout, RemainingMs(deadline));

        pollfd fds[2] = {{Fd_, POLLIN, 0}, {stop.Fd(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return {TSerialIoStatus::Failed, gathered, 0};
        }
        if (fds[1].revents & POLLIN) return {TSerialIoStatus::Stopped, 0, 0};
        if (ready == 0) return {TSerialIoStatus::Completed, gathered, 0};
        if (fds[0].revents & POLLNVAL) return {TSerialIoStatus::InvalidHandle, gathered, 0};

        if (gathered == 0)
            if (const uint32_t events = PendingEvents()) return {TSerialIoStatus::LineEvent, 0, events};

        const ssize_t n = ::read(Fd_, buffer + gathered, capacity - gathered);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
            // The device is gone (hang-up, unplugged adapter): hand over what came first.
            if (gathered > 0) return {TSerialIoStatus::Completed, gathered, 0};
            return {errno == EBADF ? TSerialIoStatus::InvalidHandle : TSerialIoStatus::Failed, 0, 0};
        }
        size_t added = static_cast<size_t>(n);
        if (DiscardNul_)
            added =
                static_cast<size_t>(std::remove(buffer + gathered, buffer + gathered + added, 0) - (buffer + gathered));
        gathered += added;
        if (gathered == capacity || immediate) return {TSerialIoStatus::Completed, gathered, 0};
    }
}

TSerialIoResult TSerialDevice::Write(const uint8_t* data, size_t count, const TEventFd& stop) {
    const uint32_t multiplier = WriteMultiplier_;
    const uint32_t constant = WriteConstant_;
    const bool hasTotal = multiplier != 0 || constant != 0;
    const int64_t deadline =
        hasTotal ? NowMs() + static_cast<int64_t>(multiplier) * static_cast<int64_t>(count) + constant : 0;

    size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(Fd_, data + written, count - written);
        if (n > 0) {
            written += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EBADF) return {TSerialIoStatus::InvalidHandle, written, 0};
        if (n < 0 && errno != EAGAIN && errno != EINTR) return {TSerialIoStatus::Failed, written, 0};

        const int timeout = hasTotal ? RemainingMs(deadline) : -1;
        if (hasTotal && timeout == 0) return {TSerialIoStatus::Completed, written, 0};
        pollfd fds[2] = {{Fd_, POLLOUT, 0}, {stop.Fd(), POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR) return {TSerialIoStatus::Failed, written, 0};
        if (fds[1].revents & POLLIN) return {TSerialIoStatus::Stopped, written, 0};
        if (fds[0].revents & (POLLERR | POLLHUP)) return {TSerialIoStatus::Failed, written, 0};
        if (fds[0].revents & POLLNVAL) return {TSerialIoStatus::InvalidHandle, written, 0};
    }
    return {TSerialIoStatus::Completed, written, 0};
}

}  // namespace platform
