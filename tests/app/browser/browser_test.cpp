// The folder browser as the BROWSE buttons open it: its lists, its path box and
// the drive change, on real folders and mapped drives.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/app_fixture.h"
#include "ui/frmBrowser.h"

using test::App;

namespace {

ui::FrmBrowser& browser(win::ModalWindow& w) { return dynamic_cast<ui::FrmBrowser&>(w); }

// What the controls send their window when the user acts on them.
void press(win::Window button) {
    SendMessageW(GetParent(button.hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button.hwnd()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.hwnd()));
}
// A click (LBN_SELCHANGE) or double click (LBN_DBLCLK) on a folder of the list.
void on_folder(ui::FrmBrowser& b, const std::wstring& name, int code = LBN_SELCHANGE) {
    const auto& rows = b.dirSelector.rows();
    auto at = std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.name == name; });
    ASSERT_TRUE(at != rows.end() && b.dirSelector.select(static_cast<int>(at - rows.begin()))) << test::narrow(name);
    for (int c : {LBN_SELCHANGE, code})
        SendMessageW(b.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_BR_FOLDERS, c),
                     reinterpret_cast<LPARAM>(b.dirSelector.hwnd()));
}
// The user picks a drive in the closed drop-down list.
void choose_drive(ui::FrmBrowser& b, wchar_t letter) {
    auto entries = b.drvSelector.entries();
    auto at = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return towupper(e[0]) == letter; });
    ASSERT_TRUE(at != entries.end()) << "drive not listed";
    SendMessageW(b.drvSelector.hwnd(), CB_SETCURSEL, static_cast<WPARAM>(at - entries.begin()), 0);
    SendMessageW(b.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_BR_DRIVES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(b.drvSelector.hwnd()));
}

}  // namespace

TEST(FolderBrowser, SelectCancelAndTheCloseBox) {
    App a;
    const std::wstring tree = a.box.path(L"tree");
    for (const wchar_t* d : {L"\\beta\\inner", L"\\Alpha", L"\\secret"}) test::make_dirs(tree + d);
    SetFileAttributesW((tree + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    a.start();
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        EXPECT_EQ(b.window().text(), L"SELECT SOURCE FOLDER");
        ShowWindow(b.hwnd(), SW_SHOW);
        EXPECT_EQ(b.dirSelector.path(), a.box.data());  // opened where the process is
        ASSERT_EQ(b.dirSelector.setPath(tree), 0u);
        EXPECT_EQ(b.dirSelector.rows().back().name, L"beta");  // the hidden folder is not listed
        on_folder(b, L"Alpha");
        EXPECT_EQ(b.txtPathname.text(), tree + L"\\Alpha");
        on_folder(b, L"beta", LBN_DBLCLK);
        EXPECT_EQ(b.dirSelector.rows().back().name, L"inner");
        press(b.Command1);
    });
    a.main->cmdSource_Click();
    EXPECT_EQ(a.main->txtSource.text(), tree + L"\\beta");

    // CANCEL after a click and the close box bring nothing back, yet the box is validated.
    a.main->txtDest.setText(tree + L"\\Alpha");
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ASSERT_EQ(browser(w).dirSelector.setPath(tree), 0u);
        on_folder(browser(w), L"beta");
        press(browser(w).Command2);
    });
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) { SendMessageW(w.hwnd(), WM_CLOSE, 0, 0); });
    for (int i = 0; i < 2; ++i) a.main->cmdDest_Click();
    EXPECT_EQ(a.main->txtDest.text(), tree + L"\\Alpha");
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
    EXPECT_EQ(a.prompts.modal_count, 3);
}

TEST(FolderBrowser, ADriveWithoutAMediumFallsBackToC) {
    App a;
    a.box.mapDrive(L'E', a.box.path(L"e"));
    a.box.mapDrive(L'M', a.box.path(L"m"));
    a.start();
    test::remove_tree(a.box.path(L"m"));         // M: is now a drive without a medium
    ASSERT_TRUE(SetCurrentDirectoryW(L"E:\\"));  // the process has left C
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        ShowWindow(b.hwnd(), SW_SHOW);
        choose_drive(b, L'M');
        ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"Ostrevin"});
        EXPECT_EQ(a.prompts.asked[0].text.rfind(L"Drive M: cannot be opened: ", 0), 0u);
        // Landed on C, at its root, where the process now is too.
        EXPECT_EQ(b.drvSelector.drive(), L'C');
        EXPECT_EQ(b.dirSelector.path(), L"C:\\");
        EXPECT_EQ(test::cwd(), L"C:\\");
        press(b.Command1);
    });
    a.main->cmdSource_Click();
    EXPECT_EQ(a.main->txtSource.text(), L"C:\\");  // what the drive change left in the path box
    ASSERT_TRUE(SetCurrentDirectoryW(a.box.data().c_str()));
}
