#include "support/sandbox.h"

#include <gtest/gtest.h>
#include <shellapi.h>


namespace test {

namespace {
std::wstring env(const wchar_t* name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name, buf, 32768);
    return n ? std::wstring(buf, n) : std::wstring();
}
std::wstring cwd() {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 2, buf);
    return std::wstring(buf, n);
}
}  // namespace

std::string narrow(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    if (!s.empty()) s.pop_back();
    return s;
}

Sandbox::Sandbox() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    static int counter = 0;
    root_ = std::wstring(tmp) + L"ost-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    remove_tree(root_);
    make_dirs(profile() + L"\\Documents");
    make_dirs(data());
    old_cwd_ = cwd();
    old_profile_ = env(L"USERPROFILE");
    SetEnvironmentVariableW(L"USERPROFILE", profile().c_str());
    SetEnvironmentVariableW(L"USERNAME", L"tester");
    SetCurrentDirectoryW(data().c_str());
}

Sandbox::~Sandbox() {
    SetCurrentDirectoryW(old_cwd_.c_str());
    for (wchar_t d : std::vector<wchar_t>(drives_)) unmapDrive(d);
    SetEnvironmentVariableW(L"USERPROFILE", old_profile_.empty() ? nullptr : old_profile_.c_str());
    remove_tree(root_);
}

std::string unix_path(const std::wstring& windows_path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    static auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn) return {};
    char* p = fn(windows_path.c_str());
    if (!p) return {};
    std::string s(p);
    HeapFree(GetProcessHeap(), 0, p);
    return s;
}

int run_unix(const std::wstring& command_line) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring cl = command_line;
    if (!CreateProcessW(nullptr, cl.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// Drive C: is itself a link in the prefix's dosdevices folder; its neighbours are the other drives.
static std::wstring dosdevice(wchar_t letter) {
    std::string c = unix_path(L"C:\\");
    while (!c.empty() && c.back() == '/') c.pop_back();
    std::string devices = c.substr(0, c.rfind('/'));
    wchar_t l = static_cast<wchar_t>(towlower(letter));
    return std::wstring(devices.begin(), devices.end()) + L"/" + std::wstring(1, l) + L":";
}

void Sandbox::mapDrive(wchar_t letter, const std::wstring& folder) {
    make_dirs(folder);
    std::string target = unix_path(folder);
    ASSERT_FALSE(target.empty());
    std::wstring wtarget(target.begin(), target.end());
    // Wine does not hand back a Unix program's exit code; check the drive instead.
    run_unix(L"/bin/ln -sfn \"" + wtarget + L"\" \"" + dosdevice(letter) + L"\"");
    drives_.push_back(letter);
    // The Unix program may still be running when Wine reports it ended.
    const std::wstring root = std::wstring(1, letter) + L":\\";
    for (int i = 0; i < 200 && !exists(root); ++i) Sleep(10);
    ASSERT_TRUE(exists(root)) << "drive not mapped: " << target;
}

void Sandbox::unmapDrive(wchar_t letter) {
    run_unix(L"/bin/rm -f \"" + dosdevice(letter) + L"\"");
    std::erase(drives_, letter);
    const std::wstring root = std::wstring(1, letter) + L":\\";
    for (int i = 0; i < 200 && exists(root); ++i) Sleep(10);
    EXPECT_FALSE(exists(root)) << "drive still mapped";
}

void make_dirs(const std::wstring& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
}

void write_bytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << narrow(path);
    DWORD w = 0;
    if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &w, nullptr);
    CloseHandle(f);
}

std::string read_bytes(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    CloseHandle(f);
    return out;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void remove_tree(const std::wstring& path) {
    if (!exists(path)) return;
    // Under Wine, deleting through Windows calls follows Unix links, out of the
    // sandbox; rm removes a link as a link. Never a drive or a folder just below one.
    const std::string unix = unix_path(path);
    if (!unix.empty()) {
        if (path.size() < 4 || path.find(L'\\', 3) == std::wstring::npos) {
            ADD_FAILURE() << "refusing to delete " << unix;
            return;
        }
        std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, unix.c_str(), -1, nullptr, 0)), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, unix.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
        wide.resize(wcslen(wide.c_str()));
        run_unix(L"/bin/rm -rf \"" + wide + L"\"");
        for (int i = 0; i < 1000 && exists(path); ++i) Sleep(10);
        return;
    }
    std::wstring from = path;
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) Sleep(5);
    } while (ms && static_cast<LONG>(end - GetTickCount()) > 0);
}

}  // namespace test
