#include "console/form1.h"

#include "console/modbus_protocol.h"
#include "skin/skin_manager_link.h"

#include <QApplication>
#include <QDir>
#include <chrono>
#include <thread>
#include <utility>

#include "base/exception.h"
#include "platform/dialogs.h"
#include "platform/open_with_desktop.h"
#include "platform/serial_ports.h"

namespace console {
namespace {

// How often the record list takes the lines of a running read: twice a second.
constexpr int RecordLineFlushMs = 500;

}  // namespace

// Each construction step runs guarded: a failing step shows its error box and the window
// comes up all the same, as a failing handler leaves it running.
Tform1::Tform1() {
    CreateComponents();
    Guarded([&] {
        // The form's serial component keeps these stored settings; the rest are the defaults.
        Comm1.SetCommName("COM5");
        Comm1.SetOutx_CtsFlow(false);
        Comm1.SetOutx_DsrFlow(false);
        Comm1.SetTxContinueOnXoff(false);
        Comm1.SetRtsControl(serial::TRtsControl::RtsDisable);
        Comm1.SetXoffLimit(100);
        Comm1.SetReadIntervalTimeout(100);
    });
    Guarded([&] { ConnectHandlers(); });
    Guarded([&] { FormCreate(); });
}

// The port is closed before the window goes, so the serial threads never outlive it.
Tform1::~Tform1() {
    Comm1.ClosePort();
    // The skin manager lets go of the window before the window and its skin component go.
    if (SkinData1) skin::FreeSkinManager();
}

void Tform1::closeEvent(QCloseEvent* event) {
    Comm1.ClosePort();
    QWidget::closeEvent(event);
    QApplication::quit();
}

template <typename Handler>
void Tform1::Guarded(Handler handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        platform::Dialogs().ShowError(error.what());
    }
}

