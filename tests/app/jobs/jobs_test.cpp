// The job list in the main window: adding, editing and deleting jobs, the target
// rule and the 13-job limit, folder entry, and job files.
#include <gtest/gtest.h>

#include "support/app_fixture.h"
#include "win/dpi.h"

using test::upper;

namespace {

const std::string kTwoJobs =
    "COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"\r\n"
    "COPY FOLDER  \"D:\\PHOTOS\"  INTO  \"E:\\BACKUP\\PHOTOS\"\r\n";

// An app with two folders to back up and one to back up into.
struct JobsApp : test::App {
    std::wstring src = box.path(L"Data"), src2 = box.path(L"Photos"), dst = box.path(L"Backup");
    JobsApp() {
        for (const auto& d : {src, src2, dst}) test::make_dirs(d);
        start();
    }
    std::wstring rowOf(const std::wstring& s, const std::wstring& d) const {
        return L"COPY FOLDER  \"" + upper(s) + L"\"  INTO  \"" + upper(d) + L"\"";
    }
    void addNumbered(int n) {  // n jobs without conflicts
        for (int k = 1; k <= n; ++k) {
            test::make_dirs(box.path(L"J" + std::to_wstring(k)));
            add(box.path(L"J" + std::to_wstring(k)), dst);
        }
    }
    int growthTwips() const { return main->outerHeightTwips() - main->designOuterHeightTwips(); }
    bool bold(int i) const {
        LOGFONTW f{};
        GetObjectW(reinterpret_cast<HFONT>(main->jobList.row(i).text.send(WM_GETFONT)), sizeof f, &f);
        return f.lfWeight >= FW_BOLD;
    }
    bool entryEnabled() const {
        for (auto w : {main->Label1[0], main->Label1[1], main->cmdSource, main->txtSource, main->cmdDest, main->txtDest})
            if (w.enabled()) return true;
        return false;
    }
    void open(const std::wstring& name) {
        prompts.paths = {jobFile(name)};
        main->MenuFileOpen_Click();
    }
};

}  // namespace

TEST(AddingJobs, RowsGrowTheWindowAndMarkTheListChanged) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    ASSERT_EQ(a.jobs(), 2);
    EXPECT_EQ(a.row(2), a.rowOf(a.src2, a.dst));
    EXPECT_EQ(win::twips(a.main->jobList.row(2).text.rectIn(a.main->hwnd()).top), 2640);
    EXPECT_EQ(a.growthTwips(), 960);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_SAVEAS));
    EXPECT_TRUE(a.prompts.asked.empty());

    // A bare drive is completed to its root; a destination gone since it was entered is refused.
    a.box.mapDrive(L'E', a.box.path(L"drive_e"));
    test::make_dirs(a.box.path(L"drive_e\\x"));  // an empty root lists nothing at all
    test::make_dirs(a.box.path(L"J1"));
    a.add(a.box.path(L"J1"), L"E:");
    EXPECT_EQ(a.main->txtDest.text(), L"E:\\");
    EXPECT_EQ(a.jobs(), 3);
    a.main->txtDest.setText(a.box.path(L"gone"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"INVALID PATH"});
    EXPECT_EQ(a.prompts.asked[0].text, L"The path \"" + a.box.path(L"gone") + L"\" is not valid");
    EXPECT_EQ(a.main->txtDest.text(), L"");
    EXPECT_FALSE(a.main->cmdAddJob.enabled());
}

TEST(AddingJobs, TheTargetRuleAndTheLimitRefuseJobs) {
    JobsApp a;
    test::make_dirs(a.box.path(L"Other\\Data"));
    a.add(a.src, a.dst);
    a.add(a.box.path(L"Other\\Data\\"), a.dst + L"\\");  // one target for two jobs
    EXPECT_EQ(a.jobs(), 1);
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"INVALID JOB"});
    EXPECT_NE(upper(a.prompts.asked[0].text).find(L"\"" + upper(a.dst + L"\\Data") + L"\""), std::wstring::npos);
    // Thirteen jobs freeze the entry; a 14th is refused; a delete keeps the freeze, New lifts it.
    a.prompts.asked.clear();
    a.main->cmdDeleteJob_Click(1);
    a.addNumbered(13);
    EXPECT_EQ(a.jobs(), 13);
    EXPECT_EQ(a.growthTwips(), 6240);
    EXPECT_FALSE(a.entryEnabled());
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.jobs(), 13);
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"JOB LIST FULL"}));
    a.main->cmdDeleteJob_Click(13);
    EXPECT_FALSE(a.entryEnabled());
    a.prompts.answers = {IDNO};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(a.jobs(), 0);
    EXPECT_EQ(a.growthTwips(), 0);
    EXPECT_TRUE(a.entryEnabled());
}

