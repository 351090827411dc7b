// Identification, detection, the clock check and the model information.
#include <QDateTime>
#include <cmath>

#include "base/exception.h"
#include "base/format.h"
#include "console/conversions.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"
#include "console/model_text.h"
#include "console/reply_values.h"
#include "platform/dialogs.h"

namespace console {

void Tform1::IdentifyReply() {
    const std::optional<TIdentity> identity = TIdentity::DecodeIdentify(Reply());
    if (!identity) return;
    const uint16_t address = identity->Address;
    if (address >= 248) return;
    SetStatus("正常");
    LabeledEdit14->SetText(QString::number(address));
    SetStatus("读取中...");
    State.RequestState = rsModelAfterIdentify;
    State.ExpectedAddress = AddressField();
    State.LastFrameLength =
        FrameRead(static_cast<uint8_t>(address), protocol::fnReadPrivate, protocol::regModel, protocol::ModelRegisters);
    SendFrame(State.TxFrame.data(), State.LastFrameLength);
    Pause(30);
    ArmReplyTimer(300);
    SetStatistics("");
}

void Tform1::DetectReply() {
    const std::optional<TIdentity> identity = TIdentity::DecodeDetect(Reply());
    if (!identity) return;
    const uint16_t address = identity->Address;
    if (address < 256) LabeledEdit14->SetText(QString::number(address));
    LabeledEdit7->SetText(LabeledEdit14->Text());
    SetStatus("读取中...");
    State.RequestState = rsClockCheck;
    State.ExpectedAddress = AddressField();
    State.LastFrameLength =
        FrameRead(State.ExpectedAddress, protocol::fnReadRegisters, protocol::regClock, protocol::ClockRegisters);
    SendFrame(State.TxFrame.data(), State.LastFrameLength);
    Pause(30);
    ArmReplyTimer(300);
    SetStatistics("");
}

void Tform1::ClockCheckReply() {
    const std::optional<TDeviceClock> clock = TDeviceClock::Decode(Reply());
    if (!clock || !clock->Plausible()) return;
    State.RequestState = rsIdle;
    Timer6.SetEnabled(false);
    SetStatus("检测完成");
    SetStatus("正常");
    const QDateTime now = QDateTime::currentDateTime();
    ShowClockFields(*clock);
    const auto& f = clock->Fields;
    const QDate date(2000 + f[0], f[1], f[2]);
    if (!date.isValid()) throw base::EConvertError("Invalid argument to date encode");
    const QDateTime device(date, QTime(f[3], f[4], f[5]));
    const double driftMinutes = std::abs(static_cast<double>(device.msecsTo(now))) / 60000.0;
    if (driftMinutes > 5) {
        const int answer = platform::Dialogs().MessageBox(
            "已经连接，时间有偏差，是否校准？", "询问",
            platform::MB_OKCANCEL | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2 | platform::MB_TOPMOST);
        if (answer == platform::IDOK) {
            const QDateTime pc = QDateTime::currentDateTime();
            Timer1.SetEnabled(true);
            const QDate d = pc.date();
            const QTime t = pc.time();
            const std::vector<uint16_t> clock = {static_cast<uint16_t>(((d.year() + 48) & 0xFF) << 8 | d.month()),
                                                 static_cast<uint16_t>(d.day() << 8 | t.hour()),
                                                 static_cast<uint16_t>(t.minute() << 8 | t.second())};
            State.LastFrameLength =
                FrameWriteMultiple(State.ExpectedAddress, protocol::fnWriteRegisters, protocol::regClock, clock);
            SendFrame(State.TxFrame.data(), State.LastFrameLength);
            WriteTimeFields(pc);
            Pause(30);
            Timer1.SetInterval(1000);
        }
    } else {
        platform::Dialogs().ShowMessage("连接成功！" + std::string(17, ' '));
    }
    State.RequestState = rsModelAfterDetect;
    State.ExpectedAddress = AddressField();
    State.LastFrameLength =
        FrameRead(State.ExpectedAddress, protocol::fnReadPrivate, protocol::regModel, protocol::ModelRegisters);
    SendFrame(State.TxFrame.data(), State.LastFrameLength);
    Pause(30);
    ArmReplyTimer(1000);
}

void Tform1::ModelReply(bool afterDetect) {
    const std::optional<TModelReply> reply = TModelReply::Decode(Reply());
    if (!reply) return;
    const TModelInfo model = DescribeModel(reply->Class, reply->Options, reply->Version);
    Label7->setText(model.IntervalUnit);
    State.SecondsModel = model.SecondsModel ? 1 : 0;
    SetStatistics(model.Text);
    if (!afterDetect) {
        SetStatus("正常");
        return;
    }
    SetStatus("检测完成");
    SetPortState("打开");
    BitBtn2->setEnabled(false);
    SetEnabled({BitBtn3, BitBtn1}, true);
    CheckBox1->setChecked(false);
    CheckBox1->setEnabled(true);
    SetEnabled({BitBtn14, BitBtn18}, false);
    SetEnabled({BitBtn4,  BitBtn5,  BitBtn50, BitBtn6,  BitBtn7,  BitBtn8,  BitBtn45,   BitBtn13, BitBtn17,
                BitBtn21, BitBtn29, BitBtn20, BitBtn24, BitBtn25, BitBtn26, BitBtn27,   BitBtn33, BitBtn52,
                BitBtn53, BitBtn35, BitBtn36, BitBtn32, BitBtn38, BitBtn39, BitBtn40,   BitBtn41, BitBtn42,
                BitBtn43, BitBtn44, BitBtn37, BitBtn49, BitBtn12, BitBtn23, ToolButton1},
               true);
    SetEnabled({ComboBox6, ComboBox7, ComboBox8}, false);
    CheckRunOptions();
    State.LinkUp = true;
}

void Tform1::SerialVersionReply() {
    const std::optional<TSerialVersion> reply = TSerialVersion::Decode(Reply());
    if (!reply) return;
    SetStatus("正常");
    QString serial;
    for (const uint8_t byte : reply->Serial) serial += QString::fromStdString(base::Format("%.2x", {byte}));
    LabeledEdit29->SetText(serial.toLower());
    LabeledEdit30->SetText(QString::number(reply->Version));
}

}  // namespace console
