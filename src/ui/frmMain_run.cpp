// The main window's run handlers: RUN BACKUPS, the drive check's timer, Print Program Files.
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

// The busy display of a run, undone however the run ends.
class RunDisplay {
public:
    explicit RunDisplay(FrmMain& f) : f_(f) {
        f_.run_in_progress = true;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        f_.cmdAddJob.show(false);
        f_.cmdRun.show(false);
        setLabel(SS_CENTER, L"Please wait while processing files");
    }
    ~RunDisplay() {
        f_.cmdAddJob.show(true);
        f_.cmdRun.show(true);
        setLabel(SS_LEFT, L"Job List");
        f_.run_in_progress = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
    RunDisplay(const RunDisplay&) = delete;
    RunDisplay& operator=(const RunDisplay&) = delete;

private:
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
    {
        RunDisplay busy(*this);
        run::BackupRun backup(jobList.jobs(), {checked(chkEmpty), checked(chkRemove)},
                              [this](MSG& msg) { dispatch(msg); });
        outcome = backup.run(app::state().JobFileName);
    }
    if (outcome.kind == run::Outcome::Kind::Completed) {
        lblBUDateDisplay.setText(L"Last Backup on " + outcome.date);
        if (outcome.list_saved && checked(chkExit)) {
            MenuFileExit_Click();
            return;
        }
    }
    win::ask(hwnd(), outcome.title, outcome.text, outcome.flags);
}

void FrmMain::MenuFilePrint_Click() {
    const std::wstring first = jobList.count() ? jobList.job(1).destination : std::wstring();
    const win::Status saved = run::write_program_files_list(first);
    if (saved) return;
    win::tell_failure(hwnd(), L"LIST NOT SAVED",
                      {L"list of Program Files", L"", L"saved in " + app::state().Quote + first + app::state().Quote,
                       saved.code()},
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
        check = run::check_drives(hwnd(), jobList, first_drive_check_, [this](int) { return askDrive(); });
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
