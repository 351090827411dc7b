// Replies to the plain reads: live values, parameters, clocks, counters, advanced settings.
#include <array>

#include "console/conversions.h"
#include "console/form1.h"
#include "console/reply_values.h"
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

TReplyData Tform1::Reply() const { return {State.RxFrame.data(), State.RxLength}; }

bool Tform1::Taken(bool decoded) {
    SetStatus(decoded ? "正常" : "错误");
    return decoded;
}

void Tform1::LiveValuesReply() {
    const std::optional<TLiveValues> values = TLiveValues::Decode(Reply());
    if (!Taken(values.has_value())) return;
    LabeledEdit1->SetText(Tenths(values->Temperature));
    LabeledEdit2->SetText(Tenths(values->Humidity));
    LabeledEdit3->SetText(Tenths(values->DewPoint));
    LabeledEdit4->SetText(values->Do1Closed ? "合" : "分");
    LabeledEdit5->SetText(values->Do2Closed ? "合" : "分");
    const QString alarm = AlarmText(values->Alarm);
    if (!alarm.isEmpty()) LabeledEdit6->SetText(alarm);
    if (static_cast<uint16_t>(values->Temperature) == MissingProbe)
        platform::Dialogs().ShowMessage("请插入探头或检查探头是否接触好！ ");
    if (State.ContinuousRead) {
        ShowReadStatistics();
        SetStatus("读取中...");
        RepeatRequest(500);
    }
}

void Tform1::ParametersReply() {
    const std::optional<TParameterBlock> block = TParameterBlock::Decode(Reply());
    if (!Taken(block.has_value())) return;
    const auto index = [&](QComboBox* box, int reg) { box->setCurrentIndex(block->Register(reg) & 0xFF); };
    const auto tenthsSigned = [&](TLabeledEdit* edit, int reg) {
        edit->SetText(Tenths(static_cast<int16_t>(block->Register(reg))));
    };
    const auto tenthsUnsigned = [&](TLabeledEdit* edit, int reg) { edit->SetText(Tenths(block->Register(reg))); };
    LabeledEdit7->SetText(QString::number(block->Register(200) & 0xFF));
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
    LabeledEdit21->SetText(QString("%1").arg(block->Register(216), 4));
    LabeledEdit22->SetText(QString::number(block->Register(217)));
    const uint16_t pan = block->Register(218);
    const uint16_t channel = block->Register(219);
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

void Tform1::ShowClockFields(const TDeviceClock& clock) {
    Edit1->setText(QString::number(2000 + clock.Fields[0]));
    for (size_t k = 1; k < clock.Fields.size(); ++k)
        std::array{Edit2, Edit3, Edit4, Edit5, Edit6}[k - 1]->setText(QString::number(clock.Fields[k]));
}

void Tform1::TimeReply() {
    const std::optional<TDeviceClock> clock = TDeviceClock::Decode(Reply());
    if (!Taken(clock.has_value())) return;
    ShowClockFields(*clock);
    BitBtn7->setEnabled(true);
}

void Tform1::AlarmCountersReply() {
    const std::optional<TCounters> counters = TCounters::DecodeAlarm(Reply());
    if (!Taken(counters.has_value())) return;
    LabeledEdit12->SetText(QString::number(counters->Total));
    LabeledEdit13->SetText(QString::number(counters->Unread));
    BitBtn14->setEnabled(counters->Total != 0);
    const bool readable = counters->Total != 0 && counters->Unread != 0;
    BitBtn15->setEnabled(readable);
    if (!readable) CheckBox5->setChecked(false);
    CheckBox5->setEnabled(readable);
}

void Tform1::HistoryCountersReply() {
    const std::optional<TCounters> counters = TCounters::DecodeHistory(Reply());
    if (!Taken(counters.has_value())) return;
    LabeledEdit15->SetText(QString::number(counters->Total));
    LabeledEdit16->SetText(QString::number(counters->Unread));
    State.UnreadLeft = counters->Unread;
    if (State.UnreadLeft == 0)
        SetEnabled({CheckBox3, CheckBox6, CheckBox2, BitBtn19}, false);
    else
        SetEnabled({CheckBox3, CheckBox10, CheckBox2, CheckBox6, BitBtn19}, true);
    BitBtn18->setEnabled(true);
}

void Tform1::DayCountReply() {
    const std::optional<TCounters> counters = TCounters::DecodeDayCount(Reply(), State.SecondsModel == 1);
    if (!Taken(counters.has_value())) return;
    LabeledEdit17->SetText(QString::number(counters->Total));
    LabeledEdit18->SetText(QString::number(counters->Unread));
    if (counters->Total != 0 && counters->Unread != 0) {
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
    const std::optional<TCounters> counters = TCounters::DecodeRangeCount(Reply());
    if (!Taken(counters.has_value())) return;
    LabeledEdit25->SetText(QString::number(counters->Total));
    LabeledEdit26->SetText(QString::number(counters->Unread));
    if (counters->Total != 0 && counters->Unread != 0) {
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
    const std::optional<TAdvancedSettings> settings = TAdvancedSettings::Decode(Reply());
    if (!settings) return;
    Timer4.SetEnabled(false);
    SetStatus("正常");
    for (size_t i = 0; i < settings->Values.size(); ++i)
        std::array{ComboBox13, ComboBox14, ComboBox15, ComboBox16}[i]->setCurrentIndex(settings->Values[i] & 0xFF);
}

}  // namespace console
