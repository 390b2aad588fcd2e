// Ostrevin: a simple file backup utility.
#include <windows.h>
#include <commctrl.h>

#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/startup.h"
#include "core/command_line.h"
#include "ui/frmMain.h"
#include "ui/frmSplash.h"
#include "ui/notify.h"
#include "ui/unattended.h"
#include "win/case_rules.h"
#include "win/prompt.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    win::install_case_rules();
    std::vector<std::wstring> args;
    int argc = 0;
    if (wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        args.assign(argv + 1, argv + argc);
        LocalFree(argv);
    }
    if (!args.empty() && args[0] == ui::kNotifySwitch) return ui::show_notice({args.begin() + 1, args.end()});
    const core::CommandLine command = core::parse_command_line(args);
    if (command.mode == core::CommandLine::Mode::Run) return ui::run_unattended(command);
    if (command.mode == core::CommandLine::Mode::Restore) return ui::restore_unattended(command);
    if (command.mode != core::CommandLine::Mode::Window) return ui::answer_command_line(command);
    // The folders and the settings, before any window: a problem is told on its own.
    app::startup_load(nullptr);

    std::unique_ptr<ui::FrmMain> main_window;
    ui::FrmSplash splash;
    splash.on_dismissed = [&] {
        main_window = std::make_unique<ui::FrmMain>();
        main_window->on_destroyed = [] { PostQuitMessage(0); };
        if (!main_window->create(true)) {
            win::say(nullptr, {win::Severity::Error, L"Ostrevin", L"The main window could not be created."});
            PostQuitMessage(1);
        }
    };
    if (!splash.create(true)) {
        win::say(nullptr, {win::Severity::Error, L"Ostrevin", L"The start-up window could not be created."});
        return 1;
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (main_window) {
            main_window->dispatch(msg);
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
