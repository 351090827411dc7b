// Building and sending requests, and the reply timer with its resends.
#include <algorithm>

#include "base/format.h"
#include "console/conversions.h"
#include "console/crc16.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"

namespace console {
namespace {

// How long the reply timer waits again while a reply's bytes are still coming.
constexpr int ReplyGraceMs = 250;

}  // namespace

uint8_t Tform1::AddressField() const { return StrToByte(LabeledEdit14->Text()); }

uint32_t Tform1::AppendCrc(uint32_t length) {
    const uint16_t crc = Crc16Modbus(State.TxFrame.data(), length);
    State.TxFrame[length] = static_cast<uint8_t>(crc >> 8);
    State.TxFrame[length + 1] = static_cast<uint8_t>(crc & 0xFF);
    return length + 2;
}

uint32_t Tform1::FrameRead(uint8_t address, uint8_t function, uint16_t reg, uint16_t quantity) {
    auto& f = State.TxFrame;
    f[0] = address;
    f[1] = function;
    f[2] = static_cast<uint8_t>(reg >> 8);
    f[3] = static_cast<uint8_t>(reg & 0xFF);
    f[4] = static_cast<uint8_t>(quantity >> 8);
    f[5] = static_cast<uint8_t>(quantity & 0xFF);
    return AppendCrc(6);
}

uint32_t Tform1::FrameWriteSingle(uint8_t address, uint8_t function, uint16_t reg, uint16_t value) {
    return FrameRead(address, function, reg, value);  // the same layout: a register and a 16-bit field
}

uint32_t Tform1::FrameWriteMultiple(uint8_t address, uint8_t function, uint16_t reg,
                                    const std::vector<uint16_t>& values) {
    auto& f = State.TxFrame;
    const auto quantity = static_cast<uint16_t>(values.size());
    f[0] = address;
    f[1] = function;
    f[2] = static_cast<uint8_t>(reg >> 8);
    f[3] = static_cast<uint8_t>(reg & 0xFF);
    f[4] = static_cast<uint8_t>(quantity >> 8);
    f[5] = static_cast<uint8_t>(quantity & 0xFF);
    f[6] = static_cast<uint8_t>(quantity * 2);
    uint32_t length = 7;
    for (uint16_t value : values) {
        f[length++] = static_cast<uint8_t>(value >> 8);
        f[length++] = static_cast<uint8_t>(value & 0xFF);
    }
    return AppendCrc(length);
}

// A new request replaces the one in flight and ends its resends: the reply timer, when the
// sender arms it, starts afresh for this request alone.
bool Tform1::SendFrame(const uint8_t* buffer, uint32_t length) {
    Timer1.SetEnabled(false);
    State.RetryCount = 0;
    Comm1.SendData(buffer, static_cast<uint16_t>(std::min<uint32_t>(length, 0xFFFF)));
    State.ReplyOffset = 0;
    OffsetAtLastTick_ = 0;
    AwaitingReply_ = length > 1;
    AwaitedFunction_ = length > 1 ? buffer[1] : 0;
    Pause(30);
    return true;
}

// The reply timer's resend: the same request again, not a new one.
void Tform1::ResendLastFrame() {
    Comm1.SendData(State.TxFrame.data(), static_cast<uint16_t>(State.LastFrameLength));
    State.ReplyOffset = 0;
    OffsetAtLastTick_ = 0;
    Pause(30);
}

void Tform1::ArmReplyTimer(int interval) {
    Timer1.SetEnabled(true);
    Timer1.SetInterval(interval);
}

void Tform1::SendRequest(const TRequest& request) {
    if (!request.Status.isEmpty()) SetStatus(request.Status);
    if (request.State >= 0) State.RequestState = static_cast<uint32_t>(request.State);
    const uint8_t address = AddressField();
    State.ExpectedAddress = address;
    const uint8_t target = request.Broadcast ? protocol::BroadcastAddress : address;
    uint32_t length = 0;
    switch (request.Function) {
        case protocol::fnReadRegisters:
        case protocol::fnReadPrivate:
            length = FrameRead(target, request.Function, request.Register, request.Quantity);
            break;
        case protocol::fnWriteCoil:
        case protocol::fnWriteRegister:
            length = FrameWriteSingle(target, request.Function, request.Register, request.Values.at(0));
            break;
        default: length = FrameWriteMultiple(target, request.Function, request.Register, request.Values); break;
    }
    State.LastFrameLength = length;
    SendFrame(State.TxFrame.data(), length);
    if (request.PauseMs > 0) Pause(request.PauseMs);
    if (request.TimeoutMs > 0) ArmReplyTimer(request.TimeoutMs);
}

// The reply to the request in flight came: the reply timer and the resends end.
void Tform1::ReplyArrived() {
    State.RetryCount = 0;
    AwaitingReply_ = false;
    Timer1.SetEnabled(false);
}

void Tform1::DropFollowUps() {
    State.PostWriteAction = 0;
    State.PendingQuery = 0;
}

// Bytes of the awaited reply that are still coming are not thrown away by a resend (the
// instrument has moved on by then). Each wait needs the partial reply to have grown and to
// be shorter than the reply asked for, so the waits are bounded by the reply's size.
bool Tform1::ReplyStillArriving() {
    const int32_t offset = State.ReplyOffset;
    const bool grew = offset > OffsetAtLastTick_;
    OffsetAtLastTick_ = std::max(offset, OffsetAtLastTick_);
    if (offset <= 0 || !grew || State.ReplyBuffer[0] != State.ExpectedAddress) return false;
    return offset < protocol::ExpectedReplyLength(State.TxFrame.data(), State.LastFrameLength);
}

// The same request again, as a new request: a continuous read asks for its next record.
void Tform1::RepeatRequest(int interval) {
    SendFrame(State.TxFrame.data(), State.LastFrameLength);
    Timer1.SetEnabled(true);
    if (interval > 0) Timer1.SetInterval(interval);
}

void Tform1::ShowReadStatistics() {
    SetStatistics(
        QString::fromStdString(base::Format("成功:%d,失败:%d", {State.ReadSuccessCount, State.ReadFailureCount})));
}

void Tform1::Timer1Timer() {
    if (ReplyStillArriving()) {
        Timer1.SetInterval(ReplyGraceMs);
        return;
    }
    if (State.RetryCount >= 3) {
        State.RetryCount = 0;
        Timer1.SetEnabled(false);
        SetStatus("接收超时");
        if (!State.ContinuousRead) {
            // The request is abandoned, and with it what its acknowledgement would have done.
            AwaitingReply_ = false;
            DropFollowUps();
            return;
        }
        // A continuous read never gives up: it counts a failure and starts the next round.
        ++State.ReadFailureCount;
        ShowReadStatistics();
        SetStatus("读取中...");
        Comm1.SendData(State.TxFrame.data(), static_cast<uint16_t>(State.LastFrameLength));
        Timer1.SetInterval(2000);
        Timer1.SetEnabled(true);
        State.ReplyOffset = 0;
        return;
    }
    try {
        Comm1.ClosePort();
        Pause(10);
        Comm1.OpenPort();
        Pause(10);
    } catch (const serial::ECommsError&) {
        ReopenFailure();
        return;
    }
    State.ReplyOffset = 0;
    ++State.RetryCount;
    ResendLastFrame();
    Timer1.SetInterval(2000);
    State.ReplyOffset = 0;
}

// The port vanished or was taken during a resend: back to the disconnected state.
void Tform1::ReopenFailure() {
    ExcelReport.DropReport();
    SetStatus("端口错误");
    SetPortState("关闭");
    State.LinkUp = false;
    AwaitingReply_ = false;
    DropFollowUps();
    HeldClick_ = nullptr;
    Timer1.SetEnabled(false);
    Timer6.SetEnabled(false);
    Timer2.SetEnabled(false);
    SetEnabled({ToolButton1, BitBtn2}, true);
    LinkDownControls();
}

std::vector<QWidget*> Tform1::LinkButtons() const {
    return {BitBtn1,  BitBtn3,  BitBtn4,  BitBtn5,  BitBtn6,  BitBtn7,  BitBtn8,  BitBtn12, BitBtn13, BitBtn14,
            BitBtn15, BitBtn17, BitBtn18, BitBtn19, BitBtn20, BitBtn21, BitBtn23, BitBtn24, BitBtn25, BitBtn26,
            BitBtn27, BitBtn29, BitBtn32, BitBtn33, BitBtn35, BitBtn36, BitBtn37, BitBtn38, BitBtn39, BitBtn40,
            BitBtn41, BitBtn42, BitBtn43, BitBtn44, BitBtn45, BitBtn49, BitBtn50, BitBtn52, BitBtn53};
}

void Tform1::CheckRunOptions() {
    CheckBox3->setChecked(true);
    CheckBox3->setEnabled(true);
    if (PageControl1->currentIndex() != 2) {
        CheckBox10->setChecked(true);
        CheckBox10->setEnabled(true);
    }
}

// The controls of a link that went down, shared by disconnecting and a failed reopen.
void Tform1::LinkDownControls() {
    SetEnabled(LinkButtons(), false);
    for (QPushButton* button : {BitBtn1, BitBtn19, BitBtn17}) button->setText("读取");
    SetEnabled({PageControl1, ComboBox6, ComboBox7, ComboBox8}, true);
    State.ContinuousRead = false;
    for (QCheckBox* box : {CheckBox3, CheckBox5, CheckBox6, CheckBox10}) box->setChecked(false);
    SetEnabled({CheckBox3, CheckBox5, CheckBox10, CheckBox11}, false);
}

}  // namespace console
