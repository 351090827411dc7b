#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/event_fd.h"

namespace platform {

// The line settings a serial port takes, field by field as the Windows device control
// block holds them. Fields this platform's driver has no equivalent for are kept and given
// back unchanged (the driver "ignores" them, as a Windows driver may).
struct TSerialLineSettings {
    uint32_t BaudRate = 9600;
    bool Binary = true;
    bool Parity = false;  // check parity on input
    bool OutxCtsFlow = false;
    bool OutxDsrFlow = false;      // no equivalent on Linux
    uint8_t DtrControl = 1;        // 0 disable, 1 enable, 2 handshake
    bool DsrSensitivity = false;   // no equivalent on Linux
    bool TXContinueOnXoff = true;  // no equivalent on Linux
    bool OutX = false;             // XON/XOFF on output
    bool InX = false;              // XON/XOFF on input
    bool ErrorChar = false;        // no equivalent on Linux
    bool Null = false;             // discard received NUL bytes
    uint8_t RtsControl = 1;        // 0 disable, 1 enable, 2 handshake, 3 toggle
    bool AbortOnError = false;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;    // 5..8
    uint8_t ParityMode = 0;  // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t StopBits = 0;    // 0 one, 1 one and a half (acts as two), 2 two
    char XonChar = 17;
    char XoffChar = 19;
    char ErrorCharValue = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

// The five time-outs of a port, in milliseconds, with the Windows meaning.
struct TSerialTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

// Line events a reader can wait for, and the error flags ClearErrors reports.
constexpr uint32_t EV_RLSD = 0x0020;
constexpr uint32_t EV_ERR = 0x0080;
constexpr uint32_t EV_RING = 0x0100;
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;

enum class TSerialIoStatus {
    Completed,      // Count bytes were transferred (a read may complete with 0 on a total time-out)
    LineEvent,      // a read was interrupted by line events (Events)
    Stopped,        // the stop event was set
    InvalidHandle,  // the port is no longer valid: end quietly
    Failed,         // any other failure: the device went away or refused the transfer
};

struct TSerialIoResult {
    TSerialIoStatus Status = TSerialIoStatus::Failed;
    size_t Count = 0;
    uint32_t Events = 0;
};

// A serial port opened exclusively, over termios. Reads and writes wait in poll() on the
// port and on a stop event, so closing never waits on a blocked thread. The settings and
// time-outs may be changed by one thread while another reads or writes.
class TSerialDevice {
public:
    enum class TOpenFailure { None, CannotOpen, NotACharacterDevice };

    // Opens "path" for reading and writing, non-blocking, not as a controlling terminal,
    // locked against other openers. Device is null when Failure says why.
    struct TOpenResult {
        std::unique_ptr<TSerialDevice> Device;
        TOpenFailure Failure = TOpenFailure::None;
    };
    static TOpenResult Open(const std::string& path);

    ~TSerialDevice();
    TSerialDevice(const TSerialDevice&) = delete;
    TSerialDevice& operator=(const TSerialDevice&) = delete;

    // The driver's queues are fixed here; accepted for every size.
    bool SetupComm(uint32_t inputSize, uint32_t outputSize);
    void Purge(bool receive, bool transmit);

    bool GetState(TSerialLineSettings& settings) const;
    bool SetState(const TSerialLineSettings& settings);
    bool GetTimeouts(TSerialTimeouts& timeouts) const;
    bool SetTimeouts(const TSerialTimeouts& timeouts);
    bool SetEventMask(uint32_t mask);

    // Reads at most capacity bytes. With the total time-outs 0 it completes when capacity
    // bytes have arrived or the line stayed silent for ReadIntervalTimeout ms after at
    // least one byte; an interval of 0 waits for capacity bytes.
    TSerialIoResult Read(uint8_t* buffer, size_t capacity, const TEventFd& stop);
    // Writes all count bytes unless the write time-outs expire (Completed with a smaller
    // Count) or the stop event is set.
    TSerialIoResult Write(const uint8_t* data, size_t count, const TEventFd& stop);
    // The line errors seen since the last call, as CE_ flags.
    uint32_t ClearErrors();

    int Fd() const { return Fd_; }

    // Only Open makes devices; the key keeps the constructor usable by std::make_unique.
    class TKey {
        friend class TSerialDevice;
        TKey() = default;
    };
    TSerialDevice(TKey, int fd);

private:
    uint32_t PendingEvents();
    int RemainingMs(int64_t deadlineMs) const;

    int Fd_;
    TSerialLineSettings Cached_;
    std::atomic<uint32_t> EventMask_{0};
    std::atomic<uint32_t> ReadInterval_{0};
    std::atomic<uint32_t> ReadMultiplier_{0};
    std::atomic<uint32_t> ReadConstant_{0};
    std::atomic<uint32_t> WriteMultiplier_{0};
    std::atomic<uint32_t> WriteConstant_{0};
    std::atomic<bool> DiscardNul_{false};
    // Kernel line counters when the driver keeps them (real UARTs and most USB adapters).
    bool HasCounters_ = false;
    struct TCounters {
        int Dcd = 0, Rng = 0, Frame = 0, Overrun = 0, Parity = 0, Brk = 0, BufOverrun = 0;
    } Counters_, ErrorBase_;
};

}  // namespace platform
