// File > Restore: the restore window over the main window, for the jobs as the rows show them.
#include <windows.h>

#include "ui/frmMain.h"
#include "ui/frmRestore.h"
#include "win/prompt.h"

namespace ui {

void FrmMain::MenuFileRestore_Click() {
    document.refresh();
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));  // a large backup takes a moment to read
    FrmRestore window;
    std::optional<win::Failure> unread;
    const bool made = window.create(hwnd(), document.jobs(), unread);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (!made) {
        win::tell_failure(hwnd(), L"RESTORE", {L"restore window", L"", L"opened", GetLastError()},
                          L"Please close some windows and try again.");
        return;
    }
    if (unread) {
        unread->outcome = L"Its files are not shown";
        win::tell_failure(hwnd(), L"RESTORE", *unread, L"Please check that the backup drive is there and readable.");
    }
    window.show(hwnd());
}

}  // namespace ui
