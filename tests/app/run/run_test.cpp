// RUN BACKUPS end to end: the real script, command interpreter and copier.
#include "run_app.h"

TEST(BackupRun, CopiesWithItsOptionsRecordsTheDateListsProgramFilesAndReports) {
    RunApp a;
    // Something left a robocopy.bat where the script runs, and a cmd.exe in the current
    // folder while ComSpec is unset: neither runs in place of the system's own.
    const std::wstring planted = temp_file(L"robocopy.bat");
    test::write_bytes(planted, "echo planted >\"" + test::narrow(a.box.path(L"planted")) + "\"\r\n");
    wchar_t comspec[MAX_PATH];
    GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
    SetEnvironmentVariableW(L"ComSpec", nullptr);
    ASSERT_TRUE(CopyFileW(system_file(L"robocopy.exe").c_str(), (a.box.data() + L"\\cmd.exe").c_str(), FALSE));
    a.runBackups();
    SetEnvironmentVariableW(L"ComSpec", comspec);
    DeleteFileW(planted.c_str());
    EXPECT_FALSE(test::exists(a.box.path(L"planted")));
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\sub\\b.txt")), "beta");
    EXPECT_EQ(test::read_bytes(a.e(L"BK2\\SRCB\\c.txt")), "gamma");
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCA\\emptydir")));  // /S leaves empty folders out
    EXPECT_EQ(a.told().text, L"Your backup is complete and a current list of Program Files is saved in E:\\BK");
    EXPECT_EQ(a.told().flags, static_cast<UINT>(MB_OK));
    const std::wstring today = win::short_date();
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"Last Backup on " + today);
    EXPECT_EQ(core::LookupBackupDate(app::state().settings, L"UNTITLED").date, today);
    // The list: upper case, in order, without hidden or system entries.
    auto lines = lines_of(test::read_bytes(a.e(L"BK\\ProgramFilesList.txt")));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "List of directories in Program Files");
    EXPECT_TRUE(std::is_sorted(lines.begin() + 2, lines.end()));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "COMMON FILES"), lines.end());
    // The display is back, the script and its results are gone.
    EXPECT_EQ(a.main->Label2.text(), L"Job List");
    EXPECT_FALSE(a.main->run_in_progress);
    for (const wchar_t* f : {L"BatchRun.bat", L"BatchRun.failed"}) EXPECT_FALSE(test::exists(temp_file(f)));
    EXPECT_EQ(test::cwd(), a.box.data());  // the list is written without moving there
    // Options: without "Remove" an extra file stays; with it and "Include Empty" the copy mirrors.
    test::write_bytes(a.e(L"BK\\SRCA\\extra.txt"), "extra");
    a.runBackups();
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\extra.txt")));
    a.check(a.main->chkRemove, true);
    a.check(a.main->chkEmpty, true);
    a.runBackups();
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCA\\extra.txt")));
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\emptydir")));
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>(3, L"BACKUP COMPLETE"));
    // Each run's end line names a log of its own, even within one second (its start line only the name).
    std::set<std::string> logs;
    for (const auto& line : lines_of(test::read_bytes(a.box.data() + L"\\Ostrevin-runs.log"))) {
        const std::string log = line.substr(line.rfind('\t') + 1);
        if (log.find('\\') != std::string::npos && test::exists(std::wstring(log.begin(), log.end()))) logs.insert(log);
    }
    EXPECT_EQ(logs.size(), 3u);
}

