// Ostrevin.exe /run: the backups of a job file with no one at the screen.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "core/jobrow.h"
#include "support/app_fixture.h"
#include "ui/frmHistory.h"

namespace {

// The program's own sandbox, in which a test may also start the window.
struct Unattended : test::App {
    std::wstring src = box.path(L"Src");
    std::wstring notices = box.path(L"notices.txt");  // the notifications asked for
    Unattended() {
        SetEnvironmentVariableW(L"OSTREVIN_TEST_NOTIFY", notices.c_str());
        test::write_bytes((test::make_dirs(src + L"\\sub"), src + L"\\sub\\a.txt"), "alpha");
        box.mapDrive(L'E', box.path(L"drive_e"));
        test::make_dirs(L"E:\\BK");
        test::make_dirs(box.jobFolder());
        job_file(L"Weekly.ojf", test::narrow(core::FormatJobRow(src, L"E:\\BK")) + "\r\n");
    }
    ~Unattended() { SetEnvironmentVariableW(L"OSTREVIN_TEST_NOTIFY", nullptr); }
    void job_file(const std::wstring& name, const std::string& text) const {
        test::write_bytes(box.jobFolder() + L"\\" + name, text);
    }
    std::wstring exe() const {
        wchar_t buf[MAX_PATH];
        const std::wstring tests(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH));
        return L"\"" + tests.substr(0, tests.rfind(L'\\')) + L"\\Ostrevin.exe\" ";
    }
    // Runs the program with `args`; its exit code, and its output in *out. `during`
    // acts on the running program once.
    DWORD run(const std::wstring& args, std::string* out = nullptr,
              const std::function<void(DWORD pid)>& during = nullptr) const {
        test::Process p(exe() + args, box.data());
        if (during) during(p.id());
        DWORD code = 99;
        EXPECT_TRUE(p.wait(60000, &code)) << "still waiting: " << p.output();  // a question would wait forever
        if (out) *out = p.output();
        return code;
    }
    std::string history() const { return test::read_bytes(box.data() + L"\\Ostrevin-runs.log"); }
    std::string settings() const { return test::read_bytes(box.data() + L"\\Ostrevin.cfg"); }
};

size_t lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

HWND run_window(DWORD pid) {
    for (int waited = 0; waited < 20000; waited += 20, Sleep(20))
        for (HWND h = FindWindowExW(nullptr, nullptr, L"OstrevinRunAlone", nullptr); h;
             h = FindWindowExW(nullptr, h, L"OstrevinRunAlone", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pid && IsWindowVisible(h)) return h;
        }
    return nullptr;
}

// Waits until the run window's progress line names a job: its script is copying.
bool copying(HWND w) {
    wchar_t text[300] = L"";
    for (int waited = 0; waited < 20000; waited += 20, Sleep(20))
        for (HWND c = FindWindowExW(w, nullptr, L"Static", nullptr); c; c = FindWindowExW(w, c, L"Static", nullptr))
            if (SendMessageW(c, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text)) &&
                std::wstring_view(text).starts_with(L"Job "))
                return true;
    return false;
}

// Ends the script and copiers that a run left, as the computer going off would.
void end_script() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (lstrcmpiW(pe.szExeFile, L"robocopy.exe") && lstrcmpiW(pe.szExeFile, L"cmd.exe")) continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ProcessID)) TerminateProcess(p, 1), CloseHandle(p);
    }
    CloseHandle(snap);
}

}  // namespace

