// The real Ostrevin.exe, started as a user starts it.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "support/sandbox.h"

namespace {

using Clock = std::chrono::steady_clock;

std::wstring exe_beside_tests() {
    wchar_t buf[MAX_PATH];
    GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf);
    return p.substr(0, p.rfind(L'\\')) + L"\\Ostrevin.exe";
}

HWND wait_window(const wchar_t* cls, DWORD pid, int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        for (HWND h = FindWindowExW(nullptr, nullptr, cls, nullptr); h; h = FindWindowExW(nullptr, h, cls, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pid && IsWindowVisible(h)) return h;
        }
        Sleep(2);
    }
    return nullptr;
}

std::wstring text_of(HWND h) {
    wchar_t buf[512];
    int n = GetWindowTextW(h, buf, 512);
    return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}

struct Started {
    PROCESS_INFORMATION pi{};
    Clock::time_point t0;
    // Starts the program in `folder`; its splash window, or null when none showed.
    HWND startToSplash(const std::wstring& folder) {
        return start(folder) ? wait_window(L"OstrevinSplash", pi.dwProcessId, 20000) : nullptr;
    }
    bool start(const std::wstring& folder) {
        std::wstring exe = exe_beside_tests();
        std::wstring cl = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        t0 = Clock::now();
        return CreateProcessW(exe.c_str(), cl.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi);
    }
    ~Started() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
};

}  // namespace

TEST(Program, SplashThenMainWindowThenCleanExit) {
    test::Sandbox box;
    Started p;
    HWND splash = p.startToSplash(box.data());
    ASSERT_TRUE(splash);
    auto t_splash = Clock::now();
    // The version on the splash comes from the program's version resource.
    std::wstring texts;
    EnumChildWindows(
        splash,
        [](HWND h, LPARAM l) CALLBACK -> BOOL {
            *reinterpret_cast<std::wstring*>(l) += text_of(h) + L"|";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    EXPECT_NE(texts.find(L"|Ostrevin|"), std::wstring::npos) << test::narrow(texts);
    EXPECT_NE(texts.find(L"Version " + std::to_wstring(OSTREVIN_VERSION_MAJOR) + L"." +
                         std::to_wstring(OSTREVIN_VERSION_MINOR) + L"." + std::to_wstring(OSTREVIN_VERSION_PATCH)),
              std::wstring::npos);
    EXPECT_NE(texts.find(L"For Windows Vista && 7, 32 or 64bit"), std::wstring::npos);
    EXPECT_NE(texts.find(L"A simple file backup utility"), std::wstring::npos);

    auto t_key = Clock::now();
    PostMessageW(splash, WM_KEYDOWN, VK_SPACE, 0);
    HWND main = wait_window(L"OstrevinMain", p.pi.dwProcessId, 10000);
    ASSERT_TRUE(main);
    auto t_main = Clock::now();
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(text_of(main), L"Ostrevin: UNTITLED");

    using ms = std::chrono::duration<double, std::milli>;
    double to_splash = ms(t_splash - p.t0).count(), splash_to_main = ms(t_main - t_key).count();
    PROCESS_MEMORY_COUNTERS mem{};
    GetProcessMemoryInfo(p.pi.hProcess, &mem, sizeof mem);
    std::printf("[ measure  ] start to splash %.0f ms, key to main window %.0f ms, sum %.0f ms; peak working set %.1f MB\n",
                to_splash, splash_to_main, to_splash + splash_to_main, static_cast<double>(mem.PeakWorkingSetSize) / 1048576.0);

    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(p.pi.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(p.pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(test::read_bytes(box.data() + L"\\Ostrevin.cfg"), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
}

// The splash goes by itself after about three seconds, at once on a click on its
// frame, and not on a click on a label: the labels take their own clicks.
TEST(Program, SplashGoesByItselfOrOnAFrameClickNotOnALabelClick) {
    for (bool on_frame : {false, true}) {
        test::Sandbox box;
        Started p;
        HWND splash = p.startToSplash(box.data());
        ASSERT_TRUE(splash);
        auto shown = Clock::now();
        HWND frame = GetWindow(splash, GW_CHILD);
        HWND target = on_frame ? frame : FindWindowExW(frame, nullptr, L"Static", nullptr);
        ASSERT_TRUE(target);
        RECT r{};
        GetWindowRect(target, &r);
        POINT at = on_frame ? POINT{r.left + 3, r.bottom - 3} : POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        EXPECT_EQ(WindowFromPoint(at), target);
        PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x - r.left, at.y - r.top));
        PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(at.x - r.left, at.y - r.top));
        HWND main = wait_window(L"OstrevinMain", p.pi.dwProcessId, on_frame ? 1500 : 10000);
        ASSERT_TRUE(main);
        double waited = std::chrono::duration<double>(Clock::now() - shown).count();
        EXPECT_FALSE(IsWindow(splash));
        EXPECT_EQ(waited > 2.0, !on_frame) << waited;  // about three seconds after the splash's load
        EXPECT_LT(waited, 6.0);
        PostMessageW(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForSingleObject(p.pi.hProcess, 10000), WAIT_OBJECT_0);
    }
}
