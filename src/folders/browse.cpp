// The BROWSE buttons and the hidden windows made with the main window.
#include "app/module1.h"
#include "ui/frmBrowser.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"

namespace ui {
namespace {

// Shows the browser with a caption and copies a chosen folder into `box`.
void browse_into(FrmMain& main, const wchar_t* caption, win::Window box) {
    if (!ensure_browser(main.frmBrowser, main.hwnd())) {
        win::ask(main.hwnd(), L"WINDOW NOT OPENED",
                 L"The folder browser could not be opened: " + win::error_text(GetLastError()) + L"." +
                     app::state().TwoCr + L"Please type the folder into the box instead.",
                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    FrmBrowser& b = *main.frmBrowser;
    b.window().setText(caption);
    win::prompter().show_modal(b, main.hwnd());
    // Closed from its title bar the window is gone, and nothing was chosen.
    std::wstring chosen = b.hwnd() ? b.txtPathname.text() : std::wstring();
    if (!chosen.empty()) box.setText(chosen);
}

}  // namespace

void FrmMain::cmdSource_Click() {
    browse_into(*this, L"SELECT SOURCE FOLDER", txtSource);
    // Moving on to the destination box validates the source box as the BROWSE button
    // loses the focus; if the button had no focus to lose, validate it here.
    const bool had_focus = GetFocus() == cmdSource.hwnd();
    txtDest.focus();
    if (!had_focus || GetFocus() != txtDest.hwnd()) cmdSource_LostFocus();
    if (app::state().JobCount == core::kMaxJobs) FreezeEntry();
}

void FrmMain::cmdDest_Click() {
    browse_into(*this, L"SELECT DESTINATION FOLDER", txtDest);
    if (app::state().JobCount == core::kMaxJobs) FreezeEntry();
    cmdDest_LostFocus();
}

void FrmMain::createAuxiliaryWindows() {
    // A window that cannot be made now is tried again when it is needed.
    ensure_browser(frmBrowser, hwnd());
    ensure_drive_select(frmDriveSelect, *this);
}

void FrmMain::destroyAuxiliaryWindows() {
    frmBrowser.reset();
    frmDriveSelect.reset();
}

}  // namespace ui
