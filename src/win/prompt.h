#pragma once
// The one funnel for every question put to the user: message boxes, the Open and
// Save dialogs, and modal windows. Production shows the real thing; tests install
// a scripted answerer and check what was asked.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

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
    std::wstring initial_name{};  // what the name box holds at first
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual int message(const MessageRequest& r) = 0;                 // IDOK, IDYES, IDNO, IDCANCEL
    virtual std::wstring fileDialog(const FileDialogRequest& r) = 0;  // full path; empty when cancelled
    virtual void showModal(ModalWindow& w, HWND owner) = 0;           // returns when hidden or closed
};

Prompter& prompter();
// Installs another answerer (tests); nullptr puts the real one back.
void set_prompter(Prompter* p);

// The funnel's calls; each counts as open until it returns.
std::wstring file_dialog(const FileDialogRequest& r);
void show_modal(ModalWindow& w, HWND owner);
// True while a message box, file dialog or modal window of the funnel is open: its
// loop dispatches the owner's messages, and the owner must not go away under it.
bool modal_open();
// Posts `msg` to `to` once the last open modal of the funnel has returned.
void post_when_modals_closed(HWND to, UINT msg);

// How grave a message is; it chooses the icon.
enum class Severity {
    Information,  // no icon: the plain answer to what the user asked for
    Warning,
    Error,
    Question
};
enum class Buttons { Ok, YesNo, YesNoCancel };

struct Message {
    Severity severity = Severity::Information;
    std::wstring title;
    std::wstring text;  // statement, two carriage returns, question or advice
    Buttons buttons = Buttons::Ok;
    bool no_by_default = false;  // a question whose safe answer is No
};

// One message box through the funnel: IDOK, IDYES, IDNO or IDCANCEL.
int say(HWND owner, const Message& m);

// Something that could not be done, for the user: "The job file "C:\x" could not be
// opened: <the system's reason>". Without a path there is no quoted part.
struct Failure {
    Failure(std::wstring what, std::wstring path, std::wstring done, DWORD code)
        : what(std::move(what)), path(std::move(path)), done(std::move(done)), code(code) {}
    std::wstring what;  // "job file"
    std::wstring path;
    std::wstring done;  // "opened"
    DWORD code = 0;
    bool lasting = false;  // "cannot be": a state the user has to change, not one attempt
    std::wstring outcome;  // what followed from it, told in the same paragraph
    std::wstring text() const;
};

// The failure, a full stop, its outcome, two carriage returns and the advice, as one message box.
int tell_failure(HWND owner, const std::wstring& title, const Failure& f, const std::wstring& advice,
                 Severity severity = Severity::Warning);

}  // namespace win
