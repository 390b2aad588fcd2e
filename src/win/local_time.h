#pragma once
// The clock and the calendar in the user's own formats: the one place that asks
// the system for the time or formats a date.
#include <cstdint>
#include <string>

#include "core/schedule.h"

namespace win {

// Now, local time, to the minute.
core::DateTime local_now();
// Now, local time: "2026-12-07 21:00:05", or to the millisecond for a file name: "20261207-210005.042".
std::wstring local_stamp(bool for_file_name = false);
// A file's time (FILETIME ticks) as local time, as local_stamp writes it; empty when out of range.
std::wstring local_stamp_of(std::uint64_t file_time);
// The user's short date ("07/12/2026") of `at`, or of today; empty when the system cannot say.
std::wstring short_date(const core::DateTime* at = nullptr);
// The user's time without seconds ("21:00"); empty when the system cannot say.
std::wstring short_time(const core::DateTime& at);

}  // namespace win
