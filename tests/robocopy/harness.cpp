#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace rctest {

namespace {

using DosNameFn = wchar_t*(CDECL*)(const char*);
using UnixNameFn = char*(CDECL*)(const wchar_t*);

// Wine's own exports; absent on Windows, where the helpers that need them skip.
DosNameFn wine_dos_name() {
  return reinterpret_cast<DosNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
}
UnixNameFn wine_unix_name() {
  return reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::wstring widen(const std::string& s) {
  std::wstring w;
  for (char c : s) w.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return w;
}

std::wstring exe_path() {
  const char* env = std::getenv("ROBOCOPY_EXE");
  if (env == nullptr || *env == 0) return L"robocopy.exe";
  if (env[0] == '/') {
    if (DosNameFn fn = wine_dos_name()) {
      if (wchar_t* dos = fn(env)) {
        std::wstring path = dos;
        HeapFree(GetProcessHeap(), 0, dos);
        return path;
      }
    }
  }
  return widen(env);
}

// Waits up to five seconds for a condition that a Unix program brings about.
template <typename F>
bool eventually(F done) {
  for (int i = 0; i < 100; ++i) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

// Runs a Unix program from inside Wine, which starts ELF binaries too. Wine's
// handle for such a process does not wait for its end, so callers poll for
// the result instead.
bool run_unix(const std::string& program, const std::vector<std::string>& args) {
  DosNameFn fn = wine_dos_name();
  if (fn == nullptr) return false;
  wchar_t* dos = fn(program.c_str());
  if (dos == nullptr) return false;
  const std::wstring image = dos;
  HeapFree(GetProcessHeap(), 0, dos);
  std::wstring line = widen(program);
  for (const auto& a : args) line += L" \"" + widen(a) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(image.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  WaitForSingleObject(pi.hProcess, 20000);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

FILETIME to_filetime(std::uint64_t ticks) {
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return t;
}

void collect(const std::wstring& root, const std::wstring& rel, std::vector<std::wstring>& out) {
  WIN32_FIND_DATAW data;
  const std::wstring folder = rel.empty() ? root : root + L"\\" + rel;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring child = rel.empty() ? name : rel + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(child + L"\\");
      collect(root, child, out);
    } else {
      out.push_back(child);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

TempDir::TempDir() {
  static unsigned counter = 0;
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::wstring b = base;
  if (!b.empty() && b.back() == L'\\') b.pop_back();
  for (;;) {
    path_ = b + L"\\rctest_" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter) + L"_" +
            std::to_wstring(GetTickCount());
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create a temp folder, error " << GetLastError();
      break;
    }
  }
}

TempDir::~TempDir() { remove_tree(path_); }

std::vector<std::uint64_t> RunResult::row(const char* label) const {
  std::istringstream in(output);
  std::string line;
  const std::string key = std::string(label) + " :";
  while (std::getline(in, line)) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) continue;
    std::istringstream nums(line.substr(at + key.size()));
    std::vector<std::uint64_t> values;
    std::uint64_t v = 0;
    while (nums >> v) values.push_back(v);
    if (values.size() == 6) return values;
  }
  return {};
}

std::wstring quote(const std::wstring& path) { return L"\"" + path + L"\""; }

RunResult run_robocopy(const std::wstring& args) { return Running(args).finish(); }

Running::Running(const std::wstring& args) {
  wchar_t temp[MAX_PATH], log[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetTempFileNameW(temp, L"rco", 0, log);
  output_path_ = log;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileW(log, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create the output file";
    return;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  std::wstring line = quote(exe_path()) + L" " + args;
  QueryPerformanceCounter(&start_);
  // Wine now and then fails a start under load with an internal error; one more try.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi_))
      break;
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt == 2) ADD_FAILURE() << "cannot start robocopy.exe, error " << error;
    pi_ = PROCESS_INFORMATION{};
    Sleep(200);
  }
  CloseHandle(out);
}

Running::~Running() {
  if (pi_.hProcess != nullptr) {
    TerminateProcess(pi_.hProcess, 999);
    WaitForSingleObject(pi_.hProcess, 10000);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  DeleteFileW(output_path_.c_str());
}

void Running::kill() {
  if (pi_.hProcess == nullptr) return;
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 10000);
}

RunResult Running::finish(DWORD timeout_ms) {
  RunResult result;
  if (pi_.hProcess == nullptr) return result;
  if (WaitForSingleObject(pi_.hProcess, timeout_ms) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "robocopy.exe did not finish in " << timeout_ms / 1000 << " s";
    TerminateProcess(pi_.hProcess, 999);
    WaitForSingleObject(pi_.hProcess, 10000);
  }
  LARGE_INTEGER freq, stop;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&stop);
  result.seconds = static_cast<double>(stop.QuadPart - start_.QuadPart) / static_cast<double>(freq.QuadPart);
  GetExitCodeProcess(pi_.hProcess, &result.code);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
  pi_ = PROCESS_INFORMATION{};
  result.output = read_file(output_path_);
  return result;
}

std::string unix_name(const std::wstring& windows_path) {
  UnixNameFn fn = wine_unix_name();
  if (fn == nullptr) return {};
  char* name = fn(windows_path.c_str());
  if (name == nullptr) return {};
  std::string out = name;
  HeapFree(GetProcessHeap(), 0, name);
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

bool unix_shell(const std::string& script) {
  // The marker tells when the script has ended, since Wine cannot wait for it.
  TempDir marker_dir;
  const std::string marker = unix_name(marker_dir / L"done");
  if (marker.empty()) return false;
  if (!run_unix("/bin/sh", {"-c", script + "\ntouch '" + marker + "'"})) return false;
  return eventually([&] { return is_file(marker_dir / L"done"); });
}

void write_file(const std::wstring& path, const std::string& content) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << "cannot write a test file, error " << GetLastError();
  DWORD done = 0;
  const BOOL ok = WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &done, nullptr);
  CloseHandle(h);
  ASSERT_TRUE(ok && done == content.size());
}