// What a job leaves out is neither copied nor removed from its backup, nor counted
// by the purge check; an Office lock file held open no longer fails the run.
TEST(BackupRun, WhatAJobLeavesOutIsNeitherCopiedNorRemoved) {
    RunApp a;
    const std::wstring backup = a.e(L"BK\\SRCA");
    const auto put = [](const std::wstring& f) {
        test::write_bytes((test::make_dirs(f.substr(0, f.rfind(L'\\'))), f), "x");
    };
    for (const wchar_t* f : {L"x.tmp", L"sub\\y.TMP", L"~$Report.docx", L"Report.docx", L"node_modules\\m\\i.js",
                             L"sub\\node_modules\\j.js", L"sub\\keep.js"})
        put(a.srcA + L"\\" + f);
    // Left in the backup by runs before the job left them out: most of what it holds.
    for (int i = 0; i < 12; ++i) put(backup + L"\\old" + std::to_wstring(i) + L".tmp");
    put(backup + L"\\node_modules\\old.js");
    a.main->txtActionDisplay_Click(1);
    a.main->txtExcept.setText(L"*.tmp; ~$*; node_modules\\");
    a.main->cmdAddJob_Click();
    a.check(a.main->chkRemove, true);
    HANDLE lock =
        CreateFileW((a.srcA + L"\\~$Report.docx").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    a.runBackups();
    CloseHandle(lock);
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"BACKUP COMPLETE"}) << a.prompts.asked[0].text;
    for (const wchar_t* f :
         {L"a.txt", L"Report.docx", L"sub\\b.txt", L"sub\\keep.js", L"old0.tmp", L"old11.tmp", L"node_modules\\old.js"})
        EXPECT_TRUE(test::exists(backup + L"\\" + f)) << test::narrow(f);
    for (const wchar_t* f : {L"x.tmp", L"sub\\y.TMP", L"~$Report.docx", L"node_modules\\m", L"sub\\node_modules"})
        EXPECT_FALSE(test::exists(backup + L"\\" + f)) << test::narrow(f);
    // Nor purged with a folder the source drops: they stay, the rest goes (aside with Keep).
    for (bool keep : {true, false}) {
        const std::wstring name = keep ? L"\\gone1" : L"\\gone0", there = backup + name;
        for (const wchar_t* f : {L"\\in\\c.txt", L"\\d.txt"}) put(a.srcA + name + f);
        a.check(a.main->chkKeep, keep);
        a.runBackups();
        for (const wchar_t* f : {L"\\a.tmp", L"\\in\\b.tmp"}) put(there + f);
        test::remove_tree(a.srcA + name);
        a.prompts.asked.clear();
        if (!keep) a.prompts.answers = {IDYES};  // without Keep, a purge is asked about
        a.runBackups();
        EXPECT_EQ(test::tree(there), (std::vector<std::wstring>{L"a.tmp", L"in\\", L"in\\b.tmp"})) << keep;
        const std::wstring told = a.prompts.asked.back().text, kept = kept_in(told);
        EXPECT_EQ(kept.empty(), !keep) << test::narrow(told);
        if (!kept.empty()) {
            EXPECT_EQ(test::tree(kept + L"\\SRCA\\gone1"),
                      (std::vector<std::wstring>{L"d.txt", L"in\\", L"in\\c.txt"}));
        }
    }
}

