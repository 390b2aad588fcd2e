#include "support/prompter.h"

#include <gtest/gtest.h>

namespace test {

namespace {
// The next scripted item; none left is a failure of the test, answered with an empty one.
template <class T>
T next(std::deque<T>& queue, const std::string& what) {
    if (queue.empty()) {
        ADD_FAILURE() << "unexpected " << what;
        return {};
    }
    T item = queue.front();
    queue.pop_front();
    return item;
}
}  // namespace

int ScriptedPrompter::message(const win::MessageRequest& r) {
    asked.push_back({r.title, r.text, r.flags});
    if (during_message) during_message();
    const UINT buttons = r.flags & MB_TYPEMASK;
    if (answers.empty() && buttons == MB_OK) return IDOK;
    const int answer = next(answers, "question: " + testing::PrintToString(r.title));
    return answer ? answer : buttons == MB_YESNO ? IDNO : IDCANCEL;
}

std::wstring ScriptedPrompter::fileDialog(const win::FileDialogRequest& r) {
    dialogs.push_back(r);
    return next(paths, "file dialog");
}

void ScriptedPrompter::showModal(win::ModalWindow& w, HWND) {
    ++modal_count;
    if (auto script = next(modal_scripts, "modal window")) script(w);
}

std::vector<std::wstring> ScriptedPrompter::titles() const {
    std::vector<std::wstring> t;
    for (const auto& a : asked) t.push_back(a.title);
    return t;
}

}  // namespace test
