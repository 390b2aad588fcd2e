#include "jobs/job_file.h"

#include <vector>

#include "core/jobrow.h"
#include "core/text.h"
#include "jobs/job_edit.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace jobs {
namespace {

std::wstring folder_of(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

bool same_folder(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& p) {
        wchar_t buf[MAX_PATH * 4];
        DWORD n = GetFullPathNameW(p.c_str(), MAX_PATH * 4, buf, nullptr);
        std::wstring s = n ? std::wstring(buf, n) : p;
        while (s.size() > 3 && s.back() == L'\\') s.pop_back();
        return s;
    };
    return CompareStringOrdinal(full(a).c_str(), -1, full(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring join_numbers(const std::vector<int>& numbers) {
    std::wstring s;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i) s += i + 1 == numbers.size() ? L" and " : L", ";
        s += std::to_wstring(numbers[i]);
    }
    return s;
}

}  // namespace

std::wstring file_name(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

win::Result<core::JobListText> read_job_file(const std::wstring& path) {
    auto text = win::read_text_file(path, CP_ACP);
    if (!text) return win::Status::failed(text.code());
    return core::read_job_list(*text);
}

bool load_job_file(HWND owner, const std::wstring& path, JobDocument& document) {
    const auto file = read_job_file(path);
    if (!file) {
        win::tell_failure(owner, L"FILE NOT OPENED", {L"job file", path, L"opened", file.code()},
                          L"Ostrevin goes on with an untitled job list.");
        return false;
    }
    const core::JobListText& read = *file;
    const std::vector<int>& bad_lines = read.bad_lines;
    int left_out = read.left_out;
    // After a cancelled New the file's jobs go below the rows still there, up to the limit.
    for (const auto& job : read.jobs)
        if (!document.load(job)) ++left_out;
    if (!bad_lines.empty() || left_out > 0) {
        const std::wstring file = core::quoted(path);
        std::wstring msg;
        if (!bad_lines.empty())
            msg += (bad_lines.size() == 1 ? L"Line " : L"Lines ") + join_numbers(bad_lines) + L" of the job file " +
                   file + L" could not be read as jobs and " + (bad_lines.size() == 1 ? L"was" : L"were") +
                   L" left out.";
        if (left_out > 0) {
            if (!msg.empty()) msg += L" ";
            msg += L"The job list holds at most " + std::to_wstring(core::kMaxJobs) + L" jobs, so " +
                   std::to_wstring(left_out) + (left_out == 1 ? L" job of " : L" jobs of ") + file +
                   (left_out == 1 ? L" was" : L" were") + L" left out.";
        }
        msg += core::kTwoCr + L"The file itself has not been changed.";
        win::say(owner, {win::Severity::Warning, L"JOB FILE INCOMPLETE", msg});
    }
    warn_conflicts(owner, document);  // the rows stay as the file has them; the run refuses
    return true;
}

bool save_job_file(HWND owner, const std::wstring& path, const JobDocument& document) {
    const bool old_file = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    const win::Status written = win::write_text_file(path, core::join_lines(document.lines()), CP_ACP);
    if (written) return true;
    win::tell_failure(owner, L"FILE NOT SAVED", {L"job file", path, L"written", written.code()},
                      std::wstring(L"The job list has not been saved; ") +
                          (old_file ? L"the old file is unchanged." : L"no file of that name has been made."),
                      win::Severity::Error);
    return false;
}

std::wstring ask_job_file(HWND owner, bool save, const std::wstring& job_folder) {
    win::FileDialogRequest r;
    r.owner = owner;
    r.save = save;
    r.title = save ? L"Save Job" : L"Open Job";
    r.filter = L"Ostrevin Jobfile|*.ojf";
    r.initial_folder = job_folder;
    return win::file_dialog(r);
}

// The settings file keeps job file names in the ANSI code page; one it cannot hold
// would be stored with "?" and never match again.
bool name_fits(HWND owner, const std::wstring& name) {
    if (win::representable(name, CP_ACP)) return true;
    win::say(owner,
             {win::Severity::Error, L"INVALID NAME",
              L"The job file name " + core::quoted(name) + L" has characters that the settings file cannot hold." +
                  core::kTwoCr + L"Please choose a name that uses only this system's character set."});
    return false;
}

// Job files live in the job folder; a same-named file there is not the one picked.
bool in_job_folder(HWND owner, const std::wstring& path, const std::wstring& job_folder) {
    if (path.find(L'\\') == std::wstring::npos || same_folder(folder_of(path), job_folder)) return true;
    win::say(owner, {win::Severity::Warning, L"FILE NOT OPENED",
                     L"The file " + core::quoted(path) + L" is not in the job folder " + core::quoted(job_folder) +
                         L"." + core::kTwoCr + L"Please copy it into the job folder and open it from there."});
    return false;
}

}  // namespace jobs