std::string read_file(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) content.append(buf, got);
  CloseHandle(h);
  return content;
}

void make_dirs(const std::wstring& path) {
  if (is_dir(path)) return;
  const std::size_t cut = path.find_last_of(L'\\');
  if (cut != std::wstring::npos && cut > 2) make_dirs(path.substr(0, cut));
  CreateDirectoryW(path.c_str(), nullptr);
}

bool is_file(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_dir(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void remove_tree(const std::wstring& path) {
  if (path.size() < 8) return;  // never anything near a drive root
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(child);
      else DeleteFileW(child.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

std::uint64_t write_time(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

void set_write_time(const std::wstring& path, std::uint64_t ticks) {
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const FILETIME t = to_filetime(ticks);
  const BOOL ok = SetFileTime(h, nullptr, nullptr, &t);
  CloseHandle(h);
  ASSERT_TRUE(ok);
}

std::vector<std::wstring> tree(const std::wstring& root) {
  std::vector<std::wstring> out;
  collect(root, L"", out);
  std::sort(out.begin(), out.end());
  return out;
}

Lock::Lock(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

void Lock::release() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

WineDrive::WineDrive(const std::wstring& folder) {
  UnixNameFn unix_name = wine_unix_name();
  if (unix_name == nullptr) return;
  // The prefix's drive links live beside c:, whose Unix name ends in ".../dosdevices/c:/".
  char* c_drive = unix_name(L"C:\\");
  char* target = unix_name(folder.c_str());
  std::string devices = c_drive ? c_drive : "", unix_target = target ? target : "";
  if (c_drive) HeapFree(GetProcessHeap(), 0, c_drive);
  if (target) HeapFree(GetProcessHeap(), 0, target);
  const std::size_t at = devices.rfind("/dosdevices/");
  if (at == std::string::npos || unix_target.empty()) return;
  devices.resize(at + 12);

  const DWORD used = GetLogicalDrives();
  for (wchar_t l = L'Y'; l >= L'M'; --l) {
    if (used & (1u << (l - L'A'))) continue;
    const std::string link = devices + static_cast<char>(l - L'A' + 'a') + ":";
    if (!run_unix("/bin/ln", {"-s", unix_target, link})) return;
    link_ = link;
    const std::wstring root = std::wstring(1, l) + L":\\";
    if (eventually([&] { return is_dir(root); })) letter_ = l;
    return;
  }
}

WineDrive::~WineDrive() {
  if (link_.empty()) return;
  run_unix("/bin/rm", {"-f", link_});
  if (letter_ != 0) eventually([&] { return !is_dir(std::wstring(1, letter_) + L":\\"); });
}

}  // namespace rctest
