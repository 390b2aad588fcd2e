#include "ui/unattended.h"

#include <windows.h>

#include <functional>
#include <optional>

#include "app/module1.h"
#include "app/run_history.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "core/jobrow.h"
#include "core/path_match.h"
#include "folders/path_exists.h"
#include "run/restore.h"
#include "core/history.h"
#include "ui/frmRunAlone.h"
#include "ui/notify.h"
#include "ui/run_message.h"
#include "win/errors.h"
#include "win/modal.h"
#include "win/prompt.h"
#include "win/local_time.h"
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

// Answers every question with its safe answer and keeps what was said.
class NoOneThere : public win::Prompter {
public:
    NoOneThere() { win::set_prompter(this); }
    ~NoOneThere() override { win::set_prompter(nullptr); }
    int message(const win::MessageRequest& r) override {
        told.push_back(r.title + L": " + app::one_line(r.text));
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

// Runs the jobs; `finish` hears how it ended, once, before the window goes (the end
// of the session may come first, and then nothing after it is sure to run).
void run_jobs(const std::wstring& name, const std::wstring& run, std::vector<core::JobFolders> jobs,
              const core::RunOptions& options, bool quiet, const std::function<void(Ended)>& finish) {
    const app::Module1& m = app::state();
    for (const auto& job : jobs)
        if (!folders::PathExists(job.destination, core::kMaskSystem))
            return finish({app::EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                           L"The backup folder " + core::quoted(job.destination) +
                               L" is not available: its drive is not plugged in, or the folder is gone. Nothing has "
                               L"been copied.",
                           L""});
    FrmRunAlone window;
    if (!window.create(name, !quiet))
        return finish({app::EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                       win::Failure{L"run's window", L"", L"created", GetLastError()}.text() + L".", L""});
    window.on_end = [&](const run::Outcome& o) {
        finish({app::exit_code(o.kind), run_message(o).title, app::outcome_detail(o, window.answered_no), o.log_copy});
    };
    run::Options run_options{options.include_empty, options.purge, m.DataFolder, run, true};
    run_options.keep_versions = options.keep_versions;
    const win::Status started = window.start(std::move(jobs), run_options);
    if (!started) {
        DestroyWindow(window.hwnd());
        return finish({app::EXIT_NOT_STARTED, L"BACKUP NOT STARTED",
                       win::Failure{L"backup run", L"", L"started", started.code()}.text() + L".", L""});
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window.hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Start-up writes a fresh settings file where there is none; a command refused, or one
// that keeps nothing there, leaves none.
class QuietStart {
public:
    QuietStart() {
        wchar_t folder[MAX_PATH];
        const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
        settings_ = std::wstring(folder, n < MAX_PATH ? n : 0) + L"\\" + app::kSettingsFileName;
        had_ = GetFileAttributesW(settings_.c_str()) != INVALID_FILE_ATTRIBUTES;
        app::startup_load(nullptr);
    }
    void leaveNone() const {
        if (!had_) DeleteFileW(settings_.c_str());
    }

private:
    std::wstring settings_;
    bool had_ = false;
};

}  // namespace

int restore_unattended(const core::CommandLine& command) {
    std::optional<NoOneThere> no_one;
    if (command.quiet) no_one.emplace();
    const QuietStart start;
    std::wstring why;
    auto jobs = app::read_jobs(command.job_file, why);
    start.leaveNone();
    if (!jobs) {
        print(L"Ostrevin: " + why + L" Nothing was restored.\r\n");
        return app::EXIT_BAD_INPUT;
    }
    const run::Restored r = run::restore({std::move(*jobs), command.path, command.as_of, command.to});
    using K = run::Restored::Kind;
    print(L"Ostrevin: " + r.text + L"\r\n");
    if (!command.quiet)
        win::say(nullptr, {r.kind == K::Done ? win::Severity::Information : win::Severity::Error,
                           r.kind == K::Done ? L"Ostrevin: RESTORED" : L"Ostrevin: NOT RESTORED", r.text});
    return r.kind == K::Done ? app::EXIT_COMPLETE : r.kind == K::Failed ? app::EXIT_FAILED : app::EXIT_BAD_INPUT;
}

int answer_command_line(const core::CommandLine& command) {
    if (command.mode == core::CommandLine::Mode::Usage) {
        print(core::kUsage);
        return app::EXIT_COMPLETE;
    }
    print(L"Ostrevin: " + command.error + L" Nothing was run; Ostrevin.exe /? shows the usage.\r\n");
    return app::EXIT_BAD_INPUT;
}

int run_unattended(const core::CommandLine& command) {
    NoOneThere no_one;
    app::Module1& m = app::state();
    const QuietStart start;
    std::wstring name = command.job_file;
    if (name.empty() && m.DefaultJob() != core::kNoDefaultJob) name = m.DefaultJob();
    Ended ended{app::EXIT_BAD_INPUT, L"", L"", L""};
    std::optional<std::vector<core::JobFolders>> jobs;
    if (name.empty()) ended.detail = L"No job file is named and no default job is set.";
    else jobs = app::read_jobs(name, ended.detail);
    app::HistoryLine line;
    std::wstring run;  // the run's log name, once it has one
    bool kept = false;
    const auto finish = [&](Ended e) {
        if (!line.when.empty()) return;  // told already, when the session ended
        if (jobs && e.code == app::EXIT_COMPLETE) core::RecordBackupDate(m.settings, name, win::short_date());
        if (jobs) app::WriteSettings(nullptr);  // merged with the file as it is now
        for (const auto& said : no_one.told) app::add_part(e.detail, L" ", said);
        ended = e;
        line = {win::local_stamp(), name, jobs ? e.outcome : L"NOT RUN", e.detail, app::history_log(e.log, run)};
        kept = (jobs || command.quiet) && app::add_history(line).ok();
        if (e.code != app::EXIT_COMPLETE) ask_notice({line.outcome, name, core::first_reason(e.detail), e.log});
    };
    if (!jobs) {
        finish(ended);
        // Nothing was run: the console hears why, and only a quiet run's history keeps it.
        start.leaveNone();
        if (!kept) print(L"Ostrevin: " + ended.detail + L" Nothing was run.\r\n");
        return app::EXIT_BAD_INPUT;
    }
    // The options last used with this job file; the defaults, kept from now on, otherwise.
    const core::RunOptions options = m.settings.JobOptions.try_emplace(name).first->second;
    // On record before anything is checked or changed: a run the program does not outlive is told.
    run = app::run_log_name(m.DataFolder);
    const win::Handle going = app::mark_going(run);
    if (const win::Status started = app::add_run_start(name, run); !started)
        print(L"Ostrevin: " + win::Failure{L"run history", app::history_path(), L"written", started.code()}.text() +
              L"; should this run not end, the next start cannot tell about it.\r\n");
    run_jobs(name, run, std::move(*jobs), options, command.quiet, finish);
    app::prune_run_logs(m.DataFolder);
    if (!command.quiet || !kept) print(L"Ostrevin: " + app::history_text(line) + L"\r\n");
    return ended.code;
}

}  // namespace ui
