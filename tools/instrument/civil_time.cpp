#include "tools/instrument/civil_time.h"

#include <ctime>

namespace instrument {
namespace {

using namespace std::chrono;

constexpr int64_t SecondsPerDay = 86400;

}  // namespace

bool IsValidDateTime(const TDateTime& value) {
    if (value.Year < FirstYear || value.Year > LastYear) return false;
    if (value.Month < 1 || value.Month > 12 || value.Day < 1 || value.Day > 31) return false;
    const year_month_day date{year{value.Year}, month{static_cast<unsigned>(value.Month)},
                              day{static_cast<unsigned>(value.Day)}};
    return date.ok() && value.Hour >= 0 && value.Hour <= 23 && value.Minute >= 0 && value.Minute <= 59 &&
           value.Second >= 0 && value.Second <= 59;
}

int64_t CivilSeconds(const TDateTime& value) {
    const sys_days date{year{value.Year} / month{static_cast<unsigned>(value.Month)} /
                        day{static_cast<unsigned>(value.Day)}};
    return int64_t{date.time_since_epoch().count()} * SecondsPerDay + value.Hour * 3600 + value.Minute * 60 +
           value.Second;
}

TDateTime FromCivilSeconds(int64_t seconds) {
    int64_t days = seconds / SecondsPerDay;
    int64_t rest = seconds % SecondsPerDay;
    if (rest < 0) {
        rest += SecondsPerDay;
        --days;
    }
    const year_month_day date{sys_days{std::chrono::days{days}}};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

int64_t HostLocalSeconds(system_clock::time_point moment) {
    const std::time_t t = system_clock::to_time_t(moment);
    std::tm local{};
    localtime_r(&t, &local);
    return CivilSeconds(
        {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace instrument
