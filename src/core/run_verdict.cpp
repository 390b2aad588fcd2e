#include "core/run_verdict.h"

#include <algorithm>

namespace core {

RunVerdict judge_run(bool script_ended, const std::optional<std::vector<int>>& failed,
                     const std::optional<std::vector<int>>& unfinished, const std::vector<int>& mismatched) {
    using Kind = RunVerdict::Kind;
    if (!script_ended) return {Kind::NotFinished, {}, {}};
    if (!failed || !unfinished) return {Kind::NotConfirmed, {}, {}};
    RunVerdict v{Kind::Completed, *failed, {}};
    // A file that could not be copied because the backup has a folder there (or the
    // other way round) is not in the backup, whatever the exit code says.
    for (int n : mismatched)
        if (std::find(unfinished->begin(), unfinished->end(), n) == unfinished->end()) v.failed.push_back(n);
    std::sort(v.failed.begin(), v.failed.end());
    v.failed.erase(std::unique(v.failed.begin(), v.failed.end()), v.failed.end());
    // A failed job needs no second mention; an exit code below 8 alone cannot tell
    // a killed or crashed copy from a good one.
    for (int n : *unfinished)
        if (std::find(failed->begin(), failed->end(), n) == failed->end()) v.unfinished.push_back(n);
    if (!v.failed.empty()) v.kind = Kind::Failed;
    else if (!v.unfinished.empty()) v.kind = Kind::NotFinished;
    return v;
}

}  // namespace core
