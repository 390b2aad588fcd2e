// Before anything is copied: a job whose source's files look like noise beside their
// backup copies (core/damage.h) is held, unless the user says the changes are theirs.
#include <algorithm>

#include "core/batch_script.h"
#include "core/damage.h"
#include "core/text.h"
#include "run/backup_run.h"
#include "run/versions.h"
#include "win/handles.h"

namespace run {
namespace {

constexpr size_t kNamed = 5;

// The first bytes of a file; nothing when it cannot be read, and then it is not judged.
std::optional<std::string> head_of(const std::wstring& path) {
    const win::Handle file(CreateFileW(exact_path(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::nullopt;
    std::string bytes(core::kHeadBytes, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return std::nullopt;
    bytes.resize(read);
    return bytes;
}

}  // namespace

bool look_for_damage = true;

BackupRun::Damage BackupRun::damageOf(size_t job) const {
    const core::JobCopy c = *core::job_copy(jobs_[job]);
    const AsidePlan& plan = plans_[job];
    Damage d;
    for (size_t i : core::sample_indices(plan.replacing.size())) {
        const std::wstring& path = plan.replacing[i];
        const auto now = head_of(core::join_path(c.source, path));
        const auto was = now ? head_of(core::join_path(c.target, path)) : std::nullopt;
        if (!was) continue;
        ++d.looked_at;
        if (core::looks_damaged(path, *was, *now)) d.names.push_back(path);
    }
    const core::Renamed renamed = core::renamed_to_one_extension(plan.gone, plan.added);
    if (!renamed.names.empty()) {
        d.looked_at += plan.gone.size();
        d.names.insert(d.names.end(), renamed.names.begin(), renamed.names.end());
        d.renamed_to = renamed.extension;
    }
    return d;
}

std::optional<Outcome> BackupRun::checkDamage() {
    damage_.assign(jobs_.size(), Damage{});
    for (size_t i = 0; i < jobs_.size() && look_for_damage; ++i) {
        if (!refused_[i].empty()) continue;
        Damage d = damageOf(i);
        if (!core::damage_holds(d.names.size(), d.looked_at)) continue;
        const core::JobCopy c = *core::job_copy(jobs_[i]);
        damage_[i] = std::move(d);
        const std::wstring n = std::to_wstring(i + 1);
        hooks_.progress(core::RunProgress{}, L"Checking job " + n + L" of " + std::to_wstring(jobs_.size()));
        std::vector<int> held;
        if (auto refused = askAbout(
                i, L"Files Look Damaged",
                L"Job " + n + L" would replace files in " + core::quoted(c.target) + L" with copies from " +
                    core::quoted(c.source) + L" that look damaged; the backup still holds their good copies. " +
                    damagedText(i) + core::kTwoCr +
                    L"Do you want to back these files up anyway? No leaves this job out of this run; Cancel "
                    L"starts no backup.",
                L"replaced", held))
            return refused;
        if (held.empty()) {
            trusted_.push_back(static_cast<int>(i) + 1);
            continue;
        }
        held_.push_back(static_cast<int>(i) + 1);
        plans_[i] = AsidePlan{};  // nothing of it is copied, moved or recorded
    }
    return std::nullopt;
}

// "16 of the 40 files looked at lost their format or turned to random bytes:" and the first five.
std::wstring BackupRun::damagedText(size_t job, const wchar_t* indent) const {
    const Damage& d = damage_[job];
    std::wstring text = std::to_wstring(d.names.size()) + L" of the " + std::to_wstring(d.looked_at) +
                        L" files looked at lost their format or turned to random bytes" +
                        (d.renamed_to.empty() ? L"" : L", or were renamed to \"." + d.renamed_to + L"\"") + L":";
    for (size_t k = 0; k < d.names.size() && k < kNamed; ++k) text += indent + d.names[k];
    if (d.names.size() > kNamed) text += indent + (L"... and " + std::to_wstring(d.names.size() - kNamed)) + L" more";
    return text;
}

// The run's message: the jobs held, why, and what to do.
std::wstring BackupRun::heldText() const {
    std::wstring text = held_.size() == 1 ? L"This job was left out of the run, as its files look damaged:"
                                          : L"These jobs were left out of the run, as their files look damaged:";
    for (int n : held_) text += rows({n}) + L"\r    " + damagedText(static_cast<size_t>(n) - 1, L"\r        ");
    return text + core::kTwoCr +
           L"Their backups still hold the good copies. Please check those files in the source; when the changes are "
           L"yours, run the backups again and answer Yes.";
}

// With Yes and Keep: where the good copies are, and for how long they are spared.
std::wstring BackupRun::trustedText() const {
    std::wstring text;
    for (int n : trusted_) {
        const size_t i = static_cast<size_t>(n) - 1;
        if (!moved_aside_ || !refused_[i].empty() || plans_[i].files == 0) continue;
        text += (text.empty() ? L"" : L" ") + (L"The good copies of job " + std::to_wstring(n)) +
                L"'s files that looked damaged are in " +
                core::quoted(dated_folder(jobs_[i].destination, dated_name_) + L"\\" +
                             core::job_copy(jobs_[i])->target_name) +
                L", kept from pruning until a run of this job completes without files that look damaged.";
    }
    return text;
}

bool BackupRun::leavesVersions(const std::wstring& destination) const {
    for (const std::vector<int>* jobs : {&held_, &trusted_})
        for (int n : *jobs)
            if (jobs_[static_cast<size_t>(n) - 1].destination == destination) return true;
    return false;
}

}  // namespace run
