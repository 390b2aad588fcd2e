#include "app/run_history.h"

#include <algorithm>

#include "app/module1.h"
#include "core/history.h"
#include "jobs/job_file.h"
#include "win/handles.h"
#include "win/local_time.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace app {
namespace {

constexpr size_t kKeptRunLogs = 30;
constexpr wchar_t kRunLogPrefix[] = L"Ostrevin-run-";

}  // namespace

int exit_code(run::Outcome::Kind kind) {
    using Kind = run::Outcome::Kind;
    switch (kind) {
        case Kind::Completed:
            return EXIT_COMPLETE;
        case Kind::Failed:
            return EXIT_FAILED;
        case Kind::NotFinished:
            return EXIT_NOT_FINISHED;
        case Kind::NotConfirmed:
            return EXIT_NOT_CONFIRMED;
        case Kind::Incomplete:
            return EXIT_INCOMPLETE;
        case Kind::Held:
            return EXIT_HELD;
        case Kind::NoJobs:
        case Kind::NotStarted:
            break;
    }
    return EXIT_NOT_STARTED;
}

std::wstring history_text(const HistoryLine& l) {
    const auto part = [](const std::wstring& s) { return s.empty() ? std::wstring(L"-") : s; };
    return part(l.when) + L"\t" + part(l.job_file) + L"\t" + part(l.outcome) + L"\t" + part(l.detail) + L"\t" +
           part(l.log);
}

std::wstring history_path() { return state().DataFolder + L"\\" + kRunHistoryName; }

win::Status add_history(const HistoryLine& line) {
    return win::append_text_file(history_path(), history_text(line) + L"\r\n", CP_UTF8);
}

win::Status add_run_start(const std::wstring& job_file, const std::wstring& run) {
    return win::append_text_file(history_path(), core::start_line(win::local_stamp(), job_file, run) + L"\r\n",
                                 CP_UTF8);
}

std::wstring history_log(const std::wstring& log_copy, const std::wstring& run) {
    // A log left in the temp folder (its copy failed) is named by the run's log name instead.
    return run.empty() || log_copy.ends_with(L"\\" + run) ? log_copy : run;
}

namespace {
std::wstring going_name(std::wstring_view run) { return L"Local\\Ostrevin.Run." + std::wstring(run); }
}  // namespace

win::Handle mark_going(const std::wstring& run) {
    return win::Handle(CreateEventW(nullptr, TRUE, FALSE, going_name(run).c_str()));
}

bool run_going(std::wstring_view run) {
    return static_cast<bool>(win::Handle(OpenEventW(SYNCHRONIZE, FALSE, going_name(run).c_str())));
}

std::wstring run_log_name(const std::wstring& folder) {
    // Two runs within the same millisecond still keep a log each.
    const std::wstring stamp = kRunLogPrefix + win::local_stamp(true);
    std::wstring name = stamp + L".log";
    for (int n = 2; GetFileAttributesW((folder + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        name = stamp + L"-" + std::to_wstring(n) + L".log";
    return name;
}

void prune_run_logs(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    win::FindHandle list(FindFirstFileW((folder + L"\\" + kRunLogPrefix + L"*.log").c_str(), &found));
    if (!list) return;
    do names.push_back(found.cFileName);
    while (FindNextFileW(list.get(), &found));
    std::sort(names.begin(), names.end());  // the date and time in the name sort as they happened
    for (size_t i = 0; i + kKeptRunLogs < names.size(); ++i) DeleteFileW((folder + L"\\" + names[i]).c_str());
}

std::wstring outcome_detail(const run::Outcome& outcome, const std::vector<std::wstring>& declined_purges) {
    std::wstring detail;
    if (!outcome.failed.empty()) {
        detail = L"jobs";
        for (int n : outcome.failed) detail += L" " + std::to_wstring(n);
    }
    // A complete run that could not write its Program Files list says so too.
    if (outcome.kind != run::Outcome::Kind::Completed || !outcome.list_saved)
        add_part(detail, L": ", one_line(outcome.text));  // which ends with what was kept
    else if (!outcome.set_aside.empty())
        add_part(detail, L" ", outcome.set_aside);
    for (const auto& question : declined_purges) add_part(detail, L" ", L"Answered No: " + one_line(question));
    return detail;
}

void add_part(std::wstring& line, const wchar_t* separator, const std::wstring& part) {
    line += (line.empty() ? L"" : separator) + part;
}

std::wstring one_line(std::wstring text) {
    for (size_t p; (p = text.find(L"\r\r")) != std::wstring::npos;) text.replace(p, 2, L" ");
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    return text;
}

std::optional<std::vector<core::JobFolders>> read_jobs(const std::wstring& name, std::wstring& why) {
    const std::wstring path = state().JobFolder + L"\\" + name;
    const auto read = jobs::read_job_file(path);
    if (!read) {
        why = win::Failure{L"job file", path, L"read", read.code()}.text() + L".";
        return std::nullopt;
    }
    if (read->binary || !read->bad_lines.empty())
        why = L"The job file " + core::quoted(path) + L" is not a job list (line " +
              std::to_wstring(read->binary ? 1 : read->bad_lines.front()) + L" is not a job).";
    else if (read->left_out > 0)
        why =
            L"The job file " + core::quoted(path) + L" holds more than " + std::to_wstring(core::kMaxJobs) + L" jobs.";
    if (!why.empty()) return std::nullopt;
    return read->jobs;
}

}  // namespace app
