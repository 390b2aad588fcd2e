#pragma once
// The batch script of a backup run: one robocopy line per job.
#include <string>
#include <string_view>
#include <vector>

#include "core/job_rule.h"

namespace core {

inline constexpr wchar_t kScriptName[] = L"BatchRun.bat";
inline constexpr wchar_t kScriptNameLower[] = L"batchrun.bat";
inline constexpr wchar_t kResultsName[] = L"BatchRun.failed";

// " /S /R:3 /W:3" and its three variants.
std::wstring option_suffix(bool include_empty, bool purge);

// For the command interpreter: "%" would start a variable.
std::wstring escape_percent(std::wstring_view text);

// The script's lines, without line ends. After each robocopy line one line records
// the job's number in the results file when robocopy reports a failure (exit code 8 or more).
// A job the target rule refuses gets only the recording line: it fails and copies nothing.
std::vector<std::wstring> script_lines(const std::vector<JobFolders>& jobs, std::wstring_view suffix,
                                       std::wstring_view results_path);

// The job numbers a results file names, in order, without repeats.
std::vector<int> failed_jobs(std::wstring_view results_text);

}  // namespace core
