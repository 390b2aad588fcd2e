#pragma once
// Job files: reading them into the job document, writing it, and the names they may have.
#include <windows.h>

#include <string>

#include "core/jobrow.h"
#include "jobs/job_document.h"
#include "win/result.h"

namespace jobs {

// The file's jobs, its bad lines and how many jobs it holds past the limit.
win::Result<core::JobListText> read_job_file(const std::wstring& path);

// Appends the jobs of the file to the document, telling the user about lines left
// out and jobs in conflict; false, after telling the user, when it cannot be read.
bool load_job_file(HWND owner, const std::wstring& path, JobDocument& document);

// Writes the document's jobs, a line each; false after telling the user.
bool save_job_file(HWND owner, const std::wstring& path, const JobDocument& document);

// The Open or Save dialog, in the job folder; empty when cancelled.
std::wstring ask_job_file(HWND owner, bool save, const std::wstring& job_folder);

// The part of a path after its last backslash.
std::wstring file_name(const std::wstring& path);

// False after telling the user: a name the settings file cannot hold.
bool name_fits(HWND owner, const std::wstring& name);

// False after telling the user: a file picked outside the job folder.
bool in_job_folder(HWND owner, const std::wstring& path, const std::wstring& job_folder);

}  // namespace jobs
