#pragma once
// Starting the backup script and waiting for it without burning a core.
#include <windows.h>

#include <functional>
#include <string>

#include "win/handles.h"
#include "win/result.h"

namespace run {

// The full path of a program in the system folder; empty when that cannot be told.
// A 32-bit build on 64-bit Windows is told "system32" too, which the system then
// redirects to its 32-bit programs.
std::wstring system_program(const wchar_t* name);

// The script's command interpreter and every copier it starts, held in one job
// object, so that ending the run ends them all.
class ScriptProcess {
public:
    // Starts the script (core::kScriptRunName) in `folder` in a minimized console that takes the focus.
    static win::Result<ScriptProcess> start(const std::wstring& folder);
    // Starts a program without a window, in the same kind of job.
    static win::Result<ScriptProcess> startProgram(const std::wstring& program, const std::wstring& arguments,
                                                   const std::wstring& folder);

    HANDLE process() const { return process_.get(); }
    // Ends the script and whatever it started; true when they are gone.
    bool endAll();
    // False when an endAll() could not end them all.
    bool allEnded() const { return all_ended_; }

private:
    static win::Result<ScriptProcess> launch(const std::wstring& program, const std::wstring& arguments,
                                             const std::wstring& folder, DWORD flags, STARTUPINFOW& si);
    win::Handle process_, job_;
    bool all_ended_ = true;
};

enum class WaitEnd { ScriptGone, ProcessEnded, Stopped };

// Waits on the process and the stop event together, on the run's own thread; the
// end is seen the moment the process ends. Ends when the script file is gone, the
// process has ended, or `stop` is set (then the script is ended). `tick` (may be
// empty) is called a few times a second meanwhile. Without a script path only the
// process's end counts: ProcessEnded.
WaitEnd wait_for_script(ScriptProcess& script, const std::wstring& script_path, HANDLE stop,
                        const std::function<void()>& tick);

}  // namespace run
