#include "pdf/pdf_date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace pdf {
namespace {

constexpr double MillisecondsPerDay = 86400000.0;

struct TDateTimeFields {
    int Year, Month, Day, WeekDay, Hour, Minute, Second, Millisecond;
};

TDateTimeFields Decode(double dateTime) {
    using namespace std::chrono;
    const double wholeDays = std::floor(dateTime);
    auto milliseconds = int64_t(std::llround((dateTime - wholeDays) * MillisecondsPerDay));
    auto days = int64_t(wholeDays);
    if (milliseconds >= int64_t(MillisecondsPerDay)) {
        milliseconds -= int64_t(MillisecondsPerDay);
        ++days;
    }
    const sys_days date = sys_days(year{1899} / December / 30) + std::chrono::days(days);
    const year_month_day ymd(date);
    TDateTimeFields fields;
    fields.Year = int(ymd.year());
    fields.Month = int(unsigned(ymd.month()));
    fields.Day = int(unsigned(ymd.day()));
    fields.WeekDay = int(weekday(date).c_encoding());
    fields.Hour = int(milliseconds / 3600000);
    fields.Minute = int(milliseconds / 60000 % 60);
    fields.Second = int(milliseconds / 1000 % 60);
    fields.Millisecond = int(milliseconds % 1000);
    return fields;
}

}  // namespace

double NowDateTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto milliseconds = duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const sys_days date = year{local.tm_year + 1900} / month(unsigned(local.tm_mon + 1)) / day(unsigned(local.tm_mday));
    const double days = double((date - sys_days(year{1899} / December / 30)).count());
    const double timeOfDay =
        ((local.tm_hour * 60.0 + local.tm_min) * 60.0 + local.tm_sec) * 1000.0 + double(milliseconds);
    return days + timeOfDay / MillisecondsPerDay;
}

std::string FormatPDFDate(double dateTime) {
    const TDateTimeFields f = Decode(dateTime);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", f.Year, f.Month, f.Day, f.Hour, f.Minute, f.Second);
    return text;
}

std::string FormatFileIdTime(double dateTime) {
    static constexpr const char* DayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const TDateTimeFields f = Decode(dateTime);
    char text[48];
    std::snprintf(text, sizeof text, "%s %02d-%02d-%04d %02d:%02d:%02d.%03d", DayNames[f.WeekDay], f.Day, f.Month,
                  f.Year, f.Hour, f.Minute, f.Second, f.Millisecond);
    return text;
}

}  // namespace pdf
