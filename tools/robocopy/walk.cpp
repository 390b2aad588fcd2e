// The walk: both folders listed, names paired, extras, copies and sub-folders decided.
#include "copier.h"

#include <algorithm>

#include "copier_parts.h"
#include "win/handles.h"

namespace robocopy {

DWORD Copier::list(const std::wstring& folder, std::vector<Entry>& entries) {
    entries.clear();
    // Read through a handle of our own, whose listing gives each entry's file number
    // too: a sub-folder is then known without opening it (see revisits).
    const win::Handle dir(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!dir) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;  // the folder itself is missing
    }
    // 64 KB, as a large-fetch FindFirstFileExW reads, in 8-byte units for the records' alignment.
    std::vector<std::uint64_t> buffer(8192);
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
        if (!GetFileInformationByHandleEx(dir.get(), kind, buffer.data(),
                                          static_cast<DWORD>(buffer.size() * sizeof buffer[0]))) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_FILES) break;
            // An empty drive root has not even a "." entry.
            if (error == ERROR_FILE_NOT_FOUND && kind == FileIdBothDirectoryRestartInfo) break;
            return error;
        }
        const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const std::wstring_view n(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (n != L"." && n != L"..") {
                Entry e;
                e.name = n;
                e.attrs = info->FileAttributes;
                e.id = static_cast<std::uint64_t>(info->FileId.QuadPart);
                e.stamp.size = static_cast<std::uint64_t>(info->EndOfFile.QuadPart);
                e.stamp.last_write = static_cast<std::uint64_t>(info->LastWriteTime.QuadPart);
                e.created = filetime(info->CreationTime);
                e.accessed = filetime(info->LastAccessTime);
                entries.push_back(std::move(e));
            }
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return name_less(a.name, b.name); });
    return ERROR_SUCCESS;
}

bool Copier::revisits(const std::wstring& path, std::uint64_t index) const {
    // Equal numbers are rare unless it is the same folder; then the full identities
    // (which ask for the volume too, a slow call under Wine) settle it.
    if (target_id_.valid && target_id_.index == index && folderId(path) == target_id_) return true;
    for (const Visit& v : walk_ids_)
        if (v.index == index && folderId(path) == folderId(v.path)) return true;
    return false;
}

