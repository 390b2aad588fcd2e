// Before the script starts: each job's old copies that its copy would replace or
// remove go aside into the run's dated folder; after a complete run, old dated folders go.
#include <algorithm>
#include <map>

#include "core/batch_script.h"
#include "core/restore.h"
#include "core/text.h"
#include "core/versions.h"
#include "run/backup_run.h"
#include "run/versions.h"
#include "win/textfile.h"

namespace run {

std::optional<Outcome> BackupRun::keepAside(const std::vector<std::wstring>& file_systems) {
    std::map<std::wstring, std::uint64_t> to_copy;  // by destination
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (!refused_[i].empty()) continue;
        // A job answered No runs without its purge: what it would have removed stays put.
        if (std::find(purge_declined_.begin(), purge_declined_.end(), static_cast<int>(i) + 1) != purge_declined_.end()) {
            plans_[i] = plan_aside(*core::job_copy(jobs_[i]), false, core::keeps_fat_times(file_systems[i]));
            refuseUnlisted(i);
        }
        to_copy[jobs_[i].destination] += plans_[i].to_copy;
    }
    for (const auto& [destination, bytes] : to_copy) {
        // Where files looked damaged, every old copy stays: a copy short of room fails instead.
        if (leavesVersions(destination)) continue;
        const auto no_room = make_room(destination, dated_name_, bytes);
        if (!no_room) continue;
        // A copy that cannot fit would fail half-way; the jobs that write there do not start.
        for (size_t i = 0; i < jobs_.size(); ++i)
            if (jobs_[i].destination == destination && refused_[i].empty() && plans_[i].to_copy > 0) {
                refused_[i] = *no_room;
                plans_[i] = AsidePlan{};
            }
    }
    moved_aside_ = true;
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (plans_[i].moves.empty()) continue;
        bool stopped = false;
        if (auto failed = move_aside(*core::job_copy(jobs_[i]), plans_[i], jobs_[i].destination, dated_name_,
                                     hooks_.stop, &stopped))
            refused_[i] = failed->text() + L". Nothing of this job was copied, so nothing was overwritten.";
        // Stopped: the script never starts, so everything moved goes back (putBackUncopied).
        if (stopped)
            return notStarted(L"The backup was stopped while old copies were being set aside; they are back in "
                              L"the backups, and nothing has been copied." +
                              core::kTwoCr + L"Please run the backups again.");
    }
    recordAdded();
    spareTrusted();
    return std::nullopt;
}

// The dated folder that took the good copies of files that looked damaged, which the user
// let the copy replace, is marked so that pruning passes it over.
void BackupRun::spareTrusted() {
    std::map<std::wstring, std::vector<std::wstring>> names;  // by destination
    for (int n : trusted_) {
        const size_t i = static_cast<size_t>(n) - 1;
        if (refused_[i].empty() && !plans_[i].moves.empty())
            names[jobs_[i].destination].push_back(core::job_copy(jobs_[i])->target_name);
    }
    for (const auto& [destination, spared] : names)
        if (const auto failed = spare_dated_folder(destination, dated_name_, spared))
            unrecorded_ += (unrecorded_.empty() ? L"" : L" ") + failed->text() +
                           L"; a later run may prune the good copies of the files that looked damaged.";
}

// What each destination's jobs will add, in the run's dated folder there: a later restore
// knows from it that those files were not in the backup before this run.
void BackupRun::recordAdded() {
    std::map<std::wstring, std::vector<std::wstring>> added;  // by destination
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (!refused_[i].empty()) continue;
        const std::wstring name = core::job_copy(jobs_[i])->target_name;
        for (const std::wstring& path : plans_[i].added) added[jobs_[i].destination].push_back(name + L"\\" + path);
    }
    for (const auto& [destination, lines] : added) {
        if (lines.empty()) continue;
        const std::wstring record = dated_folder(destination, dated_name_) + L"\\" + core::kAddedRecord;
        std::wstring why;
        if (const auto failed = make_dated_folder(destination, dated_name_)) why = failed->text();
        else if (const win::Status w = win::write_text_file(record, core::join_lines(lines), CP_UTF8); !w)
            why = win::Failure{L"record of the files this run added", record, L"written", w.code()}.text();
        if (!why.empty())
            unrecorded_ += (unrecorded_.empty() ? L"" : L" ") + why +
                           L"; restoring as of an earlier run may bring those files back.";
    }
}

