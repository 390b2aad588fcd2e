// The drive presence check and the drive selection window, against drive letters
// that are really mapped and unplugged in the Wine prefix.
#include <gtest/gtest.h>

#include <functional>

#include "app/drives/plugged_drives.h"
#include "core/jobrow.h"
#include "core/text.h"
#include "support/app_fixture.h"
#include "ui/frmDriveSelect.h"

using test::App;

namespace {

void add_job(App& a, const std::wstring& source, const std::wstring& destination) {
    a.main->AppendJobRow(core::FormatJobRow(source, destination));
    a.main->RefreshJobPaths();
}

std::wstring row_text(App& a, int i) { return a.main->rows[static_cast<size_t>(i)].text.text(); }
std::wstring destination(int i) { return app::state().JobPaths[static_cast<size_t>(i)].destination; }

ui::FrmDriveSelect& drive_window(win::ModalWindow& w) { return dynamic_cast<ui::FrmDriveSelect&>(w); }

// What a button sends its window when it is pressed.
void press(win::Window button) {
    SendMessageW(GetParent(button.hwnd()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button.hwnd()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.hwnd()));
}

// The user picks a drive, sets or clears "Apply to all jobs" and presses OK.
std::function<void(win::ModalWindow&)> choose(wchar_t letter, bool all, std::wstring* tag_seen = nullptr) {
    return [=](win::ModalWindow& w) {
        ui::FrmDriveSelect& d = drive_window(w);
        if (tag_seen) *tag_seen = d.Tag;
        ShowWindow(d.hwnd(), SW_SHOWNOACTIVATE);  // as the modal display does: the list is read again
        ASSERT_TRUE(d.Drive1.setDrive(letter));
        d.Check1.send(BM_SETCHECK, all ? BST_CHECKED : BST_UNCHECKED);
        press(d.Command1);
    };
}

// The user closes the window from its title bar.
std::function<void(win::ModalWindow&)> close_box(std::wstring* tag_seen = nullptr) {
    return [=](win::ModalWindow& w) {
        if (tag_seen) *tag_seen = drive_window(w).Tag;
        SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    };
}

// Records what is asked and lets a test act while a message box is up.
struct TickingPrompter : test::ScriptedPrompter {
    std::function<void()> during_message;
    int message(const win::MessageRequest& r) override {
        if (during_message) during_message();
        return ScriptedPrompter::message(r);
    }
};

}  // namespace

TEST(DriveCheck, PresentDestinationsKeepRunBackupsReadyAndShowNothing) {
    App a;
    test::PluggedDrives drives(a.box);
    drives.plug(L'E', a.box.path(L"e"));
    test::make_dirs(L"E:\\BACKUP\\DATA");
    test::make_dirs(a.box.path(L"local"));
    a.start();
    add_job(a, L"C:\\DATA", L"E:\\Backup\\Data");
    add_job(a, L"C:\\DOCS", a.box.path(L"local"));
    a.main->cmdRun.setText(L"PLUG IN E:\\");  // left by an earlier check
    // The running first-check timer is kept running (at its new interval).
    ASSERT_NE(SetTimer(a.main->hwnd(), ui::ID_TIMER1, 500, nullptr), 0u);
    for (int tick = 0; tick < 3; ++tick) {
        a.main->Timer1_Timer();
        EXPECT_TRUE(a.main->cmdRun.enabled()) << tick;
        EXPECT_EQ(a.main->cmdRun.text(), L"RUN BACKUPS") << tick;
        EXPECT_EQ(a.main->Timer1Tag, L"") << tick;
    }
    EXPECT_TRUE(KillTimer(a.main->hwnd(), ui::ID_TIMER1));
    EXPECT_TRUE(a.prompts.asked.empty());
    EXPECT_EQ(a.prompts.modal_count, 0);
}

