#pragma once
// A scripted answerer for the prompt funnel: tests queue the answers and check
// what was asked.
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "win/modal.h"
#include "win/prompt.h"

namespace test {

struct Asked {
    std::wstring title;
    std::wstring text;
    UINT flags = 0;
};

class ScriptedPrompter : public win::Prompter {
public:
    ScriptedPrompter() { win::set_prompter(this); }
    ~ScriptedPrompter() override { win::set_prompter(nullptr); }

    std::vector<Asked> asked;
    std::deque<int> answers;  // IDYES, IDNO, IDCANCEL...; an OK-only box needs none
    std::vector<win::FileDialogRequest> dialogs;
    std::deque<std::wstring> paths;                                    // what each file dialog reports; "" is a cancel
    std::deque<std::function<void(win::ModalWindow&)>> modal_scripts;  // act on a window, then it "closes"
    int modal_count = 0;
    std::function<void()> during_message;  // acts while a message box is up

    int message(const win::MessageRequest& r) override;
    std::wstring fileDialog(const win::FileDialogRequest& r) override;
    void showModal(win::ModalWindow& w, HWND owner) override;

    // The titles asked so far, for compact assertions.
    std::vector<std::wstring> titles() const;
};

}  // namespace test
