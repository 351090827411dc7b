#pragma once

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "console/card_files.h"
#include "console/console_state.h"
#include "console/excel_report.h"
#include "console/history_record.h"
#include "console/modbus_protocol.h"
#include "console/pdf_report.h"
#include "console/reply_values.h"
#include "console/timer.h"
#include "console/widgets.h"
#include "platform/device_watcher.h"
#include "platform/serial_ports.h"
#include "serial/comm.h"
#include "skin/skin_data.h"

namespace console {

// The console's main window. Its components carry their component names as object names;
// the console's state lives in State. Event handlers keep the component-event names.
//
// Legend of the numbered components (captions as shown):
//   Connection   BitBtn2 "连接"  BitBtn3 "断开"  BitBtn37 "查ID"  ToolButton1 " 连接 " (detection)
//                ComboBox6 port  ComboBox7 baud rate  ComboBox8 frame  LabeledEdit14 address
//   Pages        BitBtn9 "参数设置"  BitBtn10 "告警记录"  BitBtn11 "历史记录"  BitBtn22 "TF卡导出"
//                BitBtn34 "系统设置" (hidden)  BitBtn46 "主动上报" (hidden)
//   Quick        BitBtn41 "开记录"  BitBtn42 "关记录"  BitBtn43 "开报警"  BitBtn44 "关报警"  BitBtn33 "清记录"
//                BitBtn52 "重置未读"  BitBtn53 "恢复参数"  BitBtn12 "休眠模式"  BitBtn23 "实时显示"  BitBtn49 "高级"
//   Measurement  BitBtn1 "读取" (live values)  CheckBox1 "自动读取"  BitBtn24/25 "DO1动作"/"DO1恢复"
//                BitBtn26/27 "DO2动作"/"DO2恢复"
//   Clock        BitBtn6 "读取时间"  BitBtn8 "校准时间"  BitBtn7 "读取开始记录时间"  BitBtn45 "设置开始记录时间"
//                BitBtn40 "同步时间"  Edit1..Edit6 year..second
//   Parameters   BitBtn4 "读取参数"  BitBtn5 "保存参数"  BitBtn50 "读取" (serial number, version)
//                BitBtn32/38 "开记录"/"关记录"  BitBtn39 "清记录"  ComboBox1 instrument baud "波特率"
//                ComboBox2 instrument frame  ComboBox3 "温度显示单位"  ComboBox17 "记录状态"
//                ComboBox18 "告警输出"  ComboBox4/5 "告警关联"  ComboBox9, 11, 12 (hidden)
//                ComboBox10 interval unit  ComboBox22 supply
//   Alarms       BitBtn13 "查询" (counters)  BitBtn14 "重设未读"  BitBtn15 "读取"  BitBtn16 "清除显示"
//                CheckBox5 "连续读取"  CheckBox11 "保存excel"  ListBox1 events
//   History      BitBtn17 "查询" (counters)  BitBtn18 "重设未读"  BitBtn29 "查询" (range)  BitBtn21 "查询" (day)
//                BitBtn19 "读取"  BitBtn20 "清除显示"  CheckBox3 "连续读取"  CheckBox10 "快速读取"
//                CheckBox6 "保存excel"  CheckBox2 "保存PDF"  ListBox2 records
//   Advanced     BitBtn35 "读取"  BitBtn36 "设置"  ComboBox13 "探头类型"  ComboBox14 "通讯类型"
//                ComboBox15 "存储类型"  ComboBox16 "DI类型"
//   Card, reports  ComboBox19 "设备"  CheckBox4 "导出excel"  CheckBox7 "导出PDF"  BitBtn48, BitBtn47 "清除显示"
//                ListBox3 card records  ListBox5 live report  ListBox6 reported records
//   Timers       Timer1 reply  Timer2 run tick  Timer3 port-list refresh  Timer6 detection step
class Tform1 : public QWidget {
public:
    Tform1();
    ~Tform1() override;

    TConsoleState State;
    serial::TComm Comm1;
    TTimer Timer1{"Timer1"};
    TTimer Timer2{"Timer2"};
    TTimer Timer3{"Timer3"};
    TTimer Timer4{"Timer4"};
    TTimer Timer5{"Timer5"};
    TTimer Timer6{"Timer6"};

