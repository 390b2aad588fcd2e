#pragma once
// The checks of ADD JOB and EDIT JOB, and the target rule told to the user.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "jobs/job_document.h"

namespace jobs {

// The job in the boxes, as row `row` (0: a new row), must fit in the list and keep
// to the target rule with the rest of it; false after telling the user why not.
bool accept_job(HWND owner, const JobDocument& document, int row, const core::JobFolders& job);

// The patterns of the "Leave out" box; nothing after telling the user which one
// cannot be used.
std::optional<std::vector<std::wstring>> read_patterns(HWND owner, const std::wstring& text);

// Tells the user when the jobs break the target rule (the run refuses them).
void warn_conflicts(HWND owner, const JobDocument& document);

}  // namespace jobs
