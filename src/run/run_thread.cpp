#include "run/run_thread.h"

#include <utility>

namespace run {

RunThread::~RunThread() {
    if (!thread_) return;
    // A question the window will no longer answer is answered by the stop.
    stop();
    WaitForSingleObject(thread_.get(), INFINITE);
}

win::Status RunThread::start(HWND window, std::vector<core::JobFolders> jobs, Options options) {
    if (thread_) return win::Status::failed(ERROR_BUSY);
    window_ = window;
    stop_ = win::Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    answered_ = win::Handle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!stop_ || !answered_) return win::Status::last_error();
    shown_ = {};
    progress_posted_ = false;
    question_.reset();
    run_ = std::make_unique<BackupRun>(
        std::move(jobs), std::move(options),
        Hooks{[this](const core::RunProgress& p, const std::wstring& line) {
                  bool post_it = false;
                  {
                      std::lock_guard<std::mutex> lock(mutex_);
                      shown_ = {p, line};
                      post_it = !std::exchange(progress_posted_, true);
                  }
                  if (post_it) post(WM_RUN_PROGRESS);
              },
              stop_.get(), [this](const std::wstring& title, const std::wstring& text) { return ask(title, text); }});
    thread_ = win::Handle(CreateThread(nullptr, 0, &RunThread::main, this, 0, nullptr));
    if (!thread_) {
        const win::Status failed = win::Status::last_error();
        run_.reset();
        return failed;
    }
    return {};
}

DWORD WINAPI RunThread::main(void* self) {
    auto& t = *static_cast<RunThread*>(self);
    t.outcome_ = t.run_->run();
    t.post(WM_RUN_ENDED);
    return 0;
}

void RunThread::post(UINT message) const {
    // A full queue empties soon: the end, above all, must not be lost. A window
    // already gone hears nothing; finish() still gives the outcome.
    for (int tries = 0; !PostMessageW(window_, message, 0, 0) && IsWindow(window_) && tries < 100; ++tries) Sleep(50);
}

void RunThread::stop() {
    if (stop_) SetEvent(stop_.get());
}

Shown RunThread::progress() {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_posted_ = false;
    return shown_;
}

std::optional<Question> RunThread::question() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return question_;
}

void RunThread::answer(int id) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!question_) return;
        question_.reset();
        answer_ = id;
    }
    SetEvent(answered_.get());
}

int RunThread::ask(const std::wstring& title, const std::wstring& text) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        question_ = Question{title, text};
    }
    post(WM_RUN_QUESTION);
    const HANDLE waits[] = {answered_.get(), stop_.get()};
    const DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    std::lock_guard<std::mutex> lock(mutex_);
    // Stopped, or the wait failed: nothing is started.
    if (r != WAIT_OBJECT_0) {
        question_.reset();
        return IDCANCEL;
    }
    return answer_;
}

Outcome RunThread::finish() {
    if (!thread_) return outcome_;
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_ = win::Handle();
    run_.reset();
    return outcome_;
}

}  // namespace run
