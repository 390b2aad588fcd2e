#include "ui/notify.h"

#include <shellapi.h>

#include "core/text.h"
#include "res/resource.h"
#include "win/form.h"
#include "win/handles.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {
namespace {

constexpr UINT WM_NOTICE_EVENT = WM_APP + 40;
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeMs = 60000;

// One argument as CommandLineToArgvW reads it back: backslashes count only before a quote.
std::wstring quote_argument(const std::wstring& arg) {
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    return out.append(slashes * 2, L'\\') + L"\"";
}

template <std::size_t N>
void copy_text(wchar_t (&to)[N], const std::wstring& text) {
    lstrcpynW(to, text.c_str(), static_cast<int>(N));
}

// The hidden window that owns the icon and hears its clicks.
class NoticeWindow : public win::Form {
public:
    bool show(const Notice& n) {
        if (!makeWindow(L"OstrevinNotice", L"Ostrevin", WS_OVERLAPPED, 0, nullptr, nullptr, 100, 100)) return false;
        log_ = n.log;
        icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_OSTREVIN),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
        data_.cbSize = sizeof data_;
        data_.hWnd = hwnd();
        data_.uID = 1;
        data_.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE | NIF_INFO;
        data_.uCallbackMessage = WM_NOTICE_EVENT;
        data_.hIcon = icon_.get();
        data_.dwInfoFlags = NIIF_ERROR;
        copy_text(data_.szTip, L"Ostrevin: " + n.outcome);
        copy_text(data_.szInfoTitle, L"Ostrevin: " + n.outcome);
        copy_text(data_.szInfo, n.job_file + L"\n" + n.reason);
        if (!Shell_NotifyIconW(NIM_ADD, &data_)) return false;
        shown_ = true;
        data_.uVersion = NOTIFYICON_VERSION_4;
        Shell_NotifyIconW(NIM_SETVERSION, &data_);  // older shells keep the old events, handled alike
        return SetTimer(hwnd(), kNoticeTimer, kNoticeMs, nullptr) != 0;
    }
    ~NoticeWindow() override {
        if (shown_) Shell_NotifyIconW(NIM_DELETE, &data_);
    }

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_NOTICE_EVENT) {
            const UINT event = LOWORD(l);
            if (event == NIN_BALLOONUSERCLICK || event == NIN_SELECT || event == WM_LBUTTONUP) {
                open_log(nullptr, log_);
                PostQuitMessage(0);
            } else if (event == NIN_BALLOONTIMEOUT) {
                PostQuitMessage(0);
            }
            return 0;
        }
        if (msg == WM_TIMER && w == kNoticeTimer) PostQuitMessage(0);
        return defaultHandle(msg, w, l);
    }

private:
    NOTIFYICONDATAW data_{};
    win::Icon icon_;
    std::wstring log_;
    bool shown_ = false;
};

}  // namespace

std::wstring notice_command(const std::wstring& exe, const Notice& n) {
    std::wstring line = quote_argument(exe) + L" " + kNotifySwitch;
    for (const std::wstring* part : {&n.outcome, &n.job_file, &n.reason, &n.log}) line += L" " + quote_argument(*part);
    return line;
}

void ask_notice(const Notice& notice) {
    wchar_t exe[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;  // the history keeps the outcome all the same
    std::wstring line = notice_command(exe, notice);
    wchar_t seam[MAX_PATH];
    const DWORD s = GetEnvironmentVariableW(L"OSTREVIN_TEST_NOTIFY", seam, MAX_PATH);
    if (s > 0 && s < MAX_PATH) {
        win::append_text_file(seam, line + L"\r\n", CP_UTF8);
        return;
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &si,
                        &pi))
        return;  // as above: the history and the exit code still say it
    win::Handle process(pi.hProcess), thread(pi.hThread);  // not waited for
}

int show_notice(const std::vector<std::wstring>& args) {
    if (args.size() != 4) return 5;
    NoticeWindow window;
    if (!window.show({args[0], args[1], args[2], args[3]})) return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

void block_session_end(HWND window, bool running) {
    // Without the reason Windows ends the session sooner; the run is stopped cleanly all the same.
    if (running) ShutdownBlockReasonCreate(window, L"Backup running");
    else ShutdownBlockReasonDestroy(window);
}

void open_log(HWND owner, const std::wstring& path) {
    if (!path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        const auto done = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr,
                                                                  SW_SHOWNORMAL));
        if (done > 32) return;
        win::tell_failure(owner, L"LOG NOT OPENED", {L"run's log", path, L"opened", static_cast<DWORD>(done)},
                          L"Please open it with a text editor.");
        return;
    }
    win::say(owner, {win::Severity::Information, L"LOG NOT KEPT",
                     path.empty() ? L"This run kept no log: it ended before it copied anything."
                                  : L"The log " + core::quoted(path) +
                                        L" is no longer there: only the logs of the last 30 runs are kept."});
}

}  // namespace ui
