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

}  // namespace core