void Copier::dropTwins(const std::wstring& folder, std::vector<Entry>& from, std::vector<std::wstring>& keys) {
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
        if (e.isDir()) {
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

void Copier::dropGarbled(const std::wstring& folder, std::vector<Entry>& from) {
    std::erase_if(from, [&](const Entry& e) {
        if (e.name.find(L'\uFFFD') == std::wstring::npos) return false;
        Tally& t = e.isDir() ? counts_.dirs : counts_.files;
        ++t.total;
        ++t.failed;
        if (!e.isDir()) {
            counts_.bytes.total += e.stamp.size;
            counts_.bytes.failed += e.stamp.size;
        }
        report(ERROR_NO_UNICODE_TRANSLATION, e.isDir() ? L"Copying Directory" : L"Copying File",
               join_path(folder, e.name), kGarbledNote);
        return true;
    });
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
    if (target_exists) beginTargetListing(target);
    DWORD error = list(source, from);
    const DWORD target_error = target_exists ? endTargetListing(to) : ERROR_SUCCESS;
    if (error != ERROR_SUCCESS) {
        report(error, L"Scanning Source Directory", source);
        ++counts_.dirs.failed;
        return false;
    }
    if (target_error != ERROR_SUCCESS) {
        if (!targetLost()) report(target_error, L"Scanning Destination Directory", target);
        ++counts_.dirs.failed;
        return true;
    }
    std::vector<std::wstring> twin_keys;
    dropTwins(source, from, twin_keys);
    dropGarbled(source, from);

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
        const bool dir = p.to->isDir();
        if (dir && !recurse) continue;
        const std::wstring path = join_path(target, p.to->name);
        noteExtra(*p.to, path);
        ++(dir ? counts_.dirs.extra : counts_.files.extra);
        if (!dir && !p.to->isLink()) counts_.bytes.extra += p.to->stamp.size;
        if (!removing()) continue;
        if (p.to->isLink()) {
            if (!removeLink(path)) ++(dir ? counts_.dirs.failed : counts_.files.failed);
        } else if (dir) {
            if (!removeTree(path)) ++counts_.dirs.failed;
        } else {
            purgeFile(target, *p.to);
        }
    }

    for (const Pair& p : pairs) {
        if (p.from == nullptr || p.from->isDir()) continue;
        if (lost_) return true;
        ++counts_.files.total;
        counts_.bytes.total += p.from->stamp.size;
        const Entry* existing = p.to;
        const std::wstring target_path = join_path(target, p.from->name);
        if (existing != nullptr && (existing->isLink() || existing->isDir())) {
            ++counts_.files.mismatch;
            // A mirror converges: the folder in the way goes by the purge's own path, never through a link.
            if (removing() && !existing->isLink() && removeTree(target_path)) existing = nullptr;
        }
        if (existing != nullptr && (existing->isLink() || existing->isDir())) {
            ++counts_.files.failed;
            counts_.bytes.failed += p.from->stamp.size;
            if (existing->isLink()) report(ERROR_CANT_ACCESS_FILE, L"Copying File", target_path, kLinkNote);
            else report(ERROR_ALREADY_EXISTS, L"Copying File", target_path, L"A folder of that name is in the way.");
            continue;
        }
        if (!needs_copy(p.from->stamp, existing ? &existing->stamp : nullptr, options_.fat_times)) {
            ++counts_.files.skipped;
            counts_.bytes.skipped += p.from->stamp.size;
            continue;
        }
        if (!ensureLevels(level)) {
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
        if (!options_.no_file_list) noteCopy(label, *p.from, job.source);
        if (options_.list_only) {
            ++counts_.files.copied;
            counts_.bytes.copied += p.from->stamp.size;
        } else {
            enqueue(std::move(job));
        }
    }

    if (!recurse) return counted();
    for (const Pair& p : pairs) {
        if (p.from == nullptr || !p.from->isDir()) continue;
        if (lost_) return true;
        const std::wstring sub_source = join_path(source, p.from->name);
        const std::wstring sub_target = join_path(target, p.from->name);
        const Entry* to = p.to;
        if (to != nullptr && (to->isLink() || !to->isDir())) {
            ++counts_.dirs.mismatch;
            // A mirror converges: the file in the way goes, and the folder takes its place.
            if (removing() && !to->isLink() && removeFile(target, to->name, to->attrs)) to = nullptr;
        }
        if (to != nullptr && (to->isLink() || !to->isDir())) {
            ++counts_.dirs.total;
            ++counts_.dirs.failed;
            if (p.to->isLink())
                report(ERROR_CANT_ACCESS_FILE, L"Creating Destination Directory", sub_target, kLinkNote);
            else report(ERROR_ALREADY_EXISTS, L"Creating Destination Directory", sub_target);
            continue;
        }
        // A folder link that leads out of the source is not this job's data (a Wine
        // prefix links z: to the whole file system): named, skipped, no failure.
        std::wstring final_path;
        FolderId id;
        id.index = p.from->id;
        if (p.from->isLink() || id.index == 0) id = folderId(sub_source, &final_path);
        // One whose end the system cannot name is not known to stay inside: it is not followed.
        // One that cannot be opened (a broken junction) is entered, and its listing reports it.
        if (p.from->isLink() && id.opened && (final_path.empty() || !within(final_path, source_id_))) {
            ++counts_.dirs.total;
            ++counts_.dirs.skipped;
            const Hold hold(console_lock_);
            console_.write(L"\t  Link Skipped\t" + shown(sub_source) + L"\\ leads out of the source, to " +
                           (final_path.empty() ? L"a place the system cannot name" : shown(final_path)) + L"\r\n");
            continue;
        }
        // A folder reached again through a link, or the target itself, is not entered.
        if (revisits(sub_source, id.index)) {
            ++counts_.dirs.total;
            ++counts_.dirs.failed;
            report(
                ERROR_CANT_RESOLVE_FILENAME, L"Scanning Source Directory", sub_source,
                L"It leads back to a folder this copy is already in, or into the destination; it is not copied again.");
            continue;
        }
        levels_.resize(level + 1);
        levels_.push_back({sub_target, to != nullptr, false, false, p.from->attrs});
        if (options_.subdirs == SubDirs::All) ensureLevels(level + 1);
        walk_ids_.push_back({id.index, sub_source});
        walk(sub_source, level + 1);
        walk_ids_.pop_back();
        levels_.resize(level + 1);
    }
    return counted();
}

}  // namespace robocopy