TEST(Unattended, CopiesRecordsTheDateAndWritesItsStartAndEndInTheHistory) {
    Unattended u;
    for (int i = 10; i < 40; ++i)
        test::write_bytes(u.box.data() + L"\\Ostrevin-run-20" + std::to_wstring(i) + L".log", "");
    // The job file's patterns are the run's.
    u.job_file(L"Weekly.ojf", test::narrow(core::FormatJobRow({u.src, L"E:\\BK", {L"*.TMP"}})) + "\r\n");
    test::write_bytes(u.src + L"\\sub\\b.tmp", "tmp");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    EXPECT_FALSE(test::exists(L"E:\\BK\\SRC\\sub\\b.tmp"));
    EXPECT_FALSE(test::exists(u.box.data() + L"\\Ostrevin-run-2010.log"));  // the oldest of 31 kept logs goes
    EXPECT_TRUE(test::exists(u.box.data() + L"\\Ostrevin-run-2011.log"));
    EXPECT_EQ(test::read_bytes(L"E:\\BK\\SRC\\sub\\a.txt"), "alpha");
    EXPECT_NE(u.settings().find("Weekly.ojf="), std::string::npos);
    EXPECT_NE(u.settings().find("Options:Weekly.ojf=keep\r\n"), std::string::npos);  // the defaults, kept
    EXPECT_EQ(lines(u.history()), 2u);
    EXPECT_NE(u.history().find("\tWeekly.ojf\t\t-\tOstrevin-run-"), std::string::npos) << u.history();
    EXPECT_NE(u.history().find("\tWeekly.ojf\tBACKUP COMPLETE\t-\t"), std::string::npos) << u.history();
    // Complete, but the Program Files list could not be written: the history says so.
    ASSERT_TRUE(DeleteFileW(L"E:\\BK\\ProgramFilesList.txt"));
    test::make_dirs(L"E:\\BK\\ProgramFilesList.txt");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    EXPECT_NE(u.history().find("\tBACKUP COMPLETE\tYour backup is complete, but the list of Program Files could not"),
              std::string::npos)
        << u.history();
    // Another run of the program holds the backups: this one starts nothing.
    HANDLE other = CreateSemaphoreW(nullptr, 1, 1, L"Local\\Ostrevin.BackupRun");
    ASSERT_EQ(WaitForSingleObject(other, 0), WAIT_OBJECT_0);
    EXPECT_EQ(u.run(L"/run Weekly.ojf"), 3u);
    ReleaseSemaphore(other, 1, nullptr);
    CloseHandle(other);
    EXPECT_NE(u.history().find("BACKUP NOT STARTED\tAnother Ostrevin window is running backups"), std::string::npos);
    // The drive unplugged: nothing starts, and no question waits for an answer.
    test::remove_tree(L"E:\\BK\\SRC");
    u.box.unmapDrive(L'E');
    EXPECT_EQ(u.run(L"/run Weekly.ojf"), 3u);
    EXPECT_EQ(lines(u.history()), 8u);
    EXPECT_NE(u.history().find("The backup folder \"E:\\BK\" is not available"), std::string::npos);
}

// With Keep unticked, a copy that would replace most of the backup is answered No:
// only new files are copied, the old copies stay, and the run is not complete.
TEST(Unattended, AMassOverwriteWithoutKeepCopiesOnlyNewFiles) {
    Unattended u;
    for (int i = 0; i < 10; ++i) test::write_bytes(u.src + L"\\f" + std::to_wstring(i), "old");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    std::string settings = u.settings();
    const std::string keep = "Options:Weekly.ojf=keep\r\n";
    const size_t at = settings.find(keep);
    ASSERT_NE(at, std::string::npos) << settings;
    test::write_bytes(u.box.data() + L"\\Ostrevin.cfg",
                      settings.replace(at, keep.size(), "Options:Weekly.ojf=nokeep\r\n"));
    for (int i = 0; i < 10; ++i) test::write_bytes(u.src + L"\\f" + std::to_wstring(i), "encrypted");
    test::write_bytes(u.src + L"\\new.txt", "new");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 6u);
    EXPECT_NE(u.history().find("\tBACKUP INCOMPLETE\tThe backup copied only new files for this job, so 10 changed"),
              std::string::npos)
        << u.history();
    EXPECT_NE(u.history().find("Answered No: Job 1 would replace 10 of the 11 files in"),
              std::string::npos)
        << u.history();
}

// Files turned to noise: the job is held (exit 7), its backup untouched, and a notification says so.
TEST(Unattended, AJobWhoseFilesTurnedToNoiseIsHeld) {
    Unattended u;
    std::string minutes, noise;
    while (minutes.size() < 2000) minutes += "Minutes of the meeting, item " + std::to_string(minutes.size()) + "\r\n";
    for (std::mt19937 rng(1); noise.size() < 2000;) noise += static_cast<char>(rng());
    for (const std::string* text : {&minutes, &noise}) {
        for (int i = 0; i < 8; ++i) test::write_bytes(u.src + L"\\m" + std::to_wstring(i) + L".txt", *text + "!");
        EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), text == &minutes ? 0u : 7u);
    }
    EXPECT_TRUE(test::read_bytes(L"E:\\BK\\SRC\\m7.txt") == minutes + "!");  // not the noise
    // Renamed to one new extension, as some ransomware leaves them: held as well.
    for (int i = 0; i < 8; ++i) {
        const std::wstring m = u.src + L"\\m" + std::to_wstring(i) + L".txt";
        ASSERT_TRUE(MoveFileW(m.c_str(), (m + L".locked").c_str()));
    }
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 7u);
    EXPECT_NE(u.history().find("\tBACKUP HELD\tThis job was left out of the run, as its files look damaged:"),
              std::string::npos)
        << u.history();
    EXPECT_NE(test::read_bytes(u.notices).find("/notify \"BACKUP HELD\" \"Weekly.ojf\" "), std::string::npos);
}

