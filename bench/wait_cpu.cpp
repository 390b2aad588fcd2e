// How much CPU the program uses while a backup run waits for its script.
// A locked source file makes the copier retry (3 x 3 s), so the run waits ~10 s.
#include <windows.h>

#include <cstdio>

#include "support/app_fixture.h"

namespace {
double cpu_seconds() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto t = [](FILETIME f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32 | f.dwLowDateTime) / 1e7; };
    return t(k) + t(u);
}
}  // namespace

int main() {
    test::App a;
    std::wstring src = a.box.path(L"Src"), dst = a.box.path(L"Dst");
    test::make_dirs(src);
    test::make_dirs(dst);
    test::write_bytes(src + L"\\locked.txt", "x");
    a.start();
    a.main->txtSource.setText(src);
    a.main->txtDest.setText(dst);
    a.main->cmdAddJob.enable(true);
    a.main->cmdAddJob_Click();
    HANDLE lock = CreateFileW((src + L"\\locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    double cpu0 = cpu_seconds();
    ULONGLONG wall0 = GetTickCount64();
    a.runBackups();
    double cpu = cpu_seconds() - cpu0;
    double wall = static_cast<double>(GetTickCount64() - wall0) / 1000.0;
    CloseHandle(lock);
    const std::wstring outcome = a.prompts.asked.empty() ? L"none" : a.prompts.asked.back().title;
    std::printf("run waited %.1f s of wall time using %.3f s of CPU: %.2f%% of one core (outcome: %ls)\n", wall, cpu,
                100.0 * cpu / wall, outcome.c_str());
    // Anything but the copier's retries ending in failure measured something else.
    if (outcome != L"BACKUP FAILED" || wall < 5) {
        std::fprintf(stderr, "the run did not wait for the copier's retries: nothing was measured\n");
        return 1;
    }
    return 0;
}