// A missing source makes robocopy fail, also with a TEMP folder the console cannot name
// (every other run here has a plain one).
TEST(BackupRun, FailedJobsAreNamedAndNoDateRecorded) {
    RunApp a;
    const std::wstring temp = a.box.path(L"t\u0416mp");
    test::make_dirs(temp);
    wchar_t old_tmp[MAX_PATH] = L"", old_temp[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TMP", old_tmp, MAX_PATH);
    GetEnvironmentVariableW(L"TEMP", old_temp, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp.c_str());
    SetEnvironmentVariableW(L"TEMP", temp.c_str());
    test::remove_tree(a.srcB);
    a.runBackups();
    SetEnvironmentVariableW(L"TMP", *old_tmp ? old_tmp : nullptr);
    SetEnvironmentVariableW(L"TEMP", *old_temp ? old_temp : nullptr);
    EXPECT_EQ(a.told().title, L"BACKUP FAILED");
    EXPECT_EQ(a.told().text.find(L"SRCA"), std::wstring::npos);
    // The job, the copier's reason under it, and where the whole log is kept.
    const std::wstring kept = a.keptLog();
    EXPECT_NE(a.told().text.find(L"INTO  \"E:\\BK2\"\r    ERROR 2 (0x00000002) Accessing Source Directory "),
              std::wstring::npos)
        << a.told().text;
    EXPECT_NE(a.told().text.find(L"The log of this run is in \"" + kept + L"\"."), std::wstring::npos);
    EXPECT_NE(test::read_bytes(kept).find("Ostrevin job 2"), std::string::npos);
    EXPECT_FALSE(a.dated());
    EXPECT_EQ(a.main->lblBUDateDisplay.text(), L"");
    EXPECT_TRUE(test::exists(a.e(L"BK\\SRCA\\a.txt")));  // the other job still ran
    EXPECT_FALSE(test::exists(a.e(L"BK\\ProgramFilesList.txt")));
}

TEST(BackupRun, AMissingOrUnwritableResultsFileIsNotReportedAsSuccess) {
    RunApp a;
    // Something the run can neither remove nor replace stands where the results go: nothing starts.
    const std::wstring results = temp_file(L"BatchRun.failed");
    test::make_dirs(results);
    a.runBackups();
    RemoveDirectoryW(results.c_str());
    EXPECT_EQ(a.told().title, L"BACKUP NOT STARTED");
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCA\\a.txt")));
    // Removed while the run goes on, it can no longer tell which jobs failed.
    a.prompts.asked.clear();
    DuringRun remove(1, [] {
        const std::wstring results = temp_file(L"BatchRun.failed");
        for (int i = 0; i < 500 && !test::exists(results); ++i) Sleep(10);  // made just before the script starts
        DeleteFileW(results.c_str());
    });
    a.runBackups();
    EXPECT_EQ(a.told().title, L"BACKUP NOT CONFIRMED");
    EXPECT_FALSE(a.dated());
    EXPECT_EQ(a.main->Label2.text(), L"Job List");
    // A history that cannot be written is told after the outcome, never lost in silence.
    const std::wstring history = a.box.data() + L"\\Ostrevin-runs.log";
    ASSERT_TRUE(DeleteFileW(history.c_str()));
    test::make_dirs(history);
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"BACKUP COMPLETE", L"HISTORY NOT WRITTEN"}));
}

namespace {
// Our copier in the prefix, for as long as it lives, writes its log as a German Windows does.
struct GermanCopier {
    std::wstring system = system_file(L"robocopy.exe"), ours;
    explicit GermanCopier(const test::Sandbox& box) : ours(box.path(L"ours.exe")) {
        wchar_t exe[MAX_PATH];
        const std::wstring tests(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
        EXPECT_TRUE(CopyFileW(system.c_str(), ours.c_str(), FALSE));
        EXPECT_TRUE(
            CopyFileW((tests.substr(0, tests.rfind(L'\\')) + L"\\german_robocopy.exe").c_str(), system.c_str(), FALSE));
        SetEnvironmentVariableW(L"OSTREVIN_TEST_COPIER", ours.c_str());
    }
    ~GermanCopier() { EXPECT_TRUE(CopyFileW(ours.c_str(), system.c_str(), FALSE)); }
};
bool shown(win::Window w) { return GetWindowLongPtrW(w.hwnd(), GWL_STYLE) & WS_VISIBLE; }
}  // namespace

// On a German Windows, a second window's RUN BACKUPS while the first one runs.
TEST(BackupRun, OneRunAtATimeOnTheMachineAndItsLogReadInItsLanguage) {
    RunApp a;
    GermanCopier german(a.box);
    ui::FrmMain second;
    ASSERT_TRUE(second.create(false));
    KillTimer(second.hwnd(), ui::ID_TIMER1);
    second.txtSource.setText(a.srcB);
    second.txtDest.setText(L"E:\\BK");
    second.cmdAddJob_Click();
    ASSERT_EQ(second.jobList.count(), 1);
    HANDLE busy = CreateFileW((a.srcA + L"\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DuringRun press(1500, [&] {
        second.cmdRun_Click();
        CloseHandle(busy);  // the first run's next retry copies it
    });
    a.runBackups();
    ASSERT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"BACKUP NOT STARTED", L"BACKUP COMPLETE"}));
    EXPECT_EQ(a.prompts.asked[0].text.rfind(L"Another Ostrevin window is running backups", 0), 0u);
    EXPECT_TRUE(a.dated());
    EXPECT_EQ(test::read_bytes(a.e(L"BK\\SRCA\\a.txt")), "alpha");
    EXPECT_FALSE(test::exists(a.e(L"BK\\SRCB")));
    EXPECT_NE(test::read_bytes(a.keptLog()).find("   Beendet: "), std::string::npos);
}