TEST(DriveCheck, UnpluggedDriveWarnsOnTheFirstCheckOnlyAndAsksForTheDriveEachTime) {
    App a;
    test::PluggedDrives drives(a.box);
    TickingPrompter prompts;
    drives.plug(L'E', a.box.path(L"e"));
    test::make_dirs(L"E:\\BACKUP\\DATA");
    a.start();
    add_job(a, L"C:\\DATA", L"E:\\BACKUP\\DATA");
    drives.unplug(L'E');
    a.main->cmdRun.enable(true);

    // Ticks that arrive while the message or the window is up are dropped.
    auto tick_now = [&] { SendMessageW(a.main->hwnd(), WM_TIMER, ui::ID_TIMER1, 0); };
    prompts.during_message = tick_now;
    std::wstring tag;
    prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        tick_now();
        EXPECT_EQ(prompts.modal_count, 1);
        EXPECT_EQ(prompts.asked.size(), 1u);
        EXPECT_EQ(w.hwnd() ? drive_window(w).window().text() : L"", L"DRIVE SELECTION");
        drive_window(w).Check1.send(BM_SETCHECK, BST_UNCHECKED);
        close_box(&tag)(w);
    });
    a.main->Timer1_Timer();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.asked[0].title, L"Drive Not Available");
    EXPECT_EQ(prompts.asked[0].text,
              L"The external drive E:\\ is not available.\r\rPlease select the correct drive on the next window.");
    EXPECT_EQ(prompts.asked[0].buttons(), static_cast<UINT>(MB_OK));
    EXPECT_EQ(prompts.asked[0].icon(), static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(prompts.modal_count, 1);
    EXPECT_EQ(tag, L"1");
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    EXPECT_EQ(a.main->Timer1Tag, L"");

    // Later checks: the window only. The close box destroyed it; it comes back new.
    prompts.during_message = nullptr;
    bool fresh = false;
    prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        fresh = drive_window(w).applyToAll();
        tag = drive_window(w).Tag;
        drive_window(w).window().show(false);  // gone without OK: declined as well
    });
    a.main->cmdRun.enable(true);
    a.main->Timer1_Timer();
    EXPECT_EQ(prompts.asked.size(), 1u);
    EXPECT_EQ(prompts.modal_count, 2);
    EXPECT_TRUE(fresh);
    EXPECT_EQ(tag, L"1");
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    EXPECT_EQ(destination(1), L"E:\\BACKUP\\DATA");

    // A folder deleted from a drive that stays plugged in is missing all the same,
    // and the check goes on while a backup run waits.
    drives.plug(L'E', a.box.path(L"e"));
    test::make_dirs(L"E:\\OTHER");
    test::remove_tree(L"E:\\BACKUP\\DATA");
    a.main->run_in_progress = true;
    prompts.modal_scripts.push_back(close_box(&tag));
    a.main->cmdRun.setText(L"RUN BACKUPS");
    a.main->Timer1_Timer();
    a.main->run_in_progress = false;
    EXPECT_EQ(prompts.modal_count, 3);
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    EXPECT_FALSE(a.main->cmdRun.enabled());
}

TEST(DriveCheck, ApplyToAllMovesEveryDriveDestinationToTheChosenLetter) {
    App a;
    test::PluggedDrives drives(a.box);
    drives.plug(L'E', a.box.path(L"e"));
    drives.plug(L'F', a.box.path(L"f"));
    test::make_dirs(a.box.path(L"local"));
    a.start();
    add_job(a, L"C:\\Data", L"E:\\Backup\\Data");
    add_job(a, L"C:\\Pics", a.box.path(L"local"));  // present, on C
    add_job(a, L"C:\\Docs", L"\\\\SERVER\\SHARE\\DOCS");
    add_job(a, L"C:\\Mail", L"E:\\MAIL");
    drives.unplug(L'E');
    const std::wstring title = a.title();

    // First check: each missing job is named and declined; the caption names the last.
    for (int i = 0; i < 3; ++i) a.prompts.modal_scripts.push_back(close_box());
    a.main->Timer1_Timer();
    ASSERT_EQ(a.prompts.asked.size(), 3u);
    EXPECT_NE(a.prompts.asked[1].text.find(L" \\\\S is not available."), std::wstring::npos);
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    EXPECT_FALSE(a.main->cmdRun.enabled());

    std::wstring tag;
    a.prompts.modal_scripts.push_back(choose(L'f', true, &tag));
    a.main->Timer1_Timer();
    EXPECT_EQ(tag, L"1");
    EXPECT_EQ(a.prompts.modal_count, 4);  // confirmed: the other jobs wait for the next check
    std::wstring local_on_f = L"F" + a.box.path(L"local").substr(1);
    EXPECT_EQ(destination(1), L"F:\\BACKUP\\DATA");
    EXPECT_EQ(destination(2), core::to_upper(local_on_f));
    EXPECT_EQ(destination(3), L"\\\\SERVER\\SHARE\\DOCS");  // no drive letter to swap
    EXPECT_EQ(destination(4), L"F:\\MAIL");
    EXPECT_EQ(row_text(a, 1), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"F:\\BACKUP\\DATA\"");
    EXPECT_EQ(row_text(a, 2), core::FormatJobRow(L"C:\\Pics", local_on_f));
    EXPECT_EQ(row_text(a, 3), L"COPY FOLDER  \"C:\\DOCS\"  INTO  \"\\\\SERVER\\SHARE\\DOCS\"");
    EXPECT_EQ(row_text(a, 4), L"COPY FOLDER  \"C:\\MAIL\"  INTO  \"F:\\MAIL\"");
    // Enabled at once; the caption waits for a check that finds the drives.
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    // The list counts as unchanged until something else changes it.
    EXPECT_FALSE(app::state().JobChanged);
    EXPECT_EQ(a.title(), title);
}