TEST(Unattended, ALockedFileFailsAndStopEndsTheRun) {
    Unattended u;
    HANDLE lock = CreateFileW((u.src + L"\\sub\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DWORD second = 99;
    EXPECT_EQ(u.run(L"/run Weekly.ojf", nullptr,
                    [&](DWORD pid) {
                        HWND w = run_window(pid);
                        ASSERT_TRUE(w);
                        second = u.run(L"/run Weekly.ojf /quiet");  // refused: that run holds the backups
                        PostMessageW(w, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), 0);
                    }),
              2u);
    EXPECT_EQ(second, 3u);
    // The session ends while it copies: the run stops, and its line is written before the window answers.
    EXPECT_EQ(u.run(L"/run Weekly.ojf", nullptr,
                    [&](DWORD pid) {
                        HWND w = run_window(pid);
                        ASSERT_TRUE(w && copying(w));
                        EXPECT_TRUE(SendMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
                        EXPECT_EQ(lines(u.history()), 6u);
                    }),
              2u);
    EXPECT_EQ(u.run(L"/run Weekly.ojf"), 1u);
    CloseHandle(lock);
    const std::string h = u.history();
    EXPECT_NE(h.find("\tBACKUP NOT FINISHED\t"), std::string::npos) << h;
    EXPECT_NE(h.find("\tBACKUP NOT STARTED\tA scheduled or command-line run of Ostrevin is running backups"),
              std::string::npos)
        << h;
    EXPECT_NE(h.find("\tBACKUP FAILED\tjobs 1: "), std::string::npos) << h;
    EXPECT_NE(h.find("ERROR 32 (0x00000020)"), std::string::npos) << h;
    EXPECT_NE(h.find("Ostrevin-run-"), std::string::npos);  // each run's log kept under its own name
}

TEST(Unattended, BadInputRunsNothingAndWritesNothing) {
    Unattended u;
    std::string fourteen;
    for (int i = 0; i < 14; ++i) fourteen += "Copy \"C:\\S" + std::to_string(i) + "\" into \"E:\\BK\"\r\n";
    u.job_file(L"Many.ojf", fourteen);
    u.job_file(L"Junk.ojf", std::string("\x7f"
                                        "ELF\x02\x01\x01\0\0\"a\"\"b\"\r\n",
                                        16));
    for (const wchar_t* args : {L"/run Weekly.ojf /bogus", L"/run Missing.ojf", L"/run Many.ojf", L"/run Junk.ojf",
                                L"/run /run Weekly.ojf", L"Weekly.ojf"}) {
        std::string out;
        EXPECT_EQ(u.run(args, &out), 5u) << test::narrow(args);
        EXPECT_EQ(out.rfind("Ostrevin: ", 0), 0u) << out;
    }
    EXPECT_FALSE(test::exists(u.box.data() + L"\\Ostrevin.cfg"));
    EXPECT_FALSE(test::exists(u.box.data() + L"\\Ostrevin-runs.log"));
    EXPECT_FALSE(test::exists(L"E:\\BK\\SRC"));
    // Quiet, the reason goes to the history instead.
    EXPECT_EQ(u.run(L"/run Missing.ojf /quiet"), 5u);
    EXPECT_NE(u.history().find("\tMissing.ojf\tNOT RUN\tThe job file "), std::string::npos) << u.history();
}

TEST(Unattended, AFailedRunIsToldAtOnceAndAtTheNextStartAndShownUntilARunCompletes) {
    Unattended u;
    test::write_bytes(u.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=Weekly.ojf\r\n");
    HANDLE lock = CreateFileW((u.src + L"\\sub\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 1u);
    CloseHandle(lock);
    const std::string notified = test::read_bytes(u.notices);
    EXPECT_EQ(lines(notified), 1u);
    EXPECT_NE(notified.find("/notify \"BACKUP FAILED\" \"Weekly.ojf\" \"jobs 1: "), std::string::npos) << notified;
    for (int start = 0; start < 2; ++start) {
        app::reset_state();
        u.prompts.asked.clear();
        u.start();
        EXPECT_EQ(u.main->lblWarning.text().rfind(L"Last run FAILED on 20", 0), 0u) << u.main->lblWarning.text();
        if (start == 1) break;  // told once
        ASSERT_EQ(u.prompts.titles(), std::vector<std::wstring>{L"BACKUPS NOT COMPLETE"});
        const std::wstring& told = u.prompts.asked[0].text;
        EXPECT_NE(told.find(L"  Weekly.ojf: BACKUP FAILED\rjobs 1: "), std::wstring::npos) << told;
        EXPECT_NE(told.find(L"Log: " + u.box.data() + L"\\Ostrevin-run-"), std::wstring::npos) << told;
        EXPECT_TRUE(u.close());
    }
    EXPECT_TRUE(u.prompts.asked.empty());
    u.runBackups();  // a run from the window: one more line, and the warning goes
    EXPECT_EQ(u.prompts.titles(), std::vector<std::wstring>{L"BACKUP COMPLETE"});
    EXPECT_EQ(lines(u.history()), 4u);
    EXPECT_NE(u.history().find("\tWeekly.ojf\tBACKUP COMPLETE\t-\t"), std::string::npos) << u.history();
    EXPECT_EQ(u.main->lblWarning.text(), L"");
    EXPECT_FALSE(GetWindowLongPtrW(u.main->lblWarning.hwnd(), GWL_STYLE) & WS_VISIBLE);
    // File > Run History... lists the runs newest first with their icons, a junk line as unreadable;
    // the failed run's log, pruned since, is said to be gone.
    test::write_bytes(u.box.data() + L"\\Ostrevin-runs.log", u.history() + "junk\r\n");
    std::vector<std::wstring> listed;
    u.prompts.modal_scripts = {[&](win::ModalWindow& w) {
        auto& h = dynamic_cast<ui::FrmHistory&>(w);
        for (int r = 0; r < h.rows(); ++r)
            listed.push_back(h.cell(r, 1) + L"|" + h.cell(r, 2) + L"|" + std::to_wstring(h.icon(r)));
        EXPECT_TRUE(DeleteFileW(h.cell(1, 4).c_str())) << h.cell(1, 4);
        ListView_SetItemState(h.lvwRuns.hwnd(), 1, LVIS_SELECTED, LVIS_SELECTED);
        h.openSelected();
    }};
    SendMessageW(u.main->hwnd(), WM_COMMAND, ui::ID_MENU_HISTORY, 0);
    EXPECT_EQ(listed,
              (std::vector<std::wstring>{L"Weekly.ojf|BACKUP COMPLETE|0", L"Weekly.ojf|BACKUP FAILED|1", L"||4"}));
    EXPECT_EQ(u.prompts.titles().back(), L"LOG NOT KEPT");
    EXPECT_TRUE(u.close());
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    EXPECT_EQ(test::read_bytes(u.notices), notified);  // a complete run asks for none
}

// A run killed midway (the computer switched off) writes no end: the next start tells
// it, once, but a start while it still goes does not.
TEST(Unattended, ARunKilledMidwayIsToldAtTheNextStartButNotWhileItGoes) {
    Unattended u;
    test::write_bytes(u.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=Weekly.ojf\r\n");
    HANDLE lock = CreateFileW((u.src + L"\\sub\\a.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    test::Process run(u.exe() + L"/run Weekly.ojf", u.box.data());
    ASSERT_TRUE(run_window(run.id()));
    for (int start = 0; start < 3; ++start) {
        app::reset_state();
        u.prompts.asked.clear();
        u.start();
        const std::wstring warning = u.main->lblWarning.text();
        EXPECT_TRUE(u.close());
        if (start == 0) {  // after a start, which told nothing of the run going
            run.kill();
            end_script();
        }
        EXPECT_EQ(warning.rfind(L"Last run NEVER ENDED on 20", 0) == 0, start > 0) << start << warning;
        if (start != 1) {
            EXPECT_TRUE(u.prompts.asked.empty()) << start;  // told once
            continue;
        }
        ASSERT_EQ(u.prompts.titles(), std::vector<std::wstring>{L"BACKUPS NOT COMPLETE"});
        EXPECT_NE(u.prompts.asked[0].text.find(L"  Weekly.ojf: BACKUP NEVER ENDED\r"), std::wstring::npos)
            << u.prompts.asked[0].text;
    }
    CloseHandle(lock);
}

// Three runs make three states; /restore brings back a file or folder as each held it.
TEST(Unattended, RestoresAsOfEachRun) {
    Unattended u;
    const auto files = test::contents;
    test::write_bytes(u.src + L"\\x.txt", "x1");
    test::write_bytes(u.src + L"\\gone.txt", "g1");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    test::write_bytes(u.box.data() + L"\\Ostrevin.cfg", "[GENERAL SETTINGS]\r\nOptions:Weekly.ojf=remove,keep\r\n");
    test::write_bytes(u.src + L"\\x.txt", "x2");
    test::write_bytes(u.src + L"\\sub\\new.txt", "n2");
    ASSERT_TRUE(DeleteFileW((u.src + L"\\gone.txt").c_str()));
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    test::write_bytes(u.src + L"\\sub\\a.txt", "alpha3");
    test::write_bytes(u.src + L"\\x.txt", "x3");
    EXPECT_EQ(u.run(L"/run Weekly.ojf /quiet"), 0u);
    std::vector<std::wstring> d;  // the runs' dated names, oldest first
    for (const auto& f : test::tree(L"E:\\BK\\Ostrevin Versions"))
        if (f.find(L'\\') == f.size() - 1) d.push_back(f.substr(0, f.size() - 1));
    ASSERT_EQ(d.size(), 3u);
    const std::string before = files(L"E:\\");
    const std::string s1 = "gone.txt=g1;sub\\a.txt=alpha;x.txt=x1;", s3 = "sub\\a.txt=alpha3;sub\\new.txt=n2;x.txt=x3;";
    const struct {
        std::wstring path, as_of;
        std::string files;
    } cases[] = {
        {L"", d[0], s1},
        {L"", d[1], "sub\\a.txt=alpha;sub\\new.txt=n2;x.txt=x2;"},
        {L"", d[2], s3},
        {L"", L"", s3},
        {L"\\sub", d[0], "sub\\a.txt=alpha;"},
        {L"\\x.txt", d[1], "x.txt=x2;"},
        {L"\\gone.txt", L"", "gone.txt=g1;"},
    };
    for (const auto& c : cases) {
        const std::wstring to = u.box.path(L"R" + std::to_wstring(&c - cases));
        const std::wstring asof = c.as_of.empty() ? L"" : L" /asof \"" + c.as_of + L"\"";
        std::string out;
        EXPECT_EQ(
            u.run(L"/restore Weekly.ojf \"" + u.src + c.path + L"\"" + asof + L" /to \"" + to + L"\" /quiet", &out), 0u)
            << out;
        EXPECT_EQ(files(to + (c.path.empty() ? L"\\Src" : L"")), c.files) << "case " << &c - cases << " " << out;
    }
    EXPECT_EQ(u.run(L"/restore Weekly.ojf \"" + u.src + L"\" /asof \"2000-01-01 00-00-00\" /to R /quiet"), 1u);
    EXPECT_EQ(u.run(L"/restore Weekly.ojf \"" + u.box.path(L"elsewhere") + L"\" /quiet"), 5u);
    EXPECT_EQ(files(L"E:\\"), before);  // the backup and its kept copies only read
    // In place: what it replaces is kept in a new dated folder; a newer file no backup holds is not replaced.
    EXPECT_EQ(u.run(L"/restore Weekly.ojf \"" + u.src + L"\\sub\" /asof \"" + d[0] + L"\" /quiet"), 0u);
    EXPECT_EQ(files(u.src + L"\\sub"), "a.txt=alpha;new.txt=n2;");
    EXPECT_NE(files(L"E:\\BK\\Ostrevin Versions").find("\\SRC\\sub\\a.txt=alpha3;"), std::string::npos);
    test::write_bytes(u.src + L"\\x.txt", "x4");
    EXPECT_EQ(u.run(L"/restore Weekly.ojf \"" + u.src + L"\\x.txt\" /asof \"" + d[0] + L"\" /quiet"), 1u);
    EXPECT_EQ(test::read_bytes(u.src + L"\\x.txt"), "x4");
}
