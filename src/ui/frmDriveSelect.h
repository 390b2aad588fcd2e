#pragma once
// The drive selection window: the user names the letter under which a backup drive
// is mounted now. The check hands it a job's row number in Tag; OK answers "Done".
#include <windows.h>

#include <memory>
#include <string>

#include "win/drive_list.h"
#include "win/form.h"
#include "win/modal.h"

namespace ui {

class FrmMain;

enum DriveSelectId : int { ID_DS_DRIVES = 100, ID_DS_ALL, ID_DS_OK };

class FrmDriveSelect : public win::Form, public win::ModalWindow {
public:
    // Made hidden, owned by the main window, whose job rows it re-points.
    bool Create(FrmMain& main);
    HWND hwnd() const override { return Form::hwnd(); }

    win::DriveList Drive1;
    win::Window Check1, Command1;
    std::wstring Tag;

    bool applyToAll() const { return Check1.send(BM_GETCHECK) == BST_CHECKED; }
    void Command1_Click();

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;

private:
    FrmMain* main_ = nullptr;
};

// Makes the window when it does not exist (yet, or any more since its close box
// destroyed it). False when the window cannot be made.
bool ensure_drive_select(std::unique_ptr<FrmDriveSelect>& window, FrmMain& main);

}  // namespace ui
