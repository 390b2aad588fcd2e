#pragma once
// Job files: reading them into the job list, writing the list, and the names they may have.
#include <windows.h>

#include <optional>
#include <string>

#include "jobs/job_list.h"

namespace jobs {

// Appends the jobs of the file to the list, telling the user about lines left out
// and jobs in conflict; false, after telling the user, when it cannot be read.
bool load_job_file(HWND owner, const std::wstring& path, JobList& list);

// Writes the list's rows; false after telling the user.
bool save_job_file(HWND owner, const std::wstring& path, const JobList& list);

// The Open or Save dialog, in the job folder; empty when cancelled.
std::wstring ask_job_file(HWND owner, bool save);

// The part of a path after its last backslash.
std::wstring file_name(const std::wstring& path);

// False after telling the user: a name the settings file cannot hold.
bool name_fits(HWND owner, const std::wstring& name);

// False after telling the user: a file picked outside the job folder.
bool in_job_folder(HWND owner, const std::wstring& path);

// The date label of the current job file ("<prefix><date>" or "Last Backup Never");
// nullopt for a name with no entry at all. Keeps the date found in the state.
std::optional<std::wstring> backup_date_label(const std::wstring& found_prefix);

}  // namespace jobs
