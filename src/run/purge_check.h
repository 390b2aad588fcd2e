#pragma once
// Before a mirror run: a list-only run of robocopy for one job counts what its
// purge would remove, so that the run can ask before a backup is emptied.
#include <optional>
#include <string>

#include "core/run_log.h"
#include "run/script_run.h"

namespace run {

struct PurgeCount {
    core::FileCounts files, dirs;
};

// Runs robocopy with the job's arguments plus /L /NFL /NDL into `log` and reads
// its summary. Nothing when robocopy could not run, ended with a fatal exit code
// or wrote no summary; `stopped` when `stop` was set.
std::optional<PurgeCount> count_purge(const std::wstring& robocopy, const std::wstring& arguments,
                                      const std::wstring& folder, const std::wstring& log, HANDLE stop, bool& stopped);

}  // namespace run
