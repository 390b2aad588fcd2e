#include "ui/frmRunAlone.h"

#include <commctrl.h>

#include "ui/notify.h"

namespace ui {

bool FrmRunAlone::create(const std::wstring& job_file, bool shown) {
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    if (!makeWindow(L"OstrevinRunAlone", L"Ostrevin - " + job_file, kStyle, WS_EX_CONTROLPARENT, nullptr, nullptr, 6600,
                    1500))
        return false;
    lblProgress = win::Window(addControl(L"STATIC", L"Starting the backups of " + job_file,
                                         WS_VISIBLE | SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, 0, 120, 120, 6360, 315));
    prgRun = win::Window(addControl(PROGRESS_CLASSW, L"", WS_VISIBLE | PBS_MARQUEE, 0, 120, 540, 5160, 375));
    cmdStop = win::Window(
        addControl(L"BUTTON", L"STOP", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ID_RA_STOP, 5400, 540, 1080, 375));
    if (!lblProgress || !prgRun || !cmdStop) {
        DestroyWindow(hwnd());
        return false;
    }
    prgRun.send(PBM_SETMARQUEE, TRUE, 50);
    block_session_end(hwnd(), true);
    shown_ = shown;
    return true;
}

win::Status FrmRunAlone::start(std::vector<core::JobFolders> jobs, run::Options options) {
    const win::Status started = run_.start(hwnd(), std::move(jobs), std::move(options));
    if (started && shown_) {
        centreOver(nullptr);
        ShowWindow(hwnd(), SW_SHOWNOACTIVATE);  // a scheduled run does not take the keyboard from the user
    }
    return started;
}

void FrmRunAlone::ended(const run::Outcome& outcome) {
    block_session_end(hwnd(), false);
    if (on_end) on_end(outcome);
    DestroyWindow(hwnd());
}

void FrmRunAlone::cmdStop_Click() {
    run_.stop();
    cmdStop.setText(L"STOPPING");
    cmdStop.enable(false);
}

void FrmRunAlone::onCommand(int id, int code) {
    if (id == ID_RA_STOP && code == BN_CLICKED) cmdStop_Click();
}

LRESULT FrmRunAlone::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case run::WM_RUN_PROGRESS:
            lblProgress.setText(run_.progress().line);
            return 0;
        case run::WM_RUN_QUESTION:
            // No one is there to answer: the job runs without removing or replacing anything, or is held.
            if (const auto q = run_.question()) {
                answered_no.push_back(q->text);
                run_.answer(IDNO);
            }
            return 0;
        case run::WM_RUN_ENDED:
            if (run_.running()) ended(run_.finish());
            return 0;
        case WM_QUERYENDSESSION:
        case WM_ENDSESSION:
            // Stopped as STOP stops it; its end is written before the session goes on ending.
            if (run_.running() && (msg == WM_QUERYENDSESSION || w)) {
                cmdStop_Click();
                if (run_.ended(15000)) ended(run_.finish());
            }
            return msg == WM_QUERYENDSESSION ? TRUE : 0;
        case WM_CLOSE:
            cmdStop_Click();  // the window goes when the run has ended
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
