#pragma once
// The folder browser: a drive list, a folder list and a path box. It is shown
// modally; the folder chosen comes back in the path box.
#include <windows.h>

#include <memory>

#include "folders/folder_list.h"
#include "win/drive_list.h"
#include "win/form.h"
#include "win/modal.h"

namespace ui {

enum BrowserId : int {
    ID_BR_LABEL_DRIVE = 100,
    ID_BR_DRIVES,
    ID_BR_LABEL_FOLDER,
    ID_BR_FOLDERS,
    ID_BR_PATH,
    ID_BR_SELECT = IDOK,      // Enter
    ID_BR_CANCEL = IDCANCEL,  // Esc
};

class FrmBrowser : public win::Form, public win::ModalWindow {
public:
    // Made hidden, owned by `owner`; its lists open at the process's current drive and folder.
    bool create(HWND owner);
    HWND hwnd() const override { return Form::hwnd(); }

    win::Window Label1[2], txtPathname, Command1, Command2;
    win::DriveList drvSelector;
    folders::FolderList dirSelector;

    void Form_Activate();
    void Form_Resize();
    void drvSelector_Change();
    void dirSelector_Click();
    void dirSelector_DblClick();
    void Command1_Click();  // SELECT
    void Command2_Click();  // CANCEL

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;

private:
    void createControls();
    void onCommand(int id, int code) override;
    SIZE minimumOuterSize() const;
};

}  // namespace ui
