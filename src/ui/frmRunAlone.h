#pragma once
// The small window of an unattended run: the job at work, a progress bar and STOP.
// It answers the run's one question itself (No: nothing removed) and closes when
// the run ends. Hidden for a quiet run, where it only carries the run's messages.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "run/run_thread.h"
#include "win/form.h"

namespace ui {

enum RunAloneId : int { ID_RA_STOP = 100 };

class FrmRunAlone : public win::Form {
public:
    bool create(const std::wstring& job_file, bool shown);
    // Starts the run, then shows the window when asked to: whatever reaches the window
    // (STOP, the end of the session) finds the run going. False with the system's error
    // when its thread cannot start.
    win::Status start(std::vector<core::JobFolders> jobs, run::Options options);
    void cmdStop_Click();

    // Before the window goes; also when the session ends, before the window answers it.
    std::function<void(const run::Outcome&)> on_end;
    std::vector<std::wstring> answered_no;            // the questions it answered itself
    win::Window lblProgress, prgRun, cmdStop;

protected:
    LRESULT handle(UINT msg, WPARAM w, LPARAM l) override;
    void onCommand(int id, int code) override;

private:
    void ended(const run::Outcome& outcome);
    run::RunThread run_;
    bool shown_ = false;
};

}  // namespace ui
