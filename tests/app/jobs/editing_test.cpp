#include "jobs_common.h"

using jobs_test::JobsApp;
using jobs_test::upper;

TEST(AddingJobs, TwoPressesGiveTwoRowsAndATallerWindow) {
    JobsApp a;
    a.enter(a.src, a.dst);
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
    a.main->cmdAddJob_Click();
    a.add(a.src2, a.dst);
    ASSERT_EQ(app::state().JobCount, 2);
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src) + L"\"  INTO  \"" + upper(a.dst) + L"\"");
    EXPECT_EQ(a.row(2), L"COPY FOLDER  \"" + upper(a.src2) + L"\"  INTO  \"" + upper(a.dst) + L"\"");
    EXPECT_EQ(a.rowTopTwips(1), 2160);
    EXPECT_EQ(a.rowTopTwips(2), 2640);
    auto shown = [](win::Window w) { return (GetWindowLongPtrW(w.hwnd(), GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(a.main->rows[2].text));
    EXPECT_TRUE(shown(a.main->rows[2].del));
    EXPECT_FALSE(shown(a.main->rows[0].text));  // the templates never show
    EXPECT_FALSE(shown(a.main->rows[0].del));
    EXPECT_EQ(a.growthTwips(), 960);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVEAS));
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SAVE));
    EXPECT_EQ(app::state().JobPaths[2].source, upper(a.src2));
    EXPECT_TRUE(a.prompts.asked.empty());
}

TEST(AddingJobs, InvalidDestinationAndBareDrive) {
    JobsApp a;
    a.box.mapDrive(L'E', a.box.path(L"drive_e"));
    test::make_dirs(a.box.path(L"drive_e\\x"));
    // A bare drive is completed to its root, which is then checked.
    a.main->txtSource.setText(a.src);
    a.main->txtDest.setText(L"E:");
    a.main->cmdAddJob.enable(true);
    a.main->cmdAddJob_Click();
    ASSERT_EQ(app::state().JobCount, 1);
    EXPECT_EQ(a.main->txtDest.text(), L"E:\\");
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src) + L"\"  INTO  \"E:\\\"");

    // A destination that has gone away since it was entered.
    a.main->txtDest.setText(a.box.path(L"gone"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(app::state().JobCount, 1);
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"INVALID PATH");
    EXPECT_EQ(a.prompts.asked[0].text, L"The path \"" + a.box.path(L"gone") + L"\" is not valid");
    EXPECT_EQ(a.prompts.asked[0].icon(), static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(a.main->txtDest.text(), L"");
    EXPECT_FALSE(a.main->cmdAddJob.enabled());

    // An empty destination only disables the button.
    a.main->cmdAddJob.enable(true);
    a.main->cmdAddJob_Click();
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
    EXPECT_EQ(a.prompts.asked.size(), 1u);
}

TEST(AddingJobs, RefusesJobsThatMeetASourceOrATargetAndAFourteenth) {
    JobsApp a;
    test::make_dirs(a.src + L"\\Inside");
    test::make_dirs(a.src2 + L"\\Photos");
    test::make_dirs(a.box.path(L"Other\\Data"));
    a.add(a.src, a.dst);
    struct Case {
        std::wstring source, destination, named;  // named: a folder the refusal names
    } cases[] = {
        {a.src, a.src + L"\\Inside", upper(a.src + L"\\Inside\\Data")},     // copies into itself
        {a.src2 + L"\\Photos", a.box.path(L""), upper(a.src2)},               // the target holds the source
        {a.box.path(L"Other\\Data"), a.dst, upper(a.dst + L"\\Data")},        // one target for two jobs
        {a.box.path(L"Other\\Data\\"), a.dst + L"\\", upper(a.dst + L"\\Data")},
    };
    for (const auto& c : cases) {
        a.prompts.asked.clear();
        a.add(c.source, c.destination);
        EXPECT_EQ(app::state().JobCount, 1) << test::narrow(c.source);
        ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"INVALID JOB"}) << test::narrow(c.source);
        EXPECT_NE(upper(a.prompts.asked[0].text).find(L"\"" + c.named + L"\""), std::wstring::npos)
            << test::narrow(a.prompts.asked[0].text);
    }
    EXPECT_NE(a.prompts.asked[0].text.find(L"Job 1 and this job"), std::wstring::npos);

    a.prompts.asked.clear();
    a.main->cmdDeleteJob_Click(1);
    a.addNumbered(13);
    EXPECT_EQ(app::state().JobCount, 13);
    EXPECT_FALSE(a.main->txtSource.enabled());
    // The boxes are frozen but keep their pair, and the button still works: no row 14.
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
    a.main->cmdAddJob_Click();
    EXPECT_EQ(app::state().JobCount, 13);
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"JOB LIST FULL"}));
    EXPECT_EQ(a.main->rows.size(), 14u);
}

