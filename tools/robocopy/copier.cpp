#include "copier.h"

#include <algorithm>
#include <cwchar>

namespace robocopy {

namespace {

// Small enough to stay in the CPU cache between the read and the write; under
// Wine 256 KB copied large files faster than 1 MB or 8 MB buffers, a mapped
// source or a reader thread (bench/copier.sh measures it).
constexpr DWORD kBufferSize = 256 << 10;
// Attributes that a copy carries over; the rest belong to the file system.
constexpr DWORD kCopiedAttrs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Attributes that make CREATE_ALWAYS or DeleteFileW refuse a file.
constexpr DWORD kBlockingAttrs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Holds an SRW lock for a scope.
class Hold {
 public:
  explicit Hold(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~Hold() { ReleaseSRWLockExclusive(&lock_); }
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;

 private:
  SRWLOCK& lock_;
};

std::uint64_t ticks(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

LARGE_INTEGER large(const FILETIME& t) {
  LARGE_INTEGER v;
  v.QuadPart = static_cast<LONGLONG>(ticks(t));
  return v;
}

// File names compare as the file system does: ordinal, ignoring case.
int compare_names(const std::wstring& a, const std::wstring& b) {
  const int r = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
  return r - CSTR_EQUAL;
}

bool same_path(const std::wstring& a, const std::wstring& b) { return compare_names(a, b) == 0; }

}  // namespace

Copier::Copier(const Options& options, Console& console) : options_(options), console_(console) {}

Copier::~Copier() {
  stop_threads();
  for (Worker& w : workers_)
    if (w.buffer != nullptr) VirtualFree(w.buffer, 0, MEM_RELEASE);
}

void Copier::report(DWORD error, const wchar_t* action, const std::wstring& path) {
  const Hold hold(console_lock_);
  console_.write(error_text(error, action, path));
  console_.flush();
}

void Copier::wait_before_retry() {
  wchar_t text[96];
  std::swprintf(text, 96, L"Waiting %u seconds... Retrying...\r\n", options_.wait_seconds);
  {
    const Hold hold(console_lock_);
    console_.write(text);
    console_.flush();
  }
  if (options_.wait_seconds > 0) Sleep(options_.wait_seconds * 1000u);
}

void Copier::enqueue(Job job) {
  // Bounded, so a huge folder does not queue every path in memory at once.
  constexpr std::size_t kMaxQueued = 1024;
  const Hold hold(lock_);
  if (!started_) {
    started_ = true;
    for (Worker& w : workers_) w.thread = std::thread([this, &w] { work(w); });
  }
  while (queue_.size() >= kMaxQueued) SleepConditionVariableSRW(&room_free_, &lock_, INFINITE, 0);
  queue_.push_back(std::move(job));
  WakeConditionVariable(&job_ready_);
}

void Copier::work(Worker& worker) {
  worker.buffer = VirtualAlloc(nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  for (;;) {
    Job job;
    {
      const Hold hold(lock_);
      while (!closing_ && queue_.empty()) SleepConditionVariableSRW(&job_ready_, &lock_, INFINITE, 0);
      if (queue_.empty()) return;
      job = std::move(queue_.front());
      queue_.pop_front();
      WakeConditionVariable(&room_free_);
    }
    if (worker.buffer == nullptr) {
      report(ERROR_NOT_ENOUGH_MEMORY, L"Copying File", job.source);
      ++worker.counts.files.failed;
      worker.counts.bytes.failed += job.from.stamp.size;
      continue;
    }
    copy_with_retries(job, worker.counts, worker.buffer);
  }
}

void Copier::stop_threads() {
  {
    const Hold hold(lock_);
    closing_ = true;
  }
  WakeAllConditionVariable(&job_ready_);
  WakeAllConditionVariable(&listing_changed_);
  for (Worker& w : workers_)
    if (w.thread.joinable()) w.thread.join();
  if (lister_.joinable()) lister_.join();
}

void Copier::lister() {
  const Hold hold(lock_);
  for (;;) {
    while (!closing_ && !listing_.wanted) SleepConditionVariableSRW(&listing_changed_, &lock_, INFINITE, 0);
    if (closing_) return;
    ReleaseSRWLockExclusive(&lock_);
    listing_.error = list(listing_.folder, listing_.entries);
    AcquireSRWLockExclusive(&lock_);
    listing_.wanted = false;
    listing_.ready = true;
    WakeAllConditionVariable(&listing_changed_);
  }
}

void Copier::begin_target_listing(const std::wstring& folder) {
  const Hold hold(lock_);
  if (!lister_.joinable()) lister_ = std::thread([this] { lister(); });
  listing_.folder = folder;
  listing_.ready = false;
  listing_.wanted = true;
  WakeAllConditionVariable(&listing_changed_);
}

DWORD Copier::end_target_listing(std::vector<Entry>& entries) {
  const Hold hold(lock_);
  while (!listing_.ready) SleepConditionVariableSRW(&listing_changed_, &lock_, INFINITE, 0);
  entries = std::move(listing_.entries);
  listing_.entries.clear();
  return listing_.error;
}

DWORD Copier::list(const std::wstring& folder, std::vector<Entry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW data;
  // Basic info skips the short names; the large fetch saves round trips.
  HANDLE find = FindFirstFileExW(join_path(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;  // an empty drive root has no "." entry
  }
  do {
    const wchar_t* n = data.cFileName;
    if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
    Entry e;
    e.name = n;
    e.attrs = data.dwFileAttributes;
    e.stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    e.stamp.last_write = ticks(data.ftLastWriteTime);
    e.created = data.ftCreationTime;
    e.accessed = data.ftLastAccessTime;
    entries.push_back(std::move(e));
  } while (FindNextFileW(find, &data));
  const DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) return error;
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return compare_names(a.name, b.name) < 0; });
  return ERROR_SUCCESS;
}

DWORD Copier::create_folder_with_retries(const std::wstring& path) {
  for (unsigned attempt = 0;; ++attempt) {
    DWORD error = ERROR_SUCCESS;
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
      error = GetLastError();
      if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attrs = GetFileAttributesW(path.c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
      }
    }
    if (error == ERROR_SUCCESS) return error;
    report(error, L"Creating Destination Directory", path);
    if (attempt >= options_.retries) return error;
    wait_before_retry();
  }
}

bool Copier::ensure_levels(std::size_t level) {
  for (std::size_t i = 0; i <= level; ++i) {
    Level& l = levels_[i];
    if (l.failed) return false;
    if (l.exists) continue;
    if (create_folder_with_retries(l.path) != ERROR_SUCCESS) {
      l.failed = true;
      ++counts_.dirs.failed;
      return false;
    }
    l.exists = true;
    ++counts_.dirs.copied;
  }
  return true;
}

int Copier::run() {
  const DWORD source_attrs = GetFileAttributesW(options_.source.c_str());
  if (source_attrs == INVALID_FILE_ATTRIBUTES || !(source_attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    const DWORD error = source_attrs == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
    report(error, L"Accessing Source Directory", options_.source);
    return kExitFatal;
  }

  // The target folder and its missing parents are made up front, even for an
  // empty source, as the real tool does.
  levels_.push_back({options_.target, false, false});
  const DWORD target_attrs = GetFileAttributesW(options_.target.c_str());
  if (target_attrs != INVALID_FILE_ATTRIBUTES) {
    if (!(target_attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      report(ERROR_DIRECTORY, L"Accessing Destination Directory", options_.target);
      return kExitFatal;
    }
    levels_[0].exists = true;
  } else {
    std::vector<std::wstring> missing;
    std::wstring path = options_.target;
    while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      missing.push_back(path);
      const std::size_t cut = path.find_last_of(L'\\');
      if (cut == std::wstring::npos || cut < 3) break;
      path.resize(cut);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
      if (!CreateDirectoryW(it->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        report(GetLastError(), L"Creating Destination Directory", *it);
        return kExitFatal;
      }
    }
    levels_[0].exists = true;
    ++counts_.dirs.copied;
  }

  const bool listed = walk(options_.source, 0);
  stop_threads();
  for (Worker& w : workers_) {
    counts_ += w.counts;
    w.counts = Counts{};
  }
  if (!listed) return kExitFatal;
  return exit_code(counts_);
}

bool Copier::walk(const std::wstring& source, std::size_t level) {
  ++counts_.dirs.total;
  const std::wstring target = levels_[level].path;

  // Both sides are listed at once: under Wine listing is a stat and an
  // xattr call per entry, and the two folders are independent.
  std::vector<Entry> from, to;
  const bool target_exists = levels_[level].exists;
  if (target_exists) begin_target_listing(target);
  DWORD error = list(source, from);
  const DWORD target_error = target_exists ? end_target_listing(to) : ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) {
    report(error, L"Scanning Source Directory", source);
    ++counts_.dirs.failed;
    return false;
  }
  if (target_error != ERROR_SUCCESS) {
    report(target_error, L"Scanning Destination Directory", target);
    ++counts_.dirs.failed;
    return true;
  }

  const bool recurse = options_.subdirs != SubDirs::None;
  // Pair up the two sorted listings: a name in both, only in the source, only in the target.
  struct Pair {
    const Entry* from;
    const Entry* to;
  };
  std::vector<Pair> pairs;
  pairs.reserve(from.size() + to.size());
  for (std::size_t i = 0, j = 0; i < from.size() || j < to.size();) {
    int c = 0;
    if (i >= from.size()) c = 1;
    else if (j >= to.size()) c = -1;
    else c = compare_names(from[i].name, to[j].name);
    if (c < 0) pairs.push_back({&from[i++], nullptr});
    else if (c > 0) pairs.push_back({nullptr, &to[j++]});
    else pairs.push_back({&from[i++], &to[j++]});
  }

  // Extras go first, so a full backup drive gets room before the copies.
  for (const Pair& p : pairs) {
    if (p.from != nullptr || p.to == nullptr) continue;
    const std::wstring path = join_path(target, p.to->name);
    if (!p.to->is_dir()) {
      ++counts_.files.extra;
      counts_.bytes.extra += p.to->stamp.size;
      if (options_.purge) purge_file(path, *p.to);
    } else if (recurse) {
      ++counts_.dirs.extra;
      if (options_.purge && !remove_tree(path)) ++counts_.dirs.failed;
    }
  }

  for (const Pair& p : pairs) {
    if (p.from == nullptr || p.from->is_dir()) continue;
    ++counts_.files.total;
    counts_.bytes.total += p.from->stamp.size;
    const Entry* existing = p.to;
    if (existing != nullptr && existing->is_dir()) {
      // The copy is tried anyway and fails; that is how the real tool reports it.
      ++counts_.files.mismatch;
    } else if (!needs_copy(p.from->stamp, existing ? &existing->stamp : nullptr)) {
      continue;
    }
    if (!ensure_levels(level)) {
      ++counts_.files.failed;
      counts_.bytes.failed += p.from->stamp.size;
      continue;
    }
    Job job;
    job.source = join_path(source, p.from->name);
    job.target = join_path(target, p.from->name);
    job.from = *p.from;
    if (existing != nullptr) {
      job.existing = *existing;
      job.has_existing = true;
    }
    enqueue(std::move(job));
  }

  if (!recurse) return true;
  for (const Pair& p : pairs) {
    if (p.from == nullptr || !p.from->is_dir()) continue;
    const std::wstring sub_source = join_path(source, p.from->name);
    const std::wstring sub_target = join_path(target, p.from->name);
    // A target inside the source would otherwise be copied into itself.
    if (same_path(sub_source, options_.target)) continue;
    if (p.to != nullptr && !p.to->is_dir()) {
      ++counts_.dirs.total;
      ++counts_.dirs.mismatch;
      ++counts_.dirs.failed;
      report(ERROR_ALREADY_EXISTS, L"Creating Destination Directory", sub_target);
      continue;
    }
    levels_.resize(level + 1);
    levels_.push_back({sub_target, p.to != nullptr, false});
    if (options_.subdirs == SubDirs::All) ensure_levels(level + 1);
    walk(sub_source, level + 1);
    levels_.resize(level + 1);
  }
  return true;
}

void Copier::copy_with_retries(const Job& job, Counts& counts, void* buffer) {
  for (unsigned attempt = 0;; ++attempt) {
    const DWORD error = copy_file(job, buffer);
    if (error == ERROR_SUCCESS) {
      ++counts.files.copied;
      counts.bytes.copied += job.from.stamp.size;
      return;
    }
    report(error, L"Copying File", job.source);
    if (attempt >= options_.retries) break;
    wait_before_retry();
  }
  {
    const Hold hold(console_lock_);
    console_.write(L"ERROR: RETRY LIMIT EXCEEDED.\r\n");
  }
  ++counts.files.failed;
  counts.bytes.failed += job.from.stamp.size;
}

DWORD Copier::copy_file(const Job& job, void* buffer) {
  const std::wstring& source = job.source;
  const std::wstring& target = job.target;
  const Entry& from = job.from;
  const Entry* existing = job.has_existing ? &job.existing : nullptr;
  // No FILE_FLAG_SEQUENTIAL_SCAN: Wine turns it into an fadvise call per open.
  HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return GetLastError();

  // Created with the source's attributes, because CREATE_ALWAYS refuses to
  // replace a hidden or system file unless they are asked for again.
  DWORD flags = from.attrs & (kCopiedAttrs & ~FILE_ATTRIBUTE_READONLY);
  if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
  HANDLE out = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr);
  if (out == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED && existing != nullptr &&
      !existing->is_dir() && (existing->attrs & kBlockingAttrs)) {
    // A read-only, hidden or system target is replaced as the real tool does.
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    out = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, flags, nullptr);
  }
  if (out == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    CloseHandle(in);
    return error;
  }

