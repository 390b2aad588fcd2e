#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace rctest {

namespace {

std::wstring exe_path() {
  const char* env = std::getenv("ROBOCOPY_EXE");
  if (env == nullptr || *env == 0) return L"robocopy.exe";
  // CTest hands over a Unix path; Wine maps "/" to drive Z:.
  std::wstring path(env, env + std::strlen(env));
  if (path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
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
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) collect(root, child, out);
    } else {
      out.push_back(child);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

// Shares writing: Wine may not yet have closed the ended copier's inherited handle.
std::string read_output(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  CloseHandle(h);
  return out;
}

}  // namespace

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
  // Wine now and then fails a start under load with an internal error; try again.
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
  result.output = read_output(output_path_);
  return result;
}

std::string sh_quote(const std::wstring& windows_path) {
  std::string path = test::unix_path(windows_path);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return "'" + path + "'";
}

bool unix_shell(const std::string& script) {
  // Wine cannot wait for a Unix program; a marker file tells when it is done.
  const std::wstring marker = test::unix_path(L"C:\\").empty() ? L"" : std::wstring(L"C:\\rctest-shell-done");
  if (marker.empty()) return false;
  DeleteFileW(marker.c_str());
  const std::string line = script + " ; touch " + sh_quote(marker);
  std::wstring command = L"/bin/sh -c \"" + std::wstring(line.begin(), line.end()) + L"\"";
  if (test::run_unix(command) == -1) return false;
  for (int i = 0; i < 200 && !is_file(marker); ++i) Sleep(25);
  return DeleteFileW(marker.c_str()) != 0;
}

bool is_file(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_dir(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
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
  FILETIME t;
  t.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  t.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
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

}  // namespace rctest
