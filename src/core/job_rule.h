#pragma once
// The job target rule: where each job copies to, and which job lists may run.
// Paths are compared without regard to letter case, "\" as the separator.
#include <optional>
#include <string>
#include <vector>

#include "core/jobrow.h"

namespace core {

// What one job copies: the source and target as the script names them.
struct JobCopy {
    std::wstring source;                 // a trailing "\" dropped; a drive root "C:\" is "C:\."
    std::wstring target;                 // destination + "\" + target_name
    std::wstring target_name;            // the source folder's name, a drive root's letter or a share's name
    std::vector<std::wstring> except{};  // the job's patterns, as its row holds them
};
// Nothing for a job whose source or destination is not a full folder path
// ("C:\..." or "\\server\share\...").
std::optional<JobCopy> job_copy(const JobFolders& job);

enum class JobFault {
    NoSource,                // the source is empty or not a full folder path
    NoDestination,           // the same for the destination
    TargetInSource,          // the target is the source or lies inside it
    TargetHoldsSource,       // the target holds the job's own source
    TargetHoldsOtherSource,  // the target is or holds the source of job `other`
    SharedTarget,            // the targets of `job` and `other` are one, or one holds the other
    VersionsName,            // the backup folder would be the destination's versions folder
    TargetInVersions,        // the target lies in the versions folder of job `other`'s destination, which pruning empties
};
struct JobConflict {
    int job;    // 1-based
    int other;  // 1-based; 0 when the fault is the job's alone
    JobFault fault;
    bool operator==(const JobConflict&) const = default;
};
// Every reason the list may not run; empty when it may.
std::vector<JobConflict> job_conflicts(const std::vector<JobFolders>& jobs);

// One sentence naming the jobs and folders of a conflict; job `this_job` reads "this job".
std::wstring conflict_text(const JobConflict& c, const std::vector<JobFolders>& jobs, int this_job = 0);

// Every conflict of the list, one sentence each, "\r" between; empty when the list may run.
std::wstring conflicts_text(const std::vector<JobFolders>& jobs);

}  // namespace core