TEST(EditingJobs, TheSelectedRowIsEditedAndFollowsItsJob) {
    JobsApp a;
    test::make_dirs(a.box.path(L"C3"));
    test::make_dirs(a.box.path(L"Other"));
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    a.add(a.box.path(L"C3"), a.dst);
    a.main->txtActionDisplay_Click(2);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"EDIT JOB");
    EXPECT_TRUE(a.bold(2));
    EXPECT_EQ(a.main->txtSource.text(), upper(a.src2));
    a.main->txtActionDisplay_Click(3);
    EXPECT_FALSE(a.bold(2));

    // Deleting row 1 moves the selection up with its job; EDIT then rewrites that job only.
    a.main->cmdDeleteJob_Click(1);
    EXPECT_TRUE(a.bold(2));
    a.main->txtDest.setText(a.box.path(L"Other"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), a.rowOf(a.src2, a.dst));
    EXPECT_EQ(a.row(2), a.rowOf(a.box.path(L"C3"), a.box.path(L"Other")));
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    EXPECT_EQ(a.growthTwips(), 960);

    // An edit to a missing destination changes nothing, yet ends the edit; deleting
    // the selected job leaves nothing to edit.
    a.main->txtActionDisplay_Click(1);
    a.main->txtDest.setText(a.box.path(L"missing"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), a.rowOf(a.src2, a.dst));
    EXPECT_FALSE(a.bold(1));
    a.main->txtActionDisplay_Click(1);
    a.main->cmdDeleteJob_Click(1);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    a.add(a.src, a.box.path(L"Other"));
    EXPECT_EQ(a.jobs(), 2);  // added, not written over another row
}

TEST(FolderEntry, MissingAndUnusableFolders) {
    JobsApp a;
    struct Case {
        std::wstring typed;
        int answer;  // to "PATH NOT FOUND"; 0: not asked
        std::vector<std::wstring> titles;
        bool kept;  // the box keeps the folder
    } cases[] = {
        {a.box.path(L"Fresh"), IDYES, {L"PATH NOT FOUND"}, true},
        {a.box.path(L"Nope"), IDNO, {L"PATH NOT FOUND"}, false},
        {L":\\x", IDYES, {L"PATH NOT FOUND", L"FOLDER NOT CREATED"}, false},
        {a.box.path(L"no\\such\\parent"), IDYES, {L"PATH NOT FOUND", L"FOLDER NOT CREATED"}, false},
        {a.box.path(L"\u4e2d\u6587"), 0, {L"INVALID PATH"}, false},
    };
    for (const auto& c : cases) {
        a.prompts.asked.clear();
        if (c.answer) a.prompts.answers = {c.answer};
        a.main->txtSource.setText(a.src);
        a.main->txtDest.setText(c.typed);
        a.main->cmdAddJob.enable(true);
        a.main->txtDest_LostFocus();
        EXPECT_EQ(a.prompts.titles(), c.titles) << test::narrow(c.typed);
        EXPECT_EQ(a.main->txtDest.text(), c.kept ? c.typed : L"") << test::narrow(c.typed);
        EXPECT_EQ(test::exists(c.typed), c.kept) << test::narrow(c.typed);
        EXPECT_FALSE(a.main->cmdAddJob.enabled());  // until a check finds the folder there
    }
    EXPECT_NE(a.prompts.asked[0].text.find(L"\u4e2d\u6587"), std::wstring::npos);
    // A present folder with a filled partner enables ADD JOB.
    a.main->txtDest.setText(a.dst);
    a.main->txtDest_LostFocus();
    EXPECT_TRUE(a.main->cmdAddJob.enabled());
}

