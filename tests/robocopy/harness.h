// Black-box runs of the built robocopy.exe on real trees in the shared sandbox.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace rctest {

using test::make_dirs;
using test::read_bytes;
using test::remove_tree;
using test::write_bytes;

struct RunResult {
  DWORD code = 0xFFFFFFFF;
  std::string output;
  double seconds = 0;
  // The six numbers of a summary row ("Dirs", "Files", "Bytes"); empty if absent.
  std::vector<std::uint64_t> row(const char* label) const;
};

// A copier left running, for tests that pull the drive or kill it halfway.
class Running {
 public:
  explicit Running(const std::wstring& args);  // quoting is the caller's
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

inline RunResult run_robocopy(const std::wstring& args) { return Running(args).finish(); }
std::wstring quote(const std::wstring& path);

bool is_file(const std::wstring& path);
bool is_dir(const std::wstring& path);
std::uint64_t write_time(const std::wstring& path);
void set_write_time(const std::wstring& path, std::uint64_t ticks);
// Every file and folder below root, relative, sorted, folders ending in "\".
std::vector<std::wstring> tree(const std::wstring& root);
// Runs a shell script on the Unix side and waits for it: links, and names
// that Windows calls cannot make. Quote paths with sh_quote.
bool unix_shell(const std::string& script);
std::string sh_quote(const std::wstring& windows_path);

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

}  // namespace rctest
