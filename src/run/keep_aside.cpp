// Before the script starts: each job's old copies that its copy would replace or
// remove go aside into the run's dated folder; after a complete run, old dated folders go.
#include <algorithm>
#include <map>

#include "core/batch_script.h"
#include "core/text.h"
#include "core/versions.h"
#include "run/backup_run.h"
#include "run/versions.h"

namespace run {

void BackupRun::keepAside(const std::vector<std::wstring>& file_systems) {
    refused_.assign(jobs_.size(), L"");
    std::map<std::wstring, std::uint64_t> to_copy;  // by destination
    for (size_t i = 0; i < jobs_.size(); ++i) {
        // A job answered No runs without its purge: what it would have removed stays put.
        if (std::find(kept_extras_.begin(), kept_extras_.end(), static_cast<int>(i) + 1) != kept_extras_.end())
            plans_[i] = plan_aside(*core::job_copy(jobs_[i]), false, core::keeps_fat_times(file_systems[i]));
        to_copy[jobs_[i].destination] += plans_[i].to_copy;
    }
    for (const auto& [destination, bytes] : to_copy) make_room(destination, dated_name_, bytes);
    std::map<std::wstring, unsigned long long> kept;  // files by dated folder, in the order of the jobs
    std::vector<std::wstring> order;
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (plans_[i].moves.empty()) continue;
        const std::wstring& destination = jobs_[i].destination;
        if (auto failed = move_aside(*core::job_copy(jobs_[i]), plans_[i], destination, dated_name_)) {
            refused_[i] = failed->text() + L". Nothing of this job was copied, so nothing was overwritten.";
            continue;
        }
        const std::wstring folder = dated_folder(destination, dated_name_);
        if (!kept.contains(folder)) order.push_back(folder);
        kept[folder] += plans_[i].files;
    }
    for (const std::wstring& folder : order) {
        const unsigned long long n = kept[folder];
        kept_ += (kept_.empty() ? L"" : L" ") + (L"Kept " + std::to_wstring(n)) + (n == 1 ? L" file" : L" files") +
                 L" that this run replaced or removed in " + core::quoted(folder) + L".";
    }
}

std::optional<Outcome> BackupRun::checkOverwrites() {
    for (size_t i = 0; i < jobs_.size(); ++i) {
        const core::JobCopy c = *core::job_copy(jobs_[i]);
        const AsidePlan& plan = plans_[i];
        if (!core::overwrite_needs_question(plan.replaced, plan.held)) continue;
        if (auto refused = askAbout(
                i, L"Files Would Be Replaced",
                L"Job " + std::to_wstring(i + 1) + L" would replace " + std::to_wstring(plan.replaced) + L" of the " +
                    std::to_wstring(plan.held) + L" files in " + core::quoted(c.target) + L" with the copies in " +
                    core::quoted(c.source) + L", and \"Keep Replaced & Removed Files\" is not ticked." + core::kTwoCr +
                    L"Do you want to replace them? No copies only new files for this job this "
                    L"time; Cancel starts no backup.",
                L"replaced", only_new_))
            return refused;
    }
    return std::nullopt;
}

std::optional<Outcome> BackupRun::askAbout(size_t job, const std::wstring& title, const std::wstring& text,
                                           const wchar_t* done, std::vector<int>& declined) {
    const int answer = hooks_.ask(title, text);
    if (answer == IDCANCEL)
        return notStarted(std::wstring(L"The backup was cancelled before anything was copied or ") + done + L"." +
                          core::kTwoCr + L"Please check the job's source, then run the backups again.");
    if (answer != IDYES) declined.push_back(static_cast<int>(job) + 1);
    return std::nullopt;
}

void BackupRun::pruneVersions() const {
    std::vector<std::wstring> done;
    for (const auto& job : jobs_) {
        if (std::find(done.begin(), done.end(), job.destination) != done.end()) continue;
        done.push_back(job.destination);
        prune_versions(job.destination, dated_name_);
    }
}

}  // namespace run
