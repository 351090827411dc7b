// Replies to the plain reads: live values, parameters, clocks, counters, advanced settings.
#include "console/conversions.h"
#include "console/form1.h"
#include "platform/dialogs.h"

namespace console {
namespace {

QString Tenths(int32_t value) { return QString::number(value / 10.0, 'f', 1); }

// The temperature the instrument reports when no probe is plugged in.
constexpr uint16_t MissingProbe = 0x8000;

QString AlarmText(uint8_t alarm) {
    switch (alarm) {
        case 0: return "无";
        case 1: return "高温告警";
        case 2: return "低温告警";
        case 4: return "高湿告警";
        case 8: return "低湿告警";
        case 5: return "高温+高湿告警";
        case 6: return "低温+高湿告警";
        case 9: return "高温+低湿告警";
        case 10: return "低温+低湿告警";
        default: return {};
    }
}

}  // namespace

bool Tform1::ReplyAtLeast(int32_t minimum) {
    if (State.RxLength < minimum) {
        SetStatus("错误");
        return false;
    }
    SetStatus("正常");
    return true;
}

uint16_t Tform1::DataWord(int index) const {
    const auto at = static_cast<size_t>(3 + 2 * index);
    return static_cast<uint16_t>(State.RxFrame[at] << 8 | State.RxFrame[at + 1]);
}

uint32_t Tform1::DataLong(int index) const {
    const uint32_t value = static_cast<uint32_t>(DataWord(index)) << 16 | DataWord(index + 1);
    if (value >= 0x80000000u) throw ERangeError();
    return value;
}

void Tform1::LiveValuesReply() {
    if (!ReplyAtLeast(15)) return;
    const uint16_t temperature = DataWord(0);
    LabeledEdit1->SetText(Tenths(static_cast<int16_t>(temperature)));
    LabeledEdit2->SetText(Tenths(DataWord(1)));
    LabeledEdit3->SetText(Tenths(static_cast<int16_t>(DataWord(2))));
    LabeledEdit4->SetText((DataWord(3) & 1) ? "合" : "分");
    LabeledEdit5->SetText((DataWord(4) & 1) ? "合" : "分");
    const QString alarm = AlarmText(static_cast<uint8_t>(DataWord(5) & 0xFF));
    if (!alarm.isEmpty()) LabeledEdit6->SetText(alarm);
    if (temperature == MissingProbe) platform::Dialogs().ShowMessage("请插入探头或检查探头是否接触好！ ");
    if (State.ContinuousRead) {
        ShowReadStatistics();
        SetStatus("读取中...");
        RepeatRequest(500);
    }
}

void Tform1::ParametersReply() {
    if (!ReplyAtLeast(41)) return;
    const auto index = [this](QComboBox* box, int reg) { box->setCurrentIndex(DataWord(reg - 200) & 0xFF); };
    const auto tenthsSigned = [this](TLabeledEdit* edit, int reg) {
        edit->SetText(Tenths(static_cast<int16_t>(DataWord(reg - 200))));
    };
    const auto tenthsUnsigned = [this](TLabeledEdit* edit, int reg) { edit->SetText(Tenths(DataWord(reg - 200))); };
    LabeledEdit7->SetText(QString::number(DataWord(0) & 0xFF));
    index(ComboBox1, 201);
    index(ComboBox2, 202);
    index(ComboBox3, 203);
    tenthsSigned(LabeledEdit8, 204);
    tenthsSigned(LabeledEdit9, 205);
    tenthsUnsigned(LabeledEdit19, 206);
    tenthsUnsigned(LabeledEdit10, 207);
    tenthsUnsigned(LabeledEdit11, 208);
    tenthsUnsigned(LabeledEdit20, 209);
    index(ComboBox11, 210);
    index(ComboBox12, 211);
    index(ComboBox4, 212);
    index(ComboBox5, 213);
    index(ComboBox9, 214);
    LabeledEdit21->SetText(QString("%1").arg(DataWord(16), 4));
    LabeledEdit22->SetText(QString::number(DataWord(17)));
    const uint16_t pan = DataWord(18);
    const uint16_t channel = DataWord(19);
    LabeledEdit23->SetText(QString::number(pan));
    LabeledEdit24->SetText(QString::number(channel));
    // 0 and 1 are not radio settings but the interval unit and the supply type.
    if (pan <= 1) ComboBox10->setCurrentIndex(pan);
    ComboBox10->setVisible(pan <= 1);
    Label31->setVisible(pan <= 1);
    Label7->setVisible(pan > 1);
    if (channel <= 1) ComboBox22->setCurrentIndex(channel);
    ComboBox22->setVisible(channel <= 1);
    Label30->setVisible(channel <= 1);
    tenthsSigned(LabeledEdit27, 220);
    tenthsSigned(LabeledEdit28, 221);
    index(ComboBox17, 222);
    index(ComboBox18, 223);
    BitBtn5->setEnabled(true);
}

void Tform1::TimeReply() {
    if (!ReplyAtLeast(9)) return;
    const auto byte = [this](int k) { return State.RxFrame[static_cast<size_t>(3 + k)]; };
    Edit1->setText(QString::number(2000 + byte(0)));
    Edit2->setText(QString::number(byte(1)));
    Edit3->setText(QString::number(byte(2)));
    Edit4->setText(QString::number(byte(3)));
    Edit5->setText(QString::number(byte(4)));
    Edit6->setText(QString::number(byte(5)));
    BitBtn7->setEnabled(true);
}

void Tform1::AlarmCountersReply() {
    if (!ReplyAtLeast(7)) return;
    const uint16_t total = DataWord(0);
    const uint16_t unread = DataWord(1);
    LabeledEdit12->SetText(QString::number(total));
    LabeledEdit13->SetText(QString::number(unread));
    BitBtn14->setEnabled(total != 0);
    const bool readable = total != 0 && unread != 0;
    BitBtn15->setEnabled(readable);
    if (!readable) CheckBox5->setChecked(false);
    CheckBox5->setEnabled(readable);
}

void Tform1::HistoryCountersReply() {
    if (!ReplyAtLeast(12)) return;
    LabeledEdit15->SetText(QString::number(DataLong(0)));
    LabeledEdit16->SetText(QString::number(DataLong(2)));
    State.UnreadLeft = static_cast<uint32_t>(StrToInt(LabeledEdit16->Text()));
    if (State.UnreadLeft == 0)
        SetEnabled({CheckBox3, CheckBox6, CheckBox2, BitBtn19}, false);
    else
        SetEnabled({CheckBox3, CheckBox10, CheckBox2, CheckBox6, BitBtn19}, true);
    BitBtn18->setEnabled(true);
}

void Tform1::DayCountReply() {
    if (!ReplyAtLeast(7)) return;
    const bool seconds = State.SecondsModel == 1;
    const uint32_t count = seconds ? DataLong(0) : DataWord(0);
    const uint32_t index = seconds ? DataLong(2) : DataWord(1);
    LabeledEdit17->SetText(QString::number(count));
    LabeledEdit18->SetText(QString::number(index));
    if (count != 0 && index != 0) {
        SetEnabled({CheckBox3, CheckBox6, CheckBox2, BitBtn19, PageControl1}, true);
        return;
    }
    SetEnabled({CheckBox6, CheckBox2, CheckBox3, BitBtn19}, false);
    if (State.ContinuousRead) {
        if (CheckBox6->isChecked()) SetEnabled({CheckBox6, CheckBox2}, false);
        BitBtn19->setText("读取");
        State.ContinuousRead = false;
        Timer2.SetEnabled(false);
    }
}

void Tform1::RangeCountReply() {
    if (!ReplyAtLeast(11)) return;
    const uint32_t count = DataLong(0);
    const uint32_t index = DataLong(2);
    LabeledEdit25->SetText(QString::number(count));
    LabeledEdit26->SetText(QString::number(index));
    if (count != 0 && index != 0) {
        SetEnabled({CheckBox3, CheckBox10, CheckBox6, CheckBox2, BitBtn19, BitBtn20, PageControl1}, true);
        return;
    }
    SetEnabled({CheckBox6, CheckBox2, CheckBox3, BitBtn19}, false);
    if (State.ContinuousRead) {
        if (CheckBox6->isChecked()) SetEnabled({CheckBox6, CheckBox2, CheckBox10}, false);
        BitBtn19->setText("读取");
        State.ContinuousRead = false;
        Timer2.SetEnabled(false);
    }
}

void Tform1::AdvancedSettingsReply() {
    if (State.RxLength < 13) return;
    Timer4.SetEnabled(false);
    SetStatus("正常");
    ComboBox13->setCurrentIndex(DataWord(0) & 0xFF);
    ComboBox14->setCurrentIndex(DataWord(1) & 0xFF);
    ComboBox15->setCurrentIndex(DataWord(2) & 0xFF);
    ComboBox16->setCurrentIndex(DataWord(3) & 0xFF);
}

}  // namespace console
