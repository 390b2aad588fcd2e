#include "jobs/job_edit.h"

#include <vector>

#include "app/module1.h"
#include "core/job_rule.h"
#include "win/prompt.h"

namespace jobs {

bool accept_job(HWND owner, const JobList& list, int row, const core::JobFolders& job) {
    const app::Module1& m = app::state();
    if (row == 0 && list.full()) {
        win::ask(owner, L"JOB LIST FULL",
                 L"The job list already holds " + std::to_wstring(core::kMaxJobs) + L" jobs, the most it can hold." +
                     m.TwoCr + L"Please delete a job before adding another.",
                 MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    std::vector<core::JobFolders> jobs = list.jobs();
    if (row > 0) jobs[static_cast<size_t>(row) - 1] = job;
    else jobs.push_back(job);
    const int self = row > 0 ? row : static_cast<int>(jobs.size());
    for (const auto& c : core::job_conflicts(jobs)) {
        if (c.job != self && c.other != self) continue;
        win::ask(owner, L"INVALID JOB",
                 core::conflict_text(c, jobs, self) + m.TwoCr + L"Please choose another source or destination folder.",
                 MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

void warn_conflicts(HWND owner, const JobList& list) {
    const std::wstring conflicts = core::conflicts_text(list.jobs());
    if (conflicts.empty()) return;
    win::ask(owner, L"JOBS IN CONFLICT",
             conflicts + app::state().TwoCr + L"The backups will not run until these jobs are changed or deleted.",
             MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace jobs
