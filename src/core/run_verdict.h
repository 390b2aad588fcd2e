#pragma once
// What a backup run's end proves, from what the script left behind: the results
// file (the jobs whose robocopy reported failure) and the log (the jobs whose
// section closed as a normal robocopy run closes).
#include <optional>
#include <vector>

namespace core {

struct RunVerdict {
    enum class Kind {
        Completed,    // every job proved done
        Failed,       // jobs whose copier reported failure; `unfinished` may name others
        NotFinished,  // stopped, or jobs without their log's normal end
        NotConfirmed  // the results file or the log could not be read
    };
    Kind kind = Kind::NotConfirmed;
    std::vector<int> failed, unfinished;  // job numbers, 1-based
};

// `script_ended`: the script ran to its last line (not stopped, not killed).
// `failed`: what the results file names; nothing when it is gone or unreadable.
// `unfinished`: the jobs the log does not show closing; nothing when it is unreadable.
// `mismatched`: the jobs whose summary shows something of the backup in the way of a
// copy; they failed, though their exit code (4) is below the script's 8.
RunVerdict judge_run(bool script_ended, const std::optional<std::vector<int>>& failed,
                     const std::optional<std::vector<int>>& unfinished, const std::vector<int>& mismatched = {});

}  // namespace core
