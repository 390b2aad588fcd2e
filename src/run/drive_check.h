#pragma once
// The drive presence check: every job's destination must be there before a run.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "jobs/job_document.h"

namespace run {

// What the user chose in the drive selection: the letter the drive has now, and
// whether every job moves to it or only the one asked about.
struct DriveChoice {
    wchar_t letter = 0;
    bool all_jobs = true;
};

struct DriveCheck {
    bool ready = false;    // every destination is there: RUN BACKUPS may be pressed
    std::wstring caption;  // RUN BACKUPS' new caption; empty to keep it
};

// Checks each job's destination. For a missing one it tells the user on the first
// check, then asks for the drive (nullopt: declined) and re-points the document's jobs.
DriveCheck check_drives(HWND owner, jobs::JobDocument& document, bool first_check,
                        const std::function<std::optional<DriveChoice>(int job)>& choose_drive);

}  // namespace run
