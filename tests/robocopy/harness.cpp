#include "harness.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace rctest {

namespace {

std::wstring exe_path() {
  // CTest hands over a Unix path; Wine maps "/" to drive Z:.
  const std::string env = std::getenv("ROBOCOPY_EXE") ? std::getenv("ROBOCOPY_EXE") : "robocopy.exe";
  std::wstring path(env.begin(), env.end());
  if (path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

void collect(const std::wstring& root, const std::wstring& rel, Tree& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(((rel.empty() ? root : root + L"\\" + rel) + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName, child = rel.empty() ? name : rel + L"\\" + name;
    if (name == L"." || name == L"..") continue;
    const bool dir = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    out.push_back(dir ? child + L"\\" : child);
    if (dir && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) collect(root, child, out);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

Row RunResult::row(const char* label) const {
  std::istringstream in(output);
  const std::string key = std::string(label) + " :";
  for (std::string line; std::getline(in, line);) {
    if (line.find(key) == std::string::npos) continue;
    std::istringstream nums(line.substr(line.find(key) + key.size()));
    Row values;
    for (std::uint64_t v; nums >> v;) values.push_back(v);
    if (values.size() == 6) return values;
  }
  return {};
}

Running::Running(const std::wstring& args) {
  wchar_t temp[MAX_PATH], log[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  GetTempFileNameW(temp, L"rco", 0, log);
  output_path_ = log;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = CreateFileW(log, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = out;
  std::wstring line = quote(exe_path()) + L" " + args;
  // Wine now and then fails a start under load with an internal error; try again.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi_))
      break;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 2) ADD_FAILURE() << "cannot start robocopy.exe";
    pi_ = PROCESS_INFORMATION{};
    Sleep(200);
  }
  CloseHandle(out);
}

void Running::kill() {
  if (pi_.hProcess == nullptr) return;
  TerminateProcess(pi_.hProcess, 1);
  WaitForSingleObject(pi_.hProcess, 10000);
  CloseHandle(pi_.hThread);
  CloseHandle(pi_.hProcess);
  pi_ = PROCESS_INFORMATION{};
}

RunResult Running::finish(DWORD timeout_ms) {
  RunResult result;
  if (pi_.hProcess == nullptr) return result;
  if (WaitForSingleObject(pi_.hProcess, timeout_ms) != WAIT_OBJECT_0)
    ADD_FAILURE() << "robocopy.exe did not finish in " << timeout_ms / 1000 << " s";
  result.seconds = static_cast<double>(GetTickCount64() - start_) / 1000.0;
  GetExitCodeProcess(pi_.hProcess, &result.code);
  kill();
  // Shares writing: Wine may not yet have closed the ended copier's inherited handle.
  HANDLE h = CreateFileW(output_path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  char buf[65536];
  for (DWORD n = 0; ReadFile(h, buf, sizeof buf, &n, nullptr) && n;) result.output.append(buf, n);
  CloseHandle(h);
  return result;
}

std::string sh_quote(const std::wstring& windows_path) {
  std::string path = test::unix_path(windows_path);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return "'" + path + "'";
}

bool unix_shell(const std::string& script) {
  // Wine cannot wait for a Unix program; a marker file tells when it is done.
  const std::wstring marker = L"C:\\rctest-shell-done";
  DeleteFileW(marker.c_str());
  const std::string line = script + " ; touch " + sh_quote(marker);
  if (test::run_unix(L"/bin/sh -c \"" + std::wstring(line.begin(), line.end()) + L"\"") == -1) return false;
  for (int i = 0; i < 200 && !is_file(marker); ++i) Sleep(25);
  return DeleteFileW(marker.c_str()) != 0;
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
  EXPECT_TRUE(h != INVALID_HANDLE_VALUE && SetFileTime(h, nullptr, nullptr, &t)) << test::narrow(path);
  CloseHandle(h);
}

Tree tree(const std::wstring& root) {
  Tree out;
  collect(root, L"", out);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace rctest
