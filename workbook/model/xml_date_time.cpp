#include "workbook/model/xml_date_time.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/text_encoding.h"

namespace xls {

namespace {

using namespace std::chrono;

constexpr sys_days SerialEpoch = sys_days(year(1899) / December / 30);
constexpr double SecondsPerDay = 86400.0;

bool ReadNumber(std::u16string_view text, size_t& pos, size_t digits, int& value) {
    value = 0;
    for (size_t i = 0; i < digits; ++i, ++pos) {
        if (pos >= text.size() || text[pos] < u'0' || text[pos] > u'9') return false;
        value = value * 10 + (text[pos] - u'0');
    }
    return true;
}

bool Expect(std::u16string_view text, size_t& pos, char16_t c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

}  // namespace

std::u16string XmlDateTimeToStr(double value) {
    const double whole = std::floor(value);
    // Milliseconds are dropped, not rounded into the seconds.
    int64_t seconds = std::llround((value - whole) * SecondsPerDay * 1000.0) / 1000;
    sys_days day = SerialEpoch + days(static_cast<int64_t>(whole));
    if (seconds >= 86400) {
        day += days(1);
        seconds -= 86400;
    }
    const year_month_day date(day);
    char text[48];
    std::snprintf(text, sizeof text, "%d-%.2u-%.2uT%.2d:%.2d:%.2dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return base::Utf8ToUtf16(text);
}

double XmlStrToDateTime(std::u16string_view text) {
    size_t pos = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!ReadNumber(text, pos, 4, y) || !Expect(text, pos, u'-') || !ReadNumber(text, pos, 2, mo) ||
        !Expect(text, pos, u'-') || !ReadNumber(text, pos, 2, d) || !Expect(text, pos, u'T') ||
        !ReadNumber(text, pos, 2, h) || !Expect(text, pos, u':') || !ReadNumber(text, pos, 2, mi) ||
        !Expect(text, pos, u':') || !ReadNumber(text, pos, 2, s))
        return 0;
    double fraction = 0;
    if (pos < text.size() && text[pos] == u'.') {
        double scale = 0.1;
        for (++pos; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos, scale /= 10)
            fraction += (text[pos] - u'0') * scale;
    }
    if (pos < text.size() && text[pos] == u'Z') ++pos;
    if (pos != text.size()) return 0;
    const year_month_day date{year(y), month(static_cast<unsigned>(mo)), day(static_cast<unsigned>(d))};
    if (!date.ok() || h > 23 || mi > 59 || s > 59) return 0;
    const double dayNumber = static_cast<double>((sys_days(date) - SerialEpoch).count());
    return dayNumber + (h * 3600 + mi * 60 + s + fraction) / SecondsPerDay;
}

double NowUTCDateTime() {
    const auto now = time_point_cast<milliseconds>(system_clock::now());
    const auto sinceEpoch = now - time_point_cast<milliseconds>(SerialEpoch);
    return static_cast<double>(sinceEpoch.count()) / (SecondsPerDay * 1000.0);
}

int DateTimeYear(double value) {
    const year_month_day date(SerialEpoch + days(static_cast<int64_t>(std::floor(value))));
    return static_cast<int>(date.year());
}

}  // namespace xls
