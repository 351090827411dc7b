// Date and time worksheet functions over date serials: whole days from 30 December 1899 with the
// time of day as the fraction, in the calendar of the file format, whose February 1900 has 29
// days (serial 60). Serials outside years 1 to 9999 give #NUM!.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/civil_date.h"
#include "workbook/formula/date_text.h"
#include "workbook/formula/numeric_functions.h"
#include "workbook/formula/worksheet_functions.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

enum : int {
    fnDate = 65,
    fnTime = 66,
    fnDay = 67,
    fnMonth = 68,
    fnYear = 69,
    fnWeekday = 70,
    fnHour = 71,
    fnMinute = 72,
    fnSecond = 73,
    fnDays360 = 220,
    fnNetworkDaysIntl = 842,
    fnWorkdayIntl = 845,
    fnWorkday = 866,
    fnNetworkDays = 867,
    fnEoMonth = 869,
    fnYearFrac = 870,
};

constexpr int64_t FirstSerial = -693593;  // 1 January of year 1
constexpr int64_t LastSerial = 2958465;   // 31 December 9999
constexpr int64_t FebruaryTwentyNinth1900 = 60;

struct TDate {
    int64_t Year;
    int Month;
    int Day;
};

int DaysOfMonth(int64_t year, int month) { return year == 1900 && month == 2 ? 29 : base::DaysInMonth(year, month); }

int64_t DateSerial(int64_t year, int month, int day) {
    if (year == 1900 && month == 2 && day == 29) return FebruaryTwentyNinth1900;
    return static_cast<int64_t>(DateToSerial(static_cast<int>(year), month, day));
}

TDate SerialDate(int64_t serial) {
    const base::TCivilDate d = base::CivilFromSerial(serial);
    return {d.Year, d.Month, d.Day};
}

bool IsLastOfMonth(const TDate& d) { return d.Day == DaysOfMonth(d.Year, d.Month); }

bool InRange(double serial) { return serial >= FirstSerial && serial < LastSerial + 1; }

// Day 0 is Sunday; serial 1 is a Sunday in the file format's calendar.
int DayOfWeek(int64_t serial) { return static_cast<int>(((serial - 1) % 7 + 7) % 7); }

// The whole day of a date argument; false after pushing the error.
bool PopDay(TValueStack& s, int64_t& day) {
    double x = 0;
    if (!s.PopArgNumber(x)) return false;
    if (!InRange(x)) return s.PushError(errNum), false;
    day = static_cast<int64_t>(std::floor(x));
    return true;
}

// A count of days or months, truncated; beyond any span of dates it is #NUM!.
bool PopCount(TValueStack& s, int64_t& n) {
    double x = 0;
    if (!s.PopArgNumber(x)) return false;
    if (!(std::fabs(x) <= 2.0 * (LastSerial - FirstSerial))) return s.PushError(errNum), false;
    n = static_cast<int64_t>(std::trunc(x));
    return true;
}

void PushSerial(TValueStack& s, int64_t serial) {
    if (serial < FirstSerial || serial > LastSerial) return s.PushError(errNum);
    s.PushNumber(static_cast<double>(serial));
}

// The first day of the month months after the given one; false when its year is not 1..9999.
bool MonthsLater(int64_t year, int month, int64_t months, int64_t& outYear, int& outMonth) {
    const int64_t index = year * 12 + (month - 1) + months;
    outYear = index >= 0 ? index / 12 : -((11 - index) / 12);
    outMonth = static_cast<int>(index - outYear * 12) + 1;
    return outYear >= 1 && outYear <= 9999;
}

// Years below 1000 count from 1900; months and days outside their ranges carry over.
void Date(TValueStack& s) {
    double year = 0;
    double month = 0;
    double day = 0;
    if (!s.PopArgNumber(day) || !s.PopArgNumber(month) || !s.PopArgNumber(year)) return;
    year = std::trunc(year);
    month = std::trunc(month);
    day = std::trunc(day);
    if (!(year >= 0 && year < 10000) || !(std::fabs(month) < 1e6) || !(std::fabs(day) < 1e8))
        return s.PushError(errNum);
    if (year < 1000) year += 1900;
    int64_t y = 0;
    int m = 0;
    if (!MonthsLater(static_cast<int64_t>(year), 1, static_cast<int64_t>(month) - 1, y, m)) return s.PushError(errNum);
    PushSerial(s, DateSerial(y, m, 1) + static_cast<int64_t>(day) - 1);
}

