#include "console/alarm_event.h"

#include <array>

#include "base/format.h"

namespace console {
namespace {

enum class TValueKind { None, Integer, Tenths, Degrees };

struct TEventKind {
    const char* Text;
    TValueKind Value;
};

// Alarms: raised and cleared, for the four limits.
constexpr std::array<TEventKind, 8> Alarms = {{{"高温告警", TValueKind::Degrees},
                                               {"高温告警解除", TValueKind::Degrees},
                                               {"低温告警", TValueKind::Degrees},
                                               {"低温告警解除", TValueKind::Degrees},
                                               {"高湿告警", TValueKind::Tenths},
                                               {"高湿告警解除", TValueKind::Tenths},
                                               {"低湿告警", TValueKind::Tenths},
                                               {"低湿告警解除", TValueKind::Tenths}}};

// Changes of the parameters of registers 200 to 219 (code = register - 199), then date,
// time and clearing; the text follows "本地" (on the instrument) or "远程" (over the line).
struct TChange {
    int Code;
    const char* Text;
    TValueKind Value;
};
constexpr std::array<TChange, 23> Changes = {
    {{1, "修改地址", TValueKind::Integer},         {2, "修改波特率", TValueKind::Integer},
     {3, "修改校验", TValueKind::Integer},         {4, "修改温度单位", TValueKind::Integer},
     {5, "修改高温告警", TValueKind::Tenths},      {6, "修改低温告警", TValueKind::Tenths},
     {7, "修改温度缓冲值", TValueKind::Tenths},    {8, "修改高湿告警", TValueKind::Tenths},
     {9, "修改低湿告警", TValueKind::Tenths},      {10, "修改湿度缓冲值", TValueKind::Tenths},
     {11, "修改DO1输出方式", TValueKind::Integer}, {12, "修改DO2输出方式", TValueKind::Integer},
     {13, "修改DO1关联", TValueKind::Integer},     {14, "修改DO2关联", TValueKind::Integer},
     {15, "修改DO1常态电平", TValueKind::Integer}, {16, "修改DO2常态电平", TValueKind::Integer},
     {17, "修改用户密码", TValueKind::Integer},    {18, "修改存储时间", TValueKind::Integer},
     {19, "修改zigbee PAN", TValueKind::Integer},  {20, "修改zigbee 频道", TValueKind::Integer},
     {25, "修改日期", TValueKind::Integer},        {26, "修改时间", TValueKind::Integer},
     {29, "清除记录", TValueKind::Integer}}};

struct TResolved {
    QString Text;
    TValueKind Value = TValueKind::None;
};

TResolved Resolve(uint8_t kind, uint8_t code, int16_t value) {
    if (kind == 1 && (code == 1 || code == 2)) {
        const QString output = code == 1 ? "DO1" : "DO2";
        return {output + (value == 1 ? "闭合" : "打开"), TValueKind::Integer};
    }
    if (kind == 2 && code >= 1 && code <= Alarms.size())
        return {QString::fromUtf8(Alarms[code - 1].Text), Alarms[code - 1].Value};
    if (kind == 3 || kind == 4) {
        for (const TChange& change : Changes)
            if (change.Code == code)
                return {QString(kind == 3 ? "本地" : "远程") + QString::fromUtf8(change.Text), change.Value};
    }
    return {};
}

}  // namespace

TAlarmEvent TAlarmEvent::Decode(const uint8_t* d) {
    TAlarmEvent event;
    event.Stored = static_cast<uint16_t>(d[0] << 8 | d[1]);
    event.Unread = static_cast<uint16_t>(d[2] << 8 | d[3]);
    event.Value = static_cast<int16_t>(d[4] << 8 | d[5]);
    event.Class = d[6];
    event.Code = d[7];
    event.Time = TRecordTime::Decode(d + 8);
    return event;
}

QString TAlarmEvent::EventText() const { return Resolve(Class, Code, Value).Text; }

QString TAlarmEvent::ValueText() const {
    switch (Resolve(Class, Code, Value).Value) {
        case TValueKind::Integer: return QString::number(Value);
        case TValueKind::Tenths: return QString::fromStdString(base::Format("%0.1f", {Value / 10.0}));
        case TValueKind::Degrees: return QString::fromStdString(base::Format("%0.1f℃", {Value / 10.0}));
        case TValueKind::None: break;
    }
    return {};
}

QString TAlarmEvent::Line() const {
    return QString::fromStdString(
               base::Format("(%d):%s:(%s),", {Unread + 1, EventText().toStdString(), ValueText().toStdString()})) +
           Time.DateTimeText();
}

}  // namespace console
