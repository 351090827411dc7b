// Connecting on a chosen port, disconnecting, the detection scan and the port-list refresh.
#include "base/format.h"
#include "console/conversions.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"
#include "platform/dialogs.h"

namespace console {
namespace {

struct TLineTiming {
    uint32_t BaudRate;
    uint8_t BaudIndex;
    uint32_t ReadIntervalTimeout;
    int DetectionTick;
};

// Per baud rate: the silence that ends a received chunk, and how long a detection step waits.
constexpr TLineTiming LineTimings[] = {
    {1200, 0, 160, 1500}, {2400, 1, 100, 1400}, {4800, 2, 50, 1200},  {9600, 3, 30, 1000},
    {19200, 4, 10, 800},  {115200, 5, 5, 500},  {1000000, 6, 2, 200},
};
constexpr int UnknownRateTick = 1500;

}  // namespace

// Sets the serial component from the port, rate and frame boxes, and the detection tick
// for that rate.
void Tform1::ApplyLineSettings(const QString& port, const QString& baud) {
    Comm1.SetCommName(port.toStdString());
    const auto rate = static_cast<uint32_t>(StrToInt(baud));
    Comm1.SetBaudRate(rate);
    Timer6.SetInterval(UnknownRateTick);
    for (const TLineTiming& timing : LineTimings) {
        if (timing.BaudRate != rate) continue;
        State.BaudIndex = timing.BaudIndex;
        Comm1.SetReadIntervalTimeout(timing.ReadIntervalTimeout);
        Timer6.SetInterval(timing.DetectionTick);
    }
    switch (ComboBox8->currentIndex()) {
        case 0: Comm1.SetParity(serial::TParity::None); break;
        case 1: Comm1.SetParity(serial::TParity::Even); break;
        case 2: Comm1.SetParity(serial::TParity::Odd); break;
        default: return;
    }
    Comm1.SetByteSize(serial::TByteSize::_8);
    Comm1.SetStopBits(serial::TStopBits::_1);
}

void Tform1::BitBtn2Click() {
    State.DetectBaudIndex = 0;
    State.ExpectedAddress = AddressField();
    State.ReportedRecords = 0;
    SetStatistics(QString::fromStdString(base::Format("记录条数:%d", {0})));
    const int tick = Timer6.Interval();
    ApplyLineSettings(PortPath(), ComboBox7->currentText());
    Timer6.SetInterval(tick);  // connecting does not touch the detection timer
    try {
        Comm1.OpenPort();
    } catch (const serial::ECommsError&) {
        platform::Dialogs().ShowMessage("打开端口错误,可能已被打开");
        SetPortState("关闭");
        Disconnected();
        return;
    }
    SetPortState("打开");
    // Every command but the record reads, which wait for their counters.
    SetEnabled(LinkButtons(), true);
    SetEnabled({BitBtn2, BitBtn14, BitBtn15, BitBtn18, BitBtn19, ToolButton1, ComboBox6, ComboBox7, ComboBox8}, false);
    CheckBox1->setChecked(false);
    CheckBox1->setEnabled(true);
    CheckRunOptions();
    State.LinkUp = true;
    Timer3.SetEnabled(false);

    State.RequestState = rsIdentify;
    State.LastFrameLength =
        FrameRead(protocol::BroadcastAddress, protocol::fnReadRegisters, protocol::regParameters, 1);
    SendFrame(State.TxFrame.data(), State.LastFrameLength);
    Timer1.SetEnabled(true);  // keeps the interval the reply timer last had
    Pause(100);
}

void Tform1::BitBtn3Click() {
    try {
        Comm1.ClosePort();
        Timer1.SetEnabled(false);
        Timer6.SetEnabled(false);
        Timer2.SetEnabled(false);
        AwaitingReply_ = false;
        SetPortState("关闭");
        SetMode("");
        SetEnabled({ToolButton1, BitBtn2, PageControl1, ComboBox6, ComboBox7, ComboBox8}, true);
        LinkDownControls();
        Disconnected();
    } catch (const std::exception&) {
        platform::Dialogs().ShowMessage("关闭端口错误");
        SetPortState("error");
    }
}

void Tform1::ToolButton1Click() {
    Comm1.ClosePort();
    SetEnabled({ToolButton1, BitBtn2}, false);
    const std::vector<platform::TSerialPort> ports = ReadPortList();
    State.LatestPorts = PortPaths(ports);
    FillPortBox(ports);
    if (State.LatestPorts.size() != State.KnownPorts.size() && !State.KnownPorts.isEmpty()) {
        State.KnownPorts = State.LatestPorts;
        ComboBox6->setCurrentIndex(static_cast<int>(ComboBox6->count()) - 1);
    }
    if (ComboBox6->count() == 0) {
        SetEnabled({ComboBox6, ComboBox7, ToolButton1, BitBtn2}, true);
        SetPortState("关闭");
        Timer6.SetEnabled(false);
        SetStatus("检测失败");
        Disconnected();
        platform::Dialogs().ShowMessage("请连接设备，检查串口参数设置！");
        return;
    }
    ApplyLineSettings(PortPath(), ComboBox7->currentText());
    try {
        Comm1.OpenPort();
        Pause(100);
        SetStatus("读取中...");
        SetPortState("检测中");
        State.RequestState = rsDetect;
        State.LastFrameLength =
            FrameRead(protocol::BroadcastAddress, protocol::fnReadRegisters, protocol::regParameters, 1);
        SendFrame(State.TxFrame.data(), State.LastFrameLength);
    } catch (const serial::ECommsError&) {
        // The scan proper tries every port anyway.
    }
    State.DetectBaudIndex = 0;
    State.DetectPortIndex = ComboBox6->count() - 1;
    SetEnabled({ComboBox6, ComboBox7}, false);
    if (LabeledEdit14->Text().isEmpty()) LabeledEdit14->SetText("1");
    State.ExpectedAddress = AddressField();
    Timer6.SetInterval(1000);
    Timer6.SetEnabled(true);
}

void Tform1::Timer6Timer() {
    Timer6.SetEnabled(false);
    const auto scanFailed = [this] {
        SetPortState("关闭");
        Timer6.SetEnabled(false);
        SetEnabled({ToolButton1, BitBtn2}, true);
        SetStatus("检测失败");
        Disconnected();
        platform::Dialogs().ShowMessage("连接失败,请连接仪表,检查数据线是否接触好,详细请查看帮助文档. ");
        GroupBox3->show();
        SetEnabled({ComboBox6, ComboBox7}, true);
    };
    const auto nextPort = [this] {
        --State.DetectPortIndex;
        State.DetectBaudIndex = 0;
        Timer6.SetInterval(100);
        Timer6.SetEnabled(true);
    };
    try {
        Comm1.ClosePort();
        if (State.DetectBaudIndex >= ComboBox7->count()) {
            if (State.DetectPortIndex > 0)
                nextPort();
            else
                scanFailed();
            return;
        }
        ComboBox7->setCurrentIndex(State.DetectBaudIndex);
        ComboBox6->setCurrentIndex(State.DetectPortIndex);
        ApplyLineSettings(PortPath(), ComboBox7->currentText());
        try {
            Comm1.OpenPort();
        } catch (const serial::ECommsError&) {
            if (State.DetectPortIndex > 0)
                nextPort();
            else
                scanFailed();
            return;
        }
        SetPortState("检测中");
        State.LinkUp = true;
        Timer3.SetEnabled(false);
        State.RequestState = rsDetect;
        Timer6.SetEnabled(true);
        Pause(10);
        State.LastFrameLength =
            FrameRead(protocol::BroadcastAddress, protocol::fnReadRegisters, protocol::regParameters, 1);
        SendFrame(State.TxFrame.data(), State.LastFrameLength);
        Pause(10);
        SetStatus("正在检查...");
        ++State.DetectBaudIndex;
    } catch (const std::exception&) {
        platform::Dialogs().ShowMessage("关闭端口错误");
        SetPortState("error");
        Timer6.SetEnabled(false);
        SetEnabled({ToolButton1, BitBtn2}, true);
        SetStatus("检查失败");
        SetEnabled({ComboBox6, ComboBox7}, true);
        Disconnected();
    }
}

// No link and no instrument looked for: the port list is refreshed again.
void Tform1::Disconnected() {
    State.LinkUp = false;
    AwaitingReply_ = false;
    HeldClick_ = nullptr;
    Timer3.SetEnabled(true);
}

void Tform1::Timer3Timer() {
    const std::vector<platform::TSerialPort> ports = ReadPortList();
    State.LatestPorts = PortPaths(ports);
    FillPortBox(ports);
    if (State.LatestPorts.size() != State.KnownPorts.size()) {
        State.KnownPorts = State.LatestPorts;
        ComboBox6->setCurrentIndex(static_cast<int>(ComboBox6->count()) - 1);
    }
    if (State.LinkUp)
        Timer3.SetEnabled(false);
    else
        Timer3.SetInterval(3000);
}

}  // namespace console