// Hours, minutes and seconds add up; whole days wrap away, a negative time is #NUM!.
void Time(TValueStack& s) {
    double h = 0;
    double m = 0;
    double sec = 0;
    if (!s.PopArgNumber(sec) || !s.PopArgNumber(m) || !s.PopArgNumber(h)) return;
    const double total = h * 3600 + m * 60 + sec;
    if (h < 0 || !(total >= 0)) return s.PushError(errNum);
    s.PushResult(std::fmod(total, 86400.0) / 86400);
}

void DatePart(TValueStack& s, int id) {
    double x = 0;
    if (!s.PopArgNumber(x)) return;
    if (!InRange(x)) return s.PushError(errNum);
    if (id == fnHour || id == fnMinute || id == fnSecond) {
        // Times show to the nearest second, so 23:59:59.9 is already the next day's 0:00:00.
        const int64_t seconds = std::llround((x - std::floor(x)) * 86400) % 86400;
        const int64_t part = id == fnHour ? seconds / 3600 : id == fnMinute ? seconds / 60 % 60 : seconds % 60;
        return s.PushNumber(static_cast<double>(part));
    }
    const TDate d = SerialDate(static_cast<int64_t>(std::floor(x)));
    s.PushNumber(static_cast<double>(id == fnYear ? d.Year : id == fnMonth ? d.Month : d.Day));
}

// Type 1 counts from Sunday = 1, 2 from Monday = 1, 3 from Monday = 0, 11..17 from Monday .. Sunday = 1.
void Weekday(TValueStack& s, int argCount) {
    int64_t type = 1;
    if (argCount == 2 && !PopCount(s, type)) return;
    int64_t day = 0;
    if (!PopDay(s, day)) return;
    const int dow = DayOfWeek(day);
    int first = 0;
    int base = 1;
    if (type == 1) {
        first = 0;
    } else if (type == 2 || type == 3) {
        first = 1;
        base = type == 2 ? 1 : 0;
    } else if (type >= 11 && type <= 17) {
        first = static_cast<int>(type - 10) % 7;
    } else {
        return s.PushError(errNum);
    }
    s.PushNumber((dow - first + 7) % 7 + base);
}

// method FALSE: the American rule: a start on the 31st or the last of February counts as the 30th,
// an end on the 31st as the 30th when the start is the 30th by then (else it stays one past the
// 30th, the first of the next month); TRUE: the European rule, where every 31st is the 30th.
void Days360(TValueStack& s, int argCount) {
    bool european = false;
    if (argCount == 3 && !s.PopArgBoolean(european)) return;
    int64_t end = 0;
    int64_t start = 0;
    if (!PopDay(s, end) || !PopDay(s, start)) return;
    TDate a = SerialDate(start);
    TDate b = SerialDate(end);
    if (european) {
        a.Day = std::min(a.Day, 30);
        b.Day = std::min(b.Day, 30);
    } else {
        if (a.Day == 31 || (a.Month == 2 && IsLastOfMonth(a))) a.Day = 30;
        if (b.Day == 31 && a.Day == 30) b.Day = 30;
    }
    s.PushNumber(static_cast<double>((360 * b.Year + 30 * b.Month + b.Day) - (360 * a.Year + 30 * a.Month + a.Day)));
}

void EoMonth(TValueStack& s) {
    int64_t months = 0;
    int64_t start = 0;
    if (!PopCount(s, months) || !PopDay(s, start)) return;
    const TDate d = SerialDate(start);
    int64_t y = 0;
    int m = 0;
    if (!MonthsLater(d.Year, d.Month, months, y, m)) return s.PushError(errNum);
    PushSerial(s, DateSerial(y, m, DaysOfMonth(y, m)));
}

bool IsLeap(int64_t year) { return DaysOfMonth(year, 2) == 29; }

// Actual/actual: within one year the length of that year (366 when a 29 February lies in the
// span), else the average length of the years touched.
double ActualYearFraction(int64_t start, int64_t end, const TDate& a, const TDate& b) {
    const bool withinYear =
        a.Year == b.Year || (b.Year == a.Year + 1 && (a.Month > b.Month || (a.Month == b.Month && a.Day >= b.Day)));
    if (!withinYear) {
        const double years = static_cast<double>(b.Year - a.Year + 1);
        return static_cast<double>(end - start) /
               (static_cast<double>(DateSerial(b.Year + 1, 1, 1) - DateSerial(a.Year, 1, 1)) / years);
    }
    bool leap = a.Year == b.Year && IsLeap(a.Year);
    for (int64_t y = a.Year; y <= b.Year && !leap; ++y) {
        if (!IsLeap(y)) continue;
        const int64_t feb29 = DateSerial(y, 2, 29);
        leap = start <= feb29 && feb29 <= end;
    }
    return static_cast<double>(end - start) / (leap ? 366.0 : 365.0);
}

