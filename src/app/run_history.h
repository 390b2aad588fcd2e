#pragma once
// The record of unattended runs: the history beside the settings (a line a run),
// each run's kept log, the exit codes, and reading a job file with no one to ask.
#include <optional>
#include <string>
#include <vector>

#include "core/jobrow.h"
#include "run/backup_run.h"
#include "win/handles.h"
#include "win/result.h"

namespace app {

// The exit codes of an unattended run.
enum RunExit : int {
    EXIT_COMPLETE,
    EXIT_FAILED,
    EXIT_NOT_FINISHED,
    EXIT_NOT_STARTED,
    EXIT_NOT_CONFIRMED,
    EXIT_BAD_INPUT,
    EXIT_INCOMPLETE,
    EXIT_HELD
};

inline constexpr wchar_t kRunHistoryName[] = L"Ostrevin-runs.log";

int exit_code(run::Outcome::Kind kind);

// A line of the history: when, the job file, the outcome's title, what went wrong, the kept log.
struct HistoryLine {
    std::wstring when, job_file, outcome, detail, log;
};
std::wstring history_text(const HistoryLine& line);
// The history beside the settings, and appending one line to it.
std::wstring history_path();
win::Status add_history(const HistoryLine& line);
// The line a run writes as it starts, before it changes anything; `run` is its log name.
win::Status add_run_start(const std::wstring& job_file, const std::wstring& run);
// The log its end line names: the kept log, or the log name alone when the run kept
// none there, which still pairs the end line with its start.
std::wstring history_log(const std::wstring& log_copy, const std::wstring& run);
// Held while the run of that log name goes (the system drops it with the process), so
// that no start tells it as never ended meanwhile.
win::Handle mark_going(const std::wstring& run);
bool run_going(std::wstring_view run);

// A name of its own for each unattended run's log; the oldest go once there are
// more than 30, so a nightly schedule does not fill the folder.
std::wstring run_log_name(const std::wstring& folder);
void prune_run_logs(const std::wstring& folder);

// The detail of a run's history line: the jobs that failed and why (also for a
// complete run that could not write its Program Files list), and the questions answered No.
std::wstring outcome_detail(const run::Outcome& outcome, const std::vector<std::wstring>& declined_purges);

// Adds a part to a line, after `separator` when the line has something already.
void add_part(std::wstring& line, const wchar_t* separator, const std::wstring& part);
// Message text on one line: its paragraphs joined.
std::wstring one_line(std::wstring text);

// The job file's jobs in the job folder, or in `why` the reason they cannot be run.
std::optional<std::vector<core::JobFolders>> read_jobs(const std::wstring& name, std::wstring& why);

}  // namespace app
