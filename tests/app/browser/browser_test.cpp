// The folder browser as the BROWSE buttons open it: its lists, its path box, the
// drive change and the resize rule, on real folders and mapped drives.
#include <gtest/gtest.h>

#include <functional>

#include "core/jobrow.h"
#include "support/app_fixture.h"
#include "ui/frmBrowser.h"
#include "win/dpi.h"
#include "win/errors.h"

using test::App;

namespace {


ui::FrmBrowser& browser(win::ModalWindow& w) { return dynamic_cast<ui::FrmBrowser&>(w); }

// What the controls send their window when the user acts on them.
void press(win::Window button) {
    SendMessageW(GetParent(button.hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button.hwnd()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.hwnd()));
}
void notify_folders(ui::FrmBrowser& b, int code) {
    SendMessageW(b.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_BR_FOLDERS, code),
                 reinterpret_cast<LPARAM>(b.dirSelector.hwnd()));
}
int row_named(const ui::FrmBrowser& b, const std::wstring& name) {
    const auto& rows = b.dirSelector.rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) return static_cast<int>(i);
    ADD_FAILURE() << "no row " << test::narrow(name);
    return -1;
}
void click_folder(ui::FrmBrowser& b, const std::wstring& name) {
    ASSERT_TRUE(b.dirSelector.select(row_named(b, name)));
    notify_folders(b, LBN_SELCHANGE);
}
void open_folder(ui::FrmBrowser& b, const std::wstring& name) {
    click_folder(b, name);
    notify_folders(b, LBN_DBLCLK);
}
// The user picks a drive in the closed drop-down list.
void choose_drive(ui::FrmBrowser& b, wchar_t letter) {
    auto entries = b.drvSelector.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (towupper(entries[i][0]) == letter) {
            SendMessageW(b.drvSelector.hwnd(), CB_SETCURSEL, i, 0);
            SendMessageW(b.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_BR_DRIVES, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(b.drvSelector.hwnd()));
            return;
        }
    }
    ADD_FAILURE() << "drive not listed";
}

// Control rectangles in twips, client coordinates.
RECT twips_of(HWND control, HWND parent) {
    RECT r = win::Window(control).rectIn(parent);
    return RECT{win::twips(r.left), win::twips(r.top), win::twips(r.right), win::twips(r.bottom)};
}

}  // namespace

TEST(FolderBrowser, ChosenFolderGoesToTheSourceBoxAndEachOpeningStartsEmpty) {
    App a;
    const std::wstring tree = a.box.path(L"tree");
    test::make_dirs(tree + L"\\beta\\inner");
    test::make_dirs(tree + L"\\Alpha");
    test::make_dirs(tree + L"\\secret");
    SetFileAttributesW((tree + L"\\secret").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    a.start();

    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        EXPECT_EQ(b.window().text(), L"SELECT SOURCE FOLDER");
        b.txtPathname.setText(L"left over");
        ShowWindow(b.hwnd(), SW_SHOW);
        EXPECT_EQ(b.txtPathname.text(), L"");
        // Opened where the process is: the working folder.
        EXPECT_EQ(b.dirSelector.path(), a.box.data());
        EXPECT_EQ(b.drvSelector.drive(), L'C');
        ASSERT_EQ(b.dirSelector.setPath(tree), 0u);
        // The folder is open and selected; its hidden sub-folder is not listed.
        const auto& rows = b.dirSelector.rows();
        ASSERT_EQ(rows.size(), static_cast<size_t>(b.dirSelector.selected()) + 3);
        EXPECT_EQ(rows.back().name, L"beta");

        click_folder(b, L"Alpha");
        EXPECT_EQ(b.txtPathname.text(), tree + L"\\Alpha");
        open_folder(b, L"beta");
        EXPECT_EQ(b.dirSelector.path(), tree + L"\\beta");
        EXPECT_EQ(b.dirSelector.rows().back().name, L"inner");
        EXPECT_EQ(b.txtPathname.text(), tree + L"\\beta");
        press(b.Command1);
        EXPECT_FALSE(b.window().visible());
    });
    a.main->cmdSource_Click();
    EXPECT_EQ(a.main->txtSource.text(), tree + L"\\beta");
    EXPECT_TRUE(a.prompts.asked.empty());  // an existing folder asks nothing

    // Second opening, the real modal display: an empty path box, the lists where they
    // were; a path typed and confirmed with Enter is returned as typed, then checked.
    a.prompts.answers.push_back(IDYES);
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        ShowWindow(b.hwnd(), SW_SHOW);
        EXPECT_EQ(b.txtPathname.text(), L"");
        EXPECT_EQ(b.dirSelector.path(), tree + L"\\beta");
        b.txtPathname.setText(tree + L"\\typed");
        PostMessageW(b.txtPathname.hwnd(), WM_KEYDOWN, VK_RETURN, 0);
        b.run_modal(a.main->hwnd());
    });
    a.main->cmdSource_Click();
    EXPECT_EQ(a.main->txtSource.text(), tree + L"\\typed");
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"PATH NOT FOUND");
    EXPECT_TRUE(test::exists(tree + L"\\typed"));
    EXPECT_EQ(a.prompts.modal_count, 2);
}

