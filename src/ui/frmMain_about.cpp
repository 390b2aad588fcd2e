// File > About: the About window, shown modally.
#include <memory>

#include "ui/frmAbout.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"

namespace ui {
void FrmMain::MenuAbout_Click() {
    // A fresh window each time, so every opening runs a fresh update check.
    auto about = std::make_unique<FrmAbout>();
    if (!about->create(hwnd())) {
        win::say(hwnd(), {win::Severity::Error, L"ERROR",
                          L"The About window could not be opened.\r\r" + win::error_text(GetLastError())});
        return;
    }
    win::show_modal(*about, hwnd());
}  // discarded here, with whatever of its check is still running
}  // namespace ui
