#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "app/startup.h"
#include "support/app_fixture.h"

namespace {

struct RunApp : test::App {
    std::wstring srcA, srcB, bk;
    RunApp() {
        srcA = box.path(L"SrcA");
        srcB = box.path(L"SrcB");
        test::make_dirs(srcA + L"\\sub");
        test::make_dirs(srcA + L"\\emptydir");
        test::make_dirs(srcB);
        test::write_bytes(srcA + L"\\a.txt", "alpha");
        test::write_bytes(srcA + L"\\sub\\b.txt", "beta");
        test::write_bytes(srcB + L"\\c.txt", "gamma");
        box.mapDrive(L'E', box.path(L"drive_e"));
        test::make_dirs(box.path(L"drive_e\\BK"));
        start();
        add(srcA, L"E:\\BK");
        add(srcB, L"E:\\BK2");  // made by the validation's question
    }
    void add(const std::wstring& s, const std::wstring& d) {
        main->txtSource.setText(s);
        main->txtDest.setText(d);
        prompts.answers.push_back(IDYES);  // create a missing destination
        main->txtDest_LostFocus();
        prompts.answers.clear();
        main->cmdAddJob.enable(true);
        main->cmdAddJob_Click();
    }
    void check(win::Window box, bool on) { box.send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
    std::wstring e(const std::wstring& rel) const { return box.path(L"drive_e\\" + rel); }
};

std::wstring temp_file(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    GetTempPathW(MAX_PATH, buf);
    return std::wstring(buf) + name;
}

}  // namespace

TEST(BackupRun, CopiesBothTreesRecordsTheDateAndReports) {
    RunApp a;
    ASSERT_EQ(app::state().JobCount, 2);
    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\a.txt")), "alpha");
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\sub\\b.txt")), "beta");
    EXPECT_EQ(test::read_bytes(a.e(L"BK2\\SRCB\\c.txt")), "gamma");
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCA\\emptydir")));  // /S leaves empty folders out

    ASSERT_EQ(a.prompts.asked.size(), 1u) << test::narrow(a.prompts.asked.back().text);
    EXPECT_EQ(a.prompts.asked[0].title, L"BACKUP COMPLETE");
    EXPECT_EQ(a.prompts.asked[0].text,
              L"Your backup is complete and a current list of Program Files is saved in E:\\BK");
    EXPECT_EQ(a.prompts.asked[0].flags, static_cast<UINT>(MB_OK));

    const std::wstring today = app::TodayShortDate();
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"Last Backup on " + today);
    auto r = core::LookupBackupDate(app::state().settings, L"UNTITLED");
    EXPECT_EQ(r.kind, core::DateLookup::Found);
    EXPECT_EQ(r.date, today);

    const std::string list = test::read_bytes(a.e(L"BK\\ProgramFilesList.txt"));
    EXPECT_EQ(list.rfind("List of directories in Program Files\r\n\r\n", 0), 0u) << list;
    EXPECT_NE(list.find("COMMON FILES\r\n"), std::string::npos) << list;

    // The display is back, the script and its results are gone.
    EXPECT_TRUE(a.main->cmdRun.visible() || (GetWindowLongPtrW(a.main->cmdRun.hwnd(), GWL_STYLE) & WS_VISIBLE));
    EXPECT_EQ(a.main->Label2.text(), L"Job List");
    EXPECT_FALSE(a.main->run_in_progress);
    EXPECT_FALSE(test::exists(temp_file(L"BatchRun.bat")));
    EXPECT_FALSE(test::exists(temp_file(L"BatchRun.failed")));
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    EXPECT_EQ(std::wstring(cwd), L"C:\\Program Files");
}

TEST(BackupRun, PurgeAndEmptyFolderOptions) {
    RunApp a;
    a.main->cmdRun_Click();
    test::write_bytes(a.e(L"BK\\SRCA\\extra.txt"), "extra");

    a.main->cmdRun_Click();  // without "Remove": the extra file stays
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\extra.txt")));

    a.check(a.main->chkRemove, true);
    a.check(a.main->chkEmpty, true);
    a.main->cmdRun_Click();
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCA\\extra.txt")));
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\emptydir")));
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\a.txt")), "alpha");
    for (const auto& q : a.prompts.asked) {
        if (q.title != L"PATH NOT FOUND") {
            EXPECT_EQ(q.title, L"BACKUP COMPLETE");
        }
    }
}

