#pragma once
// Starting the backup script and waiting for it without burning a core.
#include <windows.h>

#include <functional>
#include <string>

namespace run {

// Starts "batchrun.bat" in `folder` in a minimized console that takes the focus.
// The process handle, or nullptr with the error in *error.
HANDLE start_script(const std::wstring& folder, DWORD* error);

enum class WaitEnd { ScriptGone, ProcessEnded };

// Waits on the process and the message queue together; window messages are handled
// meanwhile (through `dispatch`). Ends when the script file is gone or the process has ended.
WaitEnd wait_for_script(HANDLE process, const std::wstring& script_path,
                        const std::function<void(MSG&)>& dispatch);

}  // namespace run
