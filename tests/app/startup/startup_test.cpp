#include <gtest/gtest.h>

#include "app/settings_file.h"
#include "app/startup.h"
#include "support/app_fixture.h"

using test::App;

// What start-up makes of the settings file, and what the exit leaves in it.
TEST(Startup, SettingsFileAtStartAndAtExit) {
    const std::string fresh = "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n",
                      dated =
                          "[GENERAL SETTINGS]\r\nDefaultJob=Weekly.ojf\r\n[BACKUP "
                          "DATES]\r\nA.ojf=2/28/2014\r\nWeekly.ojf=3/12/2014\r\n";
    const struct {
        const char* cfg;  // nullptr: no file yet
        bool hidden;
        const wchar_t *title, *date;
        std::vector<std::wstring> asked;
        std::string at_exit;
    } cases[] = {
        {nullptr, false, L"Ostrevin: UNTITLED", L"", {}, fresh},
        {dated.c_str(), true, L"Ostrevin: Weekly.ojf (Default)", L"Last backup on 3/12/2014", {}, dated},
        {"[GENERAL SETTINGS]\r\nOther=1\r\n\r\n",
         false,
         L"Ostrevin: UNTITLED",
         L"",
         {},
         "[GENERAL SETTINGS]\r\nDefaultJob=\r\n"},
        // The default job file was deleted: told, and kept for the next start, when it may be back.
        {"[GENERAL SETTINGS]\r\nDefaultJob=Gone.ojf\r\n",
         false,
         L"Ostrevin: UNTITLED",
         L"",
         {L"FILE NOT OPENED"},
         "[GENERAL SETTINGS]\r\nDefaultJob=Gone.ojf\r\n"},
    };
    for (const auto& c : cases) {
        App a;
        if (c.cfg) test::write_bytes(a.settingsPath(), c.cfg);
        if (c.hidden) SetFileAttributesW(a.settingsPath().c_str(), FILE_ATTRIBUTE_HIDDEN);
        test::make_dirs(a.box.jobFolder());
        test::write_bytes(a.jobFile(L"Weekly.ojf"), "COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"\r\n");
        a.start();
        EXPECT_EQ(a.title(), c.title);
        EXPECT_EQ(a.main->lblBUDateDisplay.text(), c.date);
        EXPECT_EQ(a.main->menuChecked(ui::ID_MENU_SETDEFAULT), c.date[0] != 0);
        EXPECT_EQ(a.main->cmdRun.enabled(), c.date[0] != 0);
        EXPECT_TRUE(a.close());
        EXPECT_EQ(a.prompts.titles(), c.asked);
        EXPECT_EQ(test::read_bytes(a.settingsPath()), c.at_exit);
    }
}

TEST(Startup, SetDefaultJobTogglesTheMarkAndReachesTheFileAtExit) {
    App a;
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=Weekly.ojf\r\n");
    test::make_dirs(a.box.jobFolder());
    test::write_bytes(a.jobFile(L"Weekly.ojf"), "");
    a.start();
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"Last Backup Never");
    a.main->MenuFileSetDefault_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: Weekly.ojf");
    EXPECT_FALSE(a.main->menuChecked(ui::ID_MENU_SETDEFAULT));
    a.main->MenuFileSetDefault_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: Weekly.ojf (Default)");
    a.main->MenuFileSetDefault_Click();
    EXPECT_TRUE(a.close());
    EXPECT_EQ(test::read_bytes(a.settingsPath()), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
}

// A settings file held open without sharing (a sync client, an editor) while
// Ostrevin starts: what the session changed is merged into it at exit.
TEST(Startup, SettingsAreMergedAtExitNeverReplaced) {
    const std::string cfg =
        "[GENERAL SETTINGS]\r\nDefaultJob=Weekly.ojf\r\n[BACKUP DATES]\r\nW.ojf=1/1/2020\r\nA.ojf=2/2/2020\r\n";
    for (bool busy_at_exit : {false, true}) {
        App a;
        test::write_bytes(a.settingsPath(), cfg);
        HANDLE h = CreateFileW(a.settingsPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        a.start();
        core::RecordBackupDate(app::state().settings, L"A.ojf", L"5/5/2020");  // as a run records it
        if (!busy_at_exit) CloseHandle(h);
        EXPECT_TRUE(a.close());
        std::vector<std::wstring> told{L"SETTINGS NOT READ"};
        if (busy_at_exit) {
            CloseHandle(h);
            told.push_back(L"SETTINGS NOT SAVED");
            EXPECT_NE(a.prompts.asked.back().text.find(L"5/5/2020 of \"A.ojf\""), std::wstring::npos);
        }
        EXPECT_EQ(a.prompts.titles(), told);
        // Nothing is written over a file held open; a free one gets the new date and keeps the rest.
        std::string expected = cfg;
        if (!busy_at_exit) expected.replace(expected.find("2/2/2020"), 8, "5/5/2020");
        EXPECT_EQ(test::read_bytes(a.settingsPath()), expected);
    }
}

TEST(Startup, UnwritableSettingsAreReportedAndTheOldFileKept) {
    App a;
    const std::string cfg = "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n[BACKUP DATES]\r\nA.ojf=1/1/2020\r\n";
    test::write_bytes(a.settingsPath(), cfg);
    a.start();
    app::state().settings.DefaultJob = L"Changed.ojf";
    // The replacement file cannot be made: something already occupies its name.
    test::make_dirs(a.settingsPath() + L".new");
    EXPECT_TRUE(a.close());  // the program still ends
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"SETTINGS NOT SAVED"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"\"" + a.settingsPath() + L"\""), std::wstring::npos);
    EXPECT_EQ(test::read_bytes(a.settingsPath()), cfg);
}

