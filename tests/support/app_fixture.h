#pragma once
// The program as a test drives it: a sandbox, the scripted prompter, start-up and
// the main window (not shown).
#include <functional>
#include <memory>

#include "app/module1.h"
#include "support/prompter.h"
#include "support/sandbox.h"
#include "ui/frmMain.h"

namespace test {

// The program's global state, fresh for each test and cleared after it.
struct FreshState {
    FreshState();
    ~FreshState();
};

// Dispatches the thread's messages (through the main window's loop when given, as a
// modal window's loop when not) until `done`; false when the time ran out first.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms, ui::FrmMain* main = nullptr);

struct App {
    FreshState state;
    Sandbox box;
    ScriptedPrompter prompts;
    std::unique_ptr<ui::FrmMain> main;

    // Start-up steps, then the main window's load.
    void start();
    // Closes the main window as the close box does; true when it is gone.
    bool close();
    std::wstring title() const;
    // RUN BACKUPS, then the window's messages until the run has ended and told its outcome.
    void runBackups(DWORD timeout_ms = 120000);
    // The main loop's work until `done`; false when the time ran out first.
    bool pumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 120000) {
        return pump_until(done, timeout_ms, main.get());
    }
    std::wstring settingsPath() const { return box.data() + L"\\Ostrevin.cfg"; }

    // Types a pair, leaves each box as the user would, and presses ADD JOB
    // (or EDIT JOB when a row is selected).
    void add(const std::wstring& source, const std::wstring& destination);
    int jobs() const { return main->jobList.count(); }
    std::wstring row(int i) const { return main->jobList.row(i).text.text(); }
    std::wstring jobFile(const std::wstring& name) const { return box.jobFolder() + L"\\" + name; }
};

// Upper case as the system sees it.
std::wstring upper(std::wstring s);

}  // namespace test
