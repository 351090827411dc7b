#include "base/date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/civil_date.h"
#include "base/text_utils.h"

namespace base {
namespace {

constexpr int64_t MillisecondsPerDay = 86400000;
// The years 1..9999: the text forms have four-digit years.
constexpr int64_t FirstDay = DaysFromCivil(1, 1, 1);
constexpr int64_t EndDay = DaysFromCivil(10000, 1, 1);

// Reads exactly count digits at text[pos].
bool ReadDigits(std::u16string_view text, size_t& pos, size_t count, int& value) {
    if (pos + count > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char16_t c = text[pos + i];
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
    }
    pos += count;
    return true;
}

bool Expect(std::u16string_view text, size_t& pos, char16_t c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// "Z", "+hh:mm" or "-hh:mm" at text[pos], to the end of the text.
bool ReadZone(std::u16string_view text, size_t& pos, int64_t& offsetSeconds) {
    offsetSeconds = 0;
    if (text[pos] == u'Z') {
        ++pos;
    } else {
        const char16_t sign = text[pos++];
        int hours = 0, minutes = 0;
        if ((sign != u'+' && sign != u'-') || !ReadDigits(text, pos, 2, hours) || !Expect(text, pos, u':') ||
            !ReadDigits(text, pos, 2, minutes) || hours > 14 || minutes > 59)
            return false;
        offsetSeconds = (hours * 3600 + minutes * 60) * (sign == u'-' ? -1 : 1);
    }
    return pos == text.size();
}

}  // namespace

TDateTimeFields DecodeDateTime(double value) {
    if (!std::isfinite(value) || value < static_cast<double>(FirstDay) || value >= static_cast<double>(EndDay))
        value = 0;
    const auto milliseconds = static_cast<int64_t>(std::llround(value * static_cast<double>(MillisecondsPerDay)));
    int64_t days = milliseconds / MillisecondsPerDay;
    int64_t ofDay = milliseconds % MillisecondsPerDay;
    if (ofDay < 0) {
        ofDay += MillisecondsPerDay;
        --days;
    }
    const TCivilDate date = CivilFromDays(days);
    TDateTimeFields fields{};
    fields.Year = date.Year;
    fields.Month = date.Month;
    fields.Day = date.Day;
    fields.Hour = static_cast<int>(ofDay / 3600000);
    fields.Minute = static_cast<int>(ofDay / 60000 % 60);
    fields.Second = static_cast<int>(ofDay / 1000 % 60);
    fields.Millisecond = static_cast<int>(ofDay % 1000);
    // Day 0 (1899-12-30) was a Saturday.
    fields.WeekDay = static_cast<int>(((days + 6) % 7 + 7) % 7);
    return fields;
}

double EncodeDateTime(int64_t year, int month, int day, int hour, int minute, int second, int millisecond) {
    const int64_t ofDay = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(DaysFromCivil(year, month, day)) +
           static_cast<double>(ofDay) / static_cast<double>(MillisecondsPerDay);
}

double NowDateTime() {
    using namespace std::chrono;
    const auto now = time_point_cast<milliseconds>(system_clock::now());
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(now.time_since_epoch().count() % 1000));
}

double NowUTCDateTime() {
    using namespace std::chrono;
    const auto sinceEpoch = time_point_cast<milliseconds>(system_clock::now()).time_since_epoch().count();
    return static_cast<double>(DaysFromCivil(1970, 1, 1)) +
           static_cast<double>(sinceEpoch) / static_cast<double>(MillisecondsPerDay);
}

std::u16string XmlDateTimeToStr(double value) {
    const TDateTimeFields f = DecodeDateTime(value);
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02dT%02d:%02d:%02dZ",
                                     static_cast<long long>(f.Year), f.Month, f.Day, f.Hour, f.Minute, f.Second);
    return std::u16string(buffer, buffer + length);
}

bool TryXmlStrToDateTime(std::u16string_view text, double& value) {
    const std::u16string_view t = TrimText(text);
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadDigits(t, pos, 4, year) || !Expect(t, pos, u'-') || !ReadDigits(t, pos, 2, month) ||
        !Expect(t, pos, u'-') || !ReadDigits(t, pos, 2, day))
        return false;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    double fraction = 0;
    int64_t offsetSeconds = 0;
    if (pos < t.size()) {
        if (!Expect(t, pos, u'T') || !ReadDigits(t, pos, 2, hour) || !Expect(t, pos, u':') ||
            !ReadDigits(t, pos, 2, minute))
            return false;
        if (pos < t.size() && t[pos] == u':') {
            ++pos;
            if (!ReadDigits(t, pos, 2, second)) return false;
            if (pos < t.size() && t[pos] == u'.') {
                ++pos;
                double scale = 0.1;
                const size_t first = pos;
                for (; pos < t.size() && t[pos] >= u'0' && t[pos] <= u'9'; ++pos, scale /= 10)
                    fraction += (t[pos] - u'0') * scale;
                if (pos == first) return false;
            }
        }
        // 24:00:00 is the end of the day; leap seconds are not kept.
        if (hour > 24 || minute > 59 || second > 59 || (hour == 24 && (minute || second || fraction > 0))) return false;
        if (pos < t.size() && !ReadZone(t, pos, offsetSeconds)) return false;
    }
    const int64_t seconds =
        DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
    value = (static_cast<double>(seconds) + fraction) / 86400.0;
    return true;
}

double XmlStrToDateTime(std::u16string_view text) {
    double value = 0;
    return TryXmlStrToDateTime(text, value) ? value : 0;
}

}  // namespace base
