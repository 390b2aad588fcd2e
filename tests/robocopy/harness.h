// Black-box runs of the built robocopy.exe on real trees in the shared sandbox.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "options.h"
#include "support/sandbox.h"

namespace rctest {

using namespace test;
using Tree = std::vector<std::wstring>;
using Row = std::vector<std::uint64_t>;  // Total, Copied, Skipped, Mismatch, FAILED, Extras

constexpr DWORD kCopied = robocopy::kExitCopied, kExtras = robocopy::kExitExtras,
                kMismatch = robocopy::kExitMismatch, kFailed = robocopy::kExitFailed, kFatal = robocopy::kExitFatal;

std::size_t count_of(const std::string& text, const std::string& what);

struct RunResult {
  DWORD code = 0xFFFFFFFF;
  std::string output;
  double seconds = 0;
  Row row(const char* label) const;  // a summary row ("Dirs", "Files", "Bytes"); empty if absent
};

// A copier left running, for tests that pull the drive or kill it halfway.
class Running : public Process {
 public:
  explicit Running(const std::wstring& args);  // quoting is the caller's
  // Waits up to timeout_ms; a copier still running then is killed and the test fails.
  RunResult finish(DWORD timeout_ms = 120000);

 private:
  ULONGLONG start_ = GetTickCount64();
};

inline RunResult run_robocopy(const std::wstring& args) { return Running(args).finish(); }
inline std::wstring quote(const std::wstring& path) { return L"\"" + path + L"\""; }
inline DWORD attributes(const std::wstring& p) { return GetFileAttributesW(p.c_str()); }
inline bool is_file(const std::wstring& p) { return exists(p) && !(attributes(p) & FILE_ATTRIBUTE_DIRECTORY); }
inline bool is_dir(const std::wstring& p) { return exists(p) && (attributes(p) & FILE_ATTRIBUTE_DIRECTORY); }

// Holds a file open with no sharing, so copies to or from it fail.
struct Lock {
  HANDLE h;
  explicit Lock(const std::wstring& path)
      : h(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~Lock() { release(); }
  void release() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
};

// A source and a target folder in a fresh sandbox.
class CopyTest : public ::testing::Test {
 protected:
  Sandbox box;
  std::wstring src = box.path(L"src");
  std::wstring dst = box.path(L"dst");

  void SetUp() override { make_dirs(src); }
  RunResult run(const std::wstring& options) { return run_robocopy(quote(src) + L" " + quote(dst) + L" " + options); }
  // Writes a source file, making its folders.
  void put(const std::wstring& rel, const std::string& content) {
    const std::wstring path = src + L"\\" + rel;
    make_dirs(path.substr(0, path.find_last_of(L'\\')));
    write_bytes(path, content);
  }
};

}  // namespace rctest
