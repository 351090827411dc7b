#pragma once

#include <QString>
#include <cstdint>

namespace console {

// When a record was taken, as the instrument sends it: year - 2000, month, day, hour,
// minute, second, one byte each.
struct TRecordTime {
    int Year = 2000, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;

    static TRecordTime Decode(const uint8_t* bytes);
    // "yyyy-mm-dd hh:mm:ss" and "hh:mm:ss", zero-padded.
    QString DateTimeText() const;
    QString TimeText() const;
};

}  // namespace console
