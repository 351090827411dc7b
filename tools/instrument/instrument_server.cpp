#include "tools/instrument/instrument_server.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "base/exception.h"
#include "platform/serial_baud.h"
#include "platform/serial_ports.h"
#include "tools/instrument/modbus_crc.h"
#include "tools/instrument/register_map.h"

namespace instrument {
namespace {

namespace fs = std::filesystem;

// A request that stops short for this long never completes: the master has moved on.
constexpr int SilenceMs = 100;

void CloseOnExec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }

}  // namespace

TInstrumentServer::TInstrumentServer(const TInstrumentSettings& settings, THostClock hostClock)
    : Instrument_(settings, std::move(hostClock)) {
    std::array<char, 256> name{};
    if (openpty(&Master_, &Slave_, name.data(), nullptr, nullptr) != 0)
        throw base::Exception(std::string("openpty: ") + std::strerror(errno));
    SlavePath_ = name.data();
    CloseOnExec(Master_);
    CloseOnExec(Slave_);
    fcntl(Master_, F_SETFL, fcntl(Master_, F_GETFL) | O_NONBLOCK);
    // A raw line at the instrument's own speed, so that a user who sets nothing is heard.
    termios t{};
    tcgetattr(Slave_, &t);
    cfmakeraw(&t);
    tcsetattr(Slave_, TCSANOW, &t);
    platform::SetAnyBaudRate(Slave_, settings.BaudRate);
    Thread_ = std::thread([this] { Serve(); });
}

TInstrumentServer::~TInstrumentServer() { PullPort(); }

std::string TInstrumentServer::Publish(const std::string& name) {
    if (Pulled_) throw base::Exception("the instrument's port has been pulled");
    const fs::path folder = platform::VirtualPortFolder();
    const fs::path link = folder / name;
    std::error_code error;
    fs::create_directories(folder, error);
    fs::remove(link, error);
    fs::create_symlink(SlavePath_, link, error);
    if (error) throw base::Exception("cannot publish " + link.string() + ": " + error.message());
    LinkPath_ = link.string();
    return LinkPath_;
}

void TInstrumentServer::SetFaults(const TFaults& faults) {
    std::lock_guard lock(FaultMutex_);
    Faults_ = faults;
}

TFaults TInstrumentServer::Faults() const {
    std::lock_guard lock(FaultMutex_);
    return Faults_;
}

std::vector<TLoggedRequest> TInstrumentServer::Requests() const {
    std::lock_guard lock(LogMutex_);
    return Log_;
}

void TInstrumentServer::ClearRequests() {
    std::lock_guard lock(LogMutex_);
    Log_.clear();
}

bool TInstrumentServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(LogMutex_);
    return LogChanged_.wait_for(lock, timeout, [&] { return Log_.size() >= count; });
}

bool TReport::Acknowledged() const {
    if (Acknowledgement.size() != TFrameAssembler::AcknowledgementSize || Frame.size() < 6) return false;
    std::vector<uint8_t> expected(Frame.begin(), Frame.begin() + 6);
    AppendModbusCrc(expected);
    return Acknowledgement == expected;
}

std::vector<uint8_t> TInstrumentServer::SendLiveReport() {
    std::vector<uint8_t> frame = Instrument_.LiveReport();
    SendReport(frame, 0);
    return frame;
}

std::vector<uint8_t> TInstrumentServer::SendRecordReport(uint32_t records) {
    std::vector<uint8_t> frame = Instrument_.RecordReport(records);
    // The counters, then the records.
    const uint32_t carried = static_cast<uint32_t>((frame[6] - 8) / 10);
    SendReport(frame, carried);
    return frame;
}

void TInstrumentServer::SendReport(std::vector<uint8_t> frame, uint32_t records) {
    if (Pulled_) throw base::Exception("the instrument's port has been pulled");
    {
        std::lock_guard lock(ReportMutex_);
        Reports_.push_back({frame, {}, records});
    }
    // Listening before the report goes out: a quick console answers at once.
    AwaitingAcknowledgement_ = true;
    const TFaults faults = Faults();
    Send(ShapeReply(std::move(frame), faults), faults);
}

void TInstrumentServer::TakeAcknowledgement(const std::vector<uint8_t>& frame) {
    uint32_t reported = 0;
    {
        std::lock_guard lock(ReportMutex_);
        // Acknowledgements come in the order the reports went out: the oldest open one.
        const auto open = std::find_if(Reports_.begin(), Reports_.end(),
                                       [](const TReport& report) { return report.Acknowledgement.empty(); });
        if (open == Reports_.end()) return;
        open->Acknowledgement = frame;
        if (open->Acknowledged()) reported = open->Records;
        AwaitingAcknowledgement_ = std::any_of(Reports_.begin(), Reports_.end(),
                                               [](const TReport& report) { return report.Acknowledgement.empty(); });
    }
    Instrument_.MarkReported(reported);
    ReportChanged_.notify_all();
}

