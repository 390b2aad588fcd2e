#include "copier.h"

#include <algorithm>
#include <cwchar>

namespace robocopy {

namespace {

// Small enough to stay in the CPU cache between the read and the write; under
// Wine 256 KB copied large files faster than 1 MB or 8 MB buffers, a mapped
// source or a reader thread (bench/copier.sh measures it).
constexpr DWORD kBufferSize = 256 << 10;
// A file this large is logged at once and written under a temporary name.
constexpr unsigned long long kLargeFile = 1 << 20;
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
    const int r =
        CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE);
    return r - CSTR_EQUAL;
}

// Sorted as the file system compares, exact spelling breaking ties.
bool name_less(const std::wstring& a, const std::wstring& b) {
    const int c = compare_names(a, b);
    return c != 0 ? c < 0 : a < b;
}

// The name a file system that ignores case and trailing dots and blanks
// would store: two source names with one key would land on one target file.
std::wstring twin_key(const std::wstring& name) {
    std::wstring key = name;
    while (!key.empty() && (key.back() == L'.' || key.back() == L' ')) key.pop_back();
    if (key.empty()) return key;
    std::wstring upper(key.size(), L'\0');
    const int n = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()),
                                upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
    return n == static_cast<int>(key.size()) ? upper : key;
}

// "C:\X" -> "\\?\C:\X", "\\SRV\SHARE" -> "\\?\UNC\SRV\SHARE": reserved names
// (nul, aux, com1), trailing dots and blanks and long paths are then literal.
std::wstring long_form(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 2 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

// The form people read.
std::wstring shown(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

// Errors that say the folder or its drive is not there at all.
bool is_gone(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NOT_READY:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_UNEXP_NET_ERR:
            return true;
        default:
            return false;
    }
}

const wchar_t kLinkNote[] =
    L"It is a link (junction or symbolic link); it is left as it is, and what it points to is not touched.";
// A name the platform could not read as text (a Linux name that is not UTF-8) is
// listed with U+FFFD for what it could not read, and a copy would bear that name.
const wchar_t kGarbledNote[] =
    L"Its name is not valid text here; a copy would be named as shown, with \uFFFD for what could not be read, "
    L"so it is not copied.";
const wchar_t kTwinNote[] =
    L"Another name in this folder differs from it only in letter case or trailing dots or blanks; "
    L"neither is copied, and neither is deleted from the destination.";

}  // namespace

Copier::Copier(const Options& options, Console& console)
    : options_(options),
      console_(console),
      temp_prefix_(static_cast<unsigned long>(GetCurrentProcessId() * 2654435761u ^ GetTickCount64())) {}

Copier::~Copier() {
    stop_threads();
    for (Worker& w : workers_)
        if (w.buffer != nullptr) VirtualFree(w.buffer, 0, MEM_RELEASE);
}

void Copier::report(DWORD error, const wchar_t* action, const std::wstring& path, const wchar_t* note) {
    const Hold hold(console_lock_);
    console_.write(error_text(error, action, shown(path), note));
    console_.flush();
}

void Copier::note_copy(const std::wstring& label, const Entry& from, const std::wstring& path) {
    wchar_t size[32];
    std::swprintf(size, 32, L"%14llu", static_cast<unsigned long long>(from.stamp.size));
    const Hold hold(console_lock_);
    console_.write(L"\t" + label + L"\t" + size + L"\t" + shown(path) + L"\r\n");
    // A large file takes a while: whoever follows the log sees at once what is being copied.
    if (from.stamp.size >= kLargeFile) console_.flush();
}

