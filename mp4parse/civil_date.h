#pragma once
// Calendar dates and days since 1970-01-01 (proleptic Gregorian), both ways. Header only, so the
// sample generator and the CLI use the same arithmetic as the telemetry code.
#include <chrono>
#include <cstdint>

namespace korvane {

struct CivilDate {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
};

// Days from 1970-01-01 to the date; a day past the month's end runs on into the next month.
inline std::int64_t DaysFromCivil(int year, int month, int day)
{
    using namespace std::chrono;
    const sys_days first = year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{1}};
    return first.time_since_epoch().count() + (day - 1);
}

inline CivilDate CivilFromDays(std::int64_t days)
{
    using namespace std::chrono;
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

// Days since 1970-01-01 of a second count, rounding towards the past.
inline std::int64_t DayOfSeconds(std::int64_t seconds)
{
    return seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
}

} // namespace korvane
