#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include "app/startup.h"
#include "win/case_rules.h"

namespace test {

FreshState::FreshState() {
    win::install_case_rules();
    app::reset_state();
}

FreshState::~FreshState() { app::reset_state(); }

void App::start() {
    app::startup_load(nullptr);
    main = std::make_unique<ui::FrmMain>();
    ASSERT_TRUE(main->create(false));
    KillTimer(main->hwnd(), ui::ID_TIMER1);  // tests call the tick themselves
}

bool App::close() { return main->requestClose(); }

void App::runBackups(DWORD timeout_ms) {
    main->cmdRun_Click();
    if (!pumpUntil([this] { return !main->run_in_progress; }, timeout_ms)) {
        ADD_FAILURE() << "the run did not end within " << timeout_ms << " ms";
        main->cmdStop_Click();
    }
}

bool pump_until(const std::function<bool()>& done, DWORD timeout_ms, ui::FrmMain* main) {
    // The run goes on by itself; its messages reach the window through this loop.
    for (const ULONGLONG end = GetTickCount64() + timeout_ms; !done();) {
        if (GetTickCount64() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            if (main) main->dispatch(msg);
            else DispatchMessageW(&msg);
        }
    }
    return true;
}

std::wstring App::title() const { return main->window().text(); }

void App::add(const std::wstring& source, const std::wstring& destination) {
    main->txtSource.setText(source);
    main->txtSource_LostFocus();
    main->txtDest.setText(destination);
    main->txtDest_LostFocus();
    main->cmdAddJob_Click();
}

std::wstring upper(std::wstring s) {
    CharUpperBuffW(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

}  // namespace test
