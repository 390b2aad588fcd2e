#pragma once
// RUN BACKUPS: write the script, run it, wait, read what failed, prove each job
// ran to its end, record the date, write the Program Files list.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/jobrow.h"

namespace run {

struct Options {
    bool include_empty = false;
    bool purge = false;
};

struct Outcome {
    enum class Kind {
        Completed,    // every job proved done; the date is recorded
        NotStarted,   // nothing copied; the message says why
        NotFinished,  // stopped, or jobs without their log's end line
        Failed,       // jobs whose copier reported failure
        NotConfirmed  // what happened cannot be read
    };
    Kind kind = Kind::NotStarted;
    std::vector<int> jobs;  // the failed or unfinished jobs, 1-based
    std::wstring date;      // Completed: the date recorded
    bool list_saved = false;  // Completed: the Program Files list was written
    // What the user is told (for Completed with a saved list, unless the program exits).
    std::wstring title, text;
    UINT flags = MB_OK;
};

class BackupRun {
public:
    // `dispatch` handles the window messages that arrive while the script runs.
    BackupRun(std::vector<core::JobFolders> jobs, Options options, std::function<void(MSG&)> dispatch)
        : jobs_(std::move(jobs)), options_(options), dispatch_(std::move(dispatch)) {}

    // The backup date goes under `job_file_name` in the settings.
    Outcome run(const std::wstring& job_file_name);

private:
    Outcome notStarted(const std::wstring& text) const;
    std::wstring rows(const std::vector<int>& numbers) const;
    bool ensureFolder(const std::wstring& path, Outcome& why) const;

    std::vector<core::JobFolders> jobs_;
    Options options_;
    std::function<void(MSG&)> dispatch_;
};

}  // namespace run
