// RUN BACKUPS: write the script, run it, wait, record the date, report.
#include <algorithm>
#include <vector>

#include "app/module1.h"
#include "app/startup.h"
#include "core/batch_script.h"
#include "folders/path_exists.h"
#include "run/script_run.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {
namespace {

std::wstring temp_folder() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    std::wstring t = n ? std::wstring(buf, n) : std::wstring(L".\\");
    while (t.size() > 3 && t.back() == L'\\') t.pop_back();
    return t;
}

// The folder's name as the command interpreter can hold it in the script: as it
// stands, or its short 8.3 form; empty when neither will do.
std::wstring console_safe(const std::wstring& folder) {
    if (win::representable(folder, CP_OEMCP)) return folder;
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetShortPathNameW(folder.c_str(), buf, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    std::wstring s(buf, n);
    return win::representable(s, CP_OEMCP) ? s : std::wstring();
}

// Makes one folder level when the folder is not there; false (after telling the user) when it cannot.
bool ensure_folder(HWND owner, const std::wstring& path) {
    if (folders::PathExistsOrFalse(path, 20)) return true;
    if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    DWORD err = GetLastError();
    const app::Module1& m = app::state();
    win::ask(owner, L"BACKUP NOT STARTED",
             L"The folder " + m.Quote + path + m.Quote + L" could not be created: " + win::error_text(err) + L"." +
                 m.TwoCr + L"Please check that the backup drive is plugged in, then run the backups again.",
             MB_OK | MB_ICONSTOP);
    return false;
}

}  // namespace

// The busy display of a run, undone whatever way the run ends.
class RunDisplay {
public:
    explicit RunDisplay(FrmMain& f) : f_(f) {
        f_.run_in_progress = true;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        f_.cmdAddJob.show(false);
        f_.cmdRun.show(false);
        setLabel(SS_CENTER, L"Please wait while processing files");
    }
    ~RunDisplay() { restore(); }
    void restore() {
        if (!f_.run_in_progress) return;
        f_.cmdAddJob.show(true);
        f_.cmdRun.show(true);
        setLabel(SS_LEFT, L"Job List");
        f_.run_in_progress = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }

private:
    void setLabel(DWORD align, const wchar_t* text) {
        LONG_PTR style = GetWindowLongPtrW(f_.Label2.hwnd(), GWL_STYLE);
        SetWindowLongPtrW(f_.Label2.hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | align);
        f_.Label2.setText(text);
        InvalidateRect(f_.Label2.hwnd(), nullptr, TRUE);
    }
    FrmMain& f_;
};

