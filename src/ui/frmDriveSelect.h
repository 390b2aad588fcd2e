#pragma once
// The drive selection window: the user names the letter under which a backup drive
// is mounted now, for one job or for all.
#include <windows.h>

#include <memory>
#include <optional>

#include "run/drive_check.h"
#include "win/drive_list.h"
#include "win/form.h"
#include "win/modal.h"

namespace ui {

enum DriveSelectId : int { ID_DS_DRIVES = 100, ID_DS_ALL, ID_DS_OK };

class FrmDriveSelect : public win::Form, public win::ModalWindow {
public:
    // Made hidden, owned by the main window.
    bool create(HWND owner);
    HWND hwnd() const override { return Form::hwnd(); }

    win::DriveList Drive1;
    win::Window Check1, Command1;

    bool applyToAll() const { return Check1.send(BM_GETCHECK) == BST_CHECKED; }
    void Command1_Click();

    // Shows the window modally (through the prompt funnel): the choice confirmed
    // with OK, nullopt when the window was left without it.
    std::optional<run::DriveChoice> ask(HWND owner);

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    std::optional<run::DriveChoice> choice_;
};

}  // namespace ui