TEST(FolderEntry, EnterKeysAndLeavingTheWindow) {
    JobsApp a;
    ShowWindow(a.main->hwnd(), SW_SHOW);
    SetForegroundWindow(a.main->hwnd());
    a.main->txtSource.setText(a.src);
    a.main->txtDest.setText(a.dst);
    a.main->txtDest.focus();
    a.main->txtDest.send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(a.main->cmdAddJob.enabled());  // validated, focus stays
    EXPECT_EQ(GetFocus(), a.main->txtDest.hwnd());
    // Enter in the source box moves on to the destination, checking the source on the way.
    a.main->txtSource.setText(a.box.path(L"ToCreate"));
    a.main->txtSource.focus();
    a.prompts.answers = {IDNO};
    a.main->txtSource.send(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(GetFocus(), a.main->txtDest.hwnd());
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"PATH NOT FOUND"});
    // Leaving for another program's window (or a message box) checks nothing.
    a.main->txtSource.setText(a.box.path(L"Elsewhere"));
    a.main->txtSource.focus();
    a.main->txtSource.send(WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(a.prompts.asked.size(), 1u);
}

TEST(JobFile, SavedAndOpenedAsTheExampleBytes) {
    JobsApp a;
    a.box.mapDrive(L'E', a.box.path(L"drive_e"));
    a.box.mapDrive(L'D', a.box.path(L"drive_d"));
    for (const wchar_t* d : {L"drive_e\\Backup\\Data", L"drive_e\\Backup\\Photos", L"drive_d\\Photos"})
        test::make_dirs(a.box.path(d));
    test::make_dirs(L"C:\\Data");
    a.add(L"C:\\Data", L"e:\\Backup\\Data");
    a.add(L"D:\\Photos", L"E:\\Backup\\Photos");
    RemoveDirectoryW(L"C:\\Data");
    a.prompts.paths = {a.box.path(L"Two.ojf")};  // the name is taken; the file goes into the job folder
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), kTwoJobs);
    EXPECT_FALSE(test::exists(a.box.path(L"Two.ojf")));
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf");
    ASSERT_EQ(a.prompts.dialogs.size(), 1u);
    EXPECT_EQ(a.prompts.dialogs[0].title, L"Save Job");
    EXPECT_EQ(a.prompts.dialogs[0].filter, L"Ostrevin Jobfile|*.ojf");
    EXPECT_EQ(a.prompts.dialogs[0].initial_folder, a.box.jobFolder());

    a.open(L"Two.ojf");
    ASSERT_EQ(a.jobs(), 2);
    EXPECT_EQ(a.row(2), L"COPY FOLDER  \"D:\\PHOTOS\"  INTO  \"E:\\BACKUP\\PHOTOS\"");
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"Last Backup Never");
    for (int id : {ui::ID_MENU_NEW, ui::ID_MENU_SETDEFAULT, ui::ID_MENU_SAVEAS}) EXPECT_TRUE(a.main->menuEnabled(id));
    // Save of a named, changed list writes without asking for a name.
    a.main->cmdDeleteJob_Click(1);
    a.main->MenuFileSave_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), kTwoJobs.substr(kTwoJobs.find('\n') + 1));
    EXPECT_EQ(a.prompts.dialogs.size(), 2u);
    EXPECT_TRUE(a.prompts.asked.empty());
}

