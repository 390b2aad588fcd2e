// The job list in the main window: adding, editing and deleting jobs, the target
// rule and the 13-job limit, folder entry, and job files.
#include <gtest/gtest.h>

#include "support/app_fixture.h"

using test::upper;
using Titles = std::vector<std::wstring>;

namespace {

const std::string kTwoJobs =
    "COPY FOLDER  \"C:\\DATA\"  INTO  \"E:\\BACKUP\\DATA\"\r\n"
    "COPY FOLDER  \"D:\\PHOTOS\"  INTO  \"E:\\BACKUP\\PHOTOS\"\r\n";

// An app with two folders to back up and one to back up into.
struct JobsApp : test::App {
    std::wstring src = box.path(L"Data"), src2 = box.path(L"Photos"), dst = box.path(L"Backup");
    JobsApp() {
        for (const auto& d : {src, src2, dst, box.path(L"Other\\Data")}) test::make_dirs(d);
        start();
    }
    std::wstring rowOf(const std::wstring& s, const std::wstring& d) const {
        return L"COPY FOLDER  \"" + upper(s) + L"\"  INTO  \"" + upper(d) + L"\"";
    }
    bool entryEnabled() const { return main->txtSource.enabled() || main->txtDest.enabled(); }
    void open(const std::wstring& name) {
        prompts.paths = {jobFile(name)};
        main->MenuFileOpen_Click();
    }
};

}  // namespace

TEST(AddingJobs, TheTargetRuleAndTheLimitRefuseJobs) {
    JobsApp a;
    a.add(a.src, a.dst);
    a.add(a.src2, a.dst);
    ASSERT_EQ(a.jobs(), 2);
    EXPECT_EQ(a.row(2), a.rowOf(a.src2, a.dst));
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_TRUE(a.main->cmdRun.enabled());
    a.add(a.box.path(L"Other\\Data\\"), a.dst + L"\\");  // one target for two jobs
    EXPECT_EQ(a.jobs(), 2);
    ASSERT_EQ(a.prompts.titles(), Titles{L"INVALID JOB"});
    EXPECT_NE(upper(a.prompts.asked[0].text).find(L"\"" + upper(a.dst + L"\\Data") + L"\""), std::wstring::npos);

    // A destination gone since it was entered is refused.
    a.main->txtDest.setText(a.box.path(L"gone"));
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.prompts.titles().back(), L"INVALID PATH");
    EXPECT_FALSE(a.main->cmdAddJob.enabled());

    // Thirteen jobs freeze the entry and a 14th is refused; New lifts the freeze.
    for (int k = 3; k <= 13; ++k) {
        test::make_dirs(a.box.path(L"J" + std::to_wstring(k)));
        a.add(a.box.path(L"J" + std::to_wstring(k)), a.dst);
    }
    EXPECT_FALSE(a.entryEnabled());
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.jobs(), 13);
    EXPECT_EQ(a.prompts.titles().back(), L"JOB LIST FULL");
    a.prompts.answers = {IDNO};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(a.jobs(), 0);
    EXPECT_TRUE(a.entryEnabled());
}

TEST(EditingJobs, TheSelectedRowIsEditedAndFollowsItsJob) {
    JobsApp a;
    const std::wstring c3 = a.box.path(L"C3"), other = a.box.path(L"Other");
    test::make_dirs(c3);
    for (const auto& s : {a.src, a.src2, c3}) a.add(s, a.dst);
    a.main->txtActionDisplay_Click(2);
    EXPECT_EQ(a.main->txtSource.text(), upper(a.src2));
    a.main->txtActionDisplay_Click(3);
    // Deleting row 1 moves the selection up with its job; EDIT then rewrites that job only.
    a.main->cmdDeleteJob_Click(1);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"EDIT JOB");
    a.main->txtDest.setText(other);
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), a.rowOf(a.src2, a.dst));
    EXPECT_EQ(a.row(2), a.rowOf(c3, other));
    // Deleting the selected job leaves nothing to edit: the next job is added, not written over a row.
    a.main->txtActionDisplay_Click(1);
    a.main->cmdDeleteJob_Click(1);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"ADD JOB");
    a.add(a.src, other);
    EXPECT_EQ(a.jobs(), 2);
    // A loaded file's folders keep its letter case until the next add or edit.
    test::write_bytes(a.jobFile(L"Mixed.ojf"),
                      "copy folder  \"" + test::narrow(a.src) + "\"  into  \"" + test::narrow(a.dst) + "\"\r\n");
    a.prompts.answers = {IDNO};  // the unsaved list
    a.open(L"Mixed.ojf");
    a.main->txtActionDisplay_Click(1);
    EXPECT_EQ(a.main->txtSource.text() + a.main->txtDest.text(), a.src + a.dst);
    EXPECT_EQ(a.row(1), a.rowOf(a.src, a.dst));
    a.main->cmdAddJob_Click();
    a.main->txtActionDisplay_Click(1);
    EXPECT_EQ(a.main->txtSource.text() + a.main->txtDest.text(), upper(a.src) + upper(a.dst));
}

