#include "console/history_record.h"

#include "base/format.h"

namespace console {

THistoryRecord THistoryRecord::Decode(const uint8_t* bytes) {
    THistoryRecord record;
    record.Temperature = static_cast<int16_t>(bytes[0] << 8 | bytes[1]) / 10.0;
    record.Humidity = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]) / 10.0;
    record.Year = 2000 + bytes[4];
    record.Month = bytes[5];
    record.Day = bytes[6];
    record.Hour = bytes[7];
    record.Minute = bytes[8];
    record.Second = bytes[9];
    return record;
}

QString HistoryLine(uint32_t number, const THistoryRecord& r) {
    return QString::fromStdString(base::Format("(%d):温度:%0.1f,湿度:%0.1f;%.4d-%.2d-%.2d %.2d:%.2d:%.2d",
                                               {number, r.Temperature, r.Humidity, r.Year, r.Month, r.Day, r.Hour,
                                                r.Minute, r.Second}));
}

QString DayLine(uint32_t number, const THistoryRecord& r) {
    return QString::fromStdString(base::Format("(%d):温度:%0.1f,湿度:%0.1f;%.2d:%.2d:%.2d",
                                               {number, r.Temperature, r.Humidity, r.Hour, r.Minute, r.Second}));
}

QString ReportedLine(uint32_t number, const THistoryRecord& r) {
    return QString::fromStdString(base::Format("(%d)温度:%0.1f,湿度:%0.1f;%.4d-%.2d-%.2d %.2d:%.2d:%.2d",
                                               {number, r.Temperature, r.Humidity, r.Year, r.Month, r.Day, r.Hour,
                                                r.Minute, r.Second}));
}

}  // namespace console
