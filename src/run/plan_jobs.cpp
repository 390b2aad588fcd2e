// Before the copy: the one walk of each job (run/versions.h), which plans the moves
// aside and counts what its purge would remove, so that the run can ask before a
// backup is emptied.
#include "core/batch_script.h"
#include "core/purge_check.h"
#include "core/text.h"
#include "run/backup_run.h"
#include "run/versions.h"

namespace run {

namespace {

std::wstring counted(unsigned long long n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

}  // namespace

std::optional<Outcome> BackupRun::planJobs(const std::vector<std::wstring>& file_systems) {
    plans_.clear();
    refused_.assign(jobs_.size(), L"");
    for (size_t i = 0; i < jobs_.size(); ++i) {
        hooks_.progress(core::RunProgress{},
                        L"Checking job " + std::to_wstring(i + 1) + L" of " + std::to_wstring(jobs_.size()));
        plans_.push_back(
            plan_aside(*core::job_copy(jobs_[i]), options_.purge, core::keeps_fat_times(file_systems[i]), hooks_.stop));
        if (plans_.back().stopped)
            return notStarted(L"The backup was stopped while its jobs were being checked; nothing has been copied." +
                              core::kTwoCr + L"Please run the backups again.");
        refuseUnlisted(i);
    }
    return std::nullopt;
}

// A folder that cannot be listed would hide what the copy replaces or removes there.
void BackupRun::refuseUnlisted(size_t job) {
    const AsidePlan& plan = plans_[job];
    if (plan.unlisted.empty()) return;
    refused_[job] = win::Failure{L"folder", plan.unlisted, L"listed", plan.unlisted_error}.text() +
                    L". Nothing of this job was copied, so nothing was overwritten or removed.";
    plans_[job] = AsidePlan{};
}

std::optional<Outcome> BackupRun::checkPurges() {
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (!refused_[i].empty()) continue;
        const std::wstring n = std::to_wstring(i + 1);
        const core::JobCopy c = *core::job_copy(jobs_[i]);
        const core::FileCounts &files = plans_[i].file_counts, &dirs = plans_[i].dir_counts;
        // A source that cannot be listed counts nothing: the copy fails, and the run's verdict judges it.
        if (!core::purge_needs_question(files, dirs)) continue;
        std::wstring removed = counted(files.extras, L"file", L"files");
        if (dirs.extras > 0) removed += L" and " + counted(dirs.extras, L"folder", L"folders") + L" with all they hold";
        // The line under the question names the job it is about.
        hooks_.progress(core::RunProgress{}, L"Checking job " + n + L" of " + std::to_wstring(jobs_.size()));
        if (auto refused = askAbout(
                i, L"Files Would Be Removed",
                L"Job " + n + L" would remove " + removed + L" from " + core::quoted(c.target) +
                    L", while its source " + core::quoted(c.source) + L" holds " +
                    counted(files.total, L"file", L"files") + L" now." + core::kTwoCr +
                    (options_.keep_versions
                         ? L"Removed files will be kept in " +
                               core::quoted(dated_folder(jobs_[i].destination, dated_name_)) + L"." + core::kTwoCr
                         : L"") +
                    L"Do you want to remove them? No backs this job up without removing anything this time; "
                    L"Cancel starts no backup.",
                L"removed", purge_declined_))
            return refused;
    }
    return std::nullopt;
}

}  // namespace run
