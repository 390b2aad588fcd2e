// The About window's load step and what its update check shows: the timer's
// tick, the finished loads and the close.
#include <memory>
#include <string>

#include "about/version_check.h"
#include "app/module1.h"
#include "app/startup.h"
#include "core/version.h"
#include "ui/frmAbout.h"

namespace ui {

const std::wstring& FrmAbout::AvailableVersion() const {
    static const std::wstring none;
    return check_ ? check_->available() : none;
}

bool FrmAbout::timerRunning() const { return check_ && check_->timerRunning(); }

void FrmAbout::Form_Load() {
    const std::wstring running = core::padded_version_text(app::app_version());
    window().setText(std::wstring(L"About ") + app::kAppTitle);
    lblVersion.setText(L"Version " + running);
    lblTitle.setText(app::kAppTitle);
    check_ = std::make_unique<about::VersionCheck>(hwnd(), kAboutTimer1, kAboutTimer1Interval, WM_ABOUT_LOADED,
                                                   app::state().settings, running);
    CheckVersion.setText(check_->status());
}

void FrmAbout::Timer1_Timer() {
    if (!check_ || !check_->tick()) return;
    CheckVersion.setText(check_->status());
    TimerCounter.setText(std::to_wstring(check_->counter()));
}

void FrmAbout::WebBrowser1_DocumentComplete(const std::optional<std::wstring>& title) {
    if (check_ && check_->completed(title)) CheckVersion.setText(check_->status());
}

void FrmAbout::cmdOK_Click() {
    // Hiding still ends the modal display should the window refuse to go.
    if (!DestroyWindow(hwnd())) window().show(false);
}

void FrmAbout::endCheck() {
    if (check_) check_->end();
}

}  // namespace ui
