#pragma once
// Ostrevin.exe /restore: a file or folder of a job's source, back from its backup and
// the old copies kept beside it, as the backup held it at a moment. It only reads the
// backup and the versions folder; in place, what it replaces is kept first, as a run keeps it.
#include <optional>
#include <string>
#include <vector>

#include "core/jobrow.h"

namespace run {

struct RestoreRequest {
    std::vector<core::JobFolders> jobs;
    std::wstring path;                  // a file or folder in one job's source
    std::optional<std::wstring> as_of;  // a dated name; nothing for the newest copy
    std::wstring to;                    // the folder to restore into; empty for the original place
};

struct Restored {
    enum class Kind { Done, Failed, BadPath } kind = Kind::Done;
    std::wstring text;  // what was restored, where and what was kept; or why not
};

Restored restore(const RestoreRequest& request);

}  // namespace run
