#include "console/record_time.h"

#include "base/format.h"

namespace console {

TRecordTime TRecordTime::Decode(const uint8_t* bytes) {
    return {2000 + bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]};
}

QString TRecordTime::DateTimeText() const {
    return QString::fromStdString(
        base::Format("%.4d-%.2d-%.2d %.2d:%.2d:%.2d", {Year, Month, Day, Hour, Minute, Second}));
}

QString TRecordTime::TimeText() const {
    return QString::fromStdString(base::Format("%.2d:%.2d:%.2d", {Hour, Minute, Second}));
}

}  // namespace console
