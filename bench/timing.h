#pragma once
// What the benches share: the clock, and the copier started as the run's script starts it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace bench {

inline double seconds_since(ULONGLONG start) { return static_cast<double>(GetTickCount64() - start) / 1000.0; }

// robocopy.exe SOURCE TARGET with the run's options, timed from its start to its exit; a failure ends the bench.
inline double copier(const std::wstring& source, const std::wstring& target, const std::wstring& log) {
    std::wstring cl = L"robocopy.exe \"" + source + L"\" \"" + target + L"\" /S /R:3 /W:3 /NP /LOG+:\"" + log + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const ULONGLONG start = GetTickCount64();
    if (!CreateProcessW(nullptr, cl.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "robocopy.exe could not be started: %lu\n", GetLastError());
        std::exit(1);
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double s = seconds_since(start);
    DWORD code = 16;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (code >= 8) {
        std::fprintf(stderr, "robocopy.exe failed: exit code %lu\n", code);
        std::exit(1);
    }
    return s;
}

}  // namespace bench
