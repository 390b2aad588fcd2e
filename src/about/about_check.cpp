// The About window's load step and its update check: the timer's tick, the
// finished loads and the close.
#include <exception>
#include <string>

#include "about/web_client.h"
#include "app/module1.h"
#include "app/startup.h"
#include "core/update_check.h"
#include "ui/frmAbout.h"

namespace ui {

const std::wstring& FrmAbout::AvailableVersion() const {
    static const std::wstring none;
    return check_ ? check_->available() : none;
}

void FrmAbout::Form_Load() {
    const std::wstring running = core::padded_version_text(app::AppVersion());
    window().setText(std::wstring(L"About ") + app::kAppTitle);
    lblVersion.setText(L"Version " + running);
    lblTitle.setText(app::kAppTitle);

    // Empty settings mean the built-in server.
    const core::Settings& s = app::state().settings;
    server_ = s.UpdateServer.empty() ? std::wstring(core::kDefaultUpdateServer) : s.UpdateServer;
    std::wstring host = s.UpdateHost.empty() ? std::wstring(core::kDefaultUpdateHost) : s.UpdateHost;
    check_ = std::make_unique<core::UpdateCheck>(host, running);
    WebBrowser1 = std::make_unique<about::WebClient>(hwnd(), WM_ABOUT_LOADED);
    timer_running_ = SetTimer(hwnd(), kAboutTimer1, kAboutTimer1Interval, nullptr) != 0;
    // Without its timer the check cannot run; say so rather than connect forever.
    if (!timer_running_) check_->cannot_run();
    CheckVersion.setText(check_->status());
}

// The check's errors stay in the status text: no message box, and the tick and
// its time-out go on.
void FrmAbout::Timer1_Timer() {
    if (!check_ || !timer_running_) return;
    try {
        core::CheckStep step = check_->tick();
        CheckVersion.setText(check_->status());
        TimerCounter.setText(std::to_wstring(check_->counter()));
        // A load started as the check gives up could only be cancelled again.
        if (step.stop_timer) stopTimer1();
        else if (step.start_load) WebBrowser1->Navigate(server_, std::string(core::kVersionFilePath));
    } catch (const std::exception&) {
    }
}

void FrmAbout::WebBrowser1_DocumentComplete(const std::optional<std::wstring>& title) {
    if (!check_) return;
    try {
        core::CheckStep step =
            check_->completed(title ? std::optional<std::wstring_view>(*title) : std::nullopt);
        CheckVersion.setText(check_->status());
        if (step.stop_timer) stopTimer1();
    } catch (const std::exception&) {
    }
}

// Once the check has stopped, a load still out there could only come back late
// and turn a final result into a "Checking" that nothing would ever finish.
void FrmAbout::stopTimer1() {
    if (timer_running_) KillTimer(hwnd(), kAboutTimer1);
    timer_running_ = false;
    if (WebBrowser1) WebBrowser1->Stop();
}

void FrmAbout::cmdOK_Click() {
    // Hiding still ends the modal display should the window refuse to go.
    if (!DestroyWindow(hwnd())) window().show(false);
}

void FrmAbout::endCheck() {
    if (timer_running_) KillTimer(hwnd(), kAboutTimer1);
    timer_running_ = false;
    WebBrowser1.reset();  // cancels the loads and waits for their threads
}

}  // namespace ui
