// One file copied: read only from a regular file, written new or under a temporary
// name and renamed over the old copy only when complete, retried as asked.
#include "copier.h"

#include <algorithm>
#include <cwchar>

#include "copier_parts.h"
#include "win/handles.h"

namespace robocopy {

void Copier::copyWithRetries(const Job& job, Counts& counts, void* buffer) {
    for (unsigned attempt = 0;; ++attempt) {
        const DWORD error = copyFile(job, buffer);
        if (error == ERROR_SUCCESS) {
            ++counts.files.copied;
            counts.bytes.copied += job.from.stamp.size;
            return;
        }
        if (targetLost()) break;
        if (error == kLinkInTheWay) {  // only without /PURGE
            ++counts.files.mismatch;
            noteMismatch(job.target, L"a link that leads nowhere");
            return;
        }
        report(error, L"Copying File", job.source,
               error == ERROR_BAD_FILE_TYPE   ? L"It is not a file but a device, a pipe or a socket; it is not read."
               : error == ERROR_FILE_TOO_LARGE ? L"It grew past twice its size while it was copied; the copy was dropped."
               : error == ERROR_FILE_EXISTS    ? L"A file of that name was made in the destination after it was read."
                                               : nullptr);
        if (is_permanent(error)) break;  // the same on every try
        if (attempt >= options_.retries) {
            const Hold hold(console_lock_);
            console_.write(L"ERROR: RETRY LIMIT EXCEEDED.\r\n");
            break;
        }
        waitBeforeRetry();
    }
    ++counts.files.failed;
    counts.bytes.failed += job.from.stamp.size;
}

DWORD Copier::copyFile(const Job& job, void* buffer) {
    // A small new file is written in place. A large one takes long enough to be cut
    // off (a stop, a kill), and a cut-off copy must not stand under the file's name.
    const bool in_place = !job.has_existing && job.from.stamp.size < kLargeFile;
    if (in_place) {
        const DWORD error = writeCopy(job, job.target, nullptr, buffer);
        if (error != ERROR_FILE_EXISTS) return error;
        // Taken, though the listing had nothing there: made since (a failure), or a
        // link that leads nowhere, which the system neither lists nor opens. The
        // purge replaces that link itself by renaming the copy over it.
        if (GetFileAttributesW(job.target.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND)
            return error;
        if (!options_.purge) return kLinkInTheWay;
    }
    // The old copy stays until the new one is complete. The temporary name is short
    // and made new: its length never depends on the file's, and a name that is
    // taken (a real file, another copy's) is passed over, never removed.
    const std::wstring folder = job.target.substr(0, job.target.find_last_of(L'\\') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[32];
        std::swprintf(name, 32, kTempFormat, temp_prefix_, ++temp_counter_);
        const DWORD error = writeCopy(job, folder + name, &job.target, buffer);
        if (error != ERROR_FILE_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

DWORD Copier::writeCopy(const Job& job, const std::wstring& path, const std::wstring* replace, void* buffer) {
    const Entry& from = job.from;
    // No FILE_FLAG_SEQUENTIAL_SCAN: Wine turns it into an fadvise call per open.
    const win::Handle in(CreateFileW(job.source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return GetLastError();
    // Only a regular file is read: a device (a link to /dev/zero) never ends, a pipe may never begin.
    LARGE_INTEGER at_open{};
    if (GetFileType(in.get()) != FILE_TYPE_DISK) return ERROR_BAD_FILE_TYPE;
    if (!GetFileSizeEx(in.get(), &at_open)) return GetLastError();
    // Made new, never opened through whatever may stand at that name; DELETE so
    // that the handle itself can rename or remove it.
    DWORD flags = replace != nullptr ? kTempAttrs : from.attrs & (kCopiedAttrs & ~FILE_ATTRIBUTE_READONLY);
    if (flags == 0) flags = FILE_ATTRIBUTE_NORMAL;
    win::Handle out(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, flags, nullptr));
    if (!out) return GetLastError();

    std::uint64_t copied = 0;
    // What grows during the copy comes along, up to twice the size at opening plus 64 MiB.
    const auto opened = static_cast<std::uint64_t>(at_open.QuadPart);
    DWORD error = copyData(in.get(), out.get(), opened, 2 * opened + (64ull << 20), buffer, copied);
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
        // A temporary file loses the marks of one before it takes the name.
        if (replace != nullptr) info.FileAttributes = wanted != 0 ? wanted : FILE_ATTRIBUTE_NORMAL;
        if (!SetFileInformationByHandle(out.get(), FileBasicInfo, &info, sizeof info)) error = GetLastError();
    }
    // Counted as copied only when the file really holds what was read.
    LARGE_INTEGER size{};
    if (error == ERROR_SUCCESS &&
        (!GetFileSizeEx(out.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) != copied))
        error = ERROR_WRITE_FAULT;
    if (error == ERROR_SUCCESS && replace != nullptr) error = replaceWith(out.get(), *replace, job.existing.attrs, job.has_existing || options_.purge);
    if (error != ERROR_SUCCESS) {
        // A half-written file must not look finished to the next run; it is ours.
        FILE_DISPOSITION_INFO dispose{TRUE};
        SetFileInformationByHandle(out.get(), FileDispositionInfo, &dispose, sizeof dispose);
    }
    if (!out.close() && error == ERROR_SUCCESS) error = GetLastError();
    return error;
}

DWORD Copier::replaceWith(HANDLE file, const std::wstring& target, DWORD old_attrs, bool over) {
    // Renamed through the open handle: one call, and the name cannot change under it.
    // The system wants the native form of the "\\?\" path: "\??\".
    const std::wstring native = L"\\??\\" + target.substr(4);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + native.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    // A new file takes the place of nothing, unless the purge clears its name.
    rename->ReplaceIfExists = over;
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

DWORD Copier::copyData(HANDLE in, HANDLE out, std::uint64_t expected, std::uint64_t limit, void* buffer,
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

}  // namespace robocopy