TEST(BackupRun, AFailingJobIsNamedAndNoDateRecorded) {
    RunApp a;
    test::remove_tree(a.srcB);  // robocopy fails on a missing source
    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"BACKUP FAILED");
    EXPECT_NE(a.prompts.asked[0].text.find(L"SRCB"), std::wstring::npos);
    EXPECT_EQ(a.prompts.asked[0].text.find(L"SRCA"), std::wstring::npos);
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"UNTITLED").kind, core::DateLookup::Never);
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"");
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\a.txt")));  // the other job still ran
    EXPECT_FALSE(test::exists(a.e(L"BK\\ProgramFilesList.txt")));
}

TEST(BackupRun, AnUnreadableOutcomeIsNotReportedAsSuccess) {
    RunApp a;
    // Something the run can neither remove nor read stands where the results go.
    const std::wstring results = temp_file(L"BatchRun.failed");
    test::make_dirs(results);
    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    RemoveDirectoryW(results.c_str());
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"BACKUP NOT CONFIRMED");
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"UNTITLED").kind, core::DateLookup::Never);
    EXPECT_EQ(a.main->Label2.text(), L"Job List");
}

TEST(BackupRun, JobsFromAFileThatShareATargetAreKeptButNotRun) {
    RunApp a;
    const std::wstring docs = a.box.path(L"A\\DOCS"), twin = a.box.path(L"B\\DOCS"), mail = a.box.path(L"B\\MAIL");
    for (const auto& d : {docs, twin, mail}) test::make_dirs(d);
    test::write_bytes(docs + L"\\d1.txt", "docs");
    test::write_bytes(twin + L"\\d2.txt", "twin");
    test::write_bytes(mail + L"\\m1.txt", "mail");
    // Sources typed with a trailing backslash, and two sources of one name, into one folder.
    std::string jobs;
    for (const auto& s : {docs + L"\\", twin, mail + L"\\"}) jobs += test::narrow(core::FormatJobRow(s, L"E:\\BK")) + "\r\n";
    const std::wstring file = a.box.jobFolder() + L"\\Docs.ojf";
    test::write_bytes(file, jobs);
    a.check(a.main->chkRemove, true);
    a.prompts.asked.clear();
    a.prompts.answers = {IDNO};  // the typed list is not saved
    a.prompts.paths = {file};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(app::state().JobCount, 3);  // nothing dropped from the file
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"Job Not Saved", L"JOBS IN CONFLICT"}));

    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    ASSERT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"BACKUP NOT STARTED"});
    EXPECT_NE(a.prompts.asked[0].text.find(L"Jobs 1 and 2 would both copy into \"E:\\BK\\DOCS\""), std::wstring::npos)
        << test::narrow(a.prompts.asked[0].text);
    EXPECT_FALSE(test::exists(a.e(L"BK\\DOCS")));
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"Docs.ojf").kind, core::DateLookup::Never);
    EXPECT_EQ(test::read_bytes(file), jobs);

    // Without the twin each job has a folder of its own, and Remove deletes nothing of the other.
    a.main->cmdDeleteJob_Click(2);
    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"BACKUP COMPLETE"});
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\DOCS\\d1.txt")), "docs");
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\MAIL\\m1.txt")), "mail");
}

namespace {
RunApp* g_app = nullptr;
std::vector<std::wstring> g_refusals;

void kill_children(const wchar_t* exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (lstrcmpiW(pe.szExeFile, exe) != 0) continue;
        HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ProcessID);
        if (p) {
            TerminateProcess(p, 1);
            CloseHandle(p);
        }
    }
    CloseHandle(snap);
}

