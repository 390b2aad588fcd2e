#pragma once
// The splash window: shown once start-up has read the settings; goes after 3 s, on
// a key press or on a click on its frame.
#include <functional>

#include "win/form.h"

namespace ui {

class FrmSplash : public win::Form {
public:
    ~FrmSplash() override;
    // Makes the splash, and shows it when asked.
    bool create(bool show);
    // Discards the splash, then calls on_dismissed (which shows the main window). Once only.
    void dismiss();
    std::function<void()> on_dismissed;

    win::Window Frame1, lblProductName, lblVersion, lblPlatform[2], lblCopyright, lblWarning, imgLogo;
    bool timerRunning() const { return timer_running_; }

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;

private:
    static LRESULT CALLBACK frameProc(HWND h, UINT msg, WPARAM w, LPARAM l);
    bool timer_running_ = false;
    bool dismissed_ = false;
};

}  // namespace ui
