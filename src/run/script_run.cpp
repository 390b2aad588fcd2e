#include "run/script_run.h"

#include <vector>

#include "core/batch_script.h"

namespace run {

std::wstring system_program(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? std::wstring() : std::wstring(folder, n) + L"\\" + name;
}

win::Result<ScriptProcess> ScriptProcess::start(const std::wstring& folder) {
    wchar_t comspec[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH);
    // A bare name would be looked for in the current folder first.
    const std::wstring shell = n && n < MAX_PATH ? std::wstring(comspec, n) : system_program(L"cmd.exe");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWMINIMIZED;
    si.lpTitle = const_cast<wchar_t*>(L"Ostrevin");
    return launch(shell, L"/c " + std::wstring(core::kScriptRunName), folder, CREATE_NEW_CONSOLE, si);
}

win::Result<ScriptProcess> ScriptProcess::startProgram(const std::wstring& program, const std::wstring& arguments,
                                                       const std::wstring& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    return launch(program, arguments, folder, CREATE_NO_WINDOW, si);
}

win::Result<ScriptProcess> ScriptProcess::launch(const std::wstring& program, const std::wstring& arguments,
                                                 const std::wstring& folder, DWORD flags, STARTUPINFOW& si) {
    ScriptProcess s;
    s.job_ = win::Handle(CreateJobObjectW(nullptr, nullptr));
    if (!s.job_) return win::Status::last_error();
    std::wstring cl = L"\"" + program + L"\" " + arguments;
    std::vector<wchar_t> buf(cl.begin(), cl.end());
    buf.push_back(L'\0');
    PROCESS_INFORMATION pi{};
    // Suspended until it is in the job, so that nothing it starts escapes.
    if (!CreateProcessW(program.c_str(), buf.data(), nullptr, nullptr, FALSE, flags | CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &si, &pi))
        return win::Status::last_error();
    s.process_ = win::Handle(pi.hProcess);
    win::Handle thread(pi.hThread);
    // Windows 7 refuses a job to a process already in one that forbids nesting; the
    // backup still runs then, and a stop can end only the script itself.
    if (!AssignProcessToJobObject(s.job_.get(), pi.hProcess)) s.job_ = win::Handle();
    if (ResumeThread(pi.hThread) == static_cast<DWORD>(-1)) {
        const win::Status failed = win::Status::last_error();
        TerminateProcess(pi.hProcess, 1);
        return failed;
    }
    return s;
}

bool ScriptProcess::endAll() {
    all_ended_ = false;
    if (!job_) {
        TerminateProcess(process_.get(), 1);
        return false;  // what it started may go on
    }
    if (!TerminateJobObject(job_.get(), 1)) return false;
    // The members end soon after; the job counts them.
    for (int waited = 0; waited < 100; ++waited) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        if (!QueryInformationJobObject(job_.get(), JobObjectBasicAccountingInformation, &info, sizeof info, nullptr))
            return false;
        if (info.ActiveProcesses == 0) return all_ended_ = true;
        Sleep(50);
    }
    return false;
}

WaitEnd wait_for_script(ScriptProcess& script, const std::wstring& script_path, HANDLE stop,
                        const std::function<void()>& tick) {
    constexpr DWORD kTick = 250;
    const auto script_gone = [&] {
        return !script_path.empty() && GetFileAttributesW(script_path.c_str()) == INVALID_FILE_ATTRIBUTES;
    };
    const HANDLE waits[] = {script.process(), stop};
    for (;;) {
        const DWORD r = WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, kTick);
        if (r == WAIT_OBJECT_0 || r == WAIT_OBJECT_0 + 1) {
            if (script_gone()) return WaitEnd::ScriptGone;
            // The script may end with the copier it started still running (its
            // console closed): nothing of the run outlives it.
            script.endAll();
            return r == WAIT_OBJECT_0 ? WaitEnd::ProcessEnded : WaitEnd::Stopped;
        }
        if (r == WAIT_FAILED) Sleep(50);  // never spin
        if (tick) tick();
        // A command interpreter that lingers once its script has deleted itself.
        if (script_gone()) return WaitEnd::ScriptGone;
    }
}

}  // namespace run
