// A source and a target folder in a fresh sandbox, and a way to run
// robocopy.exe between them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "options.h"

namespace rctest {

class CopyTest : public ::testing::Test {
 protected:
  test::Sandbox box;
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

using Tree = std::vector<std::wstring>;
using Row = std::vector<std::uint64_t>;  // Total, Copied, Skipped, Mismatch, FAILED, Extras

inline std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace rctest
