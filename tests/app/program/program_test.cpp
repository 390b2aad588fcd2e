// The real Ostrevin.exe, started as a user starts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "support/sandbox.h"

namespace {

// The first visible window of class `cls` that process `pid` shows within `ms`.
HWND wait_window(const wchar_t* cls, DWORD pid, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        for (HWND h = FindWindowExW(nullptr, nullptr, cls, nullptr); h; h = FindWindowExW(nullptr, h, cls, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pid && IsWindowVisible(h)) return h;
        }
        Sleep(2);
    }
    return nullptr;
}

}  // namespace

TEST(Program, SplashThenMainWindowThenCleanExit) {
    test::Sandbox box;
    wchar_t exe[MAX_PATH];
    const std::wstring tests(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    test::Process p(L"\"" + tests.substr(0, tests.rfind(L'\\')) + L"\\Ostrevin.exe\"", box.data());
    HWND splash = wait_window(L"OstrevinSplash", p.id(), 20000);
    ASSERT_TRUE(splash);
    PostMessageW(splash, WM_KEYDOWN, VK_SPACE, 0);
    HWND main = wait_window(L"OstrevinMain", p.id(), 10000);
    ASSERT_TRUE(main);
    EXPECT_FALSE(IsWindow(splash));
    wchar_t title[64];
    EXPECT_EQ(std::wstring(title, static_cast<size_t>(GetWindowTextW(main, title, 64))), L"Ostrevin: UNTITLED");
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(p.wait(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(test::read_bytes(box.data() + L"\\Ostrevin.cfg"), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
}
