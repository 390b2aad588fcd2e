#pragma once
// The checks of ADD JOB and EDIT JOB, and the target rule told to the user.
#include <windows.h>

#include "jobs/job_document.h"

namespace jobs {

// The job in the boxes, as row `row` (0: a new row), must fit in the list and keep
// to the target rule with the rest of it; false after telling the user why not.
bool accept_job(HWND owner, const JobDocument& document, int row, const core::JobFolders& job);

// Tells the user when the jobs break the target rule (the run refuses them).
void warn_conflicts(HWND owner, const JobDocument& document);

}  // namespace jobs
