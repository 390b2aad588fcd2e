// Black-box helpers: temp trees on disk and runs of the built robocopy.exe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rctest {

// A unique folder under GetTempPathW, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& rel) const { return path_ + L"\\" + rel; }

 private:
  std::wstring path_;
};

struct RunResult {
  DWORD code = 0xFFFFFFFF;
  std::string output;
  double seconds = 0;
  // The six numbers of a summary row ("Dirs", "Files", "Bytes"); empty if absent.
  std::vector<std::uint64_t> row(const char* label) const;
};

// Starts robocopy.exe with the given argument text (quoting is the caller's).
RunResult run_robocopy(const std::wstring& args);

// A copier left running, for tests that pull the drive or kill it halfway.
class Running {
 public:
  explicit Running(const std::wstring& args);
  ~Running();
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;
  // Waits up to timeout_ms; a copier still running then is killed and the test fails.
  RunResult finish(DWORD timeout_ms = 120000);
  // Ends it as Task Manager does.
  void kill();

 private:
  PROCESS_INFORMATION pi_{};
  std::wstring output_path_;
  LARGE_INTEGER start_{};
};

// Runs a shell script on the Unix side and waits for it: links, and names
// that Windows calls cannot make. Paths in it are Unix paths (unix_name).
bool unix_shell(const std::string& script);
std::string unix_name(const std::wstring& windows_path);
std::wstring quote(const std::wstring& path);

void write_file(const std::wstring& path, const std::string& content);
std::string read_file(const std::wstring& path);
void make_dirs(const std::wstring& path);
bool is_file(const std::wstring& path);
bool is_dir(const std::wstring& path);
void remove_tree(const std::wstring& path);
std::uint64_t write_time(const std::wstring& path);
void set_write_time(const std::wstring& path, std::uint64_t ticks);
// Every file and folder below root, relative, sorted, folders ending in "\".
std::vector<std::wstring> tree(const std::wstring& root);

// Holds a file open with no sharing, so copies to or from it fail.
class Lock {
 public:
  explicit Lock(const std::wstring& path);
  ~Lock() { release(); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void release();

 private:
  HANDLE handle_;
};

// Under Wine, a spare drive letter pointing at a folder, for drive-root paths;
// letter() is 0 when that cannot be done (not Wine, or no free letter).
class WineDrive {
 public:
  explicit WineDrive(const std::wstring& folder);
  ~WineDrive();
  WineDrive(const WineDrive&) = delete;
  WineDrive& operator=(const WineDrive&) = delete;
  wchar_t letter() const { return letter_; }

 private:
  wchar_t letter_ = 0;
  std::string link_;
};

}  // namespace rctest
