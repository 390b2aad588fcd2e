#pragma once
// The text of one job: its on-screen row and its line in a job file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr int kMaxJobs = 13;

struct JobFolders {
    std::wstring source;
    std::wstring destination;
    std::vector<std::wstring> except{};  // what the job leaves out (core/patterns.h)
};

// "Copy folder  "source"  into  "destination"" in upper case; folders as they stand.
std::wstring FormatJobRow(std::wstring_view source, std::wstring_view destination);
// The same, followed by "  EXCEPT  "pattern"..." when the job leaves anything out.
std::wstring FormatJobRow(const JobFolders& job);

// The folders between the 1st/2nd and the 3rd/4th double quotes; letter case kept;
// the patterns after the fourth. nullopt when the text holds fewer than four double
// quotes, or patterns not in the row's form.
std::optional<JobFolders> ParseJobRow(std::wstring_view text);

// A job file's text: its jobs up to the first empty line, the numbers of the lines
// that are not jobs, and how many jobs did not fit in the list.
struct JobListText {
    std::vector<JobFolders> jobs;
    std::vector<int> bad_lines;
    int left_out = 0;
    bool binary = false;  // control characters other than line ends and tabs: not a text file
};
JobListText read_job_list(std::wstring_view text);

}  // namespace core
