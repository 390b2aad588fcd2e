#include "win/prompt.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "win/errors.h"
#include "win/modal.h"

namespace win {
namespace {

class RealPrompter : public Prompter {
public:
    int message(const MessageRequest& r) override {
        return MessageBoxW(r.owner, r.text.c_str(), r.title.c_str(), r.flags);
    }

    std::wstring fileDialog(const FileDialogRequest& r) override {
        // "Label|*.ext" becomes the double-NUL-terminated list the dialog wants.
        std::wstring filter = r.filter;
        for (auto& c : filter)
            if (c == L'|') c = L'\0';
        filter.push_back(L'\0');
        filter.push_back(L'\0');
        std::vector<wchar_t> file(32768, L'\0');
        std::copy_n(r.initial_name.begin(), std::min(r.initial_name.size(), file.size() - 1), file.begin());
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = r.owner;
        ofn.lpstrFilter = filter.c_str();
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrInitialDir = r.initial_folder.c_str();
        ofn.lpstrTitle = r.title.c_str();
        ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_PATHMUSTEXIST;
        BOOL ok = r.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
        return ok ? std::wstring(file.data()) : std::wstring();
    }

    void showModal(ModalWindow& w, HWND owner) override { w.runModal(owner); }
};

RealPrompter g_real;
Prompter* g_current = &g_real;

int g_open = 0;
HWND g_post_to = nullptr;
UINT g_post_msg = 0;

// Counts one call of the funnel as open while it lasts.
class Open {
public:
    Open() { ++g_open; }
    ~Open() {
        if (--g_open == 0 && g_post_to) PostMessageW(std::exchange(g_post_to, nullptr), g_post_msg, 0, 0);
    }
    Open(const Open&) = delete;
    Open& operator=(const Open&) = delete;
};

}  // namespace

Prompter& prompter() { return *g_current; }
void set_prompter(Prompter* p) { g_current = p ? p : &g_real; }

std::wstring file_dialog(const FileDialogRequest& r) {
    Open open;
    return prompter().fileDialog(r);
}

void show_modal(ModalWindow& w, HWND owner) {
    Open open;
    prompter().showModal(w, owner);
}

bool modal_open() { return g_open > 0; }

void post_when_modals_closed(HWND to, UINT msg) {
    g_post_to = to;
    g_post_msg = msg;
}

int say(HWND owner, const Message& m) {
    constexpr UINT kIcons[] = {0, MB_ICONEXCLAMATION, MB_ICONSTOP, MB_ICONQUESTION};
    constexpr UINT kButtons[] = {MB_OK, MB_YESNO, MB_YESNOCANCEL};
    const UINT flags = kIcons[static_cast<int>(m.severity)] | kButtons[static_cast<int>(m.buttons)] |
                       (m.no_by_default ? MB_DEFBUTTON2 : 0);
    Open open;
    return prompter().message(MessageRequest{owner, m.title, m.text, flags});
}

std::wstring Failure::text() const {
    std::wstring s = L"The " + what;
    if (!path.empty()) s += L" \"" + path + L"\"";
    return s + (lasting ? L" cannot be " : L" could not be ") + done + L": " + error_text(code);
}

int tell_failure(HWND owner, const std::wstring& title, const Failure& f, const std::wstring& advice,
                 Severity severity) {
    const std::wstring outcome = f.outcome.empty() ? L"" : L" " + f.outcome;
    return say(owner, {severity, title, f.text() + L"." + outcome + L"\r\r" + advice});
}

void ModalWindow::runModal(HWND owner) {
    HWND self = hwnd();
    if (!self) return;
    bool owner_was_enabled = owner && IsWindowEnabled(owner);
    if (owner_was_enabled) EnableWindow(owner, FALSE);
    ShowWindow(self, SW_SHOW);
    SetForegroundWindow(self);
    MSG msg;
    while (IsWindow(self) && IsWindowVisible(self)) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // hand the quit on to the main loop
            break;
        }
        if (!IsDialogMessageW(self, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner_was_enabled) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

}  // namespace win
