#pragma once
// What the run log tells while a run goes on and after it: the job at work, the
// file being copied, which jobs ran to their end, the errors of each and its
// summary's counts. The log holds, per job, the script's "Ostrevin job N" line and
// then robocopy's own lines. robocopy translates its log into the language of the
// Windows it runs on, so the log is read by the shape of its lines, never by their
// words. It is read as it grows, so a long run's log is never held whole.
#include <map>
#include <optional>
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
    int files = 0;      // file lines robocopy has written in that job
    std::wstring file;  // the last of them, as robocopy names it
};

// A row of the summary (Dirs or Files): Total, Copied, Skipped, Mismatch, FAILED, Extras.
struct FileCounts {
    unsigned long long total = 0, copied = 0, skipped = 0, mismatch = 0, failed = 0, extras = 0;
    bool operator==(const FileCounts&) const = default;
};

class RunLog {
public:
    // Takes the log's next whole lines; a half-written last line is left for
    // later. Returns how much of `more` was taken.
    size_t read(std::wstring_view more);
    // Takes the rest once the writers are done: a last line without its end too,
    // though such a line never closes a section.
    void finish(std::wstring_view rest);

    const RunProgress& progress() const { return progress_; }
    // The jobs (1-based) whose section does not close as a normal robocopy run
    // closes (the summary's rows after its last line of dashes, then one closing
    // line, last): killed, crashed or never started.
    std::vector<int> unfinished(int job_count) const;
    // A job's first errors ("ERROR 5 (0x00000005) Copying File X", in the log's
    // language, each with the system's message after it).
    std::vector<std::wstring> errors(int job) const;
    // The Files and Dirs rows of a job whose section closed normally.
    std::optional<FileCounts> files(int job) const { return row(job, &Section::files); }
    std::optional<FileCounts> dirs(int job) const { return row(job, &Section::dirs); }
    // The jobs whose section closed normally with something in the way: a Mismatch in
    // the Dirs or Files row (the exit code's 4, which the script counts as done).
    std::vector<int> mismatched(int job_count) const;
    bool mismatched_job(int job) const;

private:
    void line(std::wstring_view raw, bool whole);
    struct Section {
        int rows = 0;                      // six-column rows in a row since the last line of dashes
        bool summary = false;              // the summary's rows stand after the last line of dashes
        bool closed = false;               // ... and the last line so far closes the run
        FileCounts dirs, files;            // the first two of those rows
        bool message_next = false;         // the system's message follows an error line
        std::vector<std::wstring> errors;  // from the error's word on, the time left out
        std::vector<std::wstring> lines;   // the errors with their messages
    };
    std::optional<FileCounts> row(int job, FileCounts Section::*which) const;
    RunProgress progress_;
    std::map<int, Section> sections_;
};

// Why a job with a mismatch failed, for the message that names it.
inline constexpr std::wstring_view kMismatchReason =
    L"Something in the backup is in the way: a folder where the source has a file, or a file where it has a "
    L"folder. Ticking \"Remove Files & Folders Not in Source\" (or removing it by hand) lets the next run copy it.";

// "Job 2 of 5: C:\DATA" and, within the job, the file and the count so far.
std::wstring progress_text(const RunProgress& p, int job_count, std::wstring_view job_source);

}  // namespace core