void YearFrac(TValueStack& s, int argCount) {
    int64_t basis = 0;
    if (argCount == 3 && !PopCount(s, basis)) return;
    int64_t end = 0;
    int64_t start = 0;
    if (!PopDay(s, end) || !PopDay(s, start)) return;
    if (basis < 0 || basis > 4) return s.PushError(errNum);
    if (start > end) std::swap(start, end);
    TDate a = SerialDate(start);
    TDate b = SerialDate(end);
    const auto thirty = [&] {
        return static_cast<double>(360 * (b.Year - a.Year) + 30 * (b.Month - a.Month) + (b.Day - a.Day)) / 360;
    };
    switch (basis) {
        case 0: {
            const bool aLastFeb = a.Month == 2 && IsLastOfMonth(a);
            const bool bLastFeb = b.Month == 2 && IsLastOfMonth(b);
            if (a.Day == 31 && b.Day == 31) {
                a.Day = b.Day = 30;
            } else if (a.Day == 31) {
                a.Day = 30;
            } else if (a.Day == 30 && b.Day == 31) {
                b.Day = 30;
            } else if (aLastFeb && bLastFeb) {
                a.Day = b.Day = 30;
            } else if (aLastFeb) {
                a.Day = 30;
            }
            return s.PushNumber(thirty());
        }
        case 1: return s.PushNumber(ActualYearFraction(start, end, a, b));
        case 2: return s.PushNumber(static_cast<double>(end - start) / 360);
        case 3: return s.PushNumber(static_cast<double>(end - start) / 365);
        default:
            a.Day = std::min(a.Day, 30);
            b.Day = std::min(b.Day, 30);
            return s.PushNumber(thirty());
    }
}

// The days of the week that are no working days, Sunday first.
struct TWeekend {
    bool Off[7] = {true, false, false, false, false, false, true};
    int Workdays = 5;

    bool IsOff(int64_t serial) const { return Off[DayOfWeek(serial)]; }
};

// The weekend argument: 1..7 two days from Saturday-Sunday on, 11..17 one day from Sunday on, or
// seven characters 0/1 from Monday to Sunday where 1 is a day off.
bool PopWeekend(TValueStack& s, TWeekend& w) {
    const TXLSFormulaValue v = s.PopArgument();
    uint8_t err = 0;
    const TXLSFormulaValue scalar = s.ScalarOf(v, err);
    if (err) return s.PushError(err), false;
    if (scalar.Empty || scalar.ValType == fvtEmpty) return true;
    std::fill(std::begin(w.Off), std::end(w.Off), false);
    if (scalar.ValType == fvtString) {
        if (scalar.Str.size() != 7) return s.PushError(errValue), false;
        for (size_t i = 0; i < 7; ++i) {
            const char16_t c = scalar.Str[i];
            if (c != u'0' && c != u'1') return s.PushError(errValue), false;
            w.Off[(i + 1) % 7] = c == u'1';
        }
    } else {
        double x = 0;
        s.ValueToNumber(scalar, x, err);
        if (err) return s.PushError(err), false;
        const double code = std::trunc(x);
        if (code >= 1 && code <= 7) {
            const int saturday = 6;
            w.Off[(saturday + static_cast<int>(code) - 1) % 7] = w.Off[(saturday + static_cast<int>(code)) % 7] = true;
        } else if (code >= 11 && code <= 17) {
            w.Off[static_cast<int>(code - 11)] = true;
        } else {
            return s.PushError(errNum), false;
        }
    }
    w.Workdays = static_cast<int>(std::count(std::begin(w.Off), std::end(w.Off), false));
    return true;
}

