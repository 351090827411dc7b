#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace instrument {

// A wall-clock date and time as the instrument keeps it: no time zone, whole seconds.
struct TDateTime {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    bool operator==(const TDateTime&) const = default;
};

// The instrument stores the year as one byte counted from 2000.
constexpr int FirstYear = 2000;
constexpr int LastYear = 2255;

// A real calendar date and time of day within the instrument's years.
bool IsValidDateTime(const TDateTime& value);

// Seconds since 1970-01-01 00:00:00 of the wall clock, ignoring time zones; any date.
int64_t CivilSeconds(const TDateTime& value);
TDateTime FromCivilSeconds(int64_t seconds);

// The host's clock; tests put a fixed one in its place.
using THostClock = std::function<std::chrono::system_clock::time_point()>;

// The host's local wall-clock time at that moment, as civil seconds.
int64_t HostLocalSeconds(std::chrono::system_clock::time_point moment);

}  // namespace instrument
