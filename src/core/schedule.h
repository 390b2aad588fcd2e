#pragma once
// When a job file runs by itself: the schedule the user chose, its text in the
// settings file, the Task Scheduler task that carries it out, and its next run.
#include <optional>
#include <string>
#include <string_view>

#include "core/calendar.h"

namespace core {

enum class ScheduleKind { Off, Daily, Weekly, AtLogon };

struct Schedule {
    ScheduleKind kind = ScheduleKind::Off;
    int weekday = 0;  // 0 = Sunday .. 6 = Saturday; Weekly only
    int hour = 0, minute = 0;
    bool operator==(const Schedule&) const = default;
};

std::wstring_view weekday_name(int weekday);   // "Sun" .. "Sat"
std::wstring_view day_name(int weekday);       // "Sunday" .. "Saturday"

// "Off", "Daily 06:30", "Weekly Mon 21:00", "Logon".
std::wstring schedule_text(const Schedule& s);
// Exactly the forms above; anything else is no schedule.
std::optional<Schedule> parse_schedule(std::wstring_view text);

// "Ostrevin - Weekly.ojf"
std::wstring task_name(std::wstring_view job_file);

struct TaskTarget {
    std::wstring program;   // full path of Ostrevin.exe
    std::wstring job_file;  // name only: the program finds it in its job folder
    std::wstring folder;    // where the program starts, beside its settings
    std::wstring user;      // DOMAIN\name, whose logon starts an AtLogon task
};

// The task's XML for `schtasks /create /xml`. A clock schedule starts counting at
// `now` (its date, the schedule's time); an Off schedule has no task.
std::wstring task_xml(const Schedule& s, const TaskTarget& target, const DateTime& now);

// The first run strictly after `now`; none for Off and AtLogon (whose run waits for a logon).
std::optional<DateTime> next_run(const Schedule& s, const DateTime& now);

}  // namespace core
