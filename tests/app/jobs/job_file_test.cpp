#include "jobs_common.h"

using jobs_test::JobsApp;
using jobs_test::upper;

namespace {
const std::string kTwoJobs =
    "COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"\r\n"
    "COPY FOLDER  \"D:\\PHOTOS\"  INTO  \"E:\\BACKUP\\PHOTOS\"\r\n";
}

TEST(JobFile, TypedJobsSaveAsTheExampleBytes) {
    JobsApp a;
    a.box.mapDrive(L'E', a.box.path(L"drive_e"));
    a.box.mapDrive(L'D', a.box.path(L"drive_d"));
    test::make_dirs(a.box.path(L"drive_e\\Backup\\Data"));
    test::make_dirs(a.box.path(L"drive_e\\Backup\\Photos"));
    test::make_dirs(a.box.path(L"drive_d\\Photos"));
    test::make_dirs(L"C:\\Data");
    a.add(L"C:\\Data", L"e:\\Backup\\Data");
    a.add(L"D:\\Photos", L"E:\\Backup\\Photos");
    a.prompts.paths = {a.jobFile(L"Two.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), kTwoJobs);
    EXPECT_TRUE(a.prompts.asked.empty());
    RemoveDirectoryW(L"C:\\Data");
}

TEST(JobFile, ExampleBytesRoundTrip) {
    JobsApp a;
    test::write_bytes(a.jobFile(L"Two.ojf"), kTwoJobs);
    a.prompts.paths = {a.jobFile(L"Two.ojf")};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(a.prompts.dialogs.size(), 1u);
    EXPECT_EQ(a.prompts.dialogs[0].title, L"Open Job");
    EXPECT_FALSE(a.prompts.dialogs[0].save);
    EXPECT_EQ(a.prompts.dialogs[0].filter, L"Ostrevin Jobfile|*.ojf");
    EXPECT_EQ(a.prompts.dialogs[0].initial_folder, a.box.jobFolder());
    ASSERT_EQ(app::state().JobCount, 2);
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf");
    EXPECT_EQ(app::state().JobPaths[2].destination, L"E:\\BACKUP\\PHOTOS");
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"Last Backup Never");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    for (int id : {ui::ID_MENU_NEW, ui::ID_MENU_SETDEFAULT, ui::ID_MENU_SAVEAS}) EXPECT_TRUE(a.main->menuEnabled(id));
    EXPECT_FALSE(a.main->menuChecked(ui::ID_MENU_SETDEFAULT));

    // Save As elsewhere: the name is taken, the file goes into the job folder.
    a.prompts.paths = {a.box.path(L"week")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(a.prompts.dialogs.back().title, L"Save Job");
    EXPECT_TRUE(a.prompts.dialogs.back().save);
    EXPECT_EQ(test::read_bytes(a.jobFile(L"week")), kTwoJobs);
    EXPECT_FALSE(test::exists(a.box.path(L"week")));
    EXPECT_EQ(a.title(), L"Ostrevin: week");
}

TEST(JobFile, AddedJobsSavedAndOpenedGiveTheSameRows) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    a.prompts.paths = {a.jobFile(L"Mine.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: Mine.ojf");
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SAVE));
    const std::string bytes = test::read_bytes(a.jobFile(L"Mine.ojf"));
    std::wstring r1 = a.row(1), r2 = a.row(2);
    a.prompts.paths = {a.jobFile(L"Mine.ojf")};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(app::state().JobCount, 2);
    EXPECT_EQ(a.row(1), r1);
    EXPECT_EQ(a.row(2), r2);
    EXPECT_EQ(app::state().JobPaths[1].source, upper(a.src));
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Mine.ojf")), bytes);

    // Save of a named, changed list writes without asking for a name.
    a.main->cmdDeleteJob_Click(2);
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVE));
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.prompts.dialogs.size(), 2u);
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Mine.ojf")), test::narrow(r1) + "\r\n");
    EXPECT_EQ(a.title(), L"Ostrevin: Mine.ojf");

    // An empty list saves as an empty file; opening it gives no row, yet RUN is enabled.
    a.main->cmdDeleteJob_Click(1);
    a.main->MenuFileSave_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Mine.ojf")), "");
    a.prompts.paths = {a.jobFile(L"Mine.ojf")};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_TRUE(a.main->cmdRun.enabled());
}

