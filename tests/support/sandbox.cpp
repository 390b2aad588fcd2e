#include "support/sandbox.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace test {

std::wstring temp_folder() {
    wchar_t tmp[MAX_PATH];
    return std::wstring(tmp, GetTempPathW(MAX_PATH, tmp));
}

namespace {
// Drive C: is itself a link in the prefix's dosdevices folder; its neighbours are the other drives.
std::string dosdevice(wchar_t letter) {
    const std::string c = sh_quote(L"C:\\");
    return c.substr(0, c.rfind('/')) + "/" + static_cast<char>(towlower(letter)) + ":'";
}
}  // namespace

std::string narrow(const std::wstring& w) {
    std::string s(w.size() * 3, '\0');  // UTF-8 takes at most 3 bytes for each UTF-16 unit
    const int n = static_cast<int>(w.size());
    s.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, w.data(), n, s.data(), n * 3, nullptr, nullptr)));
    return s;
}

std::wstring cwd() {
    wchar_t buf[MAX_PATH * 2];
    return std::wstring(buf, GetCurrentDirectoryW(MAX_PATH * 2, buf));
}

Sandbox::Sandbox() {
    static int counter = 0;
    root_ = temp_folder() + L"ost-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    remove_tree(root_);
    make_dirs(profile() + L"\\Documents");
    make_dirs(data());
    old_cwd_ = cwd();
    wchar_t profile_now[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"USERPROFILE", profile_now, MAX_PATH);
    old_profile_ = profile_now;
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
    char* p = fn ? fn(windows_path.c_str()) : nullptr;
    if (!p) return {};
    std::string s(p);
    HeapFree(GetProcessHeap(), 0, p);
    return s;
}

std::string sh_quote(const std::wstring& windows_path) {
    std::string path = unix_path(windows_path);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return "'" + path + "'";
}

bool unix_shell(const std::string& script) {
    // Wine cannot wait for a Unix program; a marker file tells when it is done.
    const std::wstring marker = temp_folder() + L"ost-shell-" + std::to_wstring(GetCurrentProcessId());
    DeleteFileW(marker.c_str());
    // The marker holds the script's exit status, so a failed step fails the caller.
    const std::string line = "/bin/sh -c \"" + script + " ; echo $? >" + sh_quote(marker) + ".part && mv " +
                             sh_quote(marker) + ".part " + sh_quote(marker) + "\"";
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    Process shell(wide);
    for (int i = 0; i < 1200 && !exists(marker); ++i) Sleep(25);
    const std::string status = read_bytes(marker);
    return DeleteFileW(marker.c_str()) && status == "0\n";
}

namespace {
bool listed(wchar_t letter) { return (GetLogicalDrives() >> (towupper(letter) - L'A')) & 1u; }

// Wine's mount manager request that defines (or, without a folder, removes) a drive
// letter for a Unix folder, as its configuration tool does.
bool announce(wchar_t letter, const std::string& unix_folder) {
    struct UnixDrive {
        ULONG size, type, fs_type;
        DWORD serial;
        ULONGLONG unix_dev;
        WCHAR letter;
        USHORT mount_point_offset, device_offset, label_offset;
    };
    std::vector<char> buf(sizeof(UnixDrive) + unix_folder.size() + 1, '\0');
    auto* d = reinterpret_cast<UnixDrive*>(buf.data());
    d->size = static_cast<ULONG>(buf.size());
    d->type = 3;  // reported as a fixed disk under Wine 8
    d->letter = static_cast<WCHAR>(towlower(letter));
    if (!unix_folder.empty()) {
        d->mount_point_offset = sizeof(UnixDrive);
        std::memcpy(buf.data() + sizeof(UnixDrive), unix_folder.c_str(), unix_folder.size() + 1);
    }
    HANDLE h = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    BOOL ok = DeviceIoControl(h, CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS), buf.data(),
                              static_cast<DWORD>(buf.size()), nullptr, 0, &got, nullptr);
    CloseHandle(h);
    return ok != FALSE;
}
}  // namespace

void Sandbox::mapDrive(wchar_t letter, const std::wstring& folder, const char* label) {
    make_dirs(folder);
    if (label) write_bytes(folder + L"\\.windows-label", label);  // where Wine keeps it
    ASSERT_TRUE(unix_shell("ln -sfn " + sh_quote(folder) + " " + dosdevice(letter)));
    drives_.push_back(letter);
    ASSERT_TRUE(announce(letter, unix_path(folder))) << "mount manager: " << GetLastError();
    ASSERT_TRUE(exists(std::wstring(1, letter) + L":\\") && listed(letter)) << "drive not mapped: " << narrow(folder);
}

void Sandbox::unmapDrive(wchar_t letter) {
    std::erase(drives_, letter);
    EXPECT_TRUE(announce(letter, {}));
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, std::wstring{letter, L':'}.c_str(), nullptr);
    EXPECT_TRUE(unix_shell("rm -f " + dosdevice(letter)));
    EXPECT_FALSE(exists(std::wstring(1, letter) + L":\\") || listed(letter)) << "drive still mapped";
}

void make_dirs(const std::wstring& path) {
    std::error_code failed;  // a test that needs the folder fails where it uses it
    std::filesystem::create_directories(path, failed);
}

void write_bytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    EXPECT_TRUE(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) << narrow(path);
}

std::string read_bytes(const std::wstring& path) {
    // Shares writing: Wine may not yet have closed an ended program's inherited handle.
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
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
    if (path.size() < 4 || path.find(L'\\', 3) == std::wstring::npos || unix_path(path).empty()) {
        ADD_FAILURE() << "refusing to delete " << narrow(path);
        return;
    }
    EXPECT_TRUE(unix_shell("rm -rf " + sh_quote(path)));
}

std::uint64_t write_time(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void set_write_time(const std::wstring& path, std::uint64_t ticks) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const FILETIME t{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &t)) << narrow(path);
    CloseHandle(h);
}

std::vector<std::wstring> tree(const std::wstring& root) {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const bool dir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        out.push_back(dir ? name + L"\\" : name);
        if (dir && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            for (const auto& below : tree(root + L"\\" + name)) out.push_back(name + L"\\" + below);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(out.begin(), out.end());
    return out;
}

std::string contents(const std::wstring& root) {
    std::string all;
    for (const auto& f : tree(root))
        if (!f.ends_with(L'\\')) all += narrow(f) + "=" + read_bytes(root + L"\\" + f) + ";";
    return all;
}

Process::Process(std::wstring command_line, const std::wstring& folder) {
    wchar_t log[MAX_PATH];
    GetTempFileNameW(temp_folder().c_str(), L"out", 0, log);
    output_path_ = log;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE out = CreateFileW(log, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    // Wine now and then fails a start under load with an internal error; try again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi_))
            break;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 2)
            ADD_FAILURE() << "cannot start " << narrow(command_line);
        pi_ = PROCESS_INFORMATION{};
        Sleep(200);
    }
    CloseHandle(out);
}

Process::~Process() {
    kill();
    DeleteFileW(output_path_.c_str());
}

bool Process::wait(DWORD ms, DWORD* code) {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return false;
    return !code || GetExitCodeProcess(pi_.hProcess, code);
}

void Process::kill() {
    if (!pi_.hProcess) return;
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
    pi_ = PROCESS_INFORMATION{};
}

std::string Process::output() const { return read_bytes(output_path_); }

void pump(DWORD ms) {
    for (const DWORD end = GetTickCount() + ms;; Sleep(5)) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return;
    }
}

}  // namespace test
