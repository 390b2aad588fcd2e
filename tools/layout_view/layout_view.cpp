// Shows the main window with three jobs, the folder browser and the drive selection
// side by side for a look at their layout (take a screenshot meanwhile).
// Usage: layout_view [SECONDS]   (see tools/layout_view/show.sh)
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/folder_tree.h"
#include "support/app_fixture.h"
#include "ui/frmBrowser.h"
#include "ui/frmDriveSelect.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    test::App a;
    a.box.mapDrive(L'E', a.box.path(L"e"), "BACKUP");
    test::make_dirs(L"E:\\BACKUP\\Documents");
    test::make_dirs(L"E:\\BACKUP\\Photos");
    test::make_dirs(L"E:\\BACKUP\\Music");
    a.start();
    for (const wchar_t* folder : {L"Documents", L"Pictures", L"Music"})
        a.main->document.load({std::wstring(L"C:\\Users\\tester\\") + folder, L"E:\\BACKUP"});
    a.main->document.replace(3, {L"C:\\Users\\tester\\Music", L"E:\\BACKUP", {L"*.tmp", L"~$*", L"Cache\\"}});
    a.main->Timer1_Timer();
    SetWindowPos(a.main->hwnd(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(a.main->hwnd(), SW_SHOW);

    ui::FrmBrowser& b = *a.main->frmBrowser;
    b.window().setText(L"SELECT DESTINATION FOLDER");
    if (!b.drvSelector.setDrive(L'E')) return 1;
    b.drvSelector_Change();
    if (b.dirSelector.setPath(L"E:\\BACKUP") != 0u) return 1;
    RECT r{};
    GetWindowRect(a.main->hwnd(), &r);
    SetWindowPos(b.hwnd(), nullptr, r.right + 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(b.hwnd(), SW_SHOW);
    b.dirSelector.select(core::open_row(b.dirSelector.rows()) + 1);
    b.dirSelector_Click();

    ui::FrmDriveSelect& d = *a.main->frmDriveSelect;
    SetWindowPos(d.hwnd(), nullptr, 10, r.bottom + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(d.hwnd(), SW_SHOWNOACTIVATE);
    test::pump(static_cast<DWORD>(seconds) * 1000);
    SetCurrentDirectoryW(a.box.data().c_str());
    return 0;
}
