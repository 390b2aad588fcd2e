#pragma once
// The text of one job: its on-screen row and its line in a job file.
#include <optional>
#include <string>
#include <string_view>

namespace core {

inline constexpr int kMaxJobs = 13;

struct JobFolders {
    std::wstring source;
    std::wstring destination;
};

// "Copy folder  "source"  into  "destination"" in upper case; folders as they stand.
std::wstring FormatJobRow(std::wstring_view source, std::wstring_view destination);

// The folders between the 1st/2nd and the 3rd/4th double quotes; letter case kept.
// nullopt when the text holds fewer than four double quotes.
std::optional<JobFolders> ParseJobRow(std::wstring_view text);

// The source folder's own name: the text after its last backslash (empty for "C:\").
std::wstring source_folder_name(std::wstring_view source);

// True when the job would copy a folder into itself: the destination is the source
// or lies inside it, or the copy's target folder (destination\name) is the source.
// Compared without regard to letter case and trailing backslashes.
bool job_copies_into_itself(std::wstring_view source, std::wstring_view destination);

}  // namespace core
