#include "jobs/job_edit.h"

#include <vector>

#include "core/job_rule.h"
#include "core/patterns.h"
#include "core/text.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace jobs {

bool accept_job(HWND owner, const JobDocument& document, int row, const core::JobFolders& job) {
    if (row == 0 && document.full()) {
        win::say(owner,
                 {win::Severity::Warning, L"JOB LIST FULL",
                  L"The job list already holds " + std::to_wstring(core::kMaxJobs) + L" jobs, the most it can hold." +
                      core::kTwoCr + L"Please delete a job before adding another."});
        return false;
    }
    std::vector<core::JobFolders> jobs = document.jobs();
    if (row > 0) jobs[static_cast<size_t>(row) - 1] = job;
    else jobs.push_back(job);
    const int self = row > 0 ? row : static_cast<int>(jobs.size());
    for (const auto& c : core::job_conflicts(jobs)) {
        if (c.job != self && c.other != self) continue;
        win::say(owner, {win::Severity::Error, L"INVALID JOB",
                         core::conflict_text(c, jobs, self) + core::kTwoCr +
                             L"Please choose another source or destination folder."});
        return false;
    }
    return true;
}

std::optional<std::vector<std::wstring>> read_patterns(HWND owner, const std::wstring& text) {
    std::vector<std::wstring> patterns = core::split_patterns(text);
    for (const auto& p : patterns) {
        auto fault = core::pattern_fault(p);
        // The job file keeps its rows in the ANSI code page.
        if (!fault && !win::representable(p, CP_ACP)) fault = L"has characters that the job file cannot hold";
        if (!fault) continue;
        win::say(owner, {win::Severity::Error, L"INVALID PATTERN",
                         L"The pattern " + core::quoted(p) + L" " + *fault + L"." + core::kTwoCr +
                             L"Please correct it in the Leave out box: patterns are separated by \";\", a folder's "
                             L"ends in \"\\\" (node_modules\\), and * and ? match within one name."});
        return std::nullopt;
    }
    return patterns;
}

void warn_conflicts(HWND owner, const JobDocument& document) {
    const std::wstring conflicts = core::conflicts_text(document.jobs());
    if (conflicts.empty()) return;
    win::say(owner, {win::Severity::Warning, L"JOBS IN CONFLICT",
                     conflicts + core::kTwoCr + L"The backups will not run until these jobs are changed or deleted."});
}

}  // namespace jobs
