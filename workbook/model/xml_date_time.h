#pragma once

#include <string>
#include <string_view>

namespace xls {

// Date serials (days from 30 December 1899, the fraction the time of day) as XML date-time text.

// "%d-%.2d-%.2dT%.2d:%.2d:%.2dZ"; milliseconds dropped, no time-zone conversion.
std::u16string XmlDateTimeToStr(double value);
// "YYYY-MM-DDThh:mm:ss" with optional fraction and "Z"; 0 when the text is no date-time.
double XmlStrToDateTime(std::u16string_view text);
// The date serial of the current time in UTC.
double NowUTCDateTime();
// The year of a date serial.
int DateTimeYear(double value);

}  // namespace xls