TEST(FolderBrowser, CancelEmptySelectAndTheCloseBoxLeaveTheBoxAsItWas) {
    App a;
    const std::wstring src = a.box.path(L"src"), dst = a.box.path(L"dst");
    test::make_dirs(src);
    test::make_dirs(dst + L"\\sub");
    a.start();
    a.main->txtSource.setText(src);
    a.main->txtDest.setText(dst);
    ASSERT_FALSE(a.main->cmdAddJob.enabled());

    // CANCEL after a folder was clicked: nothing comes back; the destination box is
    // still validated, which finds both folders and enables ADD JOB.
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        EXPECT_EQ(b.window().text(), L"SELECT DESTINATION FOLDER");
        ASSERT_EQ(b.dirSelector.setPath(dst), 0u);
        click_folder(b, L"sub");
        EXPECT_EQ(b.txtPathname.text(), dst + L"\\sub");
        press(b.Command2);
        EXPECT_EQ(b.txtPathname.text(), L"");
    });
    a.main->cmdDest_Click();
    EXPECT_EQ(a.main->txtDest.text(), dst);
    EXPECT_TRUE(a.main->cmdAddJob.enabled());

    // SELECT with an empty path box: unchanged box, validated all the same.
    a.main->txtDest.setText(a.box.path(L"gone"));
    a.prompts.answers.push_back(IDNO);
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) { press(browser(w).Command1); });
    a.main->cmdDest_Click();
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"PATH NOT FOUND");
    EXPECT_EQ(a.main->txtDest.text(), L"");  // "No" empties the box
    EXPECT_FALSE(a.main->cmdAddJob.enabled());

    a.main->txtDest.setText(dst);
    // The close box: nothing comes back, and the next opening finds a new window
    // with its lists at the process's current drive and folder.
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        click_folder(b, L"sub");
        SendMessageW(b.hwnd(), WM_CLOSE, 0, 0);
    });
    a.main->cmdDest_Click();
    EXPECT_EQ(a.main->txtDest.text(), dst);
    ASSERT_TRUE(SetCurrentDirectoryW(src.c_str()));
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        EXPECT_EQ(b.window().text(), L"SELECT DESTINATION FOLDER");
        EXPECT_EQ(b.dirSelector.path(), src);
        press(b.Command2);
    });
    a.main->cmdDest_Click();
    EXPECT_EQ(a.prompts.modal_count, 4);
    EXPECT_EQ(a.prompts.asked.size(), 1u);
}

