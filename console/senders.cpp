// The command buttons: each builds one request of the instrument's register map.
#include <QDateTime>

#include "base/format.h"
#include "console/conversions.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"
#include "platform/dialogs.h"

namespace console {

using namespace protocol;

namespace {

// The console's clear password, also the confirmation value the clear, reset and restore
// commands write.
constexpr const char* ClearPassword = "2958";
constexpr uint16_t ConfirmationValue = 2958;

std::vector<uint16_t> DateTimeRegisters(int year, int month, int day, int hour, int minute, int second) {
    // Year byte: year - 2000, as the low byte of year + 48 (the same for the years accepted).
    const auto pair = [](int high, int low) { return static_cast<uint16_t>((high & 0xFF) << 8 | (low & 0xFF)); };
    return {pair(year + 48, month), pair(day, hour), pair(minute, second)};
}

uint16_t DateRegister(const QDate& date, bool first) {
    return first ? static_cast<uint16_t>(((date.year() + 48) & 0xFF) << 8 | date.month())
                 : static_cast<uint16_t>(date.day() << 8);
}

}  // namespace

void Tform1::WriteTimeFields(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    Edit1->setText(QString::number(d.year()));
    Edit2->setText(QString::number(d.month()));
    Edit3->setText(QString::number(d.day()));
    Edit4->setText(QString::number(t.hour()));
    Edit5->setText(QString::number(t.minute()));
    Edit6->setText(QString::number(t.second()));
}

void Tform1::SetLiveReadingControls(bool enabled) {
    SetEnabled({BitBtn3,  BitBtn4,  BitBtn5,  BitBtn6,  BitBtn7,  BitBtn8,  BitBtn9,  BitBtn10, BitBtn11,
                BitBtn22, BitBtn24, BitBtn25, BitBtn26, BitBtn27, BitBtn33, BitBtn34, BitBtn37, BitBtn41,
                BitBtn42, BitBtn43, BitBtn44, BitBtn45, BitBtn50, BitBtn52, BitBtn53},
               enabled);
}

void Tform1::BitBtn1Click() {
    if (State.ContinuousRead) {
        CheckBox1->setEnabled(true);
        BitBtn1->setText("读取");
        State.ContinuousRead = false;
        Timer1.SetEnabled(false);
        AwaitingReply_ = false;
        SetLiveReadingControls(true);
        return;
    }
    if (CheckBox1->isChecked()) {
        BitBtn1->setText("停止");
        CheckBox1->setEnabled(false);
        State.ContinuousRead = true;
        State.ReadSuccessCount = State.ReadFailureCount = State.RecordsRead = 0;
        SetLiveReadingControls(false);
        ToolButton1->setEnabled(true);
    }
    SendRequest({.Status = "读取中...",
                 .State = rsLiveValues,
                 .Register = regLiveValues,
                 .Quantity = LiveValueRegisters,
                 .TimeoutMs = 1000});
    SetStatistics("");
}

void Tform1::BitBtn4Click() {
    SendRequest({.Status = "读取中...",
                 .State = rsParameters,
                 .Register = regParameters,
                 .Quantity = ParameterRegisters,
                 .PauseMs = 10,
                 .TimeoutMs = 2000});
}

void Tform1::BitBtn5Click() {
    // Registers 218 and 219 carry the radio settings when those are 2 or more, else the
    // index of the unit and supply lists.
    const int32_t pan = StrToInt(LabeledEdit23->Text());
    const int32_t channel = StrToInt(LabeledEdit24->Text());
    const auto index = [](QComboBox* box) { return static_cast<uint16_t>(box->currentIndex()); };
    const std::vector<uint16_t> values = {
        Low16(StrToInt(LabeledEdit7->Text())),
        index(ComboBox1),
        index(ComboBox2),
        index(ComboBox3),
        Low16(TenthsOf(LabeledEdit8->Text())),
        Low16(TenthsOf(LabeledEdit9->Text())),
        Low16(TenthsOf(LabeledEdit19->Text())),
        Low16(TenthsOf(LabeledEdit10->Text())),
        Low16(TenthsOf(LabeledEdit11->Text())),
        Low16(TenthsOf(LabeledEdit20->Text())),
        index(ComboBox11),
        index(ComboBox12),
        index(ComboBox4),
        index(ComboBox5),
        index(ComboBox9),
        index(ComboBox10),
        Low16(StrToInt(LabeledEdit21->Text())),
        Low16(StrToInt(LabeledEdit22->Text())),
        pan >= 2 ? Low16(pan) : index(ComboBox10),
        channel >= 2 ? Low16(channel) : index(ComboBox22),
        Low16(TenthsOf(LabeledEdit27->Text())),
        Low16(TenthsOf(LabeledEdit28->Text())),
        index(ComboBox17),
        index(ComboBox18),
    };
    State.PostWriteAction = 1;
    SendRequest({.Status = "设置中...",
                 .Function = fnWriteRegisters,
                 .Register = regParameters,
                 .Values = values,
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn6Click() {
    if (State.ContinuousRead) {
        BitBtn6->setText("读取");
        State.ContinuousRead = false;
        Timer1.SetEnabled(false);
        Timer2.SetEnabled(false);
        AwaitingReply_ = false;
        return;
    }
    SendRequest(
        {.Status = "读取中...", .State = rsTime, .Register = regClock, .Quantity = ClockRegisters, .TimeoutMs = 300});
}

void Tform1::BitBtn7Click() {
    SendRequest({.Status = "读取中...",
                 .State = rsTime,
                 .Register = regTimeFields,
                 .Quantity = ClockRegisters,
                 .TimeoutMs = 300});
}

void Tform1::SendClockWrite(uint16_t reg, const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    SendRequest({.Status = "设置中...",
                 .Function = fnWriteRegisters,
                 .Register = reg,
                 .Values = DateTimeRegisters(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()),
                 .TimeoutMs = 1000});
    WriteTimeFields(time);
}

void Tform1::BitBtn8Click() { SendClockWrite(regClock, QDateTime::currentDateTime()); }

void Tform1::BitBtn40Click() { SendClockWrite(regStartTime, QDateTime::currentDateTime()); }

void Tform1::BitBtn45Click() {
    const int32_t year = StrToInt(Edit1->text());
    if (year < 2000 || year > 2255) throw ERangeError();
    const std::vector<uint16_t> values =
        DateTimeRegisters(year, StrToByte(Edit2->text()), StrToByte(Edit3->text()), StrToByte(Edit4->text()),
                          StrToByte(Edit5->text()), StrToByte(Edit6->text()));
    SendRequest({.Status = "设置中...",
                 .Function = fnWriteRegisters,
                 .Register = regTimeFields,
                 .Values = values,
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn13Click() {
    SendRequest({.Status = "读取中...",
                 .State = rsAlarmCounters,
                 .Register = regAlarmRecords,
                 .Quantity = AlarmCounterRegisters,
                 .TimeoutMs = 300});
}

void Tform1::BitBtn14Click() {
    State.PostWriteAction = 2;
    SendRequest({.Status = "设置中...",
                 .Function = fnWriteRegister,
                 .Register = regAlarmUnread,
                 .Values = {Low16(StrToInt(LabeledEdit13->Text()))},
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn16Click() { ListBox1->clear(); }

void Tform1::BitBtn17Click() {
    State.RecordsRead = 0;
    SendRequest({.Status = "读取中...",
                 .State = rsHistoryCounters,
                 .Register = regUnreadBlock,
                 .Quantity = HistoryCounterRegisters,
                 .TimeoutMs = 300});
}

void Tform1::BitBtn18Click() {
    const int32_t unread = StrToInt(LabeledEdit16->Text());
    if (unread < 0) throw ERangeError();
    State.PostWriteAction = 3;
    SendRequest(
        {.Status = "设置中...",
         .Function = fnWriteRegisters,
         .Register = regUnreadCount,
         .Values = {static_cast<uint16_t>(static_cast<uint32_t>(unread) >> 16), static_cast<uint16_t>(unread & 0xFFFF)},
         .TimeoutMs = 1000});
}

void Tform1::BitBtn20Click() {
    PendingLines_.clear();
    ListBox2->clear();
}

void Tform1::BitBtn21Click() {
    State.PendingQuery = 1;
    State.RecordsRead = 0;
    const QDate day = DateTimePicker1->date();
    SendRequest({.Status = "查询中...",
                 .Function = fnWriteRegisters,
                 .Register = regDayRecords,
                 .Values = {DateRegister(day, true), DateRegister(day, false)},
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn29Click() {
    LabeledEdit25->SetText("");
    LabeledEdit26->SetText("");
    State.PendingQuery = 2;
    State.RecordsRead = 0;
    const QDate from = DateTimePicker2->date();
    const QDate to = DateTimePicker3->date();
    SendRequest({.Status = "查询中...",
                 .Function = fnWriteRegisters,
                 .Register = regRangeRecords,
                 .Values = {DateRegister(from, true), DateRegister(from, false), DateRegister(to, true),
                            DateRegister(to, false)},
                 .TimeoutMs = 1000});
}

void Tform1::SendCoil(uint16_t coil, bool on) {
    SendRequest({.Status = "操作中...",
                 .Function = fnWriteCoil,
                 .Register = coil,
                 .Values = {on ? CoilOn : CoilOff},
                 .TimeoutMs = 1000});
}

void Tform1::SendOneRegister(uint16_t reg, uint16_t value) {
    SendRequest(
        {.Status = "正在设置...", .Function = fnWriteRegisters, .Register = reg, .Values = {value}, .TimeoutMs = 1000});
}

void Tform1::SendConfirmed(uint16_t reg, const QString& status) {
    SendRequest({.Status = status,
                 .Function = fnWriteRegister,
                 .Register = reg,
                 .Values = {ConfirmationValue},
                 .TimeoutMs = 8000});
}

// The clear, reset and restore commands ask for the clear password first; anything else
// (Cancel included) sends nothing and says nothing.
static bool ClearPasswordGiven() {
    const std::string prompt = std::string("请输入清除密码,默认密码:2958") + std::string(12, ' ') + "\n\r" +
                               "清除完成后请校准时间!" + std::string(39, ' ');
    return platform::Dialogs().InputBox("清除记录", prompt, "") == ClearPassword;
}

void Tform1::BitBtn33Click() {
    if (ClearPasswordGiven()) SendConfirmed(regClearRecords, "正在清除...");
}

void Tform1::BitBtn52Click() {
    if (ClearPasswordGiven()) SendConfirmed(regResetUnread, "正在重置...");
}

void Tform1::BitBtn53Click() {
    if (ClearPasswordGiven()) SendConfirmed(regRestoreParameters, "正在重置...");
}

void Tform1::BitBtn39Click() { SendConfirmed(regParameters, "正在清除..."); }

void Tform1::BitBtn12Click() {
    SendRequest({.Status = "正在设置...",
                 .Function = fnWriteRegister,
                 .Register = regPowerSaving,
                 .Values = {4},
                 .TimeoutMs = 8000});
}

void Tform1::BitBtn23Click() {
    SendRequest({.Status = "正在设置...",
                 .Function = fnWriteRegister,
                 .Register = regPowerSaving,
                 .Values = {0},
                 .TimeoutMs = 8000});
}

void Tform1::BitBtn49Click() {
    const std::string crlf = "\n\r";
    const std::string prompt = "请输入节能等级0~4,0最耗电,4最省电" + std::string(1, ' ') + crlf +
                               "0:实时显示,实时采集;" + std::string(13, ' ') + crlf + "1:实时显示,10秒采集一次;" +
                               std::string(13, ' ') + crlf + "2:实时显示,30秒采集一次;" + std::string(12, ' ') + crlf +
                               "3:实时显示,60秒采集一次;" + std::string(12, ' ') + crlf +
                               "4:休眠模式.(屏幕休眠，正常记录)" + std::string(19, ' ');
    const std::string answer = platform::Dialogs().InputBox("节能等级设置  ", prompt, "");
    if (answer.empty()) return;
    const int32_t level = StrToInt(QString::fromStdString(answer));
    if (level < 0 || level > 4) {
        platform::Dialogs().ShowMessage("数值超范围");
        return;
    }
    SendRequest({.Status = "正在设置...",
                 .Function = fnWriteRegister,
                 .Register = regPowerSaving,
                 .Values = {static_cast<uint16_t>(level)},
                 .TimeoutMs = 8000});
}

void Tform1::BitBtn35Click() {
    for (QComboBox* box : {ComboBox13, ComboBox14, ComboBox15, ComboBox16}) box->setCurrentIndex(0);
    Pause(500);
    SendRequest({.Status = "读取中...",
                 .State = rsAdvancedSettings,
                 .Function = fnReadPrivate,
                 .Register = regAdvanced,
                 .Quantity = AdvancedRegisters,
                 .PauseMs = 100,
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn36Click() {
    const auto index = [](QComboBox* box) { return static_cast<uint16_t>(box->currentIndex()); };
    SendRequest({.Status = "设置",
                 .Function = fnWritePrivate,
                 .Register = regAdvanced,
                 .Values = {index(ComboBox13), index(ComboBox14), index(ComboBox15), index(ComboBox16)}});
}

void Tform1::BitBtn37Click() {
    SendRequest({.Status = "读取中...",
                 .State = rsIdentify,
                 .Register = regParameters,
                 .Quantity = 1,
                 .Broadcast = true,
                 .PauseMs = 100,
                 .TimeoutMs = 1000});
}

void Tform1::BitBtn47Click() {
    ListBox6->clear();
    State.ReportedRecords = 0;
    SetStatistics(QString::fromStdString(base::Format("记录条数:%d", {0})));
}

void Tform1::BitBtn50Click() {
    SendRequest({.Status = "读取中...",
                 .State = rsSerialVersion,
                 .Register = regSerialVersion,
                 .Quantity = SerialVersionRegisters,
                 .PauseMs = 10,
                 .TimeoutMs = 2000});
}

}  // namespace console