TEST(FolderEntry, MissingAndUnusableFolders) {
    JobsApp a;
    struct Case {
        std::wstring typed;
        int answer;  // to "PATH NOT FOUND"; 0: not asked
        Titles titles;
        bool kept;  // the box keeps the folder
    } cases[] = {
        {a.box.path(L"Fresh"), IDYES, {L"PATH NOT FOUND"}, true},
        {a.box.path(L"Nope"), IDNO, {L"PATH NOT FOUND"}, false},
        {L":\\x", IDYES, {L"PATH NOT FOUND", L"FOLDER NOT CREATED"}, false},
        {a.box.path(L"\u4e2d\u6587"), 0, {L"INVALID PATH"}, false},
        {a.box.path(L"Backup"), 0, {}, true},  // present: with a filled partner, ADD JOB is enabled
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
        EXPECT_EQ(a.main->cmdAddJob.enabled(), c.titles.empty()) << test::narrow(c.typed);
    }
}

TEST(JobFile, BadUnreadableUnwritableAndForeignFiles) {
    JobsApp a;
    std::string text = "COPY FOLDER  \"C:\\A\" INTO \"E:\\B\r\n";  // three quotes
    for (int i = 1; i <= 15; ++i)
        text += "COPY FOLDER  \"C:\\J" + std::to_string(i) + "\"  INTO  \"E:\\B" + std::to_string(i) + "\"\r\n";
    text += "\r\nCOPY FOLDER  \"C:\\NOT\"  INTO  \"E:\\READ\"\r\n";  // an empty line ends the list
    test::write_bytes(a.jobFile(L"Big.ojf"), text);
    a.open(L"Big.ojf");
    EXPECT_EQ(a.jobs(), 13);
    ASSERT_EQ(a.prompts.titles(), Titles{L"JOB FILE INCOMPLETE"});
    for (const wchar_t* fact : {L"Line 1 of the job file", L"13 jobs, so 2 jobs of"})
        EXPECT_NE(a.prompts.asked[0].text.find(fact), std::wstring::npos) << test::narrow(fact);
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Big.ojf")), text);

    // A file that cannot be written: the list stays changed, the old file intact.
    test::write_bytes(a.jobFile(L"Old.ojf"), kTwoJobs);
    a.open(L"Old.ojf");
    a.main->cmdDeleteJob_Click(1);
    test::make_dirs(a.jobFile(L"Old.ojf.new"));
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT SAVED");
    EXPECT_EQ(a.title(), L"Ostrevin: Old.ojf *");
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Old.ojf")), kTwoJobs);
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
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT OPENED");
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    EXPECT_FALSE(a.main->menuEnabled(ui::ID_MENU_SETDEFAULT));
    // A file picked outside the job folder is not swapped for its namesake there.
    a.prompts.paths = {a.box.path(L"Old.ojf")};
    a.main->MenuFileOpen_Click();
    EXPECT_EQ(a.prompts.asked.back().title, L"FILE NOT OPENED");
    EXPECT_EQ(a.jobs(), 1);
}

