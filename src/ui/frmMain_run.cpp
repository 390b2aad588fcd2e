// The main window's run handlers: RUN BACKUPS and STOP, the drive check's timer, Print Program Files.
#include <windows.h>
#include <commctrl.h>

#include <array>

#include "app/module1.h"
#include "app/run_history.h"
#include "app/startup.h"
#include "run/program_files.h"
#include "run/run_thread.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"
#include "ui/notify.h"
#include "ui/run_message.h"
#include "win/local_time.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr UINT kSteadyInterval = 10000;

bool checked(win::Window box) { return box.send(BM_GETCHECK) == BST_CHECKED; }

// Clears the running mark however the check ends.
struct CheckRunning {
    bool& flag;
    explicit CheckRunning(bool& f) : flag(f) { flag = true; }
    ~CheckRunning() { flag = false; }
};

}  // namespace

void FrmMain::cmdRun_Click() {
    if (run_in_progress) return;
    stop_wanted_ = close_after_run_ = false;
    document.refresh();  // the run takes the folders as the rows show them
    app::Module1& m = app::state();
    run_job_file_ = document.fileName();
    // An unattended run of this job file takes the boxes as they are now.
    if (!document.untitled())
        m.settings.JobOptions[document.fileName()] = {checked(chkEmpty), checked(chkRemove), checked(chkExit),
                                                      checked(chkKeep)};
    showRun(true);
    // On record before it changes anything: a run the program does not outlive is told.
    run_name_ = app::run_log_name(m.DataFolder);
    run_going_ = app::mark_going(run_name_);
    run_started_ = app::add_run_start(run_job_file_, run_name_);
    run::Options options{checked(chkEmpty), checked(chkRemove), m.DataFolder, run_name_};
    options.keep_versions = checked(chkKeep);
    const win::Status started = run_.start(hwnd(), document.jobs(), options);
    if (started) return;
    showRun(false);
    run::Outcome none;  // its end line, for its start line
    none.text = win::Failure{L"backup run", L"", L"started", started.code()}.text() + L".";
    recordRun(none);
    win::tell_failure(hwnd(), L"BACKUP NOT STARTED", {L"backup run", L"", L"started", started.code()},
                      L"Nothing has been copied.", win::Severity::Error);
}

void FrmMain::onRunMessage(UINT msg) {
    if (msg == run::WM_RUN_PROGRESS) {
        const run::Shown shown = run_.progress();
        prgRun.send(PBM_SETPOS, static_cast<WPARAM>(shown.progress.finished));
        lblProgress.setText(shown.line);
    } else if (msg == run::WM_RUN_QUESTION) {
        if (const auto q = run_.question())
            run_.answer(win::say(hwnd(), {win::Severity::Warning, q->title, q->text, win::Buttons::YesNoCancel, true}));
    } else if (msg == run::WM_RUN_ENDED && run_.running()) {
        runEnded(run_.finish());
    }
}

void FrmMain::runEnded(const run::Outcome& outcome) {
    showRun(false);
    const win::Status recorded = recordRun(outcome), started = run_started_;
    if (outcome.kind == run::Outcome::Kind::Completed && outcome.list_saved && recorded && started &&
        checked(chkExit)) {
        MenuFileExit_Click();
        return;
    }
    win::say(hwnd(), run_message(outcome));
    if (!recorded || !started)
        win::tell_failure(hwnd(), L"HISTORY NOT WRITTEN",
                          {L"run history", app::history_path(), L"written", (recorded ? started : recorded).code()},
                          recorded ? L"Had this run not ended, the next start could not have told about it; please "
                                     L"check that folder."
                                   : L"The next start cannot tell about this run; please check that folder.");
    if (close_after_run_) requestClose();
}

// While a run goes on, the progress bar, the job line and STOP stand where the
// buttons and options were, and the file commands and row deletes are greyed.
void FrmMain::showRun(bool on) {
    run_in_progress = on;
    block_session_end(hwnd(), on);
    SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
    const std::array<win::Window*, 6> idle = {&cmdAddJob, &chkEmpty, &chkRemove, &chkExit, &chkKeep, &cmdRun};
    const std::array<win::Window*, 3> running = {&prgRun, &lblProgress, &cmdStop};
    if (on) {
        // One job has no steps to count: the bar only shows that it is at work.
        const int jobs = jobList.count();
        LONG_PTR style = GetWindowLongPtrW(prgRun.hwnd(), GWL_STYLE) & ~static_cast<LONG_PTR>(PBS_MARQUEE);
        SetWindowLongPtrW(prgRun.hwnd(), GWL_STYLE, style | (jobs == 1 ? PBS_MARQUEE : 0));
        prgRun.send(PBM_SETMARQUEE, jobs == 1, 50);
        prgRun.send(PBM_SETRANGE32, 0, jobs);
        prgRun.send(PBM_SETPOS, 0);
        lblProgress.setText(L"");
        cmdStop.setText(L"STOP");
        cmdStop.enable(true);
    } else {
        prgRun.send(PBM_SETMARQUEE, FALSE, 0);
    }
    for (win::Window* w : idle) w->show(!on);
    for (win::Window* w : running) w->show(on);
    for (int i = 1; i <= jobList.count(); ++i) jobList.row(i).del.enable(!on);
    UpdateTitle();
    // Never left on the hidden STOP, where the keyboard would reach nothing.
    SetFocus(on ? cmdStop.hwnd() : IsWindowEnabled(cmdRun.hwnd()) ? cmdRun.hwnd() : txtSource.hwnd());
    const LONG_PTR style = GetWindowLongPtrW(Label2.hwnd(), GWL_STYLE);
    SetWindowLongPtrW(Label2.hwnd(), GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | (on ? SS_CENTER : SS_LEFT));
    Label2.setText(on ? L"Please wait while processing files" : L"Job List");
    InvalidateRect(Label2.hwnd(), nullptr, TRUE);
}

void FrmMain::cmdStop_Click() {
    if (!run_in_progress || stop_wanted_) return;
    stop_wanted_ = true;
    run_.stop();
    cmdStop.setText(L"STOPPING");
    cmdStop.enable(false);
}

bool FrmMain::askToStopRun() {
    const int answer = win::say(hwnd(), {win::Severity::Question, L"BACKUP RUNNING",
                                         L"A backup is running; stopping it leaves some files not copied." +
                                             core::kTwoCr + L"Do you want to stop the backup and close Ostrevin?",
                                         win::Buttons::YesNo, true});
    if (answer != IDYES) return false;
    cmdStop_Click();
    return true;
}

void FrmMain::MenuFilePrint_Click() {
    const std::wstring first = document.count() ? document.job(1).destination : std::wstring();
    const win::Status saved = run::write_program_files_list(first);
    if (saved) return;
    win::tell_failure(hwnd(), L"LIST NOT SAVED",
                      {L"list of Program Files", L"", L"saved in " + core::quoted(first), saved.code()},
                      L"Please check that the first job's destination is available.");
}

std::optional<run::DriveChoice> FrmMain::askDrive() {
    if (win::ensure_made(frmDriveSelect, hwnd())) return frmDriveSelect->ask(hwnd());
    if (!drive_window_failure_told_) {
        drive_window_failure_told_ = true;
        win::tell_failure(hwnd(), L"WINDOW NOT OPENED", {L"drive selection window", L"", L"opened", GetLastError()},
                          L"Please plug in the drive named on the RUN button.");
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
                              L"Please start Ostrevin again to have the drives checked.");
        }
        first_drive_check_ = false;
    }
}

}  // namespace ui
