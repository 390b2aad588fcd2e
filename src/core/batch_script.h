#pragma once
// The batch script of a backup run: one robocopy line per job.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/job_rule.h"

namespace core {

// The script is made under the first name, started and deleted under the second
// (it deletes itself as its last line; the run waits for that). The file system
// ignores letter case, so both name the same file.
inline constexpr wchar_t kScriptName[] = L"BatchRun.bat";
inline constexpr wchar_t kScriptRunName[] = L"batchrun.bat";
inline constexpr wchar_t kResultsName[] = L"BatchRun.failed";
inline constexpr wchar_t kLogName[] = L"BatchRun.log";

// " /S /R:3 /W:3" and its three variants.
std::wstring option_suffix(bool include_empty, bool purge);

// For the command interpreter: "%" would start a variable.
std::wstring escape_percent(std::wstring_view text);

// The script's lines, without line ends. robocopy is named by `robocopy`, the full
// path of the system's: the script runs in the temp folder, where the command
// interpreter would otherwise run any robocopy.bat or .exe left there. Before each
// robocopy line one line marks the job's section in the run log, which robocopy
// then appends to; after it one line records the job's number in the results file
// when robocopy reports a failure (exit code 8 or more). A job the target rule
// refuses gets only the recording line: it fails and copies nothing.
// file_systems names each job's destination file system ("NTFS", "FAT32"; empty
// when unknown): a FAT-family one gets /FFT, since it keeps times in 2-second
// steps and every file would otherwise look changed on every run.
// Each job's line, by index, as this run has it (none given: as the job stands).
struct JobLine {
    std::wstring file_system;
    bool keep_extras = false;  // no /PURGE this time: the user declined it
    bool refused = false;      // copies nothing and fails: its old copies could not be kept
    bool only_new = false;     // copies only files the backup lacks (/XC /XN /XO)
    std::vector<std::wstring> standing;  // full paths of backup folders no purge may take (/XD)
    bool held = false;  // left out of this run: no line at all, and no failure
};
std::vector<std::wstring> script_lines(const std::vector<JobFolders>& jobs, std::wstring_view robocopy,
                                       std::wstring_view suffix, std::wstring_view results_path,
                                       std::wstring_view log_path, const std::vector<JobLine>& lines = {});
bool keeps_fat_times(std::wstring_view file_system);

// A job's robocopy arguments after the program: "source" "target", the suffix,
// /FFT for a FAT-family destination, /NP, and /XF /XD with what the job leaves out and
// the `standing` folders. The script escapes them for the command interpreter and adds its log.
std::wstring copy_arguments(const JobCopy& copy, std::wstring_view suffix, std::wstring_view file_system,
                            const std::vector<std::wstring>& standing = {});

// The job numbers a results file names, in order, without repeats: one number from
// 1 to job_count per line, blanks around it and empty lines allowed. Anything else
// means the file cannot be trusted: nullopt.
std::optional<std::vector<int>> failed_jobs(std::wstring_view results_text, std::size_t job_count);

}  // namespace core