// After the script: an old copy whose new one did not come (a locked file, a stop, a
// failure) goes back into the backup, where it was; a dated folder never holds the
// only copy of a file the backup still stands for. A refused job, or any job of a run
// whose script never started, gets back all it moved: no copy replaced or purged any of it.
void BackupRun::putBackUncopied() {
    if (!moved_aside_ || script_left_running_) return;  // a copier left running may still write there
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (plans_[i].moves.empty()) continue;
        const bool refused = !refused_[i].empty() || !script_started_;
        const core::JobCopy copy = *core::job_copy(jobs_[i]);
        const PutBack done = put_back(copy, refused ? plans_[i].moves : plans_[i].replacing,
                                      refused ? std::vector<core::FileTimes>{} : plans_[i].planned, plans_[i].fat,
                                      jobs_[i].destination, dated_name_);
        plans_[i].files = refused ? 0 : plans_[i].files - std::min(done.back, plans_[i].files);
        if (done.stuck.empty()) continue;
        // Said, so that nobody takes the backup for whole, and the copies are found before pruning.
        constexpr size_t kNamed = 10;
        not_put_back_ += (not_put_back_.empty() ? L"" : L"\r") + std::wstring(L"Job ") + std::to_wstring(i + 1) +
                         L": " + std::to_wstring(done.stuck.size()) +
                         (done.stuck.size() == 1 ? L" old copy" : L" old copies") +
                         L" could not go back into the backup and " + (done.stuck.size() == 1 ? L"is" : L"are") +
                         L" kept in " + core::quoted(dated_folder(jobs_[i].destination, dated_name_) + L"\\" +
                                                     copy.target_name) +
                         L":";
        for (size_t n = 0; n < done.stuck.size() && n < kNamed; ++n) not_put_back_ += L"\r    " + done.stuck[n];
        if (done.stuck.size() > kNamed)
            not_put_back_ += L"\r    ... and " + std::to_wstring(done.stuck.size() - kNamed) + L" more";
    }
}

// "Kept N files that this run replaced or removed in <dated folder>.", one per dated folder.
std::wstring BackupRun::keptText() const {
    if (!moved_aside_) return {};
    std::map<std::wstring, unsigned long long> kept;  // files by dated folder, in the order of the jobs
    std::vector<std::wstring> order;
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (plans_[i].files == 0) continue;
        const std::wstring folder = dated_folder(jobs_[i].destination, dated_name_);
        if (!kept.contains(folder)) order.push_back(folder);
        kept[folder] += plans_[i].files;
    }
    std::wstring text;
    for (const std::wstring& folder : order) {
        const unsigned long long n = kept[folder];
        text += (text.empty() ? L"" : L" ") + (L"Kept " + std::to_wstring(n)) + (n == 1 ? L" file" : L" files") +
                L" that this run replaced or removed in " + core::quoted(folder) + L".";
    }
    return text;
}

std::optional<Outcome> BackupRun::checkOverwrites() {
    for (size_t i = 0; i < jobs_.size(); ++i) {
        if (!refused_[i].empty()) continue;
        const core::JobCopy c = *core::job_copy(jobs_[i]);
        const AsidePlan& plan = plans_[i];
        const unsigned long long replaced = plan.replacing.size();
        if (!core::overwrite_needs_question(replaced, plan.held)) continue;
        if (auto refused = askAbout(i, L"Files Would Be Replaced",
                                    L"Job " + std::to_wstring(i + 1) + L" would replace " + std::to_wstring(replaced) +
                                        L" of the " + std::to_wstring(plan.held) + L" files in " +
                                        core::quoted(c.target) + L" with the copies in " + core::quoted(c.source) +
                                        L", and \"Keep Replaced & Removed Files\" is not ticked." + core::kTwoCr +
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
    std::map<std::wstring, std::vector<std::wstring>> clean;  // by destination: jobs done without a hold
    for (size_t i = 0; i < jobs_.size(); ++i) {
        std::vector<std::wstring>& names = clean[jobs_[i].destination];
        const int n = static_cast<int>(i) + 1;
        if (std::ranges::count(held_, n) == 0 && std::ranges::count(trusted_, n) == 0)
            names.push_back(core::job_copy(jobs_[i])->target_name);
    }
    for (const auto& [destination, names] : clean) {
        if (!names.empty()) release_spared(destination, names);
        if (!leavesVersions(destination)) prune_versions(destination, dated_name_);
    }
}

}  // namespace run