void Copier::note_extra(const Entry& entry, const std::wstring& path) {
    if (entry.is_dir() ? options_.no_dir_list : options_.no_file_list) return;
    wchar_t size[32];
    std::swprintf(size, 32, L"%14llu", static_cast<unsigned long long>(entry.stamp.size));
    const Hold hold(console_lock_);
    if (entry.is_dir()) console_.write(L"\t  *EXTRA Dir  \t" + shown(path) + L"\\\r\n");
    else console_.write(L"\t    *EXTRA File\t" + std::wstring(size) + L"\t" + shown(path) + L"\r\n");
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

bool Copier::target_lost() {
    if (lost_) return true;
    if (GetFileAttributesW(target_root_.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    if (!is_gone(error) || lost_.exchange(true)) return lost_;
    report(error, L"Accessing Destination Directory", target_root_,
           L"The destination folder or its drive is gone; the copy stops here.");
    return true;
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
        if (worker.buffer == nullptr || lost_) {
            if (!lost_) report(ERROR_NOT_ENOUGH_MEMORY, L"Copying File", job.source);
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
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return name_less(a.name, b.name); });
    return ERROR_SUCCESS;
}

void Copier::drop_twins(const std::wstring& folder, std::vector<Entry>& from, std::vector<std::wstring>& keys) {
    keys.clear();
    if (from.size() < 2) return;
    std::vector<std::pair<std::wstring, std::size_t>> by_key;
    by_key.reserve(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) by_key.emplace_back(twin_key(from[i].name), i);
    std::sort(by_key.begin(), by_key.end());
    std::vector<bool> twin(from.size(), false);
    for (std::size_t i = 1; i < by_key.size(); ++i) {
        if (by_key[i].first != by_key[i - 1].first) continue;
        twin[by_key[i].second] = twin[by_key[i - 1].second] = true;
        if (keys.empty() || keys.back() != by_key[i].first) keys.push_back(by_key[i].first);
    }
    if (keys.empty()) return;
    std::vector<Entry> kept;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (!twin[i]) {
            kept.push_back(std::move(from[i]));
            continue;
        }
        const Entry& e = from[i];
        const std::wstring path = join_path(folder, e.name);
        if (e.is_dir()) {
            ++counts_.dirs.total;
            ++counts_.dirs.failed;
            report(ERROR_ALREADY_EXISTS, L"Copying Directory", path, kTwinNote);
        } else {
            ++counts_.files.total;
            ++counts_.files.failed;
            counts_.bytes.total += e.stamp.size;
            counts_.bytes.failed += e.stamp.size;
            report(ERROR_ALREADY_EXISTS, L"Copying File", path, kTwinNote);
        }
    }
    from = std::move(kept);
}

void Copier::drop_garbled(const std::wstring& folder, std::vector<Entry>& from) {
    std::erase_if(from, [&](const Entry& e) {
        if (e.name.find(L'\uFFFD') == std::wstring::npos) return false;
        Tally& t = e.is_dir() ? counts_.dirs : counts_.files;
        ++t.total;
        ++t.failed;
        if (!e.is_dir()) {
            counts_.bytes.total += e.stamp.size;
            counts_.bytes.failed += e.stamp.size;
        }
        report(ERROR_NO_UNICODE_TRANSLATION, e.is_dir() ? L"Copying Directory" : L"Copying File",
               join_path(folder, e.name), kGarbledNote);
        return true;
    });
}

Copier::FolderId Copier::folder_id(const std::wstring& path, std::wstring* final_path) {
    FolderId id;
    HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return id;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.valid = true;
    }
    if (final_path != nullptr) {
        wchar_t buffer[1024];
        const DWORD n = GetFinalPathNameByHandleW(h, buffer, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        *final_path = n > 0 && n < 1024 ? std::wstring(buffer, n) : path;
    }
    CloseHandle(h);
    return id;
}

bool Copier::within(const std::wstring& path, const FolderId& id) {
    // The final path has every link resolved, so its parents are the real ones.
    std::wstring at;
    if (folder_id(path, &at) == id) return true;
    for (;;) {
        const std::size_t cut = at.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < 6) return false;
        std::wstring parent = at.substr(0, cut);
        const bool root = parent.size() == 6 && parent[5] == L':';  // "\\?\C:" stands for "\\?\C:\"
        if (root) parent += L'\\';
        if (parent == at) return false;
        if (folder_id(parent) == id) return true;
        if (root) return false;
        at = std::move(parent);
    }
}

