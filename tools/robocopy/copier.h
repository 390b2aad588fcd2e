// The tree walk: lists each source and target folder once, copies what
// differs, creates and purges folders, and counts everything for the summary.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console.h"
#include "options.h"

namespace robocopy {

class Copier {
 public:
  Copier(const Options& options, Console& console);
  ~Copier();
  Copier(const Copier&) = delete;
  Copier& operator=(const Copier&) = delete;

  // Copies the tree; returns the exit code. Source and target in options
  // must already be full, tidied paths.
  int run();
  const Counts& counts() const { return counts_; }

 private:
  struct Entry {
    std::wstring name;
    DWORD attrs = 0;
    FileStamp stamp;
    FILETIME created{}, accessed{};
    bool is_dir() const { return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  };
  // A target folder on the current path; with /S it is made only when a
  // file must go into it.
  struct Level {
    std::wstring path;
    bool exists = false;
    bool failed = false;
  };

  DWORD list(const std::wstring& folder, std::vector<Entry>& entries);
  // False when the source folder could not be listed.
  bool walk(const std::wstring& source, std::size_t level);
  bool ensure_levels(std::size_t level);
  void copy_with_retries(const std::wstring& source, const std::wstring& target, const Entry& from,
                         const Entry* existing, std::size_t level);
  DWORD copy_file(const std::wstring& source, const std::wstring& target, const Entry& from,
                  const Entry* existing);
  DWORD copy_data(HANDLE in, HANDLE out, std::uint64_t expected);
  DWORD create_folder_with_retries(const std::wstring& path);
  void purge_file(const std::wstring& path, const Entry& entry);
  bool remove_tree(const std::wstring& path);
  bool remove_file(const std::wstring& path, DWORD attrs);
  void wait_before_retry();
  void report(DWORD error, const wchar_t* action, const std::wstring& path);

  const Options& options_;
  Console& console_;
  Counts counts_;
  std::vector<Level> levels_;
  void* buffer_ = nullptr;
};

}  // namespace robocopy
