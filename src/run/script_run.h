#pragma once
// Starting the backup script and waiting for it without burning a core.
#include <windows.h>

#include <functional>
#include <string>

#include "win/handles.h"
#include "win/result.h"

namespace run {

// Starts the script (core::kScriptName) in `folder` in a minimized console that takes the focus.
win::Result<win::Handle> start_script(const std::wstring& folder);

enum class WaitEnd { ScriptGone, ProcessEnded };

// Waits on the process and the message queue together; window messages are handled
// meanwhile (through `dispatch`). Ends when the script file is gone or the process has ended.
WaitEnd wait_for_script(HANDLE process, const std::wstring& script_path,
                        const std::function<void(MSG&)>& dispatch);

}  // namespace run