TEST(DriveCheck, ClearedApplyToAllMovesOnlyTheNamedRow) {
    App a;
    test::PluggedDrives drives(a.box);
    drives.plug(L'E', a.box.path(L"e"));
    drives.plug(L'F', a.box.path(L"f"));
    test::make_dirs(a.box.path(L"local"));
    a.start();
    add_job(a, L"C:\\A", a.box.path(L"local"));
    add_job(a, L"C:\\B", L"E:\\BACKUP\\B");
    add_job(a, L"C:\\C", L"E:\\BACKUP\\C");
    add_job(a, L"D:\\B", L"F:\\BACKUP\\B");  // once row 2 is on F, both copy into F:\BACKUP\B\B
    drives.unplug(L'E');
    test::make_dirs(L"F:\\BACKUP\\B");

    std::wstring tag;
    a.prompts.modal_scripts.push_back(choose(L'F', false, &tag));
    a.main->Timer1_Timer();
    EXPECT_EQ(tag, L"2");
    ASSERT_EQ(a.prompts.titles().back(), L"JOBS IN CONFLICT");
    EXPECT_NE(a.prompts.asked.back().text.find(L"Jobs 2 and 4"), std::wstring::npos);
    EXPECT_EQ(destination(1), core::to_upper(a.box.path(L"local")));
    EXPECT_EQ(destination(2), L"F:\\BACKUP\\B");
    EXPECT_EQ(destination(3), L"E:\\BACKUP\\C");
    EXPECT_EQ(row_text(a, 2), L"COPY FOLDER  \"C:\\B\"  INTO  \"F:\\BACKUP\\B\"");
    EXPECT_EQ(row_text(a, 3), L"COPY FOLDER  \"C:\\C\"  INTO  \"E:\\BACKUP\\C\"");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"RUN BACKUPS");  // set by row 1, found present

    // Next check: row 2 is found on F; row 3 is still on the missing drive.
    a.prompts.modal_scripts.push_back(close_box(&tag));
    a.main->Timer1_Timer();
    EXPECT_EQ(tag, L"3");
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
}

