// The drive presence check and the drive selection window, against drive letters
// that are really mapped and unplugged in the Wine prefix.
#include <gtest/gtest.h>

#include <functional>

#include "core/jobrow.h"
#include "support/app_fixture.h"
#include "ui/frmDriveSelect.h"

namespace {

struct DrivesApp : test::App {
    // A job as a job file holds it: the list stays unchanged.
    void job(const std::wstring& source, const std::wstring& dest) { main->document.load({source, dest}); }
    std::wstring destination(int i) const { return main->document.job(i).destination; }
    std::wstring caption() const { return main->cmdRun.text(); }
    bool ready() const { return main->cmdRun.enabled(); }
};

ui::FrmDriveSelect& drive_window(win::ModalWindow& w) { return dynamic_cast<ui::FrmDriveSelect&>(w); }

// The user picks a drive, sets or clears "Apply to all jobs" and presses OK.
std::function<void(win::ModalWindow&)> choose(wchar_t letter, bool all) {
    return [=](win::ModalWindow& w) {
        ui::FrmDriveSelect& d = drive_window(w);
        ShowWindow(d.hwnd(), SW_SHOWNOACTIVATE);  // as the modal display does: the list is read again
        ASSERT_TRUE(d.Drive1.setDrive(letter));
        d.Check1.send(BM_SETCHECK, all ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_DS_OK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(d.Command1.hwnd()));
    };
}

// The user closes the window from its title bar.
void close_box(win::ModalWindow& w) { SendMessageW(w.hwnd(), WM_CLOSE, 0, 0); }

}  // namespace

TEST(DriveCheck, AnUnpluggedDriveIsToldOnceAndAskedForEachTime) {
    DrivesApp a;
    test::ScriptedPrompter& prompts = a.prompts;
    a.box.mapDrive(L'E', a.box.path(L"e"));
    test::make_dirs(a.box.path(L"local"));
    a.start();
    a.job(L"C:\\DATA", L"E:\\BACKUP\\DATA");
    a.job(L"C:\\DOCS", a.box.path(L"local"));
    a.box.unmapDrive(L'E');
    a.main->cmdRun.enable(true);

    // Ticks that arrive while the message or the window is up are dropped.
    auto tick_now = [&] { SendMessageW(a.main->hwnd(), WM_TIMER, ui::ID_TIMER1, 0); };
    prompts.during_message = tick_now;
    prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        tick_now();
        close_box(w);
    });
    a.main->Timer1_Timer();
    ASSERT_EQ(prompts.titles(), std::vector<std::wstring>{L"Drive Not Available"});
    EXPECT_NE(prompts.asked[0].text.find(L"E:\\ is not available"), std::wstring::npos);
    EXPECT_EQ(prompts.modal_count, 1);
    EXPECT_FALSE(a.ready());
    EXPECT_EQ(a.caption(), L"PLUG IN E:\\");

    // Later checks: the window only; hidden without OK is declined as well.
    prompts.during_message = nullptr;
    prompts.modal_scripts.push_back([&](win::ModalWindow& w) { drive_window(w).window().show(false); });
    a.main->cmdRun.enable(true);
    a.main->Timer1_Timer();
    EXPECT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.modal_count, 2);
    EXPECT_FALSE(a.ready());
    EXPECT_EQ(a.destination(1), L"E:\\BACKUP\\DATA");

    // A folder missing from a drive that is plugged in is missing all the same,
    // and the check goes on while a backup run waits.
    a.box.mapDrive(L'E', a.box.path(L"e"));
    test::make_dirs(L"E:\\OTHER");
    a.main->run_in_progress = true;
    prompts.modal_scripts.push_back(close_box);
    a.main->cmdRun.setText(L"RUN BACKUPS");
    a.main->Timer1_Timer();
    a.main->run_in_progress = false;
    EXPECT_EQ(prompts.modal_count, 3);
    EXPECT_EQ(a.caption(), L"PLUG IN E:\\");
    // Every destination present: ready, and nothing asked.
    test::make_dirs(L"E:\\BACKUP\\DATA");
    a.main->Timer1_Timer();
    EXPECT_TRUE(a.ready());
    EXPECT_EQ(a.caption(), L"RUN BACKUPS");
    EXPECT_EQ(prompts.modal_count, 3);
}

