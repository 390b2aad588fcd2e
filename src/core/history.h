#pragma once
// Reading the history of runs (Ostrevin-runs.log): what the next start tells, the
// main window's warning line, and the list of runs. A line is tab-separated: when,
// job file, outcome, detail, kept log ("-" for an empty part). A run writes a line as
// it starts and one as it ends, both naming its own log, so that a run the program did
// not outlive (killed, the computer switched off) is still on record.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/schedule.h"

namespace core {

inline constexpr std::wstring_view kBackupComplete = L"BACKUP COMPLETE";
// A start line without its end line: the run is still going, or never ended.
inline constexpr std::wstring_view kRunning = L"BACKUP RUNNING";
inline constexpr std::wstring_view kNeverEnded = L"BACKUP NEVER ENDED";

struct HistoryEntry {
    std::wstring when, job_file, outcome, detail, log;
    std::wstring run;        // the run's own log name, which pairs its start line with its end
    bool readable = false;   // false: a cut or junk line, whose text is in `detail`
    bool start = false;      // a run's start line: no outcome yet, and no log
    std::size_t number = 0;  // its place among the readable lines, from 1
    DateTime at;             // `when` to the minute, when readable
};

// A run's start line. Its outcome is empty, so an older version reads it as a cut line
// and passes over it; its log name stands where the kept log will.
std::wstring start_line(std::wstring_view when, std::wstring_view job_file, std::wstring_view run);

// Every line in file order, the unreadable ones too; never throws. An end line names
// the run's kept log, or only its log name when the run kept none.
std::vector<HistoryEntry> parse_history(std::wstring_view text);

// Whether the run of that log name is still going; none is when there is no such test.
using Running = std::function<bool(std::wstring_view run)>;
// The runs in file order, the unreadable lines too: a run that ended is its end line
// (its start line left out), one that did not is its start line, as going or never ended.
std::vector<HistoryEntry> history_runs(const std::vector<HistoryEntry>& history, const Running& running);

// "2026-12-06 07:00:05" read to the minute; nothing for anything else.
std::optional<DateTime> parse_stamp(std::wstring_view text);

// The note of what the start has told ("ToldRuns=" in the settings) names the last
// line told by its time and its number among the readable lines: "2026-12-07 21:00:05 #57".
// The history is in the order the lines were written; the time a line bears may not be.

// The readable runs after the lines the note covers, in file order (a run that ended at
// its end line). A note of an older version (a time alone) or whose number finds
// another line covers up to the last line of its time; one whose time no line bears,
// the lines up to its time.
std::vector<HistoryEntry> untold_runs(const std::vector<HistoryEntry>& history, std::wstring_view mark,
                                      const Running& running = nullptr);
// The note that covers every readable line; empty when there is none.
std::wstring told_mark(const std::vector<HistoryEntry>& history);

// The runs the next start tells: those after the note that did not complete, last
// written first, at most 10; `more` counts the rest, `mark` covers the history up to
// the start of the first run still going, or the whole of it (a history without
// readable lines leaves it as it was). A run going, and those after its start, wait.
struct ToTell {
    std::vector<HistoryEntry> runs;
    std::size_t more = 0;
    std::wstring mark;
};
ToTell runs_to_tell(const std::vector<HistoryEntry>& history, std::wstring_view mark, const Running& running = nullptr);
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
// ("Last complete backup 9 days ago"); empty when all is well or it never ran. A run
// still going does not count.
std::wstring warning_line(const std::vector<HistoryEntry>& history, std::wstring_view job_file, ScheduleKind kind,
                          const DateTime& now, const Running& running = nullptr);

}  // namespace core
