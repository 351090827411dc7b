#pragma once

#include <cstdint>

namespace base {

// Proleptic Gregorian calendar arithmetic for date serials (days from 30 December 1899).

constexpr bool IsLeapYear(int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// Month 1..12.
constexpr int DaysInMonth(int64_t year, int month) {
    constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

// Days from 30 December 1899 to the date (negative before it).
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + 25569;  // 25569: 1899-12-30 to 1970-01-01
}

struct TCivilDate {
    int64_t Year;
    int Month;  // 1..12
    int Day;
};

// The date a day count from 30 December 1899 falls on (the inverse of DaysFromCivil).
constexpr TCivilDate CivilFromDays(int64_t serial) {
    const int64_t days = serial - 25569 + 719468;  // days from 1 March of year 0
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153;
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1)};
}

// The date of a spreadsheet date serial: the file formats count 1900 as a leap year, so 1 is
// 1 January 1900 and 60 the 29 February 1900 that never was; from 61 on as CivilFromDays.
constexpr TCivilDate CivilFromSerial(int64_t serial) {
    if (serial == 60) return {1900, 2, 29};
    return CivilFromDays(serial < 60 ? serial + 1 : serial);
}

static_assert(DaysFromCivil(1970, 1, 1) == 25569 && DaysFromCivil(1899, 12, 30) == 0);
static_assert(CivilFromDays(61).Year == 1900 && CivilFromDays(61).Month == 3 && CivilFromDays(61).Day == 1);
static_assert(CivilFromDays(DaysFromCivil(2026, 12, 8)).Day == 8 && CivilFromDays(-1).Year == 1899);

}  // namespace base
