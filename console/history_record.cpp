#include "console/history_record.h"

#include "base/format.h"

namespace console {

THistoryRecord THistoryRecord::Decode(const uint8_t* bytes) {
    THistoryRecord record;
    record.Temperature = static_cast<int16_t>(bytes[0] << 8 | bytes[1]) / 10.0;
    record.Humidity = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]) / 10.0;
    record.Time = TRecordTime::Decode(bytes + 4);
    return record;
}

namespace {

QString Values(const char* format, uint32_t number, const THistoryRecord& r) {
    return QString::fromStdString(base::Format(format, {number, r.Temperature, r.Humidity}));
}

}  // namespace

QString HistoryLine(uint32_t number, const THistoryRecord& r) {
    return Values("(%d):温度:%0.1f,湿度:%0.1f;", number, r) + r.Time.DateTimeText();
}

QString DayLine(uint32_t number, const THistoryRecord& r) {
    return Values("(%d):温度:%0.1f,湿度:%0.1f;", number, r) + r.Time.TimeText();
}

QString ReportedLine(uint32_t number, const THistoryRecord& r) {
    return Values("(%d)温度:%0.1f,湿度:%0.1f;", number, r) + r.Time.DateTimeText();
}

}  // namespace console