void Tform1::OnClick(QPushButton* button, void (Tform1::*handler)()) {
    QObject::connect(button, &QPushButton::clicked, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
}

void Tform1::OnRequestClick(QPushButton* button, void (Tform1::*handler)()) {
    QObject::connect(button, &QPushButton::clicked, this,
                     [this, handler] { Press([this, handler] { (this->*handler)(); }); });
}

// The connection's chain of requests and every sender share the one request state: a request
// pressed while the chain awaits a reply would take the chain's reply as its own and end the
// chain. It waits until the chain has ended; a later press replaces one still waiting.
void Tform1::Press(std::function<void()> click) {
    if (ChainAwaitsReply()) {
        HeldClick_ = std::move(click);
        return;
    }
    Guarded(click);
}

bool Tform1::ChainAwaitsReply() const {
    switch (State.RequestState) {
        case rsIdentify:
        case rsDetect:
        case rsClockCheck:
        case rsModelAfterIdentify:
        case rsModelAfterDetect: break;
        default: return false;
    }
    return AwaitingReply_ && (Timer1.Enabled() || Timer6.Enabled());
}

void Tform1::ReleaseHeldClick() {
    if (!HeldClick_ || ChainAwaitsReply()) return;
    const std::function<void()> click = std::exchange(HeldClick_, nullptr);
    Guarded(click);
}

void Tform1::RunGuarded(const std::function<void()>& handler) { Guarded(handler); }

void Tform1::Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void Tform1::ConnectHandlers() {
    Comm1.OnReceiveData = [this](serial::TComm&, const uint8_t* buffer, uint16_t length) {
        Guarded([&] { Comm1ReceiveData(buffer, length); });
        ReleaseHeldClick();
    };
    Timer1.OnTimer = [this] {
        Guarded([&] { Timer1Timer(); });
        ReleaseHeldClick();
    };
    Timer3.OnTimer = [this] { Guarded([&] { Timer3Timer(); }); };
    Timer6.OnTimer = [this] {
        Guarded([&] { Timer6Timer(); });
        ReleaseHeldClick();
    };

    OnRequestClick(BitBtn1, &Tform1::BitBtn1Click);
    OnClick(BitBtn2, &Tform1::BitBtn2Click);
    OnClick(BitBtn3, &Tform1::BitBtn3Click);
    OnRequestClick(BitBtn4, &Tform1::BitBtn4Click);
    OnRequestClick(BitBtn5, &Tform1::BitBtn5Click);
    OnRequestClick(BitBtn6, &Tform1::BitBtn6Click);
    OnRequestClick(BitBtn7, &Tform1::BitBtn7Click);
    OnRequestClick(BitBtn8, &Tform1::BitBtn8Click);
    OnRequestClick(BitBtn9, &Tform1::BitBtn9Click);
    OnClick(BitBtn10, &Tform1::BitBtn10Click);
    OnClick(BitBtn11, &Tform1::BitBtn11Click);
    OnRequestClick(BitBtn12, &Tform1::BitBtn12Click);
    OnRequestClick(BitBtn13, &Tform1::BitBtn13Click);
    OnRequestClick(BitBtn14, &Tform1::BitBtn14Click);
    OnRequestClick(BitBtn15, &Tform1::BitBtn15Click);
    OnClick(BitBtn16, &Tform1::BitBtn16Click);
    OnRequestClick(BitBtn17, &Tform1::BitBtn17Click);
    OnRequestClick(BitBtn18, &Tform1::BitBtn18Click);
    OnRequestClick(BitBtn19, &Tform1::BitBtn19Click);
    OnClick(BitBtn20, &Tform1::BitBtn20Click);
    OnRequestClick(BitBtn21, &Tform1::BitBtn21Click);
    OnRequestClick(BitBtn23, &Tform1::BitBtn23Click);
    OnRequestClick(BitBtn29, &Tform1::BitBtn29Click);
    OnRequestClick(BitBtn33, &Tform1::BitBtn33Click);
    OnClick(BitBtn34, &Tform1::BitBtn34Click);
    OnRequestClick(BitBtn35, &Tform1::BitBtn35Click);
    OnRequestClick(BitBtn36, &Tform1::BitBtn36Click);
    OnRequestClick(BitBtn37, &Tform1::BitBtn37Click);
    OnRequestClick(BitBtn39, &Tform1::BitBtn39Click);
    OnRequestClick(BitBtn40, &Tform1::BitBtn40Click);
    OnRequestClick(BitBtn45, &Tform1::BitBtn45Click);
    OnClick(BitBtn46, &Tform1::BitBtn46Click);
    OnClick(BitBtn47, &Tform1::BitBtn47Click);
    OnRequestClick(BitBtn49, &Tform1::BitBtn49Click);
    OnRequestClick(BitBtn50, &Tform1::BitBtn50Click);
    OnRequestClick(BitBtn52, &Tform1::BitBtn52Click);
    OnRequestClick(BitBtn53, &Tform1::BitBtn53Click);
    ConnectCardHandlers();
    QObject::connect(BitBtn24, &QPushButton::clicked, this,
                     [this] { Press([this] { SendCoil(protocol::coilDo1, true); }); });
    QObject::connect(BitBtn25, &QPushButton::clicked, this,
                     [this] { Press([this] { SendCoil(protocol::coilDo1, false); }); });
    QObject::connect(BitBtn26, &QPushButton::clicked, this,
                     [this] { Press([this] { SendCoil(protocol::coilDo2, true); }); });
    QObject::connect(BitBtn27, &QPushButton::clicked, this,
                     [this] { Press([this] { SendCoil(protocol::coilDo2, false); }); });
    QObject::connect(BitBtn41, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regRecording, 1); }); });
    QObject::connect(BitBtn42, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regRecording, 0); }); });
    QObject::connect(BitBtn32, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regRecordingSwitch, 1); }); });
    QObject::connect(BitBtn38, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regRecordingSwitch, 0); }); });
    QObject::connect(BitBtn43, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regAlarmOutput, 3); }); });
    QObject::connect(BitBtn44, &QPushButton::clicked, this,
                     [this] { Press([this] { SendOneRegister(protocol::regAlarmOutput, 0); }); });
    QObject::connect(ToolButton1, &QToolButton::clicked, this, [this] { Guarded([&] { ToolButton1Click(); }); });
    QObject::connect(N1, &QAction::triggered, this, [this] { GroupBox3->show(); });

    // Option rules run whenever a box changes, by a click or by the program.
    QObject::connect(CheckBox3, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked) {
            CheckBox6->setChecked(false);
            CheckBox2->setChecked(false);
        }
        SetEnabled({CheckBox6, CheckBox2}, checked);
    });
    QObject::connect(CheckBox6, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked) CheckBox2->setChecked(false);
    });
    QObject::connect(CheckBox2, &QCheckBox::toggled, this, [this](bool checked) {
        if (checked) CheckBox6->setChecked(false);
    });
    QObject::connect(CheckBox5, &QCheckBox::toggled, this, [this](bool checked) {
        if (!checked) CheckBox11->setChecked(false);
        CheckBox11->setEnabled(checked);
    });
    QObject::connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        CheckBox10->setChecked(index != 2);
        CheckBox10->setEnabled(index != 2);
    });

    LabeledEdit27->OnDblClick = LabeledEdit28->OnDblClick = [this] {
        LabeledEdit27->Edit()->setEchoMode(QLineEdit::Normal);
        LabeledEdit28->Edit()->setEchoMode(QLineEdit::Normal);
    };
    Image1->OnClick = [] { platform::OpenWithDesktop("仪表软件使用说明-V138.chm"); };
    lbl1->OnClick = [] { platform::OpenWithDesktop("仪表软件使用说明-V137.chm"); };
    Label8->OnClick = Image2->OnClick = [] {
        platform::OpenWithDesktop((QCoreApplication::applicationDirPath() + "/data").toStdString());
    };
    LineFlush_.setSingleShot(true);
    LineFlush_.setInterval(RecordLineFlushMs);
    QObject::connect(&LineFlush_, &QTimer::timeout, this, [this] { Guarded([&] { FlushRecordLines(); }); });
    DeviceWatcher_ = std::make_unique<platform::TDeviceWatcher>([this](bool arrived) { DeviceChanged(arrived); });
}

