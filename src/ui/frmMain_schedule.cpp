// File > Schedule: the open job file's task in the Task Scheduler, kept in the
// settings file so the window can show its next run.
#include "app/module1.h"
#include "app/settings_file.h"
#include "core/schedule.h"
#include "run/scheduled_task.h"
#include "ui/frmMain.h"
#include "ui/frmSchedule.h"
#include "win/dpi.h"
#include "win/local_time.h"
#include "win/prompt.h"

namespace ui {
namespace {

std::optional<core::Schedule> schedule_of(const jobs::JobDocument& document) {
    if (document.untitled()) return std::nullopt;
    const std::wstring& job = document.fileName();
    return core::parse_schedule(core::schedule_text_of(app::state().settings, job));
}

// "Next run: Mon 07/12/2026 21:00" in the user's formats, or "" when none is due.
std::wstring next_run_text(const core::Schedule& s) {
    if (s.kind == core::ScheduleKind::AtLogon) return L"Next run: at the next logon";
    const auto next = core::next_run(s, win::local_now());
    if (!next) return {};
    const std::wstring date = win::short_date(&*next), time = win::short_time(*next);
    if (date.empty() || time.empty()) return {};
    const int weekday = core::weekday_of(next->year, next->month, next->day);
    return L"Next run: " + std::wstring(core::weekday_name(weekday)) + L" " + date + L" " + time;
}

void place(win::Window w, const Spot& at) {
    SetWindowPos(w.hwnd(), nullptr, win::px(at.left), win::px(at.top), win::px(at.width), win::px(at.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void FrmMain::showNextRun() {
    const auto s = schedule_of(document);
    const std::wstring text = s ? next_run_text(*s) : L"";
    // A warning matters more than the next run, and takes its line.
    const std::wstring warning = warningText();
    // The job rows start right below the date label: it moves up a line to make room.
    place(lblBUDateDisplay, text.empty() && warning.empty() ? kDateSpot : kDateSpotRaised);
    lblNextRun.setText(text);
    lblNextRun.show(!text.empty() && warning.empty());
    lblWarning.setText(warning);
    lblWarning.show(!warning.empty());
}

core::ScheduleKind FrmMain::scheduleKind() const {
    const auto s = schedule_of(document);
    return s ? s->kind : core::ScheduleKind::Off;
}

void FrmMain::MenuFileSchedule_Click() {
    app::Module1& m = app::state();
    if (document.untitled()) return;
    const std::wstring job = document.fileName();
    FrmSchedule window;
    if (!window.create(hwnd())) {
        win::tell_failure(hwnd(), L"SCHEDULE", {L"schedule window", L"", L"opened", GetLastError()},
                          L"Please close some windows and try again.");
        return;
    }
    const auto chosen = window.ask(hwnd(), schedule_of(document).value_or(core::Schedule{}));
    if (!chosen) return;

    const std::wstring name = core::task_name(job);
    const bool off = chosen->kind == core::ScheduleKind::Off;
    HRESULT hr = S_OK;
    if (off) {
        hr = run::delete_task(name);
    } else {
        wchar_t exe[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) hr = HRESULT_FROM_WIN32(n ? ERROR_INSUFFICIENT_BUFFER : GetLastError());
        const std::wstring user = run::current_user();
        if (SUCCEEDED(hr) && user.empty()) hr = HRESULT_FROM_WIN32(GetLastError());
        if (SUCCEEDED(hr))
            hr = run::register_task(name, core::task_xml(*chosen, {exe, job, m.DataFolder, user}, win::local_now()));
    }
    if (FAILED(hr)) {
        win::Failure f{L"scheduled task", name, off ? L"removed" : L"made", run::error_code(hr)};
        f.outcome = L"The schedule of " + core::quoted(job) + L" is unchanged.";
        win::tell_failure(hwnd(), L"SCHEDULE NOT SET", f,
                          L"Please check that the Task Scheduler service is running, then try again.");
        return;
    }
    app::write_schedule(hwnd(), job, off ? L"" : core::schedule_text(*chosen));
    showNextRun();
}

}  // namespace ui