void FrmMain::cmdRun_Click() {
    app::Module1& m = app::state();
    if (run_in_progress) return;
    if (m.JobCount == 0) {
        win::ask(hwnd(), L"NO JOBS", L"The job list is empty." + m.TwoCr + L"Please add a job before running the backups.",
                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    RunDisplay busy(*this);

    // The rows are the truth; take the paths from them.
    std::vector<core::JobFolders> jobs;
    for (int i = 1; i <= m.JobCount; ++i) {
        auto f = core::ParseJobRow(rows[static_cast<size_t>(i)].text.text());
        if (!f) {
            win::ask(hwnd(), L"BACKUP NOT STARTED",
                     L"Job " + std::to_wstring(i) + L" cannot be read." + m.TwoCr + L"Please delete it and enter it again.",
                     MB_OK | MB_ICONSTOP);
            return;
        }
        m.JobPaths[static_cast<size_t>(i)] = *f;
        jobs.push_back(*f);
    }
    // Jobs sharing a target, or a target holding a source, would delete each other's files.
    if (const std::wstring conflicts = core::conflicts_text(jobs); !conflicts.empty()) {
        win::ask(hwnd(), L"BACKUP NOT STARTED",
                 conflicts + m.TwoCr + L"Please change or delete the jobs named; nothing has been copied.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    const std::wstring suffix = core::option_suffix(chkEmpty.send(BM_GETCHECK) == BST_CHECKED,
                                                    chkRemove.send(BM_GETCHECK) == BST_CHECKED);

    const std::wstring folder = temp_folder();
    const std::wstring script = folder + L"\\" + core::kScriptName;
    // The script names these two, so they must survive the console code page:
    // a failure line written nowhere would read as "no failures".
    const std::wstring safe = console_safe(folder);
    if (safe.empty()) {
        win::ask(hwnd(), L"BACKUP NOT STARTED",
                 L"The temporary folder " + m.Quote + folder + m.Quote +
                     L" has characters that the command interpreter cannot handle." + m.TwoCr +
                     L"Please set the TEMP variable to a folder with a plain name; nothing has been copied.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    const std::wstring results = safe + L"\\" + core::kResultsName;
    const std::wstring log = safe + L"\\" + core::kLogName;
    DeleteFileW(results.c_str());
    DeleteFileW(log.c_str());

    // The command interpreter reads the script in the console code page.
    for (const auto& job : jobs) {
        const core::JobCopy c = *core::job_copy(job);
        for (const std::wstring* p : {&c.source, &c.target}) {
            if (win::representable(*p, CP_OEMCP)) continue;
            win::ask(hwnd(), L"BACKUP NOT STARTED",
                     L"The path " + m.Quote + *p + m.Quote +
                         L" has characters that the command interpreter cannot handle." + m.TwoCr +
                         L"Please rename the folder or choose another one; nothing has been copied.",
                     MB_OK | MB_ICONSTOP);
            return;
        }
    }
    for (const auto& job : jobs) {
        if (!ensure_folder(hwnd(), job.destination)) return;
        if (!ensure_folder(hwnd(), core::job_copy(job)->target)) return;
    }
    auto written = win::write_text_file(script, core::join_lines(core::script_lines(jobs, suffix, results, log)), CP_OEMCP);
    if (!written.ok) {
        win::ask(hwnd(), L"BACKUP NOT STARTED",
                 L"The backup script " + m.Quote + script + m.Quote + L" could not be written: " +
                     win::error_text(written.error) + L"." + m.TwoCr + L"Nothing has been copied.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    DWORD err = 0;
    HANDLE process = run::start_script(folder, &err);
    if (!process) {
        DeleteFileW(script.c_str());
        win::ask(hwnd(), L"BACKUP NOT STARTED",
                 L"The backup script could not be started: " + win::error_text(err) + L"." + m.TwoCr +
                     L"Nothing has been copied.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    run::WaitEnd end = run::wait_for_script(process, script, [this](MSG& msg) { dispatch(msg); });
    CloseHandle(process);

    if (end == run::WaitEnd::ProcessEnded) {
        DeleteFileW(script.c_str());
        DeleteFileW(results.c_str());
        busy.restore();
        win::ask(hwnd(), L"BACKUP NOT FINISHED",
                 L"The backup was stopped before it finished, so some files may not have been copied." + m.TwoCr +
                     L"Please run the backups again.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    DWORD read_error = 0;
    auto text = win::read_text_file(results, CP_OEMCP, &read_error);
    // No results file means no job failed.
    std::optional<std::vector<int>> failed;
    if (text) failed = core::failed_jobs(*text, jobs.size());
    else if (read_error == ERROR_FILE_NOT_FOUND || read_error == ERROR_PATH_NOT_FOUND) failed.emplace();
    DeleteFileW(results.c_str());
    // One that cannot be read, or not made sense of, tells nothing either way.
    if (!failed) {
        busy.restore();
        win::ask(hwnd(), L"BACKUP NOT CONFIRMED",
                 L"Ostrevin could not read which jobs failed from " + m.Quote + results + m.Quote +
                     (text ? std::wstring() : L": " + win::error_text(read_error)) + L"." + m.TwoCr +
                     L"The backup may be incomplete; please run the backups again.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    auto job_rows = [&](const std::vector<int>& numbers) {
        std::wstring names;
        for (int n : numbers) {
            if (n < 1 || n > static_cast<int>(jobs.size())) continue;
            names += L"\r" + core::FormatJobRow(jobs[static_cast<size_t>(n) - 1].source,
                                                jobs[static_cast<size_t>(n) - 1].destination);
        }
        return names;
    };
    // A job is done only when robocopy's log shows its normal end; its exit code
    // alone cannot tell a killed or crashed copy from a good one.
    DWORD log_error = 0;
    auto log_text = win::read_text_file(log, CP_OEMCP, &log_error);
    if (!log_text) {
        busy.restore();
        win::ask(hwnd(), L"BACKUP NOT CONFIRMED",
                 L"Ostrevin could not read the backup log " + m.Quote + log + m.Quote + L": " +
                     win::error_text(log_error) + L"." + m.TwoCr +
                     L"The backup may be incomplete; please run the backups again.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    std::vector<int> unfinished;
    for (int n : core::unfinished_jobs(*log_text, static_cast<int>(jobs.size())))
        if (std::find(failed->begin(), failed->end(), n) == failed->end()) unfinished.push_back(n);
    if (failed->empty() && !unfinished.empty()) {
        busy.restore();
        win::ask(hwnd(), L"BACKUP NOT FINISHED",
                 std::wstring(unfinished.size() == 1 ? L"This job did not run to its end:"
                                                     : L"These jobs did not run to their end:") +
                     job_rows(unfinished) + m.TwoCr +
                     L"Some files may not have been copied. Please run the backups again.",
                 MB_OK | MB_ICONSTOP);
        return;
    }
    if (!failed->empty()) {
        busy.restore();
        const std::wstring names = job_rows(*failed);
        win::ask(hwnd(), L"BACKUP FAILED",
                 std::wstring(failed->size() == 1 ? L"This job could not copy all its files:"
                                                 : L"These jobs could not copy all their files:") +
                     names + m.TwoCr + L"Please check the drives and folders, then run the backups again.",
                 MB_OK | MB_ICONSTOP);
        return;
    }

    const std::wstring today = app::TodayShortDate();
    core::RecordBackupDate(m.settings, m.JobFileName, today);
    m.LastBackupDate = today;
    lblBUDateDisplay.setText(L"Last Backup on " + today);
    busy.restore();
    std::wstring why;
    if (!WriteProgramFilesList(&why)) {
        // The copy itself worked; say so, and that the list did not.
        win::ask(hwnd(), L"BACKUP COMPLETE",
                 L"Your backup is complete, but the list of Program Files could not be saved in " +
                     m.JobPaths[1].destination + L": " + why + L"." + m.TwoCr +
                     L"Please check that folder.",
                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (chkExit.send(BM_GETCHECK) == BST_CHECKED) {
        MenuFileExit_Click();
        return;
    }
    win::ask(hwnd(), L"BACKUP COMPLETE",
             L"Your backup is complete and a current list of Program Files is saved in " + m.JobPaths[1].destination,
             MB_OK);
}

}  // namespace ui