TEST(EditJob, RowClickSelectsAndEditRewritesOnlyThatRow) {
    JobsApp a;
    test::make_dirs(a.box.path(L"C3"));
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    a.add(a.box.path(L"C3"), a.dst);
    app::state().JobChanged = false;
    a.main->txtActionDisplay_Click(2);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"EDIT JOB");
    EXPECT_TRUE(a.main->rows[2].bold);
    EXPECT_EQ(a.main->rows[2].Tag, L"True");
    EXPECT_EQ(a.main->txtSource.text(), upper(a.src2));
    EXPECT_EQ(a.main->txtDest.text(), upper(a.dst));
    a.main->txtActionDisplay_Click(3);
    EXPECT_FALSE(a.main->rows[2].bold);
    EXPECT_TRUE(a.main->rows[3].bold);

    a.main->txtActionDisplay_Click(2);
    test::make_dirs(a.box.path(L"Other"));
    a.main->txtDest.setText(a.box.path(L"Other"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(2), L"COPY FOLDER  \"" + upper(a.src2) + L"\"  INTO  \"" + upper(a.box.path(L"Other")) + L"\"");
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src) + L"\"  INTO  \"" + upper(a.dst) + L"\"");
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    EXPECT_EQ(a.main->SelectedRow(), 0);
    EXPECT_TRUE(app::state().JobChanged);
    EXPECT_EQ(app::state().JobPaths[2].destination, upper(a.box.path(L"Other")));

    // An edit to a destination that does not exist changes nothing, yet ends the edit.
    a.main->txtActionDisplay_Click(1);
    a.main->txtDest.setText(a.box.path(L"missing"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src) + L"\"  INTO  \"" + upper(a.dst) + L"\"");
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    EXPECT_EQ(a.main->SelectedRow(), 0);
}

TEST(EditJob, SelectionFollowsItsJobAcrossDeletes) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    a.main->txtActionDisplay_Click(2);  // the Photos job
    a.main->cmdDeleteJob_Click(1);
    // The selected job moved up to row 1, and the selection with it.
    EXPECT_EQ(a.main->SelectedRow(), 1);
    EXPECT_TRUE(a.main->rows[1].bold);
    test::make_dirs(a.box.path(L"New"));
    a.main->txtDest.setText(a.box.path(L"New"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src2) + L"\"  INTO  \"" + upper(a.box.path(L"New")) + L"\"");

    // Deleting the selected job leaves nothing to edit: the button reads ADD JOB again.
    a.main->txtActionDisplay_Click(1);
    a.main->cmdDeleteJob_Click(1);
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    EXPECT_EQ(a.growthTwips(), 0);
    // And a press in a stale edit mode edits nothing and adds nothing.
    a.main->cmdAddJob.setText(L"EDIT JOB");
    a.main->cmdAddJob_Click();
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
}

TEST(DeleteJob, RowsMoveUpAndTheWindowShrinks) {
    JobsApp a;
    test::make_dirs(a.box.path(L"C3"));
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    a.add(a.box.path(L"C3"), a.dst);
    app::state().JobChanged = false;
    a.main->cmdDeleteJob_Click(1);
    EXPECT_EQ(app::state().JobCount, 2);
    EXPECT_EQ(app::state().JobPaths[1].source, upper(a.src2));
    EXPECT_EQ(app::state().JobPaths[2].source, upper(a.box.path(L"C3")));
    EXPECT_EQ(a.growthTwips(), 960);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    a.main->txtActionDisplay_Click(1);
    EXPECT_EQ(a.main->txtSource.text(), upper(a.src2));
    a.main->cmdDeleteJob_Click(2);  // the last: no text moves
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"" + upper(a.src2) + L"\"  INTO  \"" + upper(a.dst) + L"\"");
    EXPECT_EQ(a.main->rows.size(), 2u);
    EXPECT_EQ(a.growthTwips(), 480);
}

TEST(JobList, ThirteenRowsFreezeEntryAndNewReleasesIt) {
    JobsApp a;
    a.addNumbered(13);
    EXPECT_EQ(a.rowTopTwips(13), 7920);
    EXPECT_EQ(a.growthTwips(), 6240);
    for (auto w : {a.main->Label1[0], a.main->Label1[1], a.main->cmdSource, a.main->txtSource, a.main->cmdDest,
                   a.main->txtDest})
        EXPECT_FALSE(w.enabled());
    a.prompts.answers = {IDNO};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_EQ(a.growthTwips(), 0);
    for (auto w : {a.main->Label1[0], a.main->txtSource, a.main->cmdDest, a.main->txtDest}) EXPECT_TRUE(w.enabled());
}