bool Copier::check_identity(int& code) {
    source_id_ = folder_id(source_root_);
    // The target or, when it is still to be made, its nearest existing parent.
    std::wstring existing = target_root_;
    while (GetFileAttributesW(existing.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::size_t cut = existing.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < 7) break;
        existing.resize(cut);
    }
    const bool target_exists = GetFileAttributesW(target_root_.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (target_exists) target_id_ = folder_id(target_root_);
    if (target_exists && source_id_ == target_id_) {
        const Hold hold(console_lock_);
        console_.write(L"\r\nSource and destination are the same folder; there is nothing to copy.\r\n");
        code = 0;
        return false;
    }
    if (within(existing, source_id_)) {
        report(ERROR_INVALID_PARAMETER, L"Accessing Destination Directory", target_root_,
               L"The destination lies inside the source; a tree cannot be copied into itself.");
        code = kExitFatal;
        return false;
    }
    if (target_exists && within(source_root_, target_id_)) {
        report(ERROR_INVALID_PARAMETER, L"Accessing Source Directory", source_root_,
               L"The source lies inside the destination, where the copy could overwrite or delete it.");
        code = kExitFatal;
        return false;
    }
    return true;
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
        if (target_lost()) return error;
        report(error, L"Creating Destination Directory", path);
        if (attempt >= options_.retries) return error;
        wait_before_retry();
    }
}

bool Copier::ensure_levels(std::size_t level) {
    for (std::size_t i = 0; i <= level; ++i) {
        Level& l = levels_[i];
        if (l.failed) return false;
        if (l.exists || l.listed) continue;
        if (options_.list_only) {
            l.listed = true;
            ++counts_.dirs.copied;
            continue;
        }
        if (create_folder_with_retries(l.path) != ERROR_SUCCESS) {
            l.failed = true;
            ++counts_.dirs.failed;
            return false;
        }
        // Its attributes come along, as robocopy's default /DCOPY:DA has it.
        if ((l.attrs & kCopiedAttrs) != 0 && !SetFileAttributesW(l.path.c_str(), l.attrs & kCopiedAttrs))
            report(GetLastError(), L"Copying Directory Attributes", l.path);
        l.exists = true;
        ++counts_.dirs.copied;
    }
    return true;
}