void CALLBACK stop_script(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    // While the run waits: file commands and closing are refused, not carried out.
    size_t before = g_app->prompts.asked.size();
    SendMessageW(g_app->main->hwnd(), WM_COMMAND, ui::ID_MENU_OPEN, 0);
    SendMessageW(g_app->main->hwnd(), WM_CLOSE, 0, 0);
    for (size_t i = before; i < g_app->prompts.asked.size(); ++i) g_refusals.push_back(g_app->prompts.asked[i].title);
    kill_children(L"cmd.exe");  // as if the user closed the console
    kill_children(L"robocopy.exe");
}
}  // namespace

TEST(BackupRun, AScriptStoppedMidwayIsReportedAsNotFinished) {
    RunApp a;
    g_app = &a;
    // A locked file makes robocopy retry for seconds, long enough to stop it.
    HANDLE lock = CreateFileW((a.srcA + L"\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    a.prompts.asked.clear();
    SetTimer(nullptr, 0, 1500, stop_script);
    a.main->cmdRun_Click();
    CloseHandle(lock);
    EXPECT_EQ(g_refusals, (std::vector<std::wstring>{L"BACKUP RUNNING", L"BACKUP RUNNING"}));
    EXPECT_TRUE(IsWindow(a.main->hwnd()));
    ASSERT_FALSE(a.prompts.asked.empty());
    EXPECT_EQ(a.prompts.asked.back().title, L"BACKUP NOT FINISHED");
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"UNTITLED").kind, core::DateLookup::Never);
    EXPECT_FALSE(test::exists(temp_file(L"BatchRun.bat")));
    EXPECT_FALSE(a.main->run_in_progress);
    EXPECT_EQ(a.main->Label2.text(), L"Job List");
    g_app = nullptr;
}

namespace {
void CALLBACK kill_copier(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    kill_children(L"robocopy.exe");  // as Task Manager ends it: exit code 1, "files copied"
}
}  // namespace

TEST(BackupRun, AKilledCopierIsNotAFinishedJob) {
    RunApp a;
    HANDLE lock = CreateFileW((a.srcA + L"\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    a.prompts.asked.clear();
    SetTimer(nullptr, 0, 1500, kill_copier);
    a.main->cmdRun_Click();
    CloseHandle(lock);
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"BACKUP NOT FINISHED");
    EXPECT_NE(a.prompts.asked[0].text.find(L"SRCA"), std::wstring::npos) << test::narrow(a.prompts.asked[0].text);
    EXPECT_EQ(a.prompts.asked[0].text.find(L"SRCB"), std::wstring::npos);  // the next job ran to its end
    EXPECT_TRUE(test::exists(a.e(L"BK2\\SRCB\\c.txt")));
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"UNTITLED").kind, core::DateLookup::Never);
}

TEST(BackupRun, ATempFolderTheConsoleCannotNameStillRecordsFailures) {
    RunApp a;
    const std::wstring temp = a.box.path(L"t\u0416mp");
    test::make_dirs(temp);
    wchar_t old_tmp[MAX_PATH] = L"", old_temp[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TMP", old_tmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", old_temp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    test::remove_tree(a.srcB);
    a.prompts.asked.clear();
    a.main->cmdRun_Click();
    SetEnvironmentVariableW(L"TMP", *old_tmp ? old_tmp : nullptr);
    SetEnvironmentVariableW(L"TEMP", *old_temp ? old_temp : nullptr);
    ASSERT_EQ(a.prompts.asked.size(), 1u);
    EXPECT_EQ(a.prompts.asked[0].title, L"BACKUP FAILED") << test::narrow(a.prompts.asked[0].text);
    EXPECT_NE(a.prompts.asked[0].text.find(L"SRCB"), std::wstring::npos);
}

TEST(BackupRun, ExitWhenCompleteClosesThroughTheNormalExit) {
    RunApp a;
    a.check(a.main->chkExit, true);
    a.prompts.asked.clear();
    a.prompts.answers = {IDNO};  // "File Not Saved": leave without saving
    a.main->cmdRun_Click();
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"File Not Saved"});
    EXPECT_FALSE(IsWindow(a.main->hwnd()));
    // The date reached the settings file through the normal exit.
    EXPECT_NE(test::read_bytes(a.settingsPath()).find("UNTITLED=" + test::narrow(app::TodayShortDate())),
              std::string::npos);
}
