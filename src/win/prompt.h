#pragma once
// The one funnel for every question put to the user: message boxes, the Open and
// Save dialogs, and modal windows. Production shows the real thing; tests install
// a scripted answerer and check what was asked.
#include <windows.h>

#include <functional>
#include <string>

namespace win {

class ModalWindow;

struct MessageRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring text;
    UINT flags = MB_OK;  // buttons and icon
};

struct FileDialogRequest {
    HWND owner = nullptr;
    bool save = false;
    std::wstring title;
    std::wstring filter;  // "Label|*.ext"
    std::wstring initial_folder;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual int message(const MessageRequest& r) = 0;                // IDOK, IDYES, IDNO, IDCANCEL
    virtual std::wstring file_dialog(const FileDialogRequest& r) = 0;  // full path; empty when cancelled
    virtual void show_modal(ModalWindow& w, HWND owner) = 0;         // returns when hidden or closed
};

Prompter& prompter();
// Installs another answerer (tests); nullptr puts the real one back.
void set_prompter(Prompter* p);

// Convenience: one message box through the funnel.
int ask(HWND owner, const std::wstring& title, const std::wstring& text, UINT flags);

}  // namespace win