// The holidays that fall on working days, sorted, each once; numbers only (any other value is
// #VALUE!, an error value the error).
bool ReadHolidays(TValueStack& s, const TXLSFormulaValue& arg, const TWeekend& w, std::vector<int64_t>& days) {
    const TValueSequence seq(s, arg);
    if (!seq.Valid()) return s.PushError(errValue), false;
    TXLSFormulaValue v;
    for (int64_t i = seq.First(); i < seq.Last(); ++i) {
        seq.Get(i, v);
        if (v.Empty || v.ValType == fvtEmpty) continue;
        if (v.ValType == fvtError) return s.PushError(v.BoolErr), false;
        double x = 0;
        if (v.ValType == fvtNumber) {
            x = v.Number;
        } else if (v.Kind == vkValue && v.ValType == fvtString) {
            uint8_t err = 0;
            s.ValueToNumber(v, x, err);
            if (err) return s.PushError(err), false;
        } else {
            return s.PushError(errValue), false;
        }
        if (!InRange(x)) return s.PushError(errNum), false;
        const auto day = static_cast<int64_t>(std::floor(x));
        if (!w.IsOff(day)) days.push_back(day);
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return true;
}

// The optional arguments after the two dates: the weekend (the .INTL forms) and the holidays.
// The weekend decides which holidays count, so it is read first although it comes before them.
bool PopWeekendAndHolidays(TValueStack& s, int argCount, bool intl, TWeekend& w, std::vector<int64_t>& holidays) {
    const bool hasHolidays = argCount == (intl ? 4 : 3);
    const TXLSFormulaValue holidayArg = hasHolidays ? s.PopArgument() : TXLSFormulaValue();
    if (intl && argCount >= 3 && !PopWeekend(s, w)) return false;
    return !hasHolidays || ReadHolidays(s, holidayArg, w, holidays);
}

// The working day n working days after (n < 0: before) start, holidays aside.
int64_t AddWorkdays(int64_t start, int64_t n, const TWeekend& w) {
    if (n == 0) return start;
    const int64_t step = n > 0 ? 1 : -1;
    int64_t left = n > 0 ? n : -n;
    // Every seven days hold Workdays working days wherever they start.
    const int64_t weeks = (left - 1) / w.Workdays;
    int64_t day = start + step * 7 * weeks;
    left -= weeks * w.Workdays;
    while (left > 0) {
        day += step;
        if (!w.IsOff(day)) --left;
    }
    return day;
}

// How many of the sorted holidays lie from first to last, both included.
int64_t HolidaysBetween(const std::vector<int64_t>& holidays, int64_t first, int64_t last) {
    if (first > last) return 0;
    return std::upper_bound(holidays.begin(), holidays.end(), last) -
           std::lower_bound(holidays.begin(), holidays.end(), first);
}

void Workday(TValueStack& s, int argCount, bool intl) {
    TWeekend w;
    std::vector<int64_t> holidays;
    if (!PopWeekendAndHolidays(s, argCount, intl, w, holidays)) return;
    int64_t days = 0;
    int64_t start = 0;
    if (!PopCount(s, days) || !PopDay(s, start)) return;
    // A week without working days has no working day to land on.
    if (w.Workdays == 0) return s.PushError(errValue);
    int64_t from = start;
    int64_t result = AddWorkdays(start, days, w);
    // Holidays passed over push the result on by as many working days, which may pass more.
    for (;;) {
        const int64_t passed =
            days > 0 ? HolidaysBetween(holidays, from + 1, result) : HolidaysBetween(holidays, result, from - 1);
        if (passed == 0 || result < FirstSerial || result > LastSerial) break;
        from = result;
        result = AddWorkdays(result, days > 0 ? passed : -passed, w);
    }
    PushSerial(s, result);
}

// Working days from first to last, both counted.
int64_t CountWorkdays(int64_t first, int64_t last, const TWeekend& w) {
    const int64_t weeks = (last - first + 1) / 7;
    int64_t count = weeks * w.Workdays;
    for (int64_t day = first + weeks * 7; day <= last; ++day)
        if (!w.IsOff(day)) ++count;
    return count;
}

void NetworkDays(TValueStack& s, int argCount, bool intl) {
    TWeekend w;
    std::vector<int64_t> holidays;
    if (!PopWeekendAndHolidays(s, argCount, intl, w, holidays)) return;
    int64_t end = 0;
    int64_t start = 0;
    if (!PopDay(s, end) || !PopDay(s, start)) return;
    const int64_t first = std::min(start, end);
    const int64_t last = std::max(start, end);
    const int64_t count = CountWorkdays(first, last, w) - HolidaysBetween(holidays, first, last);
    s.PushNumber(static_cast<double>(start > end ? -count : count));
}

}  // namespace

bool CallDateFunction(TValueStack& s, int id, int argCount) {
    switch (id) {
        case fnDate: Date(s); return true;
        case fnTime: Time(s); return true;
        case fnDay:
        case fnMonth:
        case fnYear:
        case fnHour:
        case fnMinute:
        case fnSecond: DatePart(s, id); return true;
        case fnWeekday: Weekday(s, argCount); return true;
        case fnDays360: Days360(s, argCount); return true;
        case fnEoMonth: EoMonth(s); return true;
        case fnYearFrac: YearFrac(s, argCount); return true;
        case fnWorkday:
        case fnWorkdayIntl: Workday(s, argCount, id == fnWorkdayIntl); return true;
        case fnNetworkDays:
        case fnNetworkDaysIntl: NetworkDays(s, argCount, id == fnNetworkDaysIntl); return true;
        default: return false;
    }
}

}  // namespace xls
