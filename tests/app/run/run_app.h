#pragma once
// What the run's suites share: the program with two jobs on drive E:, and helpers.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <utility>

#include "app/startup.h"
#include "run/versions.h"
#include "support/app_fixture.h"
#include "win/local_time.h"

namespace run_test {

const std::wstring kPF = L"C:\\Program Files";

struct RunApp : test::App {
    std::wstring srcA = box.path(L"SrcA"), srcB = box.path(L"SrcB");
    RunApp() {
        test::make_dirs(srcA + L"\\sub");
        test::make_dirs(srcA + L"\\emptydir");
        test::make_dirs(srcB);
        test::write_bytes(srcA + L"\\a.txt", "alpha");
        test::write_bytes(srcA + L"\\sub\\b.txt", "beta");
        test::write_bytes(srcB + L"\\c.txt", "gamma");
        box.mapDrive(L'E', box.path(L"drive_e"));
        test::make_dirs(box.path(L"drive_e\\BK"));
        test::make_dirs(box.path(L"drive_e\\BK2"));
        start();
        add(srcA, L"E:\\BK");
        add(srcB, L"E:\\BK2");
        prompts.asked.clear();
    }
    void check(win::Window box, bool on) { box.send(BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED); }
    std::wstring e(const std::wstring& rel) const { return box.path(L"drive_e\\" + rel); }
    // The newest kept run log in the data folder: each run keeps its own.
    std::wstring keptLog() const {
        std::wstring newest;
        for (const auto& name : test::tree(box.data()))
            if (name.rfind(L"Ostrevin-run-", 0) == 0) newest = std::max(newest, name);
        return newest.empty() ? L"" : box.data() + L"\\" + newest;
    }
    bool dated() const {
        return core::LookupBackupDate(app::state().settings, L"UNTITLED").kind == core::DateLookup::Found;
    }
    // The one message of a run.
    const test::Asked& told() const {
        EXPECT_EQ(prompts.asked.size(), 1u);
        return prompts.asked.back();
    }
};

inline std::wstring temp_file(const wchar_t* name) { return test::temp_folder() + name; }

inline std::wstring system_file(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    return std::wstring(buf, GetSystemDirectoryW(buf, MAX_PATH)) + L"\\" + name;
}

// Counts the processes of that name, ending them when asked.
inline int processes(const wchar_t* exe, bool end = false) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe{};
    pe.dwSize = sizeof pe;
    int count = 0;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe)) {
        if (lstrcmpiW(pe.szExeFile, exe) != 0) continue;
        ++count;
        if (HANDLE p = end ? OpenProcess(PROCESS_TERMINATE, FALSE, pe.th32ProcessID) : nullptr) {
            TerminateProcess(p, 1);
            CloseHandle(p);
        }
    }
    CloseHandle(snap);
    return count;
}

// Something a test does once while the run goes on, `ms` after it is set; dropped
// when it has not happened by the end of its scope.
inline std::function<void()> g_during;
inline void CALLBACK call_during(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto act = std::exchange(g_during, nullptr)) act();
}
struct DuringRun {
    DuringRun(UINT ms, std::function<void()> act)
        : id((g_during = std::move(act), SetTimer(nullptr, 0, ms, call_during))) {}
    ~DuringRun() {
        KillTimer(nullptr, id);
        g_during = nullptr;
    }
    UINT_PTR id;
};

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(text.substr(start, p - start));
    return lines;
}

// The dated folder a run's message names as where it kept files; empty when it names none.
inline std::wstring kept_in(const std::wstring& text) {
    const std::wstring mark = L"replaced or removed in \"";
    const size_t at = text.find(mark), from = at + mark.size();
    return at == std::wstring::npos ? L"" : text.substr(from, text.find(L'"', from) - from);
}

// A dated folder's name for that many days before now.
inline std::wstring days_ago(int days) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    FILETIME ft;
    SystemTimeToFileTime(&t, &ft);
    ULARGE_INTEGER u{{ft.dwLowDateTime, ft.dwHighDateTime}};
    u.QuadPart -= static_cast<ULONGLONG>(days) * 864000000000ull;
    ft = {u.LowPart, u.HighPart};
    FileTimeToSystemTime(&ft, &t);
    wchar_t name[32];
    swprintf(name, 32, L"%04u-%02u-%02u %02u-%02u-%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return name;
}

}  // namespace run_test

using namespace run_test;