TEST(DriveCheck, TheChosenLetterMovesOneJobOrEveryDriveDestination) {
    DrivesApp a;
    for (wchar_t d : {L'E', L'F', L'G'}) a.box.mapDrive(d, a.box.path(std::wstring(1, d)));
    test::make_dirs(a.box.path(L"local"));
    a.start();
    a.job(L"C:\\Data", L"E:\\BACKUP\\DATA");
    a.job(L"C:\\Pics", a.box.path(L"local"));  // present, on C
    a.job(L"C:\\Docs", L"\\\\SERVER\\SHARE\\DOCS");
    a.job(L"C:\\B", L"G:\\BACKUP\\B");
    a.job(L"D:\\B", L"F:\\BACKUP\\B");  // once row 4 is on F, both copy into F:\BACKUP\B\B
    a.box.unmapDrive(L'E');
    a.box.unmapDrive(L'G');
    test::make_dirs(L"F:\\BACKUP\\B");
    const std::wstring title = a.title();

    // Rows 1 and 3 declined, row 4 moved alone: the conflict is told, the declined rows hold the button.
    a.prompts.modal_scripts = {close_box, close_box, choose(L'F', false)};
    a.main->Timer1_Timer();
    ASSERT_EQ(a.prompts.titles().back(), L"JOBS IN CONFLICT");
    EXPECT_NE(a.prompts.asked.back().text.find(L"Jobs 4 and 5"), std::wstring::npos);
    EXPECT_EQ(a.destination(1), L"E:\\BACKUP\\DATA");
    EXPECT_EQ(a.destination(4), L"F:\\BACKUP\\B");
    EXPECT_FALSE(a.ready());

    // Apply to all: every drive destination moves to the letter, at once ready.
    a.prompts.modal_scripts.push_back(choose(L'f', true));
    a.main->Timer1_Timer();
    EXPECT_EQ(a.destination(1), L"F:\\BACKUP\\DATA");
    EXPECT_EQ(a.destination(2), L"F" + a.box.path(L"local").substr(1));  // the rest as it was
    EXPECT_EQ(a.destination(3), L"\\\\SERVER\\SHARE\\DOCS");             // no drive letter to swap
    EXPECT_TRUE(a.ready());
    // Re-pointing is for this sitting: the list is not marked changed, and closing asks nothing.
    EXPECT_EQ(a.title(), title);
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SAVE));
    const size_t asked = a.prompts.asked.size();
    EXPECT_TRUE(a.close());
    EXPECT_EQ(a.prompts.asked.size(), asked);
}

TEST(DriveSelection, ListsTheDrivesPluggedInSince) {
    DrivesApp a;
    a.box.mapDrive(L'E', a.box.path(L"e"));
    a.start();
    ui::FrmDriveSelect& d = *a.main->frmDriveSelect;

    // Opening the list reads the drives again.
    a.box.mapDrive(L'H', a.box.path(L"h"));
    EXPECT_FALSE(d.Drive1.setDrive(L'H'));
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_DS_DRIVES, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(d.Drive1.hwnd()));
    EXPECT_TRUE(d.Drive1.setDrive(L'H'));

    // A drive plugged in after the window was made is there when it is shown.
    a.box.mapDrive(L'G', a.box.path(L"g"));
    test::make_dirs(L"G:\\BACKUP");
    a.box.unmapDrive(L'E');
    a.job(L"C:\\DATA", L"E:\\BACKUP");
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmDriveSelect& s = drive_window(w);
        // The real modal display: shown, OK pressed through the message loop.
        ShowWindow(s.hwnd(), SW_SHOW);
        EXPECT_TRUE(s.Drive1.setDrive(L'G'));
        EXPECT_FALSE(s.Drive1.setDrive(L'E'));
        PostMessageW(s.Command1.hwnd(), BM_CLICK, 0, 0);
        s.runModal(a.main->hwnd());
    });
    a.main->Timer1_Timer();
    EXPECT_EQ(a.destination(1), L"G:\\BACKUP");
    EXPECT_TRUE(a.ready());
    EXPECT_TRUE(IsWindowEnabled(a.main->hwnd()));
}
