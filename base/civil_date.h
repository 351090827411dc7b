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

static_assert(DaysFromCivil(1970, 1, 1) == 25569 && DaysFromCivil(1899, 12, 30) == 0);

}  // namespace base
