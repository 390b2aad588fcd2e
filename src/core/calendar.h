#pragma once
// Dates of the proleptic Gregorian calendar, and the time stamps the program writes:
// one arithmetic for the history, the dated folders and the schedule.
#include <optional>
#include <string_view>

namespace core {

// A local date and time to the minute.
struct DateTime {
    int year = 2000, month = 1, day = 1;  // month and day from 1
    int hour = 0, minute = 0;
    bool operator==(const DateTime&) const = default;
};

// Days since 1970-01-01, and the date of such a day.
long long days_from_civil(long long year, long long month, long long day);
DateTime civil_from_days(long long days);

int weekday_of(int year, int month, int day);  // 0 = Sunday
DateTime add_days(DateTime d, int days);       // the time of day kept

// "2026-12-07 21:00:05" as the history writes it (`time_separator` ':'), or
// "2026-12-07 21-00-05" as a dated folder is named ('-'): the seconds since 1970-01-01;
// nothing for any other text.
std::optional<long long> stamp_seconds(std::wstring_view text, wchar_t time_separator);
// The same seconds as a date and time, the seconds dropped.
DateTime date_time_of(long long seconds);

}  // namespace core
