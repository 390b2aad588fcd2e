#include "support/prompter.h"

#include <gtest/gtest.h>

namespace test {

int ScriptedPrompter::message(const win::MessageRequest& r) {
    asked.push_back({r.title, r.text, r.flags});
    if (during_message) during_message();
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    UINT buttons = r.flags & MB_TYPEMASK;
    if (buttons == MB_OK) return IDOK;
    ADD_FAILURE() << "unexpected question: " << testing::PrintToString(r.title);
    return buttons == MB_YESNO ? IDNO : IDCANCEL;
}

std::wstring ScriptedPrompter::file_dialog(const win::FileDialogRequest& r) {
    dialogs.push_back(r);
    if (paths.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    std::wstring p = paths.front();
    paths.pop_front();
    return p;
}

void ScriptedPrompter::show_modal(win::ModalWindow& w, HWND) {
    ++modal_count;
    if (modal_scripts.empty()) {
        ADD_FAILURE() << "unexpected modal window";
        return;
    }
    auto script = modal_scripts.front();
    modal_scripts.pop_front();
    script(w);
}

std::vector<std::wstring> ScriptedPrompter::titles() const {
    std::vector<std::wstring> t;
    for (const auto& a : asked) t.push_back(a.title);
    return t;
}

}  // namespace test