bool TInstrumentServer::WaitForReportAcknowledged(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(ReportMutex_);
    const bool answered = ReportChanged_.wait_for(
        lock, timeout, [&] { return !Reports_.empty() && !Reports_.back().Acknowledgement.empty(); });
    return answered && Reports_.back().Acknowledged();
}

std::vector<TReport> TInstrumentServer::Reports() const {
    std::lock_guard lock(ReportMutex_);
    return Reports_;
}

void TInstrumentServer::PullPort() {
    if (Pulled_.exchange(true)) return;
    Stop_.Set();
    if (Thread_.joinable()) Thread_.join();
    // A report being written from another thread finishes before the line goes.
    std::lock_guard lock(WriteMutex_);
    ::close(Master_);
    ::close(Slave_);
    Master_ = Slave_ = -1;
    if (!LinkPath_.empty()) {
        // Only our own link: another stand-in may have taken the name since.
        std::error_code error;
        if (fs::read_symlink(LinkPath_, error) == SlavePath_) fs::remove(LinkPath_, error);
    }
}

uint32_t TInstrumentServer::LineBaudRate() const {
    // On the master side the terminal settings are the slave's, as its user set them.
    uint32_t baud = 0;
    return platform::GetAnyBaudRate(Master_, baud) ? baud : 0;
}

void TInstrumentServer::Serve() {
    std::array<uint8_t, 1024> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{Master_, POLLIN, 0}, {Stop_.Fd(), POLLIN, 0}}};
        const int ready = ::poll(fds.data(), fds.size(), Assembler_.HasPartial() ? SilenceMs : -1);
        if (ready < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        std::vector<std::vector<uint8_t>> frames;
        Assembler_.AwaitAcknowledgement(AwaitingAcknowledgement_);
        if (ready == 0) {
            frames = Assembler_.Flush();
        } else if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(Master_, buffer.data(), buffer.size());
            if (n < 0 && errno != EAGAIN && errno != EINTR) return;
            if (n > 0) frames = Assembler_.Push(std::span(buffer).first(static_cast<size_t>(n)));
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            return;
        }
        for (const auto& frame : frames) HandleFrame(frame);
    }
}

void TInstrumentServer::HandleFrame(const std::vector<uint8_t>& frame) {
    // Only an awaited acknowledgement is cut out this short; no request is.
    if (frame.size() == TFrameAssembler::AcknowledgementSize && frame[1] == fnWriteRegisters) {
        TakeAcknowledgement(frame);
        return;
    }
    TLoggedRequest logged{frame, LineBaudRate(), false};
    const bool addressed = frame[0] == Instrument_.Address() || frame[0] == IdentifyAddress;
    TFaults faults;
    bool deaf = false;
    {
        std::lock_guard lock(FaultMutex_);
        faults = Faults_;
        if (addressed && !Faults_.Silent && Faults_.SilentRequests > 0) {
            --Faults_.SilentRequests;
            deaf = true;
        }
    }
    deaf = deaf || faults.Silent || logged.LineBaudRate != Instrument_.BaudRate();
    std::optional<std::vector<uint8_t>> reply;
    if (!deaf) reply = Instrument_.Answer(frame);
    logged.Answered = reply.has_value();
    {
        std::lock_guard lock(LogMutex_);
        Log_.push_back(logged);
    }
    LogChanged_.notify_all();
    if (reply) Send(ShapeReply(std::move(*reply), faults), faults);
}

void TInstrumentServer::Send(const std::vector<std::vector<uint8_t>>& chunks, const TFaults& faults) {
    std::lock_guard lock(WriteMutex_);
    if (Pause(faults.ReplyDelay)) return;
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (i > 0 && Pause(faults.ChunkPause)) return;
        if (!WriteAll(chunks[i])) return;
    }
}

bool TInstrumentServer::WriteAll(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(Master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            // The user is not reading: wait for room, but not past a stop.
            std::array<pollfd, 2> fds{{{Master_, POLLOUT, 0}, {Stop_.Fd(), POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return false;
            if (fds[1].revents) return false;
        } else {
            return false;
        }
    }
    return true;
}

bool TInstrumentServer::Pause(std::chrono::milliseconds time) {
    if (time.count() <= 0) return false;
    pollfd stop{Stop_.Fd(), POLLIN, 0};
    const auto ms = std::min<std::chrono::milliseconds::rep>(time.count(), std::numeric_limits<int>::max());
    return ::poll(&stop, 1, static_cast<int>(ms)) > 0;
}

}  // namespace instrument
