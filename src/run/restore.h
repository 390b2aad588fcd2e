#pragma once
// Ostrevin.exe /restore: a file or folder of a job's source, back from its backup and
// the old copies kept beside it, as the backup held it at a moment. It only reads the
// backup and the versions folder; in place, what it replaces is kept first, as a run keeps it.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/jobrow.h"
#include "core/restore.h"
#include "win/prompt.h"

namespace run {

struct RestoreRequest {
    std::vector<core::JobFolders> jobs;
    std::wstring path;                  // a file or folder in one job's source
    std::optional<std::wstring> as_of;  // a dated name, "" for the backup now; nothing for the newest copy
    std::wstring to;                    // the folder to restore into; empty for the original place
    // In place, a file newer than its restored copy is replaced (kept first) only when asked for.
    bool replace_newer = false;
    // Told before each file is written: files done, files in all, the file.
    std::function<void(size_t, size_t, const std::wstring&)> progress{};
    HANDLE stop = nullptr;  // once set, no further file is written
};

struct Restored {
    enum class Kind { Done, Failed, BadPath } kind = Kind::Done;
    std::wstring text;                  // what was restored, where and what was kept; or why not
    std::vector<std::wstring> newer{};  // refused only for these newer files: replace_newer lets it go on
};

Restored restore(const RestoreRequest& request);

// What one job's destination holds of its backup: its files now and what each run kept
// and added, as paths "<backup folder>\...".
struct Holdings {
    std::wstring source, destination, backup;  // backup: the backup folder's name
    std::vector<std::wstring> files;
    std::vector<core::RunRecord> runs;
};
// Nothing for a job that is not a full pair of folders; links are neither taken nor entered.
std::optional<Holdings> read_holdings(const core::JobFolders& job, std::optional<win::Failure>& failed);
// Where a copy lies: the backup's own (`run` empty) or one kept in a run's dated folder.
std::wstring copy_path(const Holdings& h, const core::RestoreFile& copy);

}  // namespace run
