#pragma once
// A run with no one at the screen that did not complete is told at once: a
// notification from the notification area, with the error icon, that opens the
// run's kept log when clicked. A process of its own shows it (Ostrevin.exe
// /notify ...), so neither the run's exit code nor the next scheduled run waits.
#include <windows.h>

#include <string>
#include <vector>

namespace ui {

struct Notice {
    std::wstring outcome, job_file, reason, log;
};

inline constexpr wchar_t kNotifySwitch[] = L"/notify";

// `exe` /notify "OUTCOME" "JOBFILE" "REASON" "LOG", each quoted as the command line is read back.
std::wstring notice_command(const std::wstring& exe, const Notice& notice);

// Starts the process that shows `notice` and goes on at once. With
// OSTREVIN_TEST_NOTIFY set, its command line is added to the file it names instead.
void ask_notice(const Notice& notice);

// Ostrevin.exe /notify OUTCOME JOBFILE REASON LOG: shows the notification until it
// is clicked, times out or a minute has passed; the exit code.
int show_notice(const std::vector<std::wstring>& args);

// While a run goes on, Windows is told why the session should wait ("Backup running").
void block_session_end(HWND window, bool running);

// Opens a run's kept log with the system's viewer for text files; a log already
// pruned, or one that cannot be opened, is told.
void open_log(HWND owner, const std::wstring& path);

}  // namespace ui