TEST(JobFile, LenientReading) {
    JobsApp a;
    test::write_bytes(a.jobFile(L"Hand.ojf"),
                      "x\"c:\\data\"y\"e:\\b\"\r\n"
                      "COPY FOLDER  \"C:\\X\"  INTO  \"E:\\Y\"\r\n"
                      "\r\n"
                      "COPY FOLDER  \"C:\\NOT\"  INTO  \"E:\\READ\"\r\n");
    a.prompts.paths = {a.jobFile(L"Hand.ojf")};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(app::state().JobCount, 2);  // the empty line ends the list
    EXPECT_EQ(a.row(1), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\B\"");
    EXPECT_EQ(app::state().JobPaths[1].source, L"c:\\data");  // letter case of the file until rebuilt
    EXPECT_TRUE(a.prompts.asked.empty());
}

TEST(JobFile, BadLinesAndTooManyJobsAreReported) {
    JobsApp a;
    std::string text = "COPY FOLDER  \"C:\\A\" INTO \"E:\\B\r\n";  // three quotes
    for (int i = 1; i <= 15; ++i) text += "COPY FOLDER  \"C:\\J" + std::to_string(i) + "\"  INTO  \"E:\\B\"\r\n";
    test::write_bytes(a.jobFile(L"Big.ojf"), text);
    a.prompts.paths = {a.jobFile(L"Big.ojf")};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(app::state().JobCount, 13);
    EXPECT_EQ(a.row(13), L"COPY FOLDER  \"C:\\J13\"  INTO  \"E:\\B\"");
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    const std::wstring& msg = a.prompts.asked[0].text;
    EXPECT_NE(msg.find(L"Line 1 of the job file \"" + a.jobFile(L"Big.ojf") + L"\""), std::wstring::npos);
    EXPECT_NE(msg.find(L"2 jobs of"), std::wstring::npos);
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Big.ojf")), text);  // the file is not changed
    EXPECT_FALSE(a.main->txtSource.enabled());                 // a full list freezes entry
}

