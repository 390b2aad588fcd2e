#include "ui/unattended.h"

#include <windows.h>

#include <algorithm>

#include "app/module1.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "core/jobrow.h"
#include "core/path_match.h"
#include "folders/path_exists.h"
#include "ui/frmRunAlone.h"
#include "ui/run_message.h"
#include "win/errors.h"
#include "win/modal.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {
namespace {

// One line for whoever started the program: its console, or what its output goes to.
void print(const std::wstring& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    win::Handle console;
    if ((!out || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        console =
            win::Handle(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        out = console.get();
    }
    if (!out || out == INVALID_HANDLE_VALUE) return;  // started with nowhere to write
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = win::encode_text(text, CP_UTF8);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Adds a part to a line, after `separator` when the line has something already.
void add(std::wstring& line, const wchar_t* separator, const std::wstring& part) {
    line += (line.empty() ? L"" : separator) + part;
}

// Message text on one line: its paragraphs joined.
std::wstring one_line(std::wstring text) {
    for (size_t p; (p = text.find(L"\r\r")) != std::wstring::npos;) text.replace(p, 2, L" ");
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    return text;
}

std::wstring now_text(const wchar_t* format) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t buf[32];
    swprintf(buf, 32, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

// Appends one line to the history beside the settings; false when it cannot.
bool add_history(const std::wstring& line) {
    return win::append_text_file(app::state().DataFolder + L"\\" + kRunHistoryName, line + L"\r\n", CP_UTF8).ok();
}

// Each unattended run keeps its log under a name of its own; the oldest go, so a
// nightly schedule does not fill the folder.
constexpr size_t kKeptRunLogs = 30;
constexpr wchar_t kRunLogPrefix[] = L"Ostrevin-run-";
void prune_run_logs(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    win::FindHandle list(FindFirstFileW((folder + L"\\" + kRunLogPrefix + L"*.log").c_str(), &found));
    if (!list) return;
    do names.push_back(found.cFileName);
    while (FindNextFileW(list.get(), &found));
    std::sort(names.begin(), names.end());  // the date and time in the name sort as they happened
    for (size_t i = 0; i + kKeptRunLogs < names.size(); ++i) DeleteFileW((folder + L"\\" + names[i]).c_str());
}

// Answers every question with its safe answer and keeps what was said.
class NoOneThere : public win::Prompter {
public:
    NoOneThere() { win::set_prompter(this); }
    ~NoOneThere() override { win::set_prompter(nullptr); }
    int message(const win::MessageRequest& r) override {
        told.push_back(r.title + L": " + one_line(r.text));
        const UINT buttons = r.flags & MB_TYPEMASK;
        return buttons == MB_YESNOCANCEL ? IDCANCEL : buttons == MB_YESNO ? IDNO : IDOK;
    }
    std::wstring fileDialog(const win::FileDialogRequest&) override { return {}; }
    void showModal(win::ModalWindow&, HWND) override {}
    std::vector<std::wstring> told;
};

struct Ended {
    int code;
    std::wstring outcome;  // the title the window would show
    std::wstring detail;   // the jobs that failed, the reason
    std::wstring log;
};

int exit_code(run::Outcome::Kind kind) {
    using Kind = run::Outcome::Kind;
    switch (kind) {
        case Kind::Completed:
            return EXIT_COMPLETE;
        case Kind::Failed:
            return EXIT_FAILED;
        case Kind::NotFinished:
            return EXIT_NOT_FINISHED;
        case Kind::NotConfirmed:
            return EXIT_NOT_CONFIRMED;
        case Kind::NoJobs:
        case Kind::NotStarted:
            break;
    }
    return EXIT_NOT_STARTED;
}

// The job file's jobs, or why they cannot be run.
std::optional<std::vector<core::JobFolders>> read_jobs(const std::wstring& name, std::wstring& why) {
    const std::wstring path = app::state().JobFolder + L"\\" + name;
    const auto text = win::read_text_file(path, CP_ACP);
    if (!text) {
        why = win::Failure{L"job file", path, L"read", text.code()}.text() + L".";
        return std::nullopt;
    }
    const core::JobListText read = core::read_job_list(*text);
    if (read.binary || !read.bad_lines.empty())
        why = L"The job file " + core::quoted(path) + L" is not a job list (line " +
              std::to_wstring(read.binary ? 1 : read.bad_lines.front()) + L" is not a job).";
    else if (read.left_out > 0)
        why =
            L"The job file " + core::quoted(path) + L" holds more than " + std::to_wstring(core::kMaxJobs) + L" jobs.";
    if (!why.empty()) return std::nullopt;
    return read.jobs;
}

Ended run_jobs(const std::wstring& name, std::vector<core::JobFolders> jobs, const core::RunOptions& options,
               bool quiet) {
    const app::Module1& m = app::state();
    for (const auto& job : jobs)
        if (!folders::PathExists(job.destination, core::kMaskSystem))
            return {EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                    L"The backup folder " + core::quoted(job.destination) +
                        L" is not available: its drive is not plugged in, or the folder is gone. Nothing has been "
                        L"copied.",
                    L""};
    FrmRunAlone window;
    if (!window.create(name, !quiet))
        return {EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                win::Failure{L"run's window", L"", L"created", GetLastError()}.text() + L".", L""};
    run::Outcome outcome;
    window.on_end = [&](const run::Outcome& o) { outcome = o; };
    const win::Status started =
        window.start(std::move(jobs), {options.include_empty, options.purge, m.DataFolder,
                                       kRunLogPrefix + now_text(L"%04u%02u%02u-%02u%02u%02u") + L".log", true});
    if (!started) {
        DestroyWindow(window.hwnd());
        return {EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                win::Failure{L"backup run", L"", L"started", started.code()}.text() + L".", L""};
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Ended ended{exit_code(outcome.kind), run_message(outcome).title, L"", outcome.kept_log};
    if (!outcome.failed.empty()) {
        ended.detail = L"jobs";
        for (int n : outcome.failed) ended.detail += L" " + std::to_wstring(n);
    }
    // A complete run that could not write its Program Files list says so too.
    if (outcome.kind != run::Outcome::Kind::Completed || !outcome.list_saved)
        add(ended.detail, L": ", one_line(outcome.text));
    for (const auto& question : window.answered_no)
        add(ended.detail, L" ", L"Run without removing: " + one_line(question));
    return ended;
}

}  // namespace

int answer_command_line(const core::CommandLine& command) {
    if (command.mode == core::CommandLine::Mode::Usage) {
        print(core::kUsage);
        return EXIT_COMPLETE;
    }
    print(L"Ostrevin: " + command.error + L" Nothing was run; Ostrevin.exe /? shows the usage.\r\n");
    return EXIT_BAD_INPUT;
}

int run_unattended(const core::CommandLine& command) {
    NoOneThere no_one;
    app::Module1& m = app::state();
    // Start-up writes a fresh settings file where there is none; a refused run leaves none.
    wchar_t folder[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring settings = std::wstring(folder, n < MAX_PATH ? n : 0) + L"\\" + app::kSettingsFileName;
    const bool had_settings = GetFileAttributesW(settings.c_str()) != INVALID_FILE_ATTRIBUTES;
    app::startup_load(nullptr);
    std::wstring name = command.job_file;
    if (name.empty() && m.DefaultJob() != core::kNoDefaultJob) name = m.DefaultJob();
    Ended ended{EXIT_BAD_INPUT, L"", L"", L""};
    std::optional<std::vector<core::JobFolders>> jobs;
    if (name.empty()) ended.detail = L"No job file is named and no default job is set.";
    else jobs = read_jobs(name, ended.detail);
    if (jobs) {
        // The options last used with this job file; the defaults, kept from now on, otherwise.
        const core::RunOptions options = m.settings.JobOptions.try_emplace(name).first->second;
        ended = run_jobs(name, std::move(*jobs), options, command.quiet);
        if (ended.code == EXIT_COMPLETE) core::RecordBackupDate(m.settings, name, app::today_short_date());
        app::WriteSettings(nullptr);  // merged with the file as it is now
    }
    for (const auto& said : no_one.told) add(ended.detail, L" ", said);
    const std::wstring line = now_text(L"%04u-%02u-%02u %02u:%02u:%02u") + L"\t" + (name.empty() ? L"-" : name) +
                              L"\t" + (jobs ? ended.outcome : L"NOT RUN") + L"\t" +
                              (ended.detail.empty() ? L"-" : ended.detail) + L"\t" +
                              (ended.log.empty() ? L"-" : ended.log);
    if (!jobs) {
        // Nothing was run: the console hears why, and only a quiet run's history keeps it.
        if (!had_settings) DeleteFileW(settings.c_str());
        if (!command.quiet || !add_history(line)) print(L"Ostrevin: " + ended.detail + L" Nothing was run.\r\n");
        return EXIT_BAD_INPUT;
    }
    const bool kept = add_history(line);
    prune_run_logs(m.DataFolder);
    if (!command.quiet || !kept) print(L"Ostrevin: " + line + L"\r\n");
    return ended.code;
}

}  // namespace ui
