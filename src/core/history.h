#pragma once
// Reading the history of runs (Ostrevin-runs.log): what the next start tells, the
// main window's warning line, and the list of runs. A line is tab-separated: when,
// job file, outcome, detail, kept log ("-" for an empty part).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/schedule.h"

namespace core {

inline constexpr std::wstring_view kBackupComplete = L"BACKUP COMPLETE";

struct HistoryEntry {
    std::wstring when, job_file, outcome, detail, log;
    bool readable = false;  // false: a cut or junk line, whose text is in `detail`
    DateTime at;            // `when` to the minute, when readable
};

// Every line in file order, the unreadable ones too; never throws.
std::vector<HistoryEntry> parse_history(std::wstring_view text);

// "2026-12-06 07:00:05" read to the minute; nothing for anything else.
std::optional<DateTime> parse_stamp(std::wstring_view text);

// The note of what the start has told ("ToldRuns=" in the settings) names the last
// run told by its time and its number among the readable runs: "2026-12-07 21:00:05 #57".
// The history is in the order the runs ended; the time a line bears may not be.

// The readable runs after those the note covers, in file order. A note of an older
// version (a time alone) or whose number finds another run covers up to the last run
// of its time; one whose time no run bears, the runs up to its time.
std::vector<HistoryEntry> untold_runs(const std::vector<HistoryEntry>& history, std::wstring_view mark);
// The note that covers every readable run; empty when there is none.
std::wstring told_mark(const std::vector<HistoryEntry>& history);

// The runs the next start tells: those after the note that did not complete, last
// written first, at most 10; `more` counts the rest, `mark` covers the whole history
// (a history without readable runs leaves it as it was).
struct ToTell {
    std::vector<HistoryEntry> runs;
    std::size_t more = 0;
    std::wstring mark;
};
ToTell runs_to_tell(const std::vector<HistoryEntry>& history, std::wstring_view mark);
// The message that tells them.
std::wstring told_text(const ToTell& tell);

// The first reason of a run's detail, short enough for a message line.
std::wstring first_reason(std::wstring_view detail);

// How old, in days, the last complete backup may grow: twice the schedule's
// interval (a logon schedule: 7 days), 30 days without a schedule.
int overdue_days(ScheduleKind kind);
// Whole minutes from `from` to `to` (negative when `to` is earlier).
long long minutes_between(const DateTime& from, const DateTime& to);

// The main window's warning for a job file: its last run written did not complete
// ("Last run FAILED on 2026-12-06 07:00"), or its last complete backup is overdue
// ("Last complete backup 9 days ago"); empty when all is well or it never ran.
std::wstring warning_line(const std::vector<HistoryEntry>& history, std::wstring_view job_file, ScheduleKind kind,
                          const DateTime& now);

}  // namespace core
