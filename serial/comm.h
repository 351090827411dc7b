#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/exception.h"
#include "platform/event_fd.h"
#include "platform/notify_window.h"
#include "platform/serial_device.h"

namespace serial {

class TReadThread;
class TWriteThread;
class TComm;

// Raised when a port cannot be opened; the message says which step failed.
class ECommsError : public base::Exception {
public:
    using base::Exception::Exception;
};

enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { _1, _1_5, _2 };
enum class TByteSize { _5, _6, _7, _8 };
enum class TDtrControl { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };

using TReceiveDataEvent = std::function<void(TComm& sender, const uint8_t* buffer, uint16_t bufferLength)>;
using TReceiveErrorEvent = std::function<void(TComm& sender, uint32_t eventMask)>;
using TModemStateChangeEvent = std::function<void(TComm& sender, uint32_t modemEvent)>;
using TSendDataEmptyEvent = std::function<void(TComm& sender)>;
using TNotifyEvent = std::function<void(TComm& sender)>;

// One serial port: opened with the line settings and time-outs below, written through a
// writer thread, read through a reader thread. Every event is raised on the thread that
// created the component (the GUI thread, which must run Qt's event loop), in the order the
// threads posted them. The device is "//./" + CommName on Windows; here CommName is a device
// path ("/dev/ttyUSB0") or a bare name taken under /dev ("ttyUSB0").
class TComm {
public:
    TComm();
    // Closes the port first, so no thread outlives the window it posts to.
    ~TComm();
    TComm(const TComm&) = delete;
    TComm& operator=(const TComm&) = delete;

    // Raises ECommsError with the failing step's text; a failure leaves the port closed,
    // except "already opened", which leaves it as it was.
    void OpenPort();
    void ClosePort();
    // Queues a copy of the bytes for the writer; true when it was handed over.
    bool SendData(const void* buffer, uint16_t length);

    uint32_t ComHandle() const { return PortHandle_; }

    const std::string& CommName() const { return CommName_; }
    void SetCommName(const std::string& value) { CommName_ = value; }
    uint32_t BaudRate() const { return BaudRate_; }
    void SetBaudRate(uint32_t value) { SetLineSetting(BaudRate_, value); }
    bool ParityCheck() const { return ParityCheck_; }
    void SetParityCheck(bool value) { SetLineSetting(ParityCheck_, value); }
    bool Outx_CtsFlow() const { return Outx_CtsFlow_; }
    void SetOutx_CtsFlow(bool value) { SetLineSetting(Outx_CtsFlow_, value); }
    bool Outx_DsrFlow() const { return Outx_DsrFlow_; }
    void SetOutx_DsrFlow(bool value) { SetLineSetting(Outx_DsrFlow_, value); }
    TDtrControl DtrControl() const { return DtrControl_; }
    void SetDtrControl(TDtrControl value) { SetLineSetting(DtrControl_, value); }
    bool DsrSensitivity() const { return DsrSensitivity_; }
    void SetDsrSensitivity(bool value) { SetLineSetting(DsrSensitivity_, value); }
    bool TxContinueOnXoff() const { return TxContinueOnXoff_; }
    void SetTxContinueOnXoff(bool value) { SetLineSetting(TxContinueOnXoff_, value); }
    bool Outx_XonXoffFlow() const { return Outx_XonXoffFlow_; }
    void SetOutx_XonXoffFlow(bool value) { SetLineSetting(Outx_XonXoffFlow_, value); }
    bool Inx_XonXoffFlow() const { return Inx_XonXoffFlow_; }
    void SetInx_XonXoffFlow(bool value) { SetLineSetting(Inx_XonXoffFlow_, value); }
    bool ReplaceWhenParityError() const { return ReplaceWhenParityError_; }
    void SetReplaceWhenParityError(bool value) { SetLineSetting(ReplaceWhenParityError_, value); }
    bool IgnoreNullChar() const { return IgnoreNullChar_; }
    void SetIgnoreNullChar(bool value) { SetLineSetting(IgnoreNullChar_, value); }
    TRtsControl RtsControl() const { return RtsControl_; }
    void SetRtsControl(TRtsControl value) { SetLineSetting(RtsControl_, value); }
    uint16_t XonLimit() const { return XonLimit_; }
    void SetXonLimit(uint16_t value) { SetLineSetting(XonLimit_, value); }
    uint16_t XoffLimit() const { return XoffLimit_; }
    void SetXoffLimit(uint16_t value) { SetLineSetting(XoffLimit_, value); }
    TByteSize ByteSize() const { return ByteSize_; }
    void SetByteSize(TByteSize value) { SetLineSetting(ByteSize_, value); }
    // Parity is only stored: it reaches the port at the next open or re-apply.
    TParity Parity() const { return Parity_; }
    void SetParity(TParity value) { Parity_ = value; }
    TStopBits StopBits() const { return StopBits_; }
    void SetStopBits(TStopBits value) { SetLineSetting(StopBits_, value); }
    char XonChar() const { return XonChar_; }
    void SetXonChar(char value) { SetLineSetting(XonChar_, value); }
    char XoffChar() const { return XoffChar_; }
    void SetXoffChar(char value) { SetLineSetting(XoffChar_, value); }
    char ReplacedChar() const { return ReplacedChar_; }
    void SetReplacedChar(char value) { SetLineSetting(ReplacedChar_, value); }
    uint32_t ReadIntervalTimeout() const { return ReadIntervalTimeout_; }
    void SetReadIntervalTimeout(uint32_t value) { SetTimeout(ReadIntervalTimeout_, value); }
    uint32_t ReadTotalTimeoutMultiplier() const { return ReadTotalTimeoutMultiplier_; }
    void SetReadTotalTimeoutMultiplier(uint32_t value) { SetTimeout(ReadTotalTimeoutMultiplier_, value); }
    uint32_t ReadTotalTimeoutConstant() const { return ReadTotalTimeoutConstant_; }
    void SetReadTotalTimeoutConstant(uint32_t value) { SetTimeout(ReadTotalTimeoutConstant_, value); }
    uint32_t WriteTotalTimeoutMultiplier() const { return WriteTotalTimeoutMultiplier_; }
    void SetWriteTotalTimeoutMultiplier(uint32_t value) { SetTimeout(WriteTotalTimeoutMultiplier_, value); }
    uint32_t WriteTotalTimeoutConstant() const { return WriteTotalTimeoutConstant_; }
    void SetWriteTotalTimeoutConstant(uint32_t value) { SetTimeout(WriteTotalTimeoutConstant_, value); }