int Copier::run() {
    source_root_ = long_form(options_.source);
    target_root_ = long_form(options_.target);
    const DWORD source_attrs = GetFileAttributesW(source_root_.c_str());
    if (source_attrs == INVALID_FILE_ATTRIBUTES || !(source_attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD error = source_attrs == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
        report(error, L"Accessing Source Directory", source_root_);
        return kExitFatal;
    }
    const DWORD target_attrs = GetFileAttributesW(target_root_.c_str());
    if (target_attrs != INVALID_FILE_ATTRIBUTES && !(target_attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        report(ERROR_DIRECTORY, L"Accessing Destination Directory", target_root_);
        return kExitFatal;
    }
    int code = 0;
    if (!check_identity(code)) return code;

    // The target folder and its missing parents are made up front, even for an
    // empty source, as the real tool does.
    levels_.push_back({target_root_, target_attrs != INVALID_FILE_ATTRIBUTES, false});
    if (!levels_[0].exists && options_.list_only) ensure_levels(0);
    if (!levels_[0].exists && !options_.list_only) {
        std::vector<std::wstring> missing;
        std::wstring path = target_root_;
        while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            missing.push_back(path);
            const std::size_t cut = path.find_last_of(L'\\');
            if (cut == std::wstring::npos || cut < 7) break;
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
        target_id_ = folder_id(target_root_);
    }

    walk_ids_.push_back(source_id_);
    const bool listed = walk(source_root_, 0);
    stop_threads();
    for (Worker& w : workers_) {
        counts_ += w.counts;
        w.counts = Counts{};
    }
    if (lost_) {
        stopped_ = true;
        return kExitFatal | exit_code(counts_);
    }
    if (!listed) return kExitFatal;
    return exit_code(counts_);
}

bool Copier::walk(const std::wstring& source, std::size_t level) {
    if (lost_) return true;
    ++counts_.dirs.total;
    const std::wstring target = levels_[level].path;

    // Both sides are listed at once: under Wine listing is a stat and an
    // xattr call per entry, and the two folders are independent.
    std::vector<Entry> from, to;
    const bool target_exists = levels_[level].exists;
    // A folder that was there, or that nothing needed made, is skipped; a made one was counted as copied.
    const auto counted = [&] {
        const Level& l = levels_[level];
        if (target_exists || (!l.exists && !l.listed && !l.failed)) ++counts_.dirs.skipped;
        return true;
    };
    if (target_exists) begin_target_listing(target);
    DWORD error = list(source, from);
    const DWORD target_error = target_exists ? end_target_listing(to) : ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) {
        report(error, L"Scanning Source Directory", source);
        ++counts_.dirs.failed;
        return false;
    }
    if (target_error != ERROR_SUCCESS) {
        if (!target_lost()) report(target_error, L"Scanning Destination Directory", target);
        ++counts_.dirs.failed;
        return true;
    }
    std::vector<std::wstring> twin_keys;
    drop_twins(source, from, twin_keys);
    drop_garbled(source, from);

    const bool recurse = options_.subdirs != SubDirs::None;
    // Pair up the two sorted listings: a name in both, only in the source, only
    // in the target. A target that tells case apart (Wine) may hold several
    // spellings of one name: the exact one pairs, the others are extra.
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
        if (c < 0) {
            pairs.push_back({&from[i++], nullptr});
        } else if (c > 0) {
            pairs.push_back({nullptr, &to[j++]});
        } else {
            std::size_t end = j + 1;
            while (end < to.size() && compare_names(to[end].name, from[i].name) == 0) ++end;
            std::size_t match = j;
            for (std::size_t k = j; k < end; ++k)
                if (to[k].name == from[i].name) match = k;
            for (std::size_t k = j; k < end; ++k) pairs.push_back({k == match ? &from[i] : nullptr, &to[k]});
            ++i;
            j = end;
        }
    }

    // Extras go first, so a full backup drive gets room before the copies.
    for (const Pair& p : pairs) {
        if (p.from != nullptr || p.to == nullptr) continue;
        if (!twin_keys.empty() && std::binary_search(twin_keys.begin(), twin_keys.end(), twin_key(p.to->name)))
            continue;
        const bool dir = p.to->is_dir();
        if (dir && !recurse) continue;
        const std::wstring path = join_path(target, p.to->name);
        note_extra(*p.to, path);
        ++(dir ? counts_.dirs.extra : counts_.files.extra);
        if (!dir && !p.to->is_link()) counts_.bytes.extra += p.to->stamp.size;
        if (!removing()) continue;
        if (p.to->is_link()) {
            if (!remove_link(path)) ++(dir ? counts_.dirs.failed : counts_.files.failed);
        } else if (dir) {
            if (!remove_tree(path)) ++counts_.dirs.failed;
        } else {
            purge_file(target, *p.to);
        }
    }

    for (const Pair& p : pairs) {
        if (p.from == nullptr || p.from->is_dir()) continue;
        if (lost_) return true;
        ++counts_.files.total;
        counts_.bytes.total += p.from->stamp.size;
        const Entry* existing = p.to;
        const std::wstring target_path = join_path(target, p.from->name);
        if (existing != nullptr && (existing->is_link() || existing->is_dir())) {
            ++counts_.files.mismatch;
            // A mirror converges: the folder in the way goes by the purge's own path, never through a link.
            if (removing() && !existing->is_link() && remove_tree(target_path)) existing = nullptr;
        }
        if (existing != nullptr && (existing->is_link() || existing->is_dir())) {
            ++counts_.files.failed;
            counts_.bytes.failed += p.from->stamp.size;
            if (existing->is_link()) report(ERROR_CANT_ACCESS_FILE, L"Copying File", target_path, kLinkNote);
            else report(ERROR_ALREADY_EXISTS, L"Copying File", target_path, L"A folder of that name is in the way.");
            continue;
        }
        if (!needs_copy(p.from->stamp, existing ? &existing->stamp : nullptr, options_.fat_times)) {
            ++counts_.files.skipped;
            counts_.bytes.skipped += p.from->stamp.size;
            continue;
        }
        if (!ensure_levels(level)) {
            ++counts_.files.failed;
            counts_.bytes.failed += p.from->stamp.size;
            continue;
        }
        Job job;
        job.source = join_path(source, p.from->name);
        job.target = target_path;
        job.from = *p.from;
        if (existing != nullptr) {
            job.existing = *existing;
            job.has_existing = true;
        }
        const wchar_t* label = existing == nullptr                                     ? L"    New File  "
                               : p.from->stamp.last_write > existing->stamp.last_write ? L"    Newer     "
                               : p.from->stamp.last_write < existing->stamp.last_write ? L"    Older     "
                                                                                       : L"    Changed   ";
        if (!options_.no_file_list) note_copy(label, *p.from, job.source);
        if (options_.list_only) {
            ++counts_.files.copied;
            counts_.bytes.copied += p.from->stamp.size;
        } else {
            enqueue(std::move(job));
        }
    }

    if (!recurse) return counted();
    for (const Pair& p : pairs) {
        if (p.from == nullptr || !p.from->is_dir()) continue;
        if (lost_) return true;
        const std::wstring sub_source = join_path(source, p.from->name);
        const std::wstring sub_target = join_path(target, p.from->name);
        const Entry* to = p.to;
        if (to != nullptr && (to->is_link() || !to->is_dir())) {
            ++counts_.dirs.mismatch;
            // A mirror converges: the file in the way goes, and the folder takes its place.
            if (removing() && !to->is_link() && remove_file(target, to->name, to->attrs)) to = nullptr;
        }
        if (to != nullptr && (to->is_link() || !to->is_dir())) {
            ++counts_.dirs.total;
            ++counts_.dirs.failed;
            if (p.to->is_link())
                report(ERROR_CANT_ACCESS_FILE, L"Creating Destination Directory", sub_target, kLinkNote);
            else report(ERROR_ALREADY_EXISTS, L"Creating Destination Directory", sub_target);
            continue;
        }
        // A folder link that leads out of the source is not this job's data (a Wine
        // prefix links z: to the whole file system): named, skipped, no failure.
        std::wstring final_path;
        const FolderId id = folder_id(sub_source, p.from->is_link() ? &final_path : nullptr);
        if (p.from->is_link() && !within(sub_source, source_id_)) {
            ++counts_.dirs.total;
            ++counts_.dirs.skipped;
            const Hold hold(console_lock_);
            console_.write(L"\t  Link Skipped\t" + shown(sub_source) + L"\\ leads out of the source, to " +
                           shown(final_path) + L"\r\n");
            continue;
        }
        // A folder reached again through a link, or the target itself, is not entered.
        if (id == target_id_ || std::find(walk_ids_.begin(), walk_ids_.end(), id) != walk_ids_.end()) {
            ++counts_.dirs.total;
            ++counts_.dirs.failed;
            report(
                ERROR_CANT_RESOLVE_FILENAME, L"Scanning Source Directory", sub_source,
                L"It leads back to a folder this copy is already in, or into the destination; it is not copied again.");
            continue;
        }
        levels_.resize(level + 1);
        levels_.push_back({sub_target, to != nullptr, false, false, p.from->attrs});
        if (options_.subdirs == SubDirs::All) ensure_levels(level + 1);
        walk_ids_.push_back(id);
        walk(sub_source, level + 1);
        walk_ids_.pop_back();
        levels_.resize(level + 1);
    }
    return counted();
}

