#include "jobs/job_edit.h"

#include <vector>

#include "core/job_rule.h"
#include "core/text.h"
#include "win/prompt.h"

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

void warn_conflicts(HWND owner, const JobDocument& document) {
    const std::wstring conflicts = core::conflicts_text(document.jobs());
    if (conflicts.empty()) return;
    win::say(owner, {win::Severity::Warning, L"JOBS IN CONFLICT",
                     conflicts + core::kTwoCr + L"The backups will not run until these jobs are changed or deleted."});
}

}  // namespace jobs