  DWORD error = copy_data(in, out, from.stamp.size, buffer);
  if (error == ERROR_SUCCESS) {
    // Times and attributes in one call on the open handle, saving a reopen.
    FILE_BASIC_INFO info{};
    info.CreationTime = large(from.created);
    info.LastAccessTime = large(from.accessed);
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(from.stamp.last_write);
    // A new file already has all but read-only from the create call; 0 leaves
    // them alone and saves Wine a chmod and an xattr call per file. A replaced
    // file may keep its old ones under Wine, so those are set.
    const DWORD wanted = from.attrs & kCopiedAttrs;
    const bool old_differs = existing != nullptr && (existing->attrs & kCopiedAttrs) != wanted;
    if ((wanted & FILE_ATTRIBUTE_READONLY) || old_differs) info.FileAttributes = wanted ? wanted : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(out, FileBasicInfo, &info, sizeof info)) error = GetLastError();
  }
  if (!CloseHandle(out) && error == ERROR_SUCCESS) error = GetLastError();
  CloseHandle(in);
  if (error != ERROR_SUCCESS) {
    // A half-written file must not look finished to the next run.
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(target.c_str());
  }
  return error;
}

DWORD Copier::copy_data(HANDLE in, HANDLE out, std::uint64_t expected, void* buffer) {
  std::uint64_t done = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer, kBufferSize, &got, nullptr)) return GetLastError();
    if (got == 0) return ERROR_SUCCESS;
    DWORD put = 0;
    if (!WriteFile(out, buffer, got, &put, nullptr)) return GetLastError();
    if (put != got) return ERROR_WRITE_FAULT;
    done += got;
    // A short read at the listed size is the end; skip the extra empty read.
    if (got < kBufferSize && done >= expected) return ERROR_SUCCESS;
  }
}

