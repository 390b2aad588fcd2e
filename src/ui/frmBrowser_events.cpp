// What the folder browser does: the path box, the drive change, SELECT and CANCEL.
#include "app/module1.h"
#include "core/text.h"
#include "ui/frmBrowser.h"
#include "win/errors.h"
#include "win/prompt.h"

namespace ui {

void FrmBrowser::Form_Activate() { txtPathname.setText(L""); }

void FrmBrowser::dirSelector_Click() {
    if (dirSelector.selected() >= 0) txtPathname.setText(dirSelector.selectedPath());
}

void FrmBrowser::dirSelector_DblClick() {
    int row = dirSelector.selected();
    if (row < 0) return;
    const std::wstring folder = dirSelector.rows()[static_cast<size_t>(row)].path;
    const std::wstring shown = dirSelector.path();
    if (DWORD err = dirSelector.setPath(folder)) {
        // The folder went away (or its drive did) since the list was filled.
        win::Failure f{L"folder", folder, L"opened", err};
        f.lasting = true;
        win::tell_failure(hwnd(), app::kAppTitle, f, L"Please choose another folder.", win::Severity::Information);
        dirSelector.setPath(shown);
    }
}

void FrmBrowser::drvSelector_Change() {
    const wchar_t letter = drvSelector.drive();
    if (!letter) return;
    const std::wstring drive{letter, L':'};
    // The folder list first shows the drive's current folder, which is what the
    // path box gets; then the drive's root becomes the process's current folder.
    DWORD err = dirSelector.setPath(drive);
    if (!err) {
        const std::wstring root = dirSelector.path().substr(0, 3);
        txtPathname.setText(dirSelector.selectedPath());
        if (!SetCurrentDirectoryW(root.c_str())) err = GetLastError();
        else err = dirSelector.setPath(root);
    }
    if (!err) return;

    win::say(hwnd(), {win::Severity::Information, app::kAppTitle,
                      L"Drive " + drive + L" cannot be opened: " + win::error_text(err) + L"." + core::kTwoCr +
                          L"Please insert its medium or choose another drive."});
    if (letter != L'C' && drvSelector.setDrive(L'C')) {
        drvSelector_Change();
        return;
    }
    // Drive C failed as well: both lists stay with the folder still shown.
    if (!dirSelector.path().empty()) drvSelector.setDrive(dirSelector.path()[0]);
}

void FrmBrowser::Command1_Click() { window().show(false); }

void FrmBrowser::Command2_Click() {
    txtPathname.setText(L"");
    window().show(false);
}

}  // namespace ui
