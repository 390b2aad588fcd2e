// The main window's run handlers: RUN BACKUPS and STOP, the drive check's timer, Print Program Files.
#include <windows.h>
#include <commctrl.h>

#include <array>

#include "app/module1.h"
#include "run/backup_run.h"
#include "run/program_files.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr UINT kSteadyInterval = 10000;

bool checked(win::Window box) { return box.send(BM_GETCHECK) == BST_CHECKED; }

// The busy display of a run, undone however the run ends: the progress bar, the
// job line and STOP stand where the buttons and options were.
class RunDisplay {
public:
    RunDisplay(FrmMain& f, int jobs) : f_(f) {
        f_.run_in_progress = true;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        for (win::Window* w : idle()) w->show(false);
        // One job has no steps to count: the bar only shows that it is at work.
        LONG_PTR style = GetWindowLongPtrW(f_.prgRun.hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(PBS_MARQUEE);
        SetWindowLongPtrW(f_.prgRun.hwnd(), GWL_STYLE, style | (jobs == 1 ? PBS_MARQUEE : 0));
        f_.prgRun.send(PBM_SETMARQUEE, jobs == 1, 50);
        f_.prgRun.send(PBM_SETRANGE32, 0, jobs);
        f_.prgRun.send(PBM_SETPOS, 0);
        f_.lblProgress.setText(L"");
        f_.cmdStop.setText(L"STOP");
        f_.cmdStop.enable(true);
        for (win::Window* w : running()) w->show(true);
        SetFocus(f_.cmdStop.hwnd());
        setLabel(SS_CENTER, L"Please wait while processing files");
    }
    ~RunDisplay() {
        f_.prgRun.send(PBM_SETMARQUEE, FALSE, 0);
        for (win::Window* w : running()) w->show(false);
        for (win::Window* w : idle()) w->show(true);
        // Not left on the hidden STOP: the keyboard would reach nothing.
        SetFocus(IsWindowEnabled(f_.cmdRun.hwnd()) ? f_.cmdRun.hwnd() : f_.txtSource.hwnd());
        setLabel(SS_LEFT, L"Job List");
        f_.run_in_progress = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    RunDisplay(const RunDisplay&) = delete;
    RunDisplay& operator=(const RunDisplay&) = delete;

private:
    std::array<win::Window*, 5> idle() { return {&f_.cmdAddJob, &f_.chkEmpty, &f_.chkRemove, &f_.chkExit, &f_.cmdRun}; }
    std::array<win::Window*, 3> running() { return {&f_.prgRun, &f_.lblProgress, &f_.cmdStop}; }
    void setLabel(DWORD align, const wchar_t* text) {
        LONG_PTR style = GetWindowLongPtrW(f_.Label2.hwnd(), GWL_STYLE);
        SetWindowLongPtrW(f_.Label2.hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | align);
        f_.Label2.setText(text);
        InvalidateRect(f_.Label2.hwnd(), nullptr, TRUE);
    }
    FrmMain& f_;
};

// Clears the running mark however the check ends.
struct CheckRunning {
    bool& flag;
    explicit CheckRunning(bool& f) : flag(f) { flag = true; }
    ~CheckRunning() { flag = false; }
};

}  // namespace

void FrmMain::cmdRun_Click() {
    if (run_in_progress) return;
    run::Outcome outcome;
    stop_wanted_ = close_after_run_ = false;
    document.refresh();  // the run takes the folders as the rows show them
    {
        RunDisplay busy(*this, jobList.count());
        run::BackupRun backup(jobList.jobs(), {checked(chkEmpty), checked(chkRemove)},
                              {[this](MSG& msg) { dispatch(msg); },
                               [this](const core::RunProgress& p, const std::wstring& line) { showProgress(p, line); },
                               [this] { return stop_wanted_; },
                               [this](const std::wstring& title, const std::wstring& text, UINT flags) {
                                   return win::ask(hwnd(), title, text, flags);
                               }});
        outcome = backup.run(document.fileName());
    }
    if (outcome.kind == run::Outcome::Kind::Completed) {
        lblBUDateDisplay.setText(L"Last Backup on " + outcome.date);
        if (outcome.list_saved && checked(chkExit)) {
            MenuFileExit_Click();
            return;
        }
    }
    win::ask(hwnd(), outcome.title, outcome.text, outcome.flags);
    if (close_after_run_) RequestClose();
}

void FrmMain::showProgress(const core::RunProgress& p, const std::wstring& line) {
    prgRun.send(PBM_SETPOS, static_cast<WPARAM>(p.finished));
    lblProgress.setText(line);
}

void FrmMain::cmdStop_Click() {
    if (!run_in_progress || stop_wanted_) return;
    stop_wanted_ = true;
    cmdStop.setText(L"STOPPING");
    cmdStop.enable(false);
}

bool FrmMain::askToStopRun() {
    const int answer = win::ask(hwnd(), L"BACKUP RUNNING",
                                L"A backup is running; stopping it leaves some files not copied." + app::state().TwoCr +
                                    L"Do you want to stop the backup and close Ostrevin?",
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer != IDYES) return false;
    cmdStop_Click();
    return true;
}

void FrmMain::MenuFilePrint_Click() {
    const std::wstring first = jobList.count() ? jobList.job(1).destination : std::wstring();
    const win::Status saved = run::write_program_files_list(first);
    if (saved) return;
    win::tell_failure(
        hwnd(), L"LIST NOT SAVED",
        {L"list of Program Files", L"", L"saved in " + app::state().Quote + first + app::state().Quote, saved.code()},
        L"Please check that the first job's destination is available.", MB_OK | MB_ICONEXCLAMATION);
}

std::optional<run::DriveChoice> FrmMain::askDrive() {
    if (ensure_drive_select(frmDriveSelect, hwnd())) return frmDriveSelect->ask(hwnd());
    if (!drive_window_failure_told_) {
        drive_window_failure_told_ = true;
        win::tell_failure(hwnd(), L"WINDOW NOT OPENED", {L"drive selection window", L"", L"opened", GetLastError()},
                          L"Please plug in the drive named on the RUN button.", MB_OK | MB_ICONEXCLAMATION);
    }
    return std::nullopt;
}

void FrmMain::Timer1_Timer() {
    // The check's message and window pump messages; a tick meanwhile is dropped.
    if (drive_check_running) return;
    run::DriveCheck check;
    {
        CheckRunning running(drive_check_running);
        check = run::check_drives(hwnd(), document, first_drive_check_, [this](int) { return askDrive(); });
    }
    if (!check.caption.empty()) cmdRun.setText(check.caption);
    cmdRun.enable(check.ready);
    if (first_drive_check_) {
        // Change the interval of the running timer; a stopped one stays stopped.
        if (KillTimer(hwnd(), ID_TIMER1) && !SetTimer(hwnd(), ID_TIMER1, kSteadyInterval, nullptr)) {
            win::tell_failure(hwnd(), L"DRIVE CHECK STOPPED",
                              {L"regular check of the backup drives", L"", L"started", GetLastError()},
                              L"Please start Ostrevin again to have the drives checked.", MB_OK | MB_ICONEXCLAMATION);
        }
        first_drive_check_ = false;
    }
}

}  // namespace ui
