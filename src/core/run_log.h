#pragma once
// What the run log tells while a run goes on and after it: the job at work, the
// file being copied, which jobs ran to their end, and the errors of each. The
// log holds, per job, the script's "Ostrevin job N" line and then robocopy's own
// lines. It is read as it grows, so a long run's log is never held whole.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The script writes this and the job's number into the log before each job;
// the reader finds the jobs' sections by it.
inline constexpr std::wstring_view kJobMark = L"Ostrevin job ";

struct RunProgress {
    int job = 0;        // 1-based; 0 before the first job starts
    int finished = 0;   // jobs up to this one have ended, one way or another
    int files = 0;      // files robocopy has started to copy in that job
    std::wstring file;  // the last of them, as robocopy names it
};

class RunLog {
public:
    // Takes the log's next whole lines; a half-written last line is left for
    // later. Returns how much of `more` was taken.
    size_t read(std::wstring_view more);
    // Takes the rest once the writers are done: a last line without its end too.
    void finish(std::wstring_view rest);

    const RunProgress& progress() const { return progress_; }
    // The jobs (1-based) whose section does not end with the line robocopy writes
    // only at a normal end: killed, crashed or never started.
    std::vector<int> unfinished(int job_count) const;
    // A job's first errors ("ERROR 5 (0x00000005) Copying File X", each with the
    // system's message after it).
    std::vector<std::wstring> errors(int job) const;

private:
    void line(std::wstring_view raw);
    struct Section {
        bool ended = false;                // its last line so far is robocopy's end line
        std::vector<std::wstring> errors;  // from "ERROR" on, the time left out
        bool message_next = false;         // the system's message follows an error line
        std::vector<std::wstring> lines;
    };
    RunProgress progress_;
    std::map<int, Section> sections_;
};

// "Job 2 of 5: C:\DATA" and, within the job, the file and the count so far.
std::wstring progress_text(const RunProgress& p, int job_count, std::wstring_view job_source);

}  // namespace core
