// File > Schedule under Wine, whose scheduler keeps a task's name but neither its
// trigger nor its command (the task's XML has core tests): the task is made and
// removed by name, the choice is in the settings file at once and after the exit
// merge, and the window shows the next run.
#include <gtest/gtest.h>

#include "run/scheduled_task.h"
#include "support/app_fixture.h"
#include "ui/frmSchedule.h"

using core::ScheduleKind;

TEST(Schedule, TaskMadeAndRemovedByNameAndKeptInTheSettings) {
    test::App a;
    const std::wstring task = L"Ostrevin - Weekly.ojf";
    ASSERT_TRUE(SUCCEEDED(run::delete_task(task)));  // the prefix outlives the test
    test::make_dirs(a.box.path(L"Data"));
    test::make_dirs(a.box.path(L"Backup"));
    a.start();
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SCHEDULE));  // untitled
    a.add(a.box.path(L"Data"), a.box.path(L"Backup"));
    a.prompts.paths = {a.jobFile(L"Weekly.ojf")};
    a.main->MenuFileSaveAs_Click();
    ASSERT_TRUE(a.main->menuEnabled(ui::ID_MENU_SCHEDULE));

    // Each step: what the window shows on opening, what is chosen, and what follows.
    const struct {
        core::Schedule shown, chosen;
        HRESULT found;
        const char* line;  // in the settings file
        const wchar_t* label;
    } steps[] = {
        {{}, {ScheduleKind::Weekly, 1, 21, 0}, S_OK, "Schedule:Weekly.ojf=Weekly Mon 21:00\r\n", L"Next run: Mon "},
        {{ScheduleKind::Weekly, 1, 21, 0}, {}, S_FALSE, "", L""},
        {{}, {ScheduleKind::AtLogon}, S_OK, "Schedule:Weekly.ojf=Logon\r\n", L"Next run: at the next logon"},
    };
    for (const auto& step : steps) {
        a.prompts.modal_scripts.push_back([&](win::ModalWindow& w) {
            auto& window = dynamic_cast<ui::FrmSchedule&>(w);
            EXPECT_EQ(window.chosen(), step.shown);
            window.show(step.chosen);
            SendMessageW(window.hwnd(), WM_COMMAND, IDOK, 0);
        });
        a.main->MenuFileSchedule_Click();
        EXPECT_EQ(run::find_task(task), step.found) << step.line;
        const std::string settings = test::read_bytes(a.settingsPath());
        EXPECT_EQ(settings.find("Schedule:") == std::string::npos ? "" : settings.substr(settings.find("Schedule:")),
                  step.line);
        EXPECT_EQ(a.main->lblNextRun.text().substr(0, wcslen(step.label)), step.label);
        const bool shows =
            GetWindowLongPtrW(a.main->lblNextRun.hwnd(), GWL_STYLE) & WS_VISIBLE;  // the window is hidden
        EXPECT_EQ(shows, *step.label != L'\0');
    }
    EXPECT_TRUE(a.prompts.asked.empty());
    ASSERT_TRUE(a.close());
    EXPECT_NE(test::read_bytes(a.settingsPath()).find("Schedule:Weekly.ojf=Logon\r\n"), std::string::npos);
    EXPECT_TRUE(SUCCEEDED(run::delete_task(task)));
}
