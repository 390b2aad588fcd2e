#include "run/script_run.h"

#include <vector>

#include "core/batch_script.h"

namespace run {

win::Result<win::Handle> start_script(const std::wstring& folder) {
    wchar_t comspec[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
    std::wstring shell = n && n < MAX_PATH ? std::wstring(comspec, n) : L"cmd.exe";
    std::wstring cl = L"\"" + shell + L"\" /c " + core::kScriptName;
    std::vector<wchar_t> buf(cl.begin(), cl.end());
    buf.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    si.lpTitle = const_cast<wchar_t*>(L"Ostrevin");
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(shell.c_str(), buf.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, folder.c_str(),
                        &si, &pi))
        return win::Status::last_error();
    win::Handle thread(pi.hThread);
    return win::Handle(pi.hProcess);
}

WaitEnd wait_for_script(HANDLE process, const std::wstring& script_path, const std::function<void(MSG&)>& dispatch) {
    for (;;) {
        // Wake for messages, for the process's end, and now and then to look for the file.
        DWORD r = MsgWaitForMultipleObjectsEx(1, &process, 250, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return GetFileAttributesW(script_path.c_str()) == INVALID_FILE_ATTRIBUTES
                                           ? WaitEnd::ScriptGone
                                           : WaitEnd::ProcessEnded;
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    return GetFileAttributesW(script_path.c_str()) == INVALID_FILE_ATTRIBUTES ? WaitEnd::ScriptGone
                                                                                             : WaitEnd::ProcessEnded;
                }
                dispatch(msg);
            }
        }
        if (r == WAIT_FAILED) Sleep(50);  // never spin
        if (GetFileAttributesW(script_path.c_str()) == INVALID_FILE_ATTRIBUTES) return WaitEnd::ScriptGone;
    }
}

}  // namespace run
