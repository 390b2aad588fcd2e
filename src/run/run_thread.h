#pragma once
// A backup run on a thread of its own: the window goes on with its own message
// loop and hears of the run's progress, questions and end as messages.
#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "run/backup_run.h"
#include "win/handles.h"
#include "win/result.h"

namespace run {

// Posted to the window: progress() has news.
inline constexpr UINT WM_RUN_PROGRESS = WM_APP + 20;
// Posted to the window: question() has a question; the run waits for answer().
inline constexpr UINT WM_RUN_QUESTION = WM_APP + 21;
// Posted to the window: the run has ended; finish() gives its outcome.
inline constexpr UINT WM_RUN_ENDED = WM_APP + 22;

struct Shown {
    core::RunProgress progress;
    std::wstring line;
};

// A Yes/No/Cancel question, No the safe answer.
struct Question {
    std::wstring title, text;
};

class RunThread {
public:
    RunThread() = default;
    RunThread(const RunThread&) = delete;
    RunThread& operator=(const RunThread&) = delete;
    // Stops a run still going and waits for its thread.
    ~RunThread();

    // Starts the run; its messages go to `window`.
    win::Status start(HWND window, std::vector<core::JobFolders> jobs, Options options);
    bool running() const { return static_cast<bool>(thread_); }
    // Ends the script and its copiers; WM_RUN_ENDED follows.
    void stop();

    Shown progress();
    // The question waiting for an answer, if any.
    std::optional<Question> question() const;
    void answer(int id);
    // After WM_RUN_ENDED: waits for the thread's last steps and gives the outcome.
    Outcome finish();
    // True once the run's thread has ended within `ms` (the end of the session waits no longer).
    bool ended(DWORD ms) const { return !thread_ || WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0; }

private:
    static DWORD WINAPI main(void* self);
    int ask(const std::wstring& title, const std::wstring& text);
    void post(UINT message) const;

    HWND window_ = nullptr;
    std::unique_ptr<BackupRun> run_;
    Outcome outcome_;
    win::Handle thread_, stop_, answered_;
    mutable std::mutex mutex_;  // guards what follows
    Shown shown_;
    bool progress_posted_ = false;
    std::optional<Question> question_;
    int answer_ = IDCANCEL;
};

}  // namespace run