    // Components (created by CreateComponents, owned by Qt's parent chain).
    QWidget* Client = nullptr;  // everything lies inside this one widget
    TStatusBar* StatusBar1 = nullptr;
    QWidget *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr,
            *Panel7 = nullptr, *Panel8 = nullptr, *Panel9 = nullptr;
    QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr, *GroupBox4 = nullptr,
              *GroupBox7 = nullptr, *GroupBox13 = nullptr, *GroupBox14 = nullptr;
    TClickLabel *Image1 = nullptr, *Image2 = nullptr, *Label8 = nullptr, *lbl1 = nullptr;
    QLabel *Label7 = nullptr, *Label30 = nullptr, *Label31 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* N1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget *ts1 = nullptr, *ts2 = nullptr, *ts3 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr, *BitBtn5 = nullptr,
                *BitBtn6 = nullptr, *BitBtn7 = nullptr, *BitBtn8 = nullptr, *BitBtn9 = nullptr, *BitBtn10 = nullptr,
                *BitBtn11 = nullptr, *BitBtn12 = nullptr, *BitBtn13 = nullptr, *BitBtn14 = nullptr, *BitBtn15 = nullptr,
                *BitBtn16 = nullptr, *BitBtn17 = nullptr, *BitBtn18 = nullptr, *BitBtn19 = nullptr, *BitBtn20 = nullptr,
                *BitBtn21 = nullptr, *BitBtn22 = nullptr, *BitBtn23 = nullptr, *BitBtn24 = nullptr, *BitBtn25 = nullptr,
                *BitBtn26 = nullptr, *BitBtn27 = nullptr, *BitBtn28 = nullptr, *BitBtn29 = nullptr, *BitBtn30 = nullptr,
                *BitBtn31 = nullptr, *BitBtn32 = nullptr, *BitBtn33 = nullptr, *BitBtn34 = nullptr, *BitBtn35 = nullptr,
                *BitBtn36 = nullptr, *BitBtn37 = nullptr, *BitBtn38 = nullptr, *BitBtn39 = nullptr, *BitBtn40 = nullptr,
                *BitBtn41 = nullptr, *BitBtn42 = nullptr, *BitBtn43 = nullptr, *BitBtn44 = nullptr, *BitBtn45 = nullptr,
                *BitBtn46 = nullptr, *BitBtn47 = nullptr, *BitBtn48 = nullptr, *BitBtn49 = nullptr, *BitBtn50 = nullptr,
                *BitBtn52 = nullptr, *BitBtn53 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
              *CheckBox5 = nullptr, *CheckBox6 = nullptr, *CheckBox7 = nullptr, *CheckBox10 = nullptr,
              *CheckBox11 = nullptr;
    QComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr, *ComboBox4 = nullptr,
              *ComboBox5 = nullptr, *ComboBox6 = nullptr, *ComboBox7 = nullptr, *ComboBox8 = nullptr,
              *ComboBox9 = nullptr, *ComboBox10 = nullptr, *ComboBox11 = nullptr, *ComboBox12 = nullptr,
              *ComboBox13 = nullptr, *ComboBox14 = nullptr, *ComboBox15 = nullptr, *ComboBox16 = nullptr,
              *ComboBox17 = nullptr, *ComboBox18 = nullptr, *ComboBox19 = nullptr, *ComboBox22 = nullptr;
    QDateTimeEdit *DateTimePicker1 = nullptr, *DateTimePicker2 = nullptr, *DateTimePicker3 = nullptr,
                  *DateTimePicker4 = nullptr, *DateTimePicker5 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
              *Edit6 = nullptr, *Edit7 = nullptr;
    TLabeledEdit *LabeledEdit1 = nullptr, *LabeledEdit2 = nullptr, *LabeledEdit3 = nullptr, *LabeledEdit4 = nullptr,
                 *LabeledEdit5 = nullptr, *LabeledEdit6 = nullptr, *LabeledEdit7 = nullptr, *LabeledEdit8 = nullptr,
                 *LabeledEdit9 = nullptr, *LabeledEdit10 = nullptr, *LabeledEdit11 = nullptr, *LabeledEdit12 = nullptr,
                 *LabeledEdit13 = nullptr, *LabeledEdit14 = nullptr, *LabeledEdit15 = nullptr, *LabeledEdit16 = nullptr,
                 *LabeledEdit17 = nullptr, *LabeledEdit18 = nullptr, *LabeledEdit19 = nullptr, *LabeledEdit20 = nullptr,
                 *LabeledEdit21 = nullptr, *LabeledEdit22 = nullptr, *LabeledEdit23 = nullptr, *LabeledEdit24 = nullptr,
                 *LabeledEdit25 = nullptr, *LabeledEdit26 = nullptr, *LabeledEdit27 = nullptr, *LabeledEdit28 = nullptr,
                 *LabeledEdit29 = nullptr, *LabeledEdit30 = nullptr;
    QListWidget *ListBox1 = nullptr, *ListBox2 = nullptr, *ListBox3 = nullptr, *ListBox5 = nullptr, *ListBox6 = nullptr;

