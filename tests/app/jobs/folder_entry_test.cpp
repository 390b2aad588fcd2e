#include "jobs_common.h"

using jobs_test::JobsApp;

TEST(FolderEntry, EmptyBoxDisablesAndAsksNothing) {
    JobsApp a;
    a.main->cmdAddJob.enable(true);
    a.main->txtDest.setText(a.dst);
    a.main->txtSource_LostFocus();
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
    EXPECT_TRUE(a.prompts.asked.empty());
}

TEST(FolderEntry, PartnerDecidesTheButton) {
    JobsApp a;
    a.main->txtSource.setText(a.src);
    a.main->txtSource_LostFocus();  // partner empty: button keeps its state
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
    a.main->cmdAddJob.enable(true);
    a.main->txtSource_LostFocus();
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
    a.main->txtDest.setText(a.dst);
    a.main->cmdAddJob.enable(false);
    a.main->cmdDest_LostFocus();
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
    // A wildcard that matches an entry passes as an existing folder.
    a.main->txtDest.setText(a.box.path(L"Back*"));
    a.main->cmdAddJob.enable(false);
    a.main->txtDest_LostFocus();
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
}

TEST(FolderEntry, MissingFolderIsOfferedAndCreatedOrForgotten) {
    JobsApp a;
    const std::wstring missing = a.box.path(L"Fresh");
    a.main->txtSource.setText(a.src);
    a.main->txtDest.setText(missing);
    a.main->cmdAddJob.enable(true);
    a.prompts.answers = {IDYES};
    a.main->txtDest_LostFocus();
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"PATH NOT FOUND");
    EXPECT_EQ(a.prompts.asked[0].text,
              L"The path \"" + missing + L"\" does not exist.\r\rDo you want to create it?");
    EXPECT_EQ(a.prompts.asked[0].buttons(), static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(a.prompts.asked[0].icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_TRUE(test::exists(missing));
    EXPECT_EQ(a.main->txtDest.text(), missing);
    EXPECT_FALSE(a.main->cmdAddJob.enabled());  // until the next check finds it

    a.main->txtDest.setText(a.box.path(L"Nope"));
    a.prompts.answers = {IDNO};
    a.main->txtDest_LostFocus();
    EXPECT_EQ(a.main->txtDest.text(), L"");
    EXPECT_FALSE(test::exists(a.box.path(L"Nope")));
}

TEST(FolderEntry, UnusablePathsAreRefusedNotFatal) {
    JobsApp a;
    // A path beginning with ":" is treated as missing; it cannot be created either.
    a.main->txtDest.setText(L":\\x");
    a.prompts.answers = {IDYES};
    a.main->txtDest_LostFocus();
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"PATH NOT FOUND", L"FOLDER NOT CREATED"}));
    EXPECT_EQ(a.main->txtDest.text(), L"");
    // A parent that does not exist: the creation fails with a message.
    a.main->txtDest.setText(a.box.path(L"no\\such\\parent"));
    a.prompts.answers = {IDYES};
    a.main->txtDest_LostFocus();
    EXPECT_EQ(a.prompts.asked.back().title, L"FOLDER NOT CREATED");
    // A name the ANSI code page cannot hold never reaches a job file.
    const std::wstring foreign = a.box.path(L"\u4e2d\u6587");
    test::make_dirs(foreign);
    a.main->txtSource.setText(foreign);
    a.main->txtSource_LostFocus();
    EXPECT_EQ(a.prompts.asked.back().title, L"INVALID PATH");
    EXPECT_NE(a.prompts.asked.back().text.find(foreign), std::wstring::npos);
    EXPECT_EQ(a.main->txtSource.text(), L"");
}

TEST(FolderEntry, EnterKeys) {
    JobsApp a;
    ShowWindow(a.main->hwnd(), SW_SHOW);
    SetForegroundWindow(a.main->hwnd());
    a.main->txtSource.setText(a.src);
    a.main->txtDest.setText(a.dst);
    a.main->txtDest.focus();
    ASSERT_EQ(GetFocus(), a.main->txtDest.hwnd());
    a.main->txtDest.send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(a.main->cmdAddJob.enabled());  // validated, focus stays
    EXPECT_EQ(GetFocus(), a.main->txtDest.hwnd());

    // Enter in the source box moves on to the destination, checking the source on the way.
    a.main->txtSource.setText(a.box.path(L"ToCreate"));
    a.main->txtSource.focus();
    a.prompts.answers = {IDNO};
    a.main->txtSource.send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(GetFocus(), a.main->txtDest.hwnd());
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"PATH NOT FOUND"});
    EXPECT_EQ(a.main->txtSource.text(), L"");

    // Leaving for another program's window (or a message box) checks nothing.
    a.main->txtSource.setText(a.box.path(L"Elsewhere"));
    a.main->txtSource.focus();
    a.main->txtSource.send(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(a.prompts.asked.size(), 1u);
}

TEST(FolderEntry, FreezesAtThirteenUnlessTheAnswerWasNo) {
    JobsApp a;
    a.enter(a.src, a.dst);
    for (int i = 0; i < 13; ++i) a.main->AppendJobRow(L"\"a\"\"b\"");
    a.main->ThawEntry();
    a.main->txtDest.setText(a.box.path(L"Nope"));
    a.prompts.answers = {IDNO};
    a.main->txtDest_LostFocus();
    EXPECT_TRUE(a.main->txtSource.enabled());
    a.main->txtDest.setText(a.dst);
    a.main->txtDest_LostFocus();
    EXPECT_FALSE(a.main->txtSource.enabled());
}
