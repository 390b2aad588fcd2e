// The main window and the history of runs: what did not complete is told at the
// start, each run adds its line, the warning line under the date, and a run that
// the end of the session stops.
#include "app/history_file.h"
#include "app/module1.h"
#include "app/run_history.h"
#include "core/history.h"
#include "ui/frmHistory.h"
#include "ui/frmMain.h"
#include "ui/run_message.h"
#include "win/local_time.h"
#include "win/prompt.h"

namespace ui {
namespace {

// How long the end of the session waits for the script and its copiers to stop.
constexpr DWORD kSessionWait = 15000;

}  // namespace

void FrmMain::tellMissedRuns() {
    core::Settings& s = app::state().settings;
    const core::ToTell tell = core::runs_to_tell(app::read_history(), s.ToldRuns, app::run_going);
    s.ToldRuns = tell.mark;  // kept through the exit merge: told once
    if (tell.runs.empty()) return;
    win::say(hwnd(), {win::Severity::Error, L"BACKUPS NOT COMPLETE", core::told_text(tell)});
}

std::wstring FrmMain::warningText() const {
    if (document.untitled()) return {};
    return core::warning_line(app::read_history(), document.fileName(), scheduleKind(), win::local_now(),
                              app::run_going);
}

// The run on record: a complete run's date, and its line in the history.
win::Status FrmMain::recordRun(const run::Outcome& outcome) {
    if (outcome.kind == run::Outcome::Kind::Completed) {
        const std::wstring date = win::short_date();
        core::RecordBackupDate(app::state().settings, run_job_file_, date);
        lblBUDateDisplay.setText(L"Last Backup on " + date);
    }
    const win::Status added = addRunLine(outcome);
    run_going_ = {};
    app::prune_run_logs(app::state().DataFolder);
    showNextRun();
    return added;
}

// The line as an unattended run writes it. The window has told its own outcome: the
// start need not tell it again unless others came between.
win::Status FrmMain::addRunLine(const run::Outcome& outcome) {
    const app::HistoryLine line{win::local_stamp(), run_job_file_, run_message(outcome).title,
                                app::outcome_detail(outcome, {}), app::history_log(outcome.log_copy, run_name_)};
    const win::Status added = app::add_history(line);
    if (!added) return added;
    // The note passes this run only when it is the one run not told yet.
    core::Settings& s = app::state().settings;
    const auto history = app::read_history();
    const auto untold = core::untold_runs(history, s.ToldRuns);
    if (untold.size() == 1 && untold[0].when == line.when && untold[0].job_file == line.job_file)
        s.ToldRuns = core::told_mark(history);
    return added;
}

// The history as it is now; the window reads it only, so a run may go on meanwhile.
void FrmMain::MenuFileHistory_Click() {
    FrmHistory window;
    if (!window.create(hwnd(), core::history_runs(app::read_history(), app::run_going))) {
        win::tell_failure(hwnd(), L"RUN HISTORY", {L"run history window", L"", L"opened", GetLastError()},
                          L"Please close some windows and try again.");
        return;
    }
    window.show(hwnd());
}

// The session ends: the run stops as STOP stops it, and its line is written before
// the window answers, for the next start to tell.
void FrmMain::endRunForSession() {
    if (!run_in_progress) return;
    stop_wanted_ = true;
    run_.stop();
    if (!run_.ended(kSessionWait)) return;  // its end, should it still come, writes the line
    const run::Outcome outcome = run_.finish();
    showRun(false);
    recordRun(outcome);
}

}  // namespace ui
