#include "pdf/pdf_date_time.h"

#include <cstdio>

#include "base/date_time.h"

namespace pdf {

std::string FormatPDFDate(double dateTime) {
    const base::TDateTimeFields f = base::DecodeDateTime(dateTime);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld%02d%02d%02d%02d%02d", static_cast<long long>(f.Year), f.Month, f.Day,
                  f.Hour, f.Minute, f.Second);
    return text;
}

std::string FormatFileIdTime(double dateTime) {
    static constexpr const char* DayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const base::TDateTimeFields f = base::DecodeDateTime(dateTime);
    char text[48];
    std::snprintf(text, sizeof text, "%s %02d-%02d-%04lld %02d:%02d:%02d.%03d", DayNames[f.WeekDay], f.Day, f.Month,
                  static_cast<long long>(f.Year), f.Hour, f.Minute, f.Second, f.Millisecond);
    return text;
}

}  // namespace pdf