// With Remove ticked, a purge that would take most of a backup is asked about first.
TEST(BackupRun, APurgeThatWouldEmptyABackupIsAskedAbout) {
    RunApp a;
    for (int i = 0; i < 198; ++i) test::write_bytes(a.srcA + (i % 2 ? L"\\f" : L"\\sub\\f") + std::to_wstring(i), "x");
    a.runBackups();
    const std::wstring backup = a.e(L"BK\\SRCA");
    ASSERT_EQ(test::tree(backup).size(), 201u);  // 200 files and the folder sub
    a.check(a.main->chkRemove, true);
    // Two files gone: ordinary pruning, no question.
    DeleteFileW((a.srcA + L"\\f1").c_str());
    DeleteFileW((a.srcA + L"\\sub\\f0").c_str());
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"BACKUP COMPLETE"});
    EXPECT_EQ(test::tree(backup).size(), 199u);
    // The source looks empty: Cancel starts nothing, No keeps the backup, Yes empties it.
    test::remove_tree(a.srcA);
    test::make_dirs(a.srcA);
    std::wstring shown;
    a.prompts.during_message = [&] { shown = shown.empty() ? a.main->lblProgress.text() : shown; };
    for (int answer : {IDCANCEL, IDNO, IDYES}) {
        a.prompts.asked.clear();
        shown.clear();
        a.prompts.answers = {answer};
        a.runBackups();
        ASSERT_EQ(a.prompts.asked.size(), 2u);
        EXPECT_EQ(a.prompts.asked[0].title, L"Files Would Be Removed");
        const std::wstring asked = a.prompts.asked[0].text;
        EXPECT_EQ(asked.rfind(L"Job 1 would remove 99 files and 1 folder with all they hold from \"E:\\BK\\SRCA\"", 0),
                  0u);
        EXPECT_NE(asked.find(L" 0 files now.\r\rRemoved files will be kept in \"E:\\BK\\Ostrevin"), std::wstring::npos);
        EXPECT_EQ(shown, L"Checking job 1 of 2");
        EXPECT_EQ(a.prompts.asked[1].title, answer == IDCANCEL ? L"BACKUP NOT STARTED" : L"BACKUP COMPLETE");
        EXPECT_EQ(a.prompts.asked[1].text.find(L"This job ran without removing anything") != std::wstring::npos,
                  answer == IDNO);
        EXPECT_EQ(test::tree(backup).size(), answer == IDYES ? 0u : 199u);
    }
}

TEST(BackupRun, JobsFromAFileThatShareATargetAreKeptButNotRun) {
    RunApp a;
    const std::wstring docs = a.box.path(L"A\\DOCS"), twin = a.box.path(L"B\\DOCS"), mail = a.box.path(L"B\\MAIL");
    for (const auto& d : {docs, twin, mail}) test::write_bytes((test::make_dirs(d), d + L"\\f.txt"), "x");
    std::string jobs;
    for (const auto& s : {docs + L"\\", twin, mail + L"\\"})
        jobs += test::narrow(core::FormatJobRow(s, L"E:\\BK")) + "\r\n";
    test::write_bytes(a.jobFile(L"Docs.ojf"), jobs);
    a.check(a.main->chkRemove, true);
    a.prompts.answers = {IDNO};  // the typed list is not saved
    a.prompts.paths = {a.jobFile(L"Docs.ojf")};
    a.main->MenuFileOpen_Click();
    ASSERT_EQ(a.jobs(), 3);  // nothing dropped from the file
    EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"Job Not Saved", L"JOBS IN CONFLICT"}));
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(a.told().title, L"BACKUP NOT STARTED");
    EXPECT_NE(a.told().text.find(L"Jobs 1 and 2 would both copy into \"E:\\BK\\DOCS\""), std::wstring::npos);
    EXPECT_FALSE(test::exists(a.e(L"BK\\DOCS")));
    // Without the twin each job has a folder of its own, and Remove deletes nothing of the other.
    a.main->cmdDeleteJob_Click(2);
    a.prompts.asked.clear();
    a.runBackups();
    EXPECT_EQ(a.told().title, L"BACKUP COMPLETE");
    EXPECT_TRUE(test::exists(a.e(L"BK\\DOCS\\f.txt")));
    EXPECT_TRUE(test::exists(a.e(L"BK\\MAIL\\f.txt")));
}