TEST(FolderBrowser, DriveChangeMovesTheCurrentFolderAndFallsBackToC) {
    App a;
    a.box.mapDrive(L'E', a.box.path(L"e"));
    test::make_dirs(L"E:\\photos\\2014");
    test::make_dirs(L"E:\\music");
    a.box.mapDrive(L'M', a.box.path(L"m"));
    a.start();
    test::remove_tree(a.box.path(L"m"));  // M: is now a drive without a medium
    // E: is current, in a folder below its root; the lists still show C:.
    ASSERT_TRUE(SetCurrentDirectoryW(L"E:\\photos"));

    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmBrowser& b = browser(w);
        ShowWindow(b.hwnd(), SW_SHOW);
        EXPECT_EQ(b.drvSelector.drive(), L'C');
        choose_drive(b, L'E');
        // The path box gets the drive's current folder; the list ends at the root.
        EXPECT_EQ(b.txtPathname.text(), L"E:\\photos");
        EXPECT_EQ(b.dirSelector.path(), L"E:\\");
        EXPECT_EQ(test::cwd(), L"E:\\");
        ASSERT_EQ(b.dirSelector.rows().size(), 3u);
        EXPECT_EQ(b.dirSelector.rows()[1].name, L"music");
        EXPECT_TRUE(a.prompts.asked.empty());

        choose_drive(b, L'M');
        ASSERT_EQ(a.prompts.asked.size(), 1u);
        const test::Asked& m = a.prompts.asked[0];
        EXPECT_EQ(m.title, L"Ostrevin");
        EXPECT_EQ(m.text, L"Drive M: cannot be opened: " + win::error_text(ERROR_PATH_NOT_FOUND) +
                              L".\r\rPlease insert its medium or choose another drive.");
        EXPECT_EQ(m.flags, static_cast<UINT>(MB_OK));
        // Landed on C, at its root (the process had left C).
        EXPECT_EQ(b.drvSelector.drive(), L'C');
        EXPECT_EQ(b.dirSelector.path(), L"C:\\");
        EXPECT_EQ(test::cwd(), L"C:\\");
        EXPECT_EQ(b.txtPathname.text(), L"C:\\");

        // The arrow key in the closed list moves to the next drive, E:, and changes to it.
        SendMessageW(b.drvSelector.hwnd(), WM_KEYDOWN, VK_DOWN, 0);
        EXPECT_EQ(b.drvSelector.drive(), L'E');
        EXPECT_EQ(b.dirSelector.path(), L"E:\\");
        EXPECT_EQ(b.txtPathname.text(), L"E:\\");
        choose_drive(b, L'C');
        press(b.Command1);
    });
    a.main->cmdSource_Click();
    // SELECT returned what the drive change left in the path box.
    EXPECT_EQ(a.main->txtSource.text(), L"C:\\");
    ASSERT_TRUE(SetCurrentDirectoryW(a.box.data().c_str()));
}

TEST(FolderBrowser, ResizeRuleAndMinimumSize) {
    App a;
    a.start();
    ui::FrmBrowser& b = *a.main->frmBrowser;
    HWND h = b.hwnd();
    ShowWindow(h, SW_SHOWNORMAL);
    // Left, top, right, bottom of the drive list, folder list, path box, SELECT and
    // CANCEL in twips, at the minimum size and grown by (dw, dh): the folder list and
    // the path box stretch, SELECT stays flush with the list's right edge.
    auto layout = [&] {
        std::vector<LONG> v;
        for (HWND c : {b.drvSelector.hwnd(), b.dirSelector.hwnd(), b.txtPathname.hwnd(), b.Command1.hwnd(),
                       b.Command2.hwnd()}) {
            RECT r = twips_of(c, h);
            v.insert(v.end(), {r.left, r.top, r.right, r.bottom});
        }
        return v;
    };
    auto expected = [](LONG dw, LONG dh) {
        return std::vector<LONG>{120, 480, 3120, 870, 120, 1440, 4725 + dw, 5130 + dh,
                                 120, 5250 + dh, 4725 + dw, 5625 + dh, 3270 + dw, 5730 + dh, 4725 + dw, 6105 + dh,
                                 120, 5730 + dh, 1335, 6105 + dh};
    };
    // Dragged or set smaller: it snaps back to the design client area.
    ASSERT_TRUE(SetWindowPos(h, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER));
    RECT client{}, outer{};
    ASSERT_TRUE(GetClientRect(h, &client) && GetWindowRect(h, &outer));
    EXPECT_EQ(client.right, win::px(4815));
    EXPECT_EQ(client.bottom, win::px(6255));
    EXPECT_EQ(layout(), expected(0, 0));
    ASSERT_TRUE(SetWindowPos(h, nullptr, 0, 0, outer.right - outer.left + win::px(1500),
                             outer.bottom - outer.top + win::px(900), SWP_NOMOVE | SWP_NOZORDER));
    EXPECT_EQ(layout(), expected(1500, 900));
    // Minimized, nothing moves.
    ShowWindow(h, SW_MINIMIZE);
    test::pump(50);
    ShowWindow(h, SW_RESTORE);
    test::pump(50);
    EXPECT_EQ(layout(), expected(1500, 900));
    ShowWindow(h, SW_HIDE);
}

TEST(FolderBrowser, FullJobListFreezesTheEntryAfterBrowsing) {
    App a;
    a.start();
    for (int i = 1; i <= 13; ++i) a.main->AppendJobRow(core::FormatJobRow(L"C:\\A", L"C:\\B" + std::to_wstring(i)));
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) { press(browser(w).Command2); });
    a.main->cmdSource_Click();
    EXPECT_FALSE(a.main->txtSource.enabled());
    EXPECT_FALSE(a.main->cmdDest.enabled());
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
    EXPECT_FALSE(a.main->txtDest.enabled());
    EXPECT_TRUE(a.prompts.asked.empty());
}
