// The copier: its run from the checks to the summary counts, its log lines, the
// folder identities and the target folders it makes on demand.
#include "copier.h"

#include <cwchar>

#include "copier_parts.h"
#include "win/handles.h"

namespace robocopy {

Copier::Copier(const Options& options, Console& console)
    : options_(options),
      console_(console),
      temp_prefix_(static_cast<unsigned long>(GetCurrentProcessId() * 2654435761u ^ GetTickCount64())) {}

Copier::~Copier() {
    stopThreads();
    for (Worker& w : workers_)
        if (w.buffer != nullptr) VirtualFree(w.buffer, 0, MEM_RELEASE);
}

void Copier::report(DWORD error, const wchar_t* action, const std::wstring& path, const wchar_t* note) {
    const Hold hold(console_lock_);
    console_.write(error_text(error, action, shown(path), note));
    console_.flush();
}

void Copier::noteCopy(const std::wstring& label, const Entry& from, const std::wstring& path) {
    wchar_t size[32];
    std::swprintf(size, 32, L"%14llu", static_cast<unsigned long long>(from.stamp.size));
    const Hold hold(console_lock_);
    console_.write(L"\t" + label + L"\t" + size + L"\t" + shown(path) + L"\r\n");
    // A large file takes a while: whoever follows the log sees at once what is being copied.
    if (from.stamp.size >= kLargeFile) console_.flush();
}

void Copier::noteExtra(const Entry& entry, const std::wstring& path) {
    if (entry.isDir() ? options_.no_dir_list : options_.no_file_list) return;
    wchar_t size[32];
    std::swprintf(size, 32, L"%14llu", static_cast<unsigned long long>(entry.stamp.size));
    const Hold hold(console_lock_);
    if (entry.isDir()) console_.write(L"\t  *EXTRA Dir  \t" + shown(path) + L"\\\r\n");
    else console_.write(L"\t    *EXTRA File\t" + std::wstring(size) + L"\t" + shown(path) + L"\r\n");
}

void Copier::waitBeforeRetry() {
    wchar_t text[96];
    std::swprintf(text, 96, L"Waiting %u seconds... Retrying...\r\n", options_.wait_seconds);
    {
        const Hold hold(console_lock_);
        console_.write(text);
        console_.flush();
    }
    if (options_.wait_seconds > 0) Sleep(options_.wait_seconds * 1000u);
}

bool Copier::targetLost() {
    if (lost_) return true;
    if (GetFileAttributesW(target_root_.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    if (!is_gone(error) || lost_.exchange(true)) return lost_;
    report(error, L"Accessing Destination Directory", target_root_,
           L"The destination folder or its drive is gone; the copy stops here.");
    return true;
}

bool Copier::checkIdentity(int& code) {
    source_id_ = win::folder_id(source_root_);
    // The target or, when it is still to be made, its nearest existing parent.
    std::wstring existing = target_root_;
    while (GetFileAttributesW(existing.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::size_t cut = existing.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < 7) break;
        existing.resize(cut);
    }
    const bool target_exists = GetFileAttributesW(target_root_.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (target_exists) target_id_ = win::folder_id(target_root_);
    if (target_exists && source_id_ == target_id_) {
        const Hold hold(console_lock_);
        console_.write(L"\r\nSource and destination are the same folder; there is nothing to copy.\r\n");
        code = 0;
        return false;
    }
    if (win::within(win::resolved(existing), source_id_)) {
        report(ERROR_INVALID_PARAMETER, L"Accessing Destination Directory", target_root_,
               L"The destination lies inside the source; a tree cannot be copied into itself.");
        code = kExitFatal;
        return false;
    }
    if (target_exists && win::within(win::resolved(source_root_), target_id_)) {
        report(ERROR_INVALID_PARAMETER, L"Accessing Source Directory", source_root_,
               L"The source lies inside the destination, where the copy could overwrite or delete it.");
        code = kExitFatal;
        return false;
    }
    return true;
}

DWORD Copier::createFolderWithRetries(const std::wstring& path) {
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
        if (targetLost()) return error;
        // Taken by a name the system does not list: under Wine, a Unix link that leads
        // nowhere, which no Windows program can open or remove.
        const bool unseen = error == ERROR_ALREADY_EXISTS && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
        report(error, L"Creating Destination Directory", path,
               unseen ? L"Something the system does not list holds this name (under Wine, a link that leads nowhere); "
                        L"it cannot be removed from here, so please remove it where it was made."
                      : nullptr);
        if (attempt >= options_.retries || is_permanent(error)) return error;
        waitBeforeRetry();
    }
}

bool Copier::ensureLevels(std::size_t level) {
    for (std::size_t i = 0; i <= level; ++i) {
        Level& l = levels_[i];
        if (l.failed) return false;
        if (l.exists || l.made) continue;
        if (options_.list_only) {
            l.made = true;
            ++counts_.dirs.copied;
            continue;
        }
        if (createFolderWithRetries(l.path) != ERROR_SUCCESS) {
            l.failed = true;
            ++counts_.dirs.failed;
            return false;
        }
        // Its attributes come along, as robocopy's default /DCOPY:DA has it.
        if ((l.attrs & kCopiedAttrs) != 0 && !SetFileAttributesW(l.path.c_str(), l.attrs & kCopiedAttrs))
            report(GetLastError(), L"Copying Directory Attributes", l.path);
        l.exists = l.made = true;
        ++counts_.dirs.copied;
    }
    return true;
}

bool Copier::walkRoot() {
    std::vector<Entry> from;
    const bool listing = levels_[0].exists && !levels_[0].made;
    if (listing) beginTargetListing(target_root_);
    const DWORD error = list(source_root_, from);
    if (error != ERROR_SUCCESS) {
        if (listing) endTargetListing(from);  // not wanted now
        report(error, L"Scanning Source Directory", source_root_);
        return false;
    }
    source_final_ = win::resolved(source_root_);
    walk_finals_.assign(1, source_final_);
    walk(source_root_, 0, std::move(from));
    return true;
}

void Copier::noteMismatch(const std::wstring& path, const wchar_t* what) {
    const Hold hold(console_lock_);
    console_.write(L"\t    *MISMATCH\t" + shown(path) + L" is " + what +
                   L" in the destination; remove it, or copy with /PURGE, so that the next copy can take its place\r\n");
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
    if (!checkIdentity(code)) return code;

    // The target folder and its missing parents are made up front, even for an
    // empty source, as the real tool does.
    levels_.push_back({target_root_, target_attrs != INVALID_FILE_ATTRIBUTES, false});
    if (!levels_[0].exists && options_.list_only) ensureLevels(0);
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
        levels_[0].exists = levels_[0].made = true;
        ++counts_.dirs.copied;
        target_id_ = win::folder_id(target_root_);
    }
    const bool listed = walkRoot();
    stopThreads();
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

}  // namespace robocopy
