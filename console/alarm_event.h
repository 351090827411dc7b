#pragma once

#include <QString>
#include <cstdint>

#include "console/record_time.h"

namespace console {

// An alarm or event record: the counters, the value, class and code, and when it happened.
struct TAlarmEvent {
    uint16_t Stored = 0;
    uint16_t Unread = 0;  // after this one
    int16_t Value = 0;
    uint8_t Class = 0;
    uint8_t Code = 0;
    TRecordTime Time;

    // From the 14 data bytes of a reply.
    static TAlarmEvent Decode(const uint8_t* data);
    // The event's text and its value's text; both empty for a class or code not known.
    QString EventText() const;
    QString ValueText() const;
    // The list line, numbered with the unread count plus 1.
    QString Line() const;
};

}  // namespace console