TEST(Startup, JobFolderThatCannotBeMadeIsReported) {
    App a;
    SetEnvironmentVariableW(L"USERPROFILE", a.box.path(L"no-such-profile").c_str());
    a.start();
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"FOLDER NOT CREATED"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"no-such-profile\\Documents\\Ostrevin"), std::wstring::npos);
}

// A first start at a drive root (two backslashes in the settings path, accepted)
// makes the job folder.
TEST(Startup, FirstStartAtADriveRoot) {
    App a;
    a.box.mapDrive(L'R', a.box.path(L"r"));
    SetCurrentDirectoryW(L"R:\\");
    a.start();
    EXPECT_TRUE(test::exists(a.box.jobFolder()));
    EXPECT_EQ(app::state().DataFolder, L"R:\\");
    EXPECT_EQ(test::read_bytes(a.box.path(L"r\\Ostrevin.cfg")), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
    SetCurrentDirectoryW(a.box.data().c_str());
}

// On the developer's own machine start-up moves to the developer folder on H:;
// anywhere else, or without that drive or folder, it stays where it was started.
TEST(Startup, TheDeveloperSwitchMovesOnlyForItsUserAndOnlyToAFolderThatIsThere) {
    struct Case {
        const wchar_t* user;
        bool drive, folder, moves;
    };
    for (const Case c : {Case{L"Programming", true, true, true}, Case{L"programming", true, true, false},
                         Case{L"Programming", true, false, false}, Case{L"Programming", false, false, false}}) {
        App a;
        if (c.drive) a.box.mapDrive(L'H', a.box.path(L"h"));
        if (c.folder) test::make_dirs(a.box.path(L"h\\") + (app::kDeveloperFolder + 3));
        SetEnvironmentVariableW(L"USERNAME", c.user);
        a.start();
        EXPECT_EQ(app::state().DataFolder, c.moves ? std::wstring(app::kDeveloperFolder) : a.box.data()) << c.user;
        SetEnvironmentVariableW(L"USERNAME", nullptr);
        if (c.drive) a.box.unmapDrive(L'H');
    }
}
