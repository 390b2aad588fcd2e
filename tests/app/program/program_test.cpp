// The real Ostrevin.exe, started as a user starts it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

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

// Starts the program in `folder`, its splash window at `splash` (null when none showed).
std::unique_ptr<test::Process> start(const std::wstring& folder, HWND& splash) {
    auto p = std::make_unique<test::Process>(L"\"" + exe_beside_tests() + L"\"", folder);
    splash = wait_window(L"OstrevinSplash", p->id(), 20000);
    return p;
}

}  // namespace

TEST(Program, SplashThenMainWindowThenCleanExit) {
    test::Sandbox box;
    HWND splash = nullptr;
    auto p = start(box.data(), splash);
    ASSERT_TRUE(splash);
    PostMessageW(splash, WM_KEYDOWN, VK_SPACE, 0);
    HWND main = wait_window(L"OstrevinMain", p->id(), 10000);
    ASSERT_TRUE(main);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(text_of(main), L"Ostrevin: UNTITLED");
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(p->wait(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(test::read_bytes(box.data() + L"\\Ostrevin.cfg"), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\n");
}