    // Start-up, pages and small handlers.
    void FormCreate();
    // Streams the form's skin component with the given package; it skins the window at the
    // window's first activation.
    void LoadSkinData(std::span<const uint8_t> package);
    std::unique_ptr<skin::TSkinData> SkinData1;
    void DeviceChanged(bool arrived);
    static std::vector<platform::TSerialPort> ReadPortList();
    static QStringList PortPaths(const std::vector<platform::TSerialPort>& ports);
    // The path of the port the port box shows.
    QString PortPath() const;
    // Where the port list is read from; tests point it at folders of their own.
    static inline platform::TSerialPortRoots PortRoots{};
    // The roots the memory-card search looks at; tests give folders of their own.
    static inline std::function<std::vector<std::string>()> ReadCardDrives{};
    // The memory card of the last search.
    TCardState Card;
    // The window's Excel 97 workbook, which the Excel reports and the alarm workbook are written
    // through (made so at creation).
    xls::TVUZAzurEruraWorkbook XLS;
    // The history reading's Excel report (its state in State.Excel).
    TExcelReport ExcelReport{XLS, State.Excel, ReadingSheetCapacity};
    void ShowPage(QWidget* page, const QString& mode);
    void FillPortBox(const std::vector<platform::TSerialPort>& ports);

    // The request cycle.
    bool SendFrame(const uint8_t* buffer, uint32_t length);
    void Timer1Timer();

    // Connection and detection.
    void BitBtn2Click();
    void BitBtn3Click();
    void ToolButton1Click();
    void Timer6Timer();
    void Timer3Timer();

    // Replies.
    void Comm1ReceiveData(const uint8_t* buffer, uint16_t length);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Builds every component with its caption, items and initial state, and lays them out.
    void CreateComponents();
    void ConnectHandlers();
    // Runs a handler; an exception it raises ends it and is shown in an error box.
    template <typename Handler>
    void Guarded(Handler handler);
    void OnClick(QPushButton* button, void (Tform1::*handler)());
    // A button that sends a request: its click waits while the connection's chain awaits a reply.
    void OnRequestClick(QPushButton* button, void (Tform1::*handler)());
    void Press(std::function<void()> click);
    bool ChainAwaitsReply() const;
    void ReleaseHeldClick();
    // Guarded for handlers connected outside this window's main file.
    void RunGuarded(const std::function<void()>& handler);

    // Status bar panels the console writes.
    void SetPortState(const QString& text) { StatusBar1->SetPanelText(1, text); }
    void SetMode(const QString& text) { StatusBar1->SetPanelText(3, text); }
    void SetStatus(const QString& text) { StatusBar1->SetPanelText(5, text); }
    void SetStatistics(const QString& text) { StatusBar1->SetPanelText(7, text); }
    void ShowReadStatistics();
    static void Pause(int milliseconds);

    // Request building and sending.
    uint8_t AddressField() const;
    uint32_t FrameRead(uint8_t address, uint8_t function, uint16_t reg, uint16_t quantity);
    uint32_t FrameWriteSingle(uint8_t address, uint8_t function, uint16_t reg, uint16_t value);
    uint32_t FrameWriteMultiple(uint8_t address, uint8_t function, uint16_t reg, const std::vector<uint16_t>& values);
    uint32_t AppendCrc(uint32_t length);
    // The sender protocol: status text, request state (reads), address, frame, send, pause, reply timer.
    struct TRequest {
        QString Status{};    // empty: no status text
        int32_t State = -1;  // -1: a write, the state is left as it was
        uint8_t Function = protocol::fnReadRegisters;
        uint16_t Register = 0;
        uint16_t Quantity = 0;           // reads
        std::vector<uint16_t> Values{};  // writes: one value for 5/6, all for 16/47
        bool Broadcast = false;
        int PauseMs = 30;
        int TimeoutMs = 0;  // 0: the reply timer is not armed
    };
    void SendRequest(const TRequest& request);
    void ResendLastFrame();
    void ArmReplyTimer(int interval);
    void ReplyArrived();
    // The partial reply in the joining buffer still grows: the rest is waited for.
    bool ReplyStillArriving();
    // A request that is abandoned or refused takes its follow-up with it.
    void DropFollowUps();
    void RepeatRequest(int interval);
    void ReopenFailure();
    void ApplyLineSettings(const QString& port, const QString& baud);
    void LinkDownControls();
    void Disconnected();
    // The command buttons that need a link: disabled at start and whenever a link goes down.
    std::vector<QWidget*> LinkButtons() const;
    // A new link checks "连续读取" and, unless reading by date, "快速读取".
    void CheckRunOptions();