    TReceiveDataEvent OnReceiveData;
    TNotifyEvent OnRequestHangup;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TSendDataEmptyEvent OnSendDataEmpty;

private:
    template <typename T>
    void SetLineSetting(T& field, T value) {
        if (field == value) return;
        field = value;
        if (PortHandle_ != 0) ApplyLineSettings();
    }
    void SetTimeout(uint32_t& field, uint32_t value) {
        if (field == value) return;
        field = value;
        if (PortHandle_ != 0) ApplyTimeouts();
    }
    void ApplyLineSettings();
    void ApplyTimeouts();
    void StopReader();
    void StopWriter();
    void ReleasePort();
    void WindowProc(const platform::TMessage& message);

    std::unique_ptr<TReadThread> Reader_;
    std::unique_ptr<TWriteThread> Writer_;
    std::shared_ptr<platform::TSerialDevice> Port_;  // shared with the threads while they run
    uint32_t PortHandle_ = 0;
    std::shared_ptr<platform::TEventFd> StopEvent_;
    std::unique_ptr<platform::TNotifyWindow> NotifyWindow_;
    std::shared_ptr<std::atomic<bool>> QueueEmpty_ = std::make_shared<std::atomic<bool>>(true);

    std::string CommName_ = "COM2";
    uint32_t BaudRate_ = 9600;
    bool ParityCheck_ = false;
    bool Outx_CtsFlow_ = true;
    bool Outx_DsrFlow_ = true;
    TDtrControl DtrControl_ = TDtrControl::DtrEnable;
    bool DsrSensitivity_ = false;
    bool TxContinueOnXoff_ = true;
    bool Outx_XonXoffFlow_ = false;
    bool Inx_XonXoffFlow_ = false;
    bool ReplaceWhenParityError_ = false;
    bool IgnoreNullChar_ = false;
    TRtsControl RtsControl_ = TRtsControl::RtsEnable;
    uint16_t XonLimit_ = 10;
    uint16_t XoffLimit_ = 10;
    TByteSize ByteSize_ = TByteSize::_8;
    TParity Parity_ = TParity::None;
    TStopBits StopBits_ = TStopBits::_1;
    char XonChar_ = 17;
    char XoffChar_ = 19;
    char ReplacedChar_ = 0;
    uint32_t ReadIntervalTimeout_ = 10;
    uint32_t ReadTotalTimeoutMultiplier_ = 0;
    uint32_t ReadTotalTimeoutConstant_ = 0;
    uint32_t WriteTotalTimeoutMultiplier_ = 0;
    uint32_t WriteTotalTimeoutConstant_ = 0;
};

}  // namespace serial