TEST(DriveCheck, AnyMissingDestinationKeepsTheButtonDisabled) {
    App a;
    test::PluggedDrives drives(a.box);
    drives.plug(L'E', a.box.path(L"e"));
    drives.plug(L'G', a.box.path(L"g"));
    drives.plug(L'F', a.box.path(L"f"));
    test::make_dirs(a.box.path(L"local"));
    a.start();
    add_job(a, L"C:\\A", L"E:\\A");
    add_job(a, L"C:\\B", a.box.path(L"local"));
    drives.unplug(L'E');

    // A missing drive first, a present destination after it: still disabled, and
    // the caption keeps naming the missing drive.
    a.prompts.modal_scripts.push_back(close_box());
    a.main->Timer1_Timer();
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");

    // Row 1 declined, row 2 re-pointed alone: row 1 is still missing.
    a.main->RemoveJobRow(2);
    add_job(a, L"C:\\B", L"G:\\B");
    drives.unplug(L'G');
    a.prompts.modal_scripts.push_back(close_box());
    a.prompts.modal_scripts.push_back(choose(L'F', false));
    a.main->Timer1_Timer();
    EXPECT_EQ(destination(2), L"F:\\B");
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");

    // Re-pointed together with the confirmed one, it no longer holds the button back.
    a.main->RemoveJobRow(2);
    add_job(a, L"C:\\B", L"G:\\B");
    a.prompts.modal_scripts.push_back(close_box());
    a.prompts.modal_scripts.push_back(choose(L'F', true));
    a.main->Timer1_Timer();
    EXPECT_EQ(destination(1), L"F:\\A");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.prompts.modal_count, 5);
}

TEST(DriveCheck, NoJobsDisablesTheButtonAndLeavesItsCaption) {
    App a;
    a.start();
    a.main->cmdRun.enable(true);
    a.main->cmdRun.setText(L"PLUG IN E:\\");
    for (int tick = 0; tick < 2; ++tick) {
        a.main->Timer1_Timer();
        EXPECT_FALSE(a.main->cmdRun.enabled());
        EXPECT_EQ(a.main->cmdRun.text(), L"PLUG IN E:\\");
    }
    EXPECT_EQ(a.main->Timer1Tag, L"");
    EXPECT_TRUE(a.prompts.asked.empty());
    EXPECT_EQ(a.prompts.modal_count, 0);
}

TEST(DriveSelection, ListsEveryDriveAndTheOnesPluggedInSince) {
    App a;
    test::PluggedDrives drives(a.box);
    drives.plug(L'E', a.box.path(L"e"), "BACKUP");
    a.start();
    ui::FrmDriveSelect& d = *a.main->frmDriveSelect;
    EXPECT_EQ(d.window().text(), L"DRIVE SELECTION");
    EXPECT_TRUE(d.applyToAll());
    EXPECT_EQ(d.Drive1.drive(), L'C');  // the process's current drive
    // Every drive the system has, in order, the label where there is one.
    std::wstring expected, listed;
    for (int i = 0; i < 26; ++i)
        if (GetLogicalDrives() & (1u << i)) expected += std::wstring{static_cast<wchar_t>(L'a' + i), L':'};
    std::vector<std::wstring> entries = d.Drive1.entries();
    for (const auto& e : entries) listed += e.substr(0, 2);
    EXPECT_EQ(listed, expected);
    EXPECT_NE(std::find(entries.begin(), entries.end(), L"e: [BACKUP]"), entries.end());

    // Opening the list reads the drives again.
    drives.plug(L'H', a.box.path(L"h"));
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(ui::ID_DS_DRIVES, CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(d.Drive1.hwnd()));
    EXPECT_TRUE(d.Drive1.setDrive(L'H'));
    EXPECT_TRUE(d.Drive1.setDrive(L'C'));

    // A drive plugged in after the window was made is there when it is shown.
    drives.plug(L'G', a.box.path(L"g"));
    test::make_dirs(L"G:\\BACKUP");
    drives.unplug(L'E');
    add_job(a, L"C:\\DATA", L"E:\\BACKUP");
    a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
        ui::FrmDriveSelect& s = drive_window(w);
        // The real modal display: shown, OK pressed through the message loop.
        ShowWindow(s.hwnd(), SW_SHOW);
        EXPECT_TRUE(s.Drive1.setDrive(L'G'));
        EXPECT_FALSE(s.Drive1.setDrive(L'E'));
        PostMessageW(s.Command1.hwnd(), BM_CLICK, 0, 0);
        s.run_modal(a.main->hwnd());
    });
    a.main->Timer1_Timer();
    EXPECT_EQ(destination(1), L"G:\\BACKUP");
    EXPECT_FALSE(d.window().visible());
    EXPECT_EQ(d.Tag, L"Done");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_TRUE(IsWindowEnabled(a.main->hwnd()));
}