void Copier::copy_with_retries(const Job& job, Counts& counts, void* buffer) {
    for (unsigned attempt = 0;; ++attempt) {
        const DWORD error = copy_file(job, buffer);
        if (error == ERROR_SUCCESS) {
            ++counts.files.copied;
            counts.bytes.copied += job.from.stamp.size;
            return;
        }
        if (target_lost()) break;
        if (error == ERROR_BAD_FILE_TYPE) {  // the same on every try
            report(error, L"Copying File", job.source,
                   L"It is not a file but a device, a pipe or a socket; it is not read.");
            break;
        }
        report(error, L"Copying File", job.source,
               error == ERROR_FILE_TOO_LARGE ? L"It grew past twice its size while it was copied; the copy was dropped."
                                             : nullptr);
        if (attempt >= options_.retries) {
            const Hold hold(console_lock_);
            console_.write(L"ERROR: RETRY LIMIT EXCEEDED.\r\n");
            break;
        }
        wait_before_retry();
    }
    ++counts.files.failed;
    counts.bytes.failed += job.from.stamp.size;
}

DWORD Copier::copy_file(const Job& job, void* buffer) {
    // A small new file is written in place. A large one takes long enough to be cut
    // off (a stop, a kill), and a cut-off copy must not stand under the file's name.
    if (!job.has_existing && job.from.stamp.size < kLargeFile) return write_copy(job, job.target, nullptr, buffer);
    // The old copy stays until the new one is complete. The temporary name is short
    // and made new: its length never depends on the file's, and a name that is
    // taken (a real file, another copy's, a killed run's leftover) is passed over,
    // never removed. A leftover is an ordinary extra of the target.
    const std::wstring folder = job.target.substr(0, job.target.find_last_of(L'\\') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[32];
        std::swprintf(name, 32, L"~oc%08lX.%lX", temp_prefix_, ++temp_counter_);
        const DWORD error = write_copy(job, folder + name, &job.target, buffer);
        if (error != ERROR_FILE_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

DWORD Copier::write_copy(const Job& job, const std::wstring& path, const std::wstring* replace, void* buffer) {
    const Entry& from = job.from;
    // No FILE_FLAG_SEQUENTIAL_SCAN: Wine turns it into an fadvise call per open.
    HANDLE in = CreateFileW(job.source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return GetLastError();
    // Only a regular file is read: a device (a link to /dev/zero) never ends, a pipe may never begin.
    LARGE_INTEGER at_open{};
    if (GetFileType(in) != FILE_TYPE_DISK || !GetFileSizeEx(in, &at_open)) {
        CloseHandle(in);
        return ERROR_BAD_FILE_TYPE;
    }
    // Made new, never opened through whatever may stand at that name; DELETE so
    // that the handle itself can rename or remove it.
    DWORD flags = from.attrs & (kCopiedAttrs & ~FILE_ATTRIBUTE_READONLY);
    if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        CloseHandle(in);
        return error;
    }

    std::uint64_t copied = 0;
    // What grows during the copy comes along, up to twice the size at opening plus 64 MiB.
    const auto opened = static_cast<std::uint64_t>(at_open.QuadPart);
    DWORD error = copy_data(in, out, opened, 2 * opened + (64ull << 20), buffer, copied);
    CloseHandle(in);
    if (error == ERROR_SUCCESS) {
        // Times and attributes in one call on the open handle, saving a reopen.
        FILE_BASIC_INFO info{};
        info.CreationTime = large(from.created);
        info.LastAccessTime = large(from.accessed);
        info.LastWriteTime.QuadPart = static_cast<LONGLONG>(from.stamp.last_write);
        // A new file already has all but read-only from the create call; 0 leaves
        // them alone and saves Wine a chmod and an xattr call per file.
        const DWORD wanted = from.attrs & kCopiedAttrs;
        if (wanted & FILE_ATTRIBUTE_READONLY) info.FileAttributes = wanted;
        if (!SetFileInformationByHandle(out, FileBasicInfo, &info, sizeof info)) error = GetLastError();
    }
    // Counted as copied only when the file really holds what was read.
    LARGE_INTEGER size{};
    if (error == ERROR_SUCCESS && (!GetFileSizeEx(out, &size) || static_cast<std::uint64_t>(size.QuadPart) != copied))
        error = ERROR_WRITE_FAULT;
    if (error == ERROR_SUCCESS && replace != nullptr) error = replace_with(out, *replace, job.existing.attrs);
    if (error != ERROR_SUCCESS) {
        // A half-written file must not look finished to the next run; it is ours.
        FILE_DISPOSITION_INFO dispose{TRUE};
        SetFileInformationByHandle(out, FileDispositionInfo, &dispose, sizeof dispose);
    }
    if (!CloseHandle(out) && error == ERROR_SUCCESS) error = GetLastError();
    return error;
}

DWORD Copier::replace_with(HANDLE file, const std::wstring& target, DWORD old_attrs) {
    // Renamed through the open handle: one call, and the name cannot change under it.
    // The system wants the native form of the "\\?\" path: "\??\".
    const std::wstring native = L"\\??\\" + target.substr(4);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + native.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->FileNameLength = static_cast<DWORD>(native.size() * sizeof(wchar_t));
    std::copy(native.begin(), native.end(), rename->FileName);
    // A read-only copy cannot be replaced; a failed rename leaves it as it was.
    const bool read_only = (old_attrs & FILE_ATTRIBUTE_READONLY) != 0;
    if (read_only) SetFileAttributesW(target.c_str(), old_attrs & ~FILE_ATTRIBUTE_READONLY);
    if (SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (read_only) SetFileAttributesW(target.c_str(), old_attrs);
    return error;
}

DWORD Copier::copy_data(HANDLE in, HANDLE out, std::uint64_t expected, std::uint64_t limit, void* buffer,
                        std::uint64_t& done) {
    done = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in, buffer, kBufferSize, &got, nullptr)) return GetLastError();
        if (got == 0) return ERROR_SUCCESS;
        if (done + got > limit) return ERROR_FILE_TOO_LARGE;
        DWORD put = 0;
        if (!WriteFile(out, buffer, got, &put, nullptr)) return GetLastError();
        if (put != got) return ERROR_WRITE_FAULT;
        done += got;
        // A short read at the listed size is the end; skip the extra empty read.
        if (got < kBufferSize && done >= expected) return ERROR_SUCCESS;
    }
}

bool Copier::remove_file(const std::wstring& folder, const std::wstring& name, DWORD attrs) {
    const std::wstring path = join_path(folder, name);
    // Under Wine a Unix link to a file looks like a plain file, and deleting it
    // by name deletes what it points to; the handle's final path tells.
    HANDLE h = CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        report(GetLastError(), L"Deleting Extra File", path);
        return false;
    }
    std::wstring here, parent;
    folder_id(folder, &parent);
    wchar_t buffer[1024];
    const DWORD n = GetFinalPathNameByHandleW(h, buffer, 1024, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n > 0 && n < 1024) here.assign(buffer, n);
    if (here.empty() || compare_names(here, join_path(parent, name)) != 0) {
        CloseHandle(h);
        report(ERROR_CANT_ACCESS_FILE, L"Deleting Extra File", path, kLinkNote);
        return false;
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    BOOL ok = SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
    if (!ok && GetLastError() == ERROR_ACCESS_DENIED && (attrs & kBlockingAttrs)) {
        FILE_BASIC_INFO info{};
        info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info))
            ok = SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
    }
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(h);
    // Wine may say yes and keep the file (an immutable folder): look again.
    if (ok && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    report(ok ? ERROR_ACCESS_DENIED : error, L"Deleting Extra File", path);
    return false;
}

