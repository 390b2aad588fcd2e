#include <gtest/gtest.h>

#include "support/app_fixture.h"

using test::App;

namespace {
// A changed list without going through the editing commands.
void add_job(App& a, const wchar_t* row) {
    a.main->AppendJobRow(row);
    app::state().JobChanged = true;
    a.main->UpdateTitle();
}
constexpr wchar_t kRow[] = L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B\"";
}  // namespace

TEST(Title, MarksAndSaveCommandsFollowTheList) {
    App a;
    a.start();
    add_job(a, kRow);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVEAS));
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SAVE));

    app::state().JobFileName = L"Weekly.ojf";
    app::state().settings.DefaultJob = L"Weekly.ojf";
    a.main->UpdateTitle();
    EXPECT_EQ(a.title(), L"Ostrevin: Weekly.ojf * (Default)");
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVE));

    app::state().JobChanged = false;
    a.main->UpdateTitle();
    EXPECT_EQ(a.title(), L"Ostrevin: Weekly.ojf (Default)");
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SAVE));
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVEAS));  // never disabled by the title
}

TEST(CloseQuestion, CancelKeepsTheWindowAndWritesNothing) {
    App a;
    a.start();
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=Before\r\n");
    add_job(a, kRow);
    a.prompts.answers = {IDCANCEL};
    EXPECT_FALSE(a.close());
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    const auto& q = a.prompts.asked[0];
    EXPECT_EQ(q.title, L"File Not Saved");
    EXPECT_EQ(q.text, L"The job file \"UNTITLED\" has not been saved.\r\rDo you want to save the changes?");
    EXPECT_EQ(q.buttons(), static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(q.icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(test::read_bytes(a.settingsPath()), "[GENERAL SETTINGS]\r\nDefaultJob=Before\r\n");
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
}

TEST(CloseQuestion, YesSavesTheRowsUnderTheCurrentName) {
    App a;
    a.start();
    add_job(a, kRow);
    a.prompts.answers = {IDYES};
    EXPECT_TRUE(a.close());
    // An untitled list is saved as a file of that very name.
    EXPECT_EQ(test::read_bytes(a.box.jobFolder() + L"\\UNTITLED"), std::string("COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B\"\r\n"));
    EXPECT_EQ(test::read_bytes(a.settingsPath()), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
}

TEST(CloseQuestion, NoEndsWithoutSavingAndUnchangedListAsksNothing) {
    {
        App a;
        a.start();
        add_job(a, kRow);
        a.prompts.answers = {IDNO};
        EXPECT_TRUE(a.close());
        EXPECT_FALSE(test::exists(a.box.jobFolder() + L"\\UNTITLED"));
        EXPECT_TRUE(test::exists(a.settingsPath()));
    }
    {
        App a;
        a.start();
        DeleteFileW(a.settingsPath().c_str());
        EXPECT_TRUE(a.close());
        EXPECT_TRUE(a.prompts.asked.empty());
        EXPECT_EQ(test::read_bytes(a.settingsPath()), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
    }
}

TEST(CloseQuestion, YesWhoseSaveFailsKeepsTheWindowOpen) {
    App a;
    a.start();
    add_job(a, kRow);
    test::make_dirs(a.box.jobFolder() + L"\\UNTITLED.new");  // the save cannot make its file
    a.prompts.answers = {IDYES};
    EXPECT_FALSE(a.close());
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"File Not Saved", L"FILE NOT SAVED"}));
    EXPECT_TRUE(app::state().JobChanged);
}

namespace {
// A key pressed with Ctrl held, through the program's own message handling.
void ctrl_key(App& a, wchar_t key) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG msg{a.main->txtSource.hwnd(), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    a.main->dispatch(msg);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}
}  // namespace

TEST(Shortcuts, CtrlKeysRunTheirMenuCommandsOnlyWhenEnabled) {
    App a;
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
    test::make_dirs(a.box.jobFolder());
    test::write_bytes(a.box.jobFolder() + L"\\W.ojf", "");
    a.start();
    ctrl_key(a, L'D');  // Set Default Job is disabled: nothing happens
    EXPECT_EQ(app::state().settings.DefaultJob, L"None");
    a.prompts.paths = {a.box.jobFolder() + L"\\W.ojf"};
    ctrl_key(a, L'O');
    EXPECT_EQ(a.title(), L"Ostrevin: W.ojf");
    ctrl_key(a, L'D');
    EXPECT_EQ(a.title(), L"Ostrevin: W.ojf (Default)");
    add_job(a, kRow);
    ctrl_key(a, L'S');
    EXPECT_EQ(test::read_bytes(a.box.jobFolder() + L"\\W.ojf"), test::narrow(kRow) + "\r\n");
    a.prompts.paths = {a.box.jobFolder() + L"\\X.ojf"};
    ctrl_key(a, L'A');
    EXPECT_EQ(a.title(), L"Ostrevin: X.ojf");
    ctrl_key(a, L'N');
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");
    EXPECT_EQ(a.main->jobList.count(), 0);
    EXPECT_TRUE(a.prompts.asked.empty());
}
