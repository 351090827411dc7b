#include "serial/comm.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "serial/comm_messages.h"
#include "serial/read_thread.h"
#include "serial/write_thread.h"

namespace serial {
namespace {

constexpr std::chrono::milliseconds StopTimeout{10000};
constexpr uint32_t InputQueueSize = 2048;
constexpr uint32_t OutputQueueSize = 1024;

std::string DevicePath(const std::string& commName) {
    return commName.rfind('/', 0) == 0 ? commName : "/dev/" + commName;
}

// The DTR and RTS enumerations start with "enable", which the device takes as 1.
uint8_t DtrMode(TDtrControl control) {
    constexpr uint8_t Modes[] = {1, 0, 2};
    return Modes[static_cast<int>(control)];
}
uint8_t RtsMode(TRtsControl control) {
    constexpr uint8_t Modes[] = {1, 0, 2, 3};
    return Modes[static_cast<int>(control)];
}

}  // namespace

TComm::TComm()
    : NotifyWindow_(std::make_unique<platform::TNotifyWindow>(
          [this](const platform::TMessage& message) { WindowProc(message); })) {}

TComm::~TComm() { ClosePort(); }

void TComm::OpenPort() {
    if (PortHandle_ != 0) throw ECommsError("This serial port already opened");

    platform::TSerialDevice::TOpenResult opened = platform::TSerialDevice::Open(DevicePath(CommName_));
    if (opened.Failure == platform::TSerialDevice::TOpenFailure::CannotOpen)
        throw ECommsError("Error opening serial port");
    if (opened.Failure == platform::TSerialDevice::TOpenFailure::NotACharacterDevice)
        throw ECommsError("File handle is not a comm handle ");
    if (!opened.Device->SetupComm(InputQueueSize, OutputQueueSize)) throw ECommsError("Cannot setup comm buffer");

    Port_ = std::move(opened.Device);
    PortHandle_ = static_cast<uint32_t>(Port_->Fd());
    Port_->Purge(true, true);
    *QueueEmpty_ = true;
    ApplyTimeouts();
    ApplyLineSettings();

    try {
        StopEvent_ = std::make_shared<platform::TEventFd>();
    } catch (const base::Exception&) {
        ReleasePort();
        throw ECommsError("Unable to create event");
    }
    try {
        Reader_ = std::make_unique<TReadThread>(Port_, StopEvent_, NotifyWindow_->Target());
    } catch (const std::exception&) {
        StopEvent_.reset();
        ReleasePort();
        throw ECommsError("Unable to create read thread");
    }
    try {
        Writer_ = std::make_unique<TWriteThread>(Port_, StopEvent_, NotifyWindow_->Target(), QueueEmpty_);
    } catch (const std::exception&) {
        StopReader();
        StopEvent_.reset();
        ReleasePort();
        throw ECommsError("Unable to create write thread");
    }
}

void TComm::ClosePort() {
    if (PortHandle_ == 0) return;
    StopReader();
    StopWriter();
    StopEvent_.reset();
    ReleasePort();
}

bool TComm::SendData(const void* buffer, uint16_t length) {
    if (!Writer_ || length == 0) return false;
    std::vector<uint8_t> block(static_cast<size_t>(length) + 1, 0);
    std::copy_n(static_cast<const uint8_t*>(buffer), length, block.begin());
    *QueueEmpty_ = false;
    return Writer_->Post({WM_COMM_DATA, length, 0, std::move(block)});
}

void TComm::ApplyLineSettings() {
    platform::TSerialLineSettings dcb;
    Port_->GetState(dcb);
    dcb.BaudRate = BaudRate_;
    dcb.Binary = true;
    dcb.Parity = ParityCheck_;
    dcb.OutxCtsFlow = Outx_CtsFlow_;
    dcb.OutxDsrFlow = Outx_DsrFlow_;
    dcb.DtrControl = DtrMode(DtrControl_);
    dcb.DsrSensitivity = DsrSensitivity_;
    dcb.TXContinueOnXoff = TxContinueOnXoff_;
    dcb.OutX = Outx_XonXoffFlow_;
    dcb.InX = Inx_XonXoffFlow_;
    dcb.ErrorChar = ReplaceWhenParityError_;
    dcb.Null = IgnoreNullChar_;
    dcb.RtsControl = RtsMode(RtsControl_);
    dcb.AbortOnError = false;
    dcb.XonLim = XonLimit_;
    dcb.XoffLim = XoffLimit_;
    dcb.ByteSize = static_cast<uint8_t>(static_cast<int>(ByteSize_) + 5);
    dcb.ParityMode = static_cast<uint8_t>(Parity_);
    dcb.StopBits = static_cast<uint8_t>(StopBits_);
    dcb.XonChar = XonChar_;
    dcb.XoffChar = XoffChar_;
    dcb.ErrorCharValue = ReplacedChar_;
    // A refusal leaves the port with whatever the driver accepted.
    Port_->SetState(dcb);
}

void TComm::ApplyTimeouts() {
    Port_->SetTimeouts({ReadIntervalTimeout_, ReadTotalTimeoutMultiplier_, ReadTotalTimeoutConstant_,
                        WriteTotalTimeoutMultiplier_, WriteTotalTimeoutConstant_});
}

// Every wait of the threads also waits on the stop event, so they end at once; a thread
// that still has not ended after the limit is let go with its own share of the port.
void TComm::StopReader() {
    if (!Reader_) return;
    StopEvent_->Set();
    Port_->Purge(true, false);
    Reader_->WaitFor(StopTimeout);
    Reader_.reset();
}

void TComm::StopWriter() {
    if (!Writer_) return;
    StopEvent_->Set();
    Port_->Purge(false, true);
    *QueueEmpty_ = true;
    Writer_->WaitFor(StopTimeout);
    Writer_.reset();
}

void TComm::ReleasePort() {
    Port_.reset();
    PortHandle_ = 0;
}

void TComm::WindowProc(const platform::TMessage& message) {
    switch (message.Msg) {
        case WM_COMM_DATA:
            if (OnReceiveData) OnReceiveData(*this, message.Block.data(), static_cast<uint16_t>(message.WParam));
            break;
        case WM_COMM_ERROR:
            if (OnReceiveError) OnReceiveError(*this, static_cast<uint32_t>(message.LParam));
            break;
        case WM_COMM_HANGUP:
            if (OnRequestHangup) OnRequestHangup(*this);
            break;
        case WM_COMM_MODEM:
            if (OnModemStateChange) OnModemStateChange(*this, static_cast<uint32_t>(message.LParam));
            break;
        case WM_COMM_SEND_EMPTY:
            if (OnSendDataEmpty) OnSendDataEmpty(*this);
            break;
        default: break;
    }
}

}  // namespace serial