bool Copier::remove_link(const std::wstring& path) {
    // Opened as the link itself; where the system opens what it points to
    // instead (Wine), deleting through this handle would delete that, so the
    // link is reported and left.
    HANDLE h =
        CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        report(GetLastError(), L"Deleting Extra Link", path);
        return false;
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool is_link = GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
                         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    FILE_DISPOSITION_INFO dispose{TRUE};
    const BOOL ok = is_link && SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
    const DWORD error = ok ? ERROR_SUCCESS : is_link ? GetLastError() : ERROR_CANT_ACCESS_FILE;
    CloseHandle(h);
    if (ok) return true;
    report(error, L"Deleting Extra Link", path, is_link ? nullptr : kLinkNote);
    return false;
}

void Copier::purge_file(const std::wstring& folder, const Entry& entry) {
    if (!remove_file(folder, entry.name, entry.attrs)) {
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
        if (e.is_link()) ok = remove_link(join_path(path, e.name)) && ok;
        else if (!e.is_dir()) ok = remove_file(path, e.name, e.attrs) && ok;
        else ok = remove_tree(join_path(path, e.name)) && ok;
    }
    if (!ok) return false;
    if (!RemoveDirectoryW(path.c_str())) {
        if (GetLastError() == ERROR_ACCESS_DENIED) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
        if (!RemoveDirectoryW(path.c_str())) {
            report(GetLastError(), L"Deleting Extra Directory", path);
            return false;
        }
    }
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        report(ERROR_ACCESS_DENIED, L"Deleting Extra Directory", path);
        return false;
    }
    return true;
}

}  // namespace robocopy