TEST(JobFile, UnreadableAndUnwritableFiles) {
    JobsApp a;
    // A typed name that does not exist.
    a.prompts.paths = {a.jobFile(L"Nothing.ojf")};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"FILE NOT OPENED"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"\"" + a.jobFile(L"Nothing.ojf") + L"\""), std::wstring::npos);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");
    EXPECT_EQ(app::state().JobCount, 0);

    // A file that cannot be written: message, the list stays changed, the old file intact.
    test::write_bytes(a.jobFile(L"Old.ojf"), kTwoJobs);
    a.prompts.paths = {a.jobFile(L"Old.ojf")};
    a.main->MenuFileOpen_Click();
    a.main->cmdDeleteJob_Click(1);
    test::make_dirs(a.jobFile(L"Old.ojf.new"));
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT SAVED");
    EXPECT_TRUE(app::state().JobChanged);
    EXPECT_EQ(a.title(), L"Ostrevin: Old.ojf *");
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Old.ojf")), kTwoJobs);
    EXPECT_NE(a.prompts.asked.back().text.find(L"the old file is unchanged"), std::wstring::npos);
    // Save As that fails keeps the old name; there is no old file of the new name to speak of.
    test::make_dirs(a.jobFile(L"Other.ojf.new"));
    a.prompts.paths = {a.jobFile(L"Other.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(app::state().JobFileName, L"Old.ojf");
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT SAVED");
    EXPECT_EQ(a.prompts.asked.back().text.find(L"old file"), std::wstring::npos);
    // A name the ANSI code page cannot hold would reach the settings file as "?".
    const std::wstring foreign = L"\u4e2d\u6587.ojf";
    for (auto command : {&ui::FrmMain::MenuFileSaveAs_Click, &ui::FrmMain::MenuFileOpen_Click}) {
        const size_t before = a.prompts.asked.size();
        a.prompts.paths = {a.jobFile(foreign)};
        ((*a.main).*command)();
        EXPECT_EQ(a.prompts.asked.size(), before + 1);
        EXPECT_EQ(a.prompts.asked.back().title, L"INVALID NAME");
        EXPECT_NE(a.prompts.asked.back().text.find(L"\"" + foreign + L"\""), std::wstring::npos);
        EXPECT_FALSE(test::exists(a.jobFile(foreign)));
        EXPECT_EQ(a.title(), L"Ostrevin: Old.ojf *");
    }
    // A failed Open below a kept list leaves it untitled: it cannot become the default.
    a.prompts.paths = {a.jobFile(L"Nothing.ojf")};
    a.prompts.answers = {IDCANCEL};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT OPENED");
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SETDEFAULT));
    // A file picked outside the job folder is not silently swapped for a namesake.
    test::write_bytes(a.box.path(L"Old.ojf"), "COPY FOLDER  \"X\"  INTO  \"Y\"\r\n");
    a.prompts.paths = {a.box.path(L"Old.ojf")};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT OPENED");
    EXPECT_EQ(app::state().JobCount, 1);
}

TEST(FileCommands, CancelledDialogsChangeNothing) {
    JobsApp a;
    test::write_bytes(a.jobFile(L"Two.ojf"), kTwoJobs);
    a.prompts.paths = {a.jobFile(L"Two.ojf")};
    a.main->MenuFileOpen_Click();
    a.main->cmdDeleteJob_Click(1);
    // Cancel of Open (even after an earlier Open), Save As and Save of an untitled list.
    a.prompts.paths = {L""};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(app::state().JobCount, 1);
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf *");
    a.prompts.paths = {L""};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf *");
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), kTwoJobs);
    a.prompts.answers = {IDNO};
    a.main->MenuFileNew_Click();
    a.add(a.src, a.dst);
    a.prompts.paths = {L""};
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_TRUE(a.prompts.paths.empty());
}

TEST(FileCommands, JobNotSavedAnswers) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.prompts.answers = {IDCANCEL};
    a.main->MenuFileNew_Click();
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"Job Not Saved");
    EXPECT_EQ(a.prompts.asked[0].text, L"The current job has not been saved.\r\rDo you want to save the job first?");
    EXPECT_EQ(a.prompts.asked[0].buttons(), static_cast<UINT>(MB_YESNOCANCEL));
    EXPECT_EQ(a.prompts.asked[0].icon(), static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_EQ(app::state().JobCount, 1);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");

    a.prompts.answers = {IDYES};  // an untitled list is saved as "UNTITLED"
    const std::wstring r1 = a.row(1);
    a.main->MenuFileNew_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"UNTITLED")), test::narrow(r1) + "\r\n");
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_EQ(a.main->txtSource.text(), L"");
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_NEW));

    a.add(a.src, a.dst);
    a.prompts.answers = {IDNO};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(app::state().JobCount, 0);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");
}

TEST(FileCommands, OpenAfterCancelledNewAppendsBelowTheUnsavedRows) {
    JobsApp a;
    test::write_bytes(a.jobFile(L"Two.ojf"), kTwoJobs);
    a.add(a.src, a.dst);
    a.prompts.paths = {a.jobFile(L"Two.ojf")};
    a.prompts.answers = {IDCANCEL};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(app::state().JobCount, 3);
    EXPECT_EQ(a.row(2), L"COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"");
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf *");
}