    // Command senders.
    void BitBtn1Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn12Click();
    void BitBtn13Click();
    void BitBtn14Click();
    void BitBtn16Click();
    void BitBtn17Click();
    void BitBtn18Click();
    void BitBtn20Click();
    void BitBtn21Click();
    void BitBtn23Click();
    void BitBtn29Click();
    void BitBtn33Click();
    void BitBtn34Click();
    void BitBtn35Click();
    void BitBtn36Click();
    void BitBtn37Click();
    void BitBtn39Click();
    void BitBtn40Click();
    void BitBtn45Click();
    void BitBtn46Click();
    void BitBtn47Click();
    void BitBtn49Click();
    void BitBtn50Click();
    void BitBtn52Click();
    void BitBtn53Click();
    void SendCoil(uint16_t coil, bool on);
    void SendOneRegister(uint16_t reg, uint16_t value);
    void SendConfirmed(uint16_t reg, const QString& status);
    void SendClockWrite(uint16_t reg, const QDateTime& time);
    void WriteTimeFields(const QDateTime& time);
    void SetLiveReadingControls(bool enabled);

    // Reply handling.
    void Dispatch();
    void ExceptionReply(uint8_t code);
    void WriteAcknowledgement();
    void ReadReply();
    // The reply joined last, for the decoders; Taken shows whether it held what was asked.
    TReplyData Reply() const;
    bool Taken(bool decoded);
    void ShowClockFields(const TDeviceClock& clock);
    void LiveValuesReply();
    void ParametersReply();
    void TimeReply();
    void AlarmCountersReply();
    void HistoryCountersReply();
    void DayCountReply();
    void RangeCountReply();
    void AdvancedSettingsReply();
    void IdentifyReply();
    void DetectReply();
    void ClockCheckReply();
    void ModelReply(bool afterDetect);
    void SerialVersionReply();

    // Record reading.
    void BitBtn15Click();
    void BitBtn19Click();
    void LockHistoryRun(int tab, bool locked);
    // Of a record reply that lists records: what its instrument has left to read after it.
    std::optional<uint32_t> RecordsLeftAfter() const;
    bool RepeatsListedBlock() const;
    void AddHistoryRecord(const THistoryRecord& record, bool dayLine);
    // The PDF report of a history read: started by the read button, finished at the end.
    void StartPdfRun(int tab);
    void FinishPdfRun(bool pauseFirst);
    // The Excel report of a history read: started by the read button, finished at the end with
    // the status text shown once a report of several sheets has been read back.
    void StartExcelRun();
    void FinishExcelRun(const QString& savingStatus);
    // The alarm read's workbook: saved, and optionally offered to open.
    void SaveAlarmRun(bool offerToOpen);
    void FlushRecordLines();
    void HistoryBlockReply(bool range);
    void DayRecordsReply();
    void EndBlockRead(bool range);
    void EndDayRead();
    void AskNextBlock(bool range);
    int NextBlockInterval() const;
    void AlarmRecordsReply();
    void UnsolicitedReport();
    void SendAcknowledgement(const std::array<uint8_t, 6>& head);
    void ShowLiveReport(const TLiveReport& report);
    void ShowRecordReport(const TRecordReport& report);
    // The memory-card panel.
    void ConnectCardHandlers();
    void BitBtn22Click();
    void BitBtn28Click();
    void ComboBox19Change(int index);
    void CardDateChange(QDateTimeEdit* picker, const char* caption);
    void BitBtn30Click();
    void BitBtn31Click();
    void BitBtn48Click();
    std::vector<std::string> CardDrives() const;
    void FillDeviceBox();
    void SetCardDates(const TCardDevice& device);
    void EnableExportOptions(bool enabled);
    void SetCardMessage(const QString& edit, const QString& statistics);
    TCardDevice* ChosenDevice();
    void EndCardExport(const TCardDevice& device);
    void SetCardSideButtons(bool enabled);

    // The commands an exception reply or the end of a record read gives back.
    std::vector<QWidget*> CommandGroup() const;

    std::unique_ptr<platform::TDeviceWatcher> DeviceWatcher_;
    TPdfReport PdfReport;
    // The card export's own PDF report: a late history reply never writes into it.
    TPdfReport CardPdfReport;
    // Record lines read and not yet in the record list, and the timer that moves them there.
    QStringList PendingLines_;
    QTimer LineFlush_;
    // What the last block listed in this run left to read: a block that leaves no fewer
    // is one already listed (a second copy, or the answer to a resend the instrument did
    // not move on for).
    std::optional<uint32_t> ListedLeft_;
    // The request in flight (the last one sent) awaits its reply: only a reply of its
    // function acts; one that comes when none is awaited is stale (late or repeated).
    bool AwaitingReply_ = false;
    uint8_t AwaitedFunction_ = 0;
    // A request button pressed while the connection's chain awaited a reply.
    std::function<void()> HeldClick_;
    // How far the joining buffer had grown at the reply timer's last tick.
    int32_t OffsetAtLastTick_ = 0;
};

// Enables or disables a group of controls at once.
void SetEnabled(std::initializer_list<QWidget*> controls, bool enabled);
void SetEnabled(const std::vector<QWidget*>& controls, bool enabled);

}  // namespace console