std::vector<platform::TSerialPort> Tform1::ReadPortList() { return platform::ReadSerialPorts(PortRoots); }

QStringList Tform1::PortPaths(const std::vector<platform::TSerialPort>& ports) {
    QStringList paths;
    for (const platform::TSerialPort& port : ports) paths << QString::fromStdString(port.Path);
    return paths;
}

// The port box shows short names and keeps each port's path as its item's data; a name
// typed that is no item's is taken as a path.
QString Tform1::PortPath() const {
    const int index = ComboBox6->findText(ComboBox6->currentText());
    return index >= 0 ? ComboBox6->itemData(index).toString() : ComboBox6->currentText();
}

void Tform1::FormCreate() {
    XLS.SetVersion(xls::xvExcel97);
    XLS.SetDirectWrite(true);
    // The port-list refresh runs whatever a later step does.
    Timer3.SetInterval(1000);
    Timer3.SetEnabled(true);
    const std::vector<platform::TSerialPort> ports = ReadPortList();
    State.KnownPorts = PortPaths(ports);
    FillPortBox(ports);
    if (!State.KnownPorts.isEmpty()) ComboBox6->setCurrentIndex(static_cast<int>(State.KnownPorts.size()) - 1);

    for (QWidget* hidden : {static_cast<QWidget*>(GroupBox3), Panel2, Panel4, Panel7, Panel8, Panel9}) hidden->hide();
    Panel5->show();

    BitBtn2->setEnabled(true);
    SetEnabled(LinkButtons(), false);
    // Until a link is up there is nothing to read: the run options wait for it.
    SetEnabled({CheckBox3, CheckBox5, CheckBox6, CheckBox2, CheckBox11}, false);

    PageControl1->setCurrentIndex(0);
    CheckBox10->setChecked(false);
    SetEnabled({CheckBox10, CheckBox11}, false);

    const QDateTime now = QDateTime::currentDateTime();
    for (QDateTimeEdit* picker : {DateTimePicker1, DateTimePicker2, DateTimePicker3}) picker->setDateTime(now);
    WriteTimeFields(now);

    if (!QDir("data").exists() && !QDir().mkdir("data")) throw base::Exception("Unable to create directory \"data\"");
}

// Refills the port box; the port shown stays shown, as the editable box keeps its text.
void Tform1::FillPortBox(const std::vector<platform::TSerialPort>& ports) {
    const QString shown = ComboBox6->currentText();
    ComboBox6->clear();
    for (const platform::TSerialPort& port : ports)
        ComboBox6->addItem(QString::fromStdString(port.Name), QString::fromStdString(port.Path));
    ComboBox6->setCurrentText(shown);
}

void Tform1::DeviceChanged(bool arrived) { SetPortState(arrived ? "设备接入" : "设备移出"); }

void Tform1::ShowPage(QWidget* page, const QString& mode) {
    for (QWidget* other : {Panel2, Panel4, Panel5, Panel7, Panel8, Panel9}) other->setVisible(other == page);
    if (!mode.isEmpty()) SetMode(mode);
}

void Tform1::BitBtn9Click() {
    ShowPage(Panel2, "参数设置");
    ToolButton1->setEnabled(true);
    if (State.LinkUp)
        SendRequest({.State = rsParameters,
                     .Register = protocol::regParameters,
                     .Quantity = protocol::ParameterRegisters,
                     .PauseMs = 10});
}

void Tform1::BitBtn10Click() {
    ShowPage(Panel4, "告警记录");
    ToolButton1->setEnabled(true);
}

void Tform1::BitBtn11Click() {
    ShowPage(Panel5, "历史纪录");
    ToolButton1->setEnabled(true);
}

void Tform1::BitBtn46Click() { ShowPage(Panel8, ""); }

void Tform1::BitBtn34Click() { ShowPage(Panel9, ""); }

void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled) {
    for (QWidget* control : controls) control->setEnabled(enabled);
}

void SetEnabled(const std::vector<QWidget*>& controls, bool enabled) {
    for (QWidget* control : controls) control->setEnabled(enabled);
}

}  // namespace console
