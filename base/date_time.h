#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace base {

// Date-time values as every file format of the system keeps them: days since 1899-12-30, the
// time of day as the fraction. A value carries no zone: it is converted to and from text and
// fields as it stands, so the same value gives the same text under any TZ.

struct TDateTimeFields {
    int64_t Year;
    int Month;  // 1..12
    int Day;
    int Hour;
    int Minute;
    int Second;
    int Millisecond;
    int WeekDay;  // 0 Sunday .. 6 Saturday
};

// The fields of a value rounded to the millisecond. A value outside the years 1..9999 (or not
// finite) counts as no date and gives the fields of 0 (1899-12-30 00:00).
TDateTimeFields DecodeDateTime(double value);
// The value of a date and time of day (no range checks: the caller's fields are valid).
double EncodeDateTime(int64_t year, int month, int day, int hour, int minute, int second, int millisecond);

// The current time on the local clock, and in UTC.
double NowDateTime();
double NowUTCDateTime();

// "yyyy-mm-ddThh:mm:ssZ" of the value as it stands: milliseconds dropped, no zone conversion,
// the "Z" written regardless.
std::u16string XmlDateTimeToStr(double value);
// ISO 8601 text: "yyyy-mm-dd", optionally followed by "Thh:mm[:ss[.fff]]" and a zone ("Z" or
// "+hh:mm"/"-hh:mm"). The clock time is taken as it stands; an explicit offset is taken off,
// so that the value is the clock time that XmlDateTimeToStr writes with its "Z". The process's
// own zone is never consulted. 0 (or false) when the text is no such date.
double XmlStrToDateTime(std::u16string_view text);
bool TryXmlStrToDateTime(std::u16string_view text, double& value);

}  // namespace base
