// The drive presence check run by the main window's timer.
#include <utility>
#include <vector>

#include "app/module1.h"
#include "core/text.h"
#include "folders/path_exists.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr UINT kSteadyInterval = 10000;

// Clears the running mark however the check ends.
struct CheckRunning {
    bool& flag;
    explicit CheckRunning(bool& f) : flag(f) { flag = true; }
    ~CheckRunning() { flag = false; }
};

}  // namespace

void FrmMain::Timer1_Timer() {
    // The check's message and window pump messages; a tick meanwhile is dropped.
    if (drive_check_running) return;
    bool ready = false;
    {
        CheckRunning running(drive_check_running);
        ready = CheckBackupDrive();
    }
    cmdRun.enable(ready);
    if (Timer1Tag == L"FIRST") {
        // Change the interval of the running timer; a stopped one stays stopped.
        if (KillTimer(hwnd(), ID_TIMER1) && !SetTimer(hwnd(), ID_TIMER1, kSteadyInterval, nullptr)) {
            win::ask(hwnd(), L"DRIVE CHECK STOPPED",
                     L"The regular check of the backup drives could not be started: " +
                         win::error_text(GetLastError()) + L"." + app::state().TwoCr +
                         L"Please start Ostrevin again to have the drives checked.",
                     MB_OK | MB_ICONEXCLAMATION);
        }
        Timer1Tag.clear();
    }
}

bool FrmMain::CheckBackupDrive() {
    app::Module1& m = app::state();
    // Jobs found missing on this tick and left as they were, with the destination
    // they had then; the button stays disabled while any of them is still missing.
    std::vector<std::pair<int, std::wstring>> declined;
    for (int i = 1; i <= m.JobCount; ++i) {
        const std::wstring destination = m.JobPaths[static_cast<size_t>(i)].destination;
        const std::wstring drive = core::to_upper(destination.substr(0, 3));
        // A listing that fails (no medium) or a refused path counts as missing.
        if (folders::PathExistsOrFalse(destination, 20)) {
            if (declined.empty()) cmdRun.setText(L"RUN BACKUPS");
            continue;
        }
        if (Timer1Tag == L"FIRST") {
            win::ask(hwnd(), L"Drive Not Available",
                     L"The external drive " + drive + L" is not available." + m.TwoCr +
                         L"Please select the correct drive on the next window.",
                     MB_OK | MB_ICONSTOP);
        }
        if (ensure_drive_select(frmDriveSelect, *this)) {
            frmDriveSelect->Tag = std::to_wstring(i);
            win::prompter().show_modal(*frmDriveSelect, hwnd());
            if (frmDriveSelect->Tag == L"Done") {
                // Confirmed: done for this tick, unless an earlier job is still missing
                // (not re-pointed by the confirmation).
                for (const auto& [row, was] : declined)
                    if (m.JobPaths[static_cast<size_t>(row)].destination == was) return false;
                return true;
            }
        } else {
            static bool told = false;  // once is enough: the next tick would fail alike
            if (!told) {
                told = true;
                win::ask(hwnd(), L"WINDOW NOT OPENED",
                         L"The drive selection window could not be opened: " + win::error_text(GetLastError()) + L"." +
                             m.TwoCr + L"Please plug in the drive named on the RUN button.",
                         MB_OK | MB_ICONEXCLAMATION);
            }
        }
        cmdRun.setText(L"PLUG IN " + drive);
        declined.emplace_back(i, destination);
    }
    return m.JobCount > 0 && declined.empty();
}

}  // namespace ui
