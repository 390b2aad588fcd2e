#pragma once
// What the run log tells while a run goes on and after it: the job at work, the
// file being copied, and the errors of a failed job. The log holds, per job, the
// script's "Ostrevin job N" line and then robocopy's own lines.
#include <string>
#include <string_view>
#include <vector>

namespace core {

struct RunProgress {
    int job = 0;           // 1-based; 0 before the first job starts
    int files = 0;         // files robocopy has started to copy in that job
    std::wstring file;     // the last of them, as robocopy names it
};

// Reads a log as far as it has grown; a half-written last line is left for later.
RunProgress run_progress(std::wstring_view log_text);

// The first error lines of a job's section ("ERROR 5 (0x00000005) Copying File X"
// and the system's message after each), at most max_errors errors.
std::vector<std::wstring> job_errors(std::wstring_view log_text, int job, int max_errors = 3);

// "Job 2 of 5: C:\DATA" and, within the job, the file and the count so far.
std::wstring progress_text(const RunProgress& p, int job_count, std::wstring_view job_source);

}  // namespace core