bool Copier::remove_file(const std::wstring& path, DWORD attrs) {
  if (DeleteFileW(path.c_str())) return true;
  if (GetLastError() == ERROR_ACCESS_DENIED && (attrs & kBlockingAttrs)) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(path.c_str())) return true;
  }
  report(GetLastError(), L"Deleting Extra File", path);
  return false;
}

void Copier::purge_file(const std::wstring& path, const Entry& entry) {
  if (!remove_file(path, entry.attrs)) {
    ++counts_.files.failed;
    counts_.bytes.failed += entry.stamp.size;
  }
}

bool Copier::remove_tree(const std::wstring& path) {
  std::vector<Entry> entries;
  const DWORD error = list(path, entries);
  if (error != ERROR_SUCCESS) {
    report(error, L"Scanning Extra Directory", path);
    return false;
  }
  bool ok = true;
  for (const Entry& e : entries) {
    const std::wstring child = join_path(path, e.name);
    if (!e.is_dir()) {
      ok = remove_file(child, e.attrs) && ok;
    } else if (e.attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
      // A junction or link is removed itself; what it points to is not ours.
      if (!RemoveDirectoryW(child.c_str())) {
        report(GetLastError(), L"Deleting Extra Directory", child);
        ok = false;
      }
    } else {
      ok = remove_tree(child) && ok;
    }
  }
  if (!ok) return false;
  if (!RemoveDirectoryW(path.c_str())) {
    if (GetLastError() == ERROR_ACCESS_DENIED) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    if (!RemoveDirectoryW(path.c_str())) {
      report(GetLastError(), L"Deleting Extra Directory", path);
      return false;
    }
  }
  return true;
}

}  // namespace robocopy