TEST(BackupRun, AStoppedOrKilledRunIsNotFinishedAndLeavesNoCopier) {
    enum Stop { ConsoleClosed, KillCopier, PressStop, CloseWindow, EndSession };
    for (Stop stop : {ConsoleClosed, KillCopier, PressStop, CloseWindow, EndSession}) {
        RunApp a;
        std::vector<std::wstring> seen;  // what the window showed while the run waited
        const HWND window = a.main->hwnd();
        DuringRun act(2000, [&] {
            if (stop == KillCopier) processes(L"robocopy.exe", true);  // as Task Manager ends it: exit code 1
            if (stop == PressStop)
                SendMessageW(window, WM_COMMAND, MAKEWPARAM(ui::ID_CMD_STOP, BN_CLICKED),
                             reinterpret_cast<LPARAM>(a.main->cmdStop.hwnd()));
            if (stop == CloseWindow) {
                a.prompts.answers = {IDYES, IDOK, IDNO};  // stop and close, see the end, leave the list unsaved
                SendMessageW(window, WM_CLOSE, 0, 0);
            }
            if (stop == EndSession) {  // no one answers: the list is left unsaved
                a.prompts.answers = {IDNO};
                SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
            }
            if (stop != ConsoleClosed) return;
            WIN32_FIND_DATAW script{};
            FindClose(FindFirstFileW(temp_file(L"batchrun.bat").c_str(), &script));
            // While the run goes on: file commands and deleting a job are greyed; closing asks, and No goes on.
            a.prompts.answers = {IDNO};
            SendMessageW(window, WM_COMMAND, ui::ID_MENU_OPEN, 0);
            SendMessageW(window, WM_COMMAND, MAKEWPARAM(ui::ID_ROW_DELETE + 1, BN_CLICKED), 0);
            SendMessageW(window, WM_CLOSE, 0, 0);
            ui::FrmMain& f = *a.main;
            seen = {script.cFileName, f.lblProgress.text(),
                    std::to_wstring(f.prgRun.send(PBM_GETPOS)) + (shown(f.cmdStop) ? L" STOP" : L"") +
                        (shown(f.cmdRun) || shown(f.chkExit) ? L" RUN" : L"") +
                        (f.menuEnabled(ui::ID_MENU_OPEN) ? L" OPEN" : L"")};
            processes(L"cmd.exe", true);  // the copier it started is left to the program to end
        });
        // A locked file makes robocopy retry for seconds, long enough to stop it.
        HANDLE lock = CreateFileW((a.srcA + L"\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        a.runBackups();
        CloseHandle(lock);
        EXPECT_EQ(processes(L"robocopy.exe"), 0);
        // Every run is in the history, its start and its end; the end of the session tells nothing more.
        const std::string history = test::read_bytes(a.box.data() + L"\\Ostrevin-runs.log");
        EXPECT_EQ(lines_of(history).size(), 2u);
        EXPECT_NE(history.find("\tUNTITLED\tBACKUP NOT FINISHED\t"), std::string::npos) << history;
        if (stop == EndSession) EXPECT_EQ(a.prompts.titles(), std::vector<std::wstring>{L"File Not Saved"});
        else
            EXPECT_EQ(a.prompts.titles().back() == L"File Not Saved" ? a.prompts.asked.end()[-2].title
                                                                     : a.prompts.titles().back(),
                      L"BACKUP NOT FINISHED");
        EXPECT_FALSE(a.dated());
        EXPECT_FALSE(test::exists(temp_file(L"BatchRun.bat")));
        EXPECT_FALSE(a.keptLog().empty());
        EXPECT_EQ(IsWindow(window), stop != CloseWindow);
        if (stop == ConsoleClosed) {
            EXPECT_EQ(a.prompts.titles(), (std::vector<std::wstring>{L"BACKUP RUNNING", L"BACKUP NOT FINISHED"}));
            EXPECT_TRUE(a.main->menuEnabled(ui::ID_MENU_OPEN));
            EXPECT_EQ(a.jobs(), 2);
            // The job at work and its files, the bar at no job done, STOP in place of the buttons.
            ASSERT_EQ(seen.size(), 3u);
            EXPECT_EQ(seen[0], L"BatchRun.bat");
            EXPECT_EQ(seen[1].rfind(L"Job 1 of 2: " + test::upper(a.srcA) + L" \u2014 ", 0), 0u) << seen[1];
            EXPECT_EQ(seen[2], L"0 STOP");
        }
        if (stop == KillCopier) {
            EXPECT_EQ(
                a.told().text.rfind(L"This job did not run to its end:\rCOPY FOLDER  \"" + test::upper(a.srcA), 0), 0u);
            EXPECT_TRUE(test::exists(a.e(L"BK2\\SRCB\\c.txt")));  // the next job ran to its end
        }
        if (stop != CloseWindow) {
            EXPECT_FALSE(a.main->run_in_progress);
            EXPECT_EQ(a.main->Label2.text(), L"Job List");
        }
    }
}

// The run's end reaches the window inside whatever modal loop is open; the window
// closes only once that loop has returned, and a close the user confirmed is not lost.
TEST(BackupRun, ItsEndClosesTheWindowOnlyOutsideModalWindowsAndKeepsAConfirmedClose) {
    for (const bool question : {false, true}) {
        RunApp a;
        const HWND window = a.main->hwnd();
        bool alive_in_modal = false;
        const auto wait_for_end = [&] {
            EXPECT_TRUE(test::pump_until([&] { return !a.main->run_in_progress; }, 120000));
            alive_in_modal = IsWindow(window) && a.main->frmBrowser;
        };
        a.main->cmdRun_Click();
        if (question) {
            // The run ends while "BACKUP RUNNING" is up; its outcome is seen, then Yes closes.
            bool once = true;
            a.prompts.during_message = [&] {
                if (std::exchange(once, false)) wait_for_end();
            };
            a.prompts.answers = {IDOK, IDYES, IDNO};
            SendMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(a.prompts.titles(),
                      (std::vector<std::wstring>{L"BACKUP RUNNING", L"BACKUP COMPLETE", L"File Not Saved"}));
        } else {
            // Exit when Complete, with the folder browser open when the run ends.
            a.check(a.main->chkExit, true);
            a.prompts.modal_scripts = {[&](win::ModalWindow&) { wait_for_end(); }};
            a.prompts.answers = {IDNO};
            a.main->cmdSource_Click();
            EXPECT_TRUE(alive_in_modal);
        }
        EXPECT_TRUE(a.pumpUntil([&] { return !IsWindow(window); }, 5000)) << question;
        EXPECT_EQ(a.prompts.titles().back(), L"File Not Saved");
        EXPECT_TRUE(a.dated());
    }
}

TEST(ProgramFilesList, AtMostAHundredNamesAndFailuresAreTold) {
    RunApp a;
    std::vector<std::wstring> extra;
    for (int i = 0; i < 110; ++i) {
        extra.push_back(kPF + L"\\many" + std::to_wstring(1000 + i));
        CreateDirectoryW(extra.back().c_str(), nullptr);
    }
    a.main->MenuFilePrint_Click();
    for (const auto& p : extra) RemoveDirectoryW(p.c_str());
    auto lines = lines_of(test::read_bytes(a.e(L"BK\\ProgramFilesList.txt")));
    EXPECT_EQ(lines.size(), 102u);
    EXPECT_TRUE(a.prompts.asked.empty());
    // The first destination's drive is gone.
    a.box.unmapDrive(L'E');
    a.main->MenuFilePrint_Click();
    EXPECT_EQ(a.told().title, L"LIST NOT SAVED");
    EXPECT_EQ(a.told().text.rfind(L"The list of Program Files could not be saved in \"E:\\BK\": ", 0), 0u);
}