TEST(JobFile, BadLinesAndTooManyJobsAreReported) {
    JobsApp a;
    std::string text = "COPY FOLDER  \"C:\\A\" INTO \"E:\\B\r\n";  // three quotes
    for (int i = 1; i <= 15; ++i)
        text += "COPY FOLDER  \"C:\\J" + std::to_string(i) + "\"  INTO  \"E:\\B" + std::to_string(i) + "\"\r\n";
    text += "\r\nCOPY FOLDER  \"C:\\NOT\"  INTO  \"E:\\READ\"\r\n";  // an empty line ends the list
    test::write_bytes(a.jobFile(L"Big.ojf"), text);
    a.open(L"Big.ojf");
    EXPECT_EQ(a.jobs(), 13);
    EXPECT_EQ(a.row(13), L"COPY FOLDER  \"C:\\J13\"  INTO  \"E:\\B13\"");
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"JOB FILE INCOMPLETE"});
    const std::wstring file = L"\"" + a.jobFile(L"Big.ojf") + L"\"";
    EXPECT_EQ(a.prompts.asked[0].text, L"Line 1 of the job file " + file +
                                           L" could not be read as jobs and was left out. The job list holds at most "
                                           L"13 jobs, so 2 jobs of " + file +
                                           L" were left out.\r\rThe file itself has not been changed.");
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Big.ojf")), text);
    EXPECT_FALSE(a.entryEnabled());  // a full list freezes entry
}

TEST(JobFile, UnreadableUnwritableAndForeignFiles) {
    JobsApp a;
    a.open(L"Nothing.ojf");
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"FILE NOT OPENED"});
    EXPECT_EQ(a.prompts.asked[0].text.rfind(L"The job file \"" + a.jobFile(L"Nothing.ojf") + L"\" could not be opened: ", 0),
              0u);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");

    // A file that cannot be written: the list stays changed, the old file intact.
    test::write_bytes(a.jobFile(L"Old.ojf"), kTwoJobs);
    a.open(L"Old.ojf");
    a.main->cmdDeleteJob_Click(1);
    test::make_dirs(a.jobFile(L"Old.ojf.new"));
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT SAVED");
    EXPECT_NE(a.prompts.asked.back().text.find(L"the old file is unchanged"), std::wstring::npos);
    EXPECT_EQ(a.title(), L"Ostrevin: Old.ojf *");
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Old.ojf")), kTwoJobs);
    // Save As that fails keeps the old name.
    test::make_dirs(a.jobFile(L"Other.ojf.new"));
    a.prompts.paths = {a.jobFile(L"Other.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(app::state().JobFileName, L"Old.ojf");
    EXPECT_NE(a.prompts.asked.back().text.find(L"no file of that name has been made"), std::wstring::npos);
    // A name the ANSI code page cannot hold would reach the settings file as "?".
    for (auto command : {&ui::FrmMain::MenuFileSaveAs_Click, &ui::FrmMain::MenuFileOpen_Click}) {
        a.prompts.paths = {a.jobFile(L"\u4e2d\u6587.ojf")};
        ((*a.main).*command)();
        EXPECT_EQ(a.prompts.asked.back().title, L"INVALID NAME");
        EXPECT_EQ(a.title(), L"Ostrevin: Old.ojf *");
    }
    // A failed Open below a kept list leaves it untitled: it cannot become the default.
    a.prompts.answers = {IDCANCEL};
    a.open(L"Nothing.ojf");
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SETDEFAULT));
    // A file picked outside the job folder is not swapped for its namesake there.
    const size_t before = a.prompts.asked.size();
    a.prompts.paths = {a.box.path(L"Old.ojf")};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(a.prompts.asked.size(), before + 1);
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT OPENED");
    EXPECT_EQ(a.jobs(), 1);
}

TEST(FileCommands, UnsavedListAnswersAndCancelledDialogs) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.prompts.answers = {IDCANCEL};
    a.main->MenuFileNew_Click();
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"Job Not Saved"});
    EXPECT_EQ(a.prompts.asked[0].text, L"The current job has not been saved.\r\rDo you want to save the job first?");
    EXPECT_EQ(a.prompts.asked[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_EQ(a.jobs(), 1);
    a.prompts.paths = {L""};  // a cancelled Save changes nothing
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    // Open after a cancelled New appends below the unsaved rows.
    test::write_bytes(a.jobFile(L"Two.ojf"), kTwoJobs);
    a.prompts.answers = {IDCANCEL};
    a.open(L"Two.ojf");
    EXPECT_EQ(a.jobs(), 3);
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf *");
    // Yes saves the list first.
    a.prompts.answers = {IDYES};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), test::narrow(a.rowOf(a.src, a.dst)) + "\r\n" + kTwoJobs);
    EXPECT_EQ(a.jobs(), 0);
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_NEW));
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");
}
