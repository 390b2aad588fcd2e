#pragma once
// The About window: title, version and description, and the update check that
// starts by itself when the window opens. Made anew for each opening.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "win/form.h"
#include "win/modal.h"

namespace about {
class VersionCheck;
}

namespace ui {

enum AboutId : int {
    ID_ABOUT_OK = IDOK,  // Enter and Esc both land here
    ID_ABOUT_ICON = 100,
    ID_ABOUT_TITLE,
    ID_ABOUT_VERSION,
    ID_ABOUT_DESCRIPTION,
    ID_ABOUT_DISCLAIMER0,
    ID_ABOUT_DISCLAIMER1,
    ID_ABOUT_LINE0,
    ID_ABOUT_LINE1,
    ID_ABOUT_CHECKVERSION,
    ID_ABOUT_TIMERCOUNTER,
};
inline constexpr UINT_PTR kAboutTimer1 = 1;
inline constexpr UINT kAboutTimer1Interval = 1000;
// A load of the web client has finished; wParam is the load's id.
inline constexpr UINT WM_ABOUT_LOADED = WM_APP + 1;

class FrmAbout : public win::Form, public win::ModalWindow {
public:
    FrmAbout();
    ~FrmAbout() override;
    HWND hwnd() const override { return Form::hwnd(); }

    // Creates the window (hidden, owned by `owner`) and runs its load step.
    bool create(HWND owner);

    win::Window picIcon, lblTitle, lblVersion, lblDescription, lblDisclaimer[2], Line1[2], cmdOK, CheckVersion,
        TimerCounter;
    const std::wstring& AvailableVersion() const;
    bool timerRunning() const;

    void Timer1_Timer();
    // A finished load of the version file, with the title of what it loaded.
    void WebBrowser1_DocumentComplete(const std::optional<std::wstring>& title);
    void cmdOK_Click();

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    void createControls();
    void Form_Load();
    void endCheck();  // on destruction of the window: timer and loads go
    std::unique_ptr<about::VersionCheck> check_;
};

}  // namespace ui