TEST(JobFile, SavedOpenedAndTheUnsavedListQuestion) {
    JobsApp a;
    a.add(a.src, a.dst);
    // New with an unsaved list asks; Cancel, and a cancelled Save, change nothing.
    a.prompts.answers = {IDCANCEL};
    a.main->MenuFileNew_Click();
    ASSERT_EQ(a.prompts.titles(), Titles{L"Job Not Saved"});
    a.prompts.paths = {L""};
    a.main->MenuFileSave_Click();
    EXPECT_EQ(a.jobs(), 1);
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED *");
    // Open after a cancelled New appends below the unsaved rows.
    test::write_bytes(a.jobFile(L"Two.ojf"), kTwoJobs);
    a.prompts.answers = {IDCANCEL};
    a.open(L"Two.ojf");
    EXPECT_EQ(a.jobs(), 3);
    EXPECT_EQ(a.title(), L"Ostrevin: Two.ojf *");
    // Yes saves the list first, a row a line.
    a.prompts.answers = {IDYES};
    a.main->MenuFileNew_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Two.ojf")), test::narrow(a.rowOf(a.src, a.dst)) + "\r\n" + kTwoJobs);
    EXPECT_EQ(a.jobs(), 0);
    EXPECT_FALSE(a.main->cmdRun.enabled());
    EXPECT_EQ(a.title(), L"Ostrevin: UNTITLED");

    // Saved As a name picked outside the job folder: the file goes into the job folder.
    a.open(L"Two.ojf");
    a.main->cmdDeleteJob_Click(1);
    a.prompts.paths = {a.box.path(L"Copy.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Copy.ojf")), kTwoJobs);
    EXPECT_FALSE(test::exists(a.box.path(L"Copy.ojf")));
    EXPECT_EQ(a.title(), L"Ostrevin: Copy.ojf");
    EXPECT_EQ(a.prompts.dialogs.back().initial_folder, a.box.jobFolder());
    // Save of a named, changed list writes without asking for a name.
    a.main->cmdDeleteJob_Click(1);
    a.main->MenuFileSave_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Copy.ojf")), kTwoJobs.substr(kTwoJobs.find('\n') + 1));
}

TEST(LeavingOut, PatternsGoIntoTheRowTheBoxAndTheJobFile) {
    JobsApp a;
    a.main->txtExcept.setText(L" *.tmp; ~$*; node_modules/ ");
    a.add(a.src, a.dst);
    const std::wstring row = a.rowOf(a.src, a.dst) + L"  EXCEPT  \"*.TMP\"  \"~$*\"  \"NODE_MODULES\\\"";
    EXPECT_EQ(a.row(1), row);
    a.main->txtActionDisplay_Click(1);
    EXPECT_EQ(a.main->txtExcept.text(), L"*.TMP; ~$*; NODE_MODULES\\");
    // A bad pattern is named; the job, the box and the selection stay, to be corrected.
    a.main->txtExcept.setText(L"*.bak; \\out\\*\\");
    a.main->cmdAddJob_Click();
    ASSERT_EQ(a.prompts.titles(), Titles{L"INVALID PATTERN"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"\"\\out\\*\\\""), std::wstring::npos);
    EXPECT_EQ(a.row(1), row);
    EXPECT_EQ(a.main->cmdAddJob.text(), L"EDIT JOB");
    EXPECT_EQ(a.main->txtExcept.text(), L"*.bak; \\out\\*\\");
    // Saved and opened again the patterns come back; an emptied box drops them.
    a.prompts.paths = {a.jobFile(L"Out.ojf")};
    a.main->MenuFileSaveAs_Click();
    EXPECT_EQ(test::read_bytes(a.jobFile(L"Out.ojf")), test::narrow(row) + "\r\n");
    a.open(L"Out.ojf");
    a.main->txtActionDisplay_Click(1);
    EXPECT_EQ(a.main->txtExcept.text(), L"*.TMP; ~$*; NODE_MODULES\\");
    a.main->txtExcept.setText(L"  ");
    a.main->cmdAddJob_Click();
    EXPECT_EQ(a.row(1), a.rowOf(a.src, a.dst));
}
