// The walk: both folders listed, names paired, extras, copies and sub-folders decided.
#include "copier.h"

#include <algorithm>
#include <cwchar>

#include "copier_parts.h"
#include "win/handles.h"

namespace robocopy {

DWORD Copier::list(const std::wstring& folder, std::vector<Entry>& entries, const Entry* listed, Lead* lead,
                   std::wstring* where) {
    entries.clear();
    // Read through a handle of our own, whose listing gives each entry's file number
    // too: a sub-folder is then known without opening it.
    const win::Handle dir(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!dir) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error;  // the folder itself is missing
    }
    std::uint64_t self = 0;  // the number of the folder opened, from its "." entry
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
            if (n == L".") self = static_cast<std::uint64_t>(info->FileId.QuadPart);
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
    if (listed != nullptr) {
        // The folder its parent listed, unless it was a link or its number changed since.
        if (!listed->isLink() && self != 0 && self == listed->id) {
            *lead = Lead::Listed;
        } else {
            *where = final_path(dir.get());
            *lead = leadOf(*where);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return name_less(a.name, b.name); });
    return ERROR_SUCCESS;
}

Copier::Lead Copier::leadOf(const std::wstring& final) const {
    return win::lead_of(final, source_final_, source_id_, walk_finals_);
}

void Copier::dropTwins(const std::wstring& folder, std::vector<Entry>& from, std::vector<std::wstring>& keys) {
    std::vector<std::wstring> names;
    names.reserve(from.size());
    for (const Entry& e : from) names.push_back(e.name);
    const std::vector<bool> twin = win::find_twins(names, keys);
    if (keys.empty()) return;
    std::vector<Entry> kept;
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (!twin[i]) {
            kept.push_back(std::move(from[i]));
            continue;
        }
        const Entry& e = from[i];
        const std::wstring path = join_path(folder, e.name);
        countIn(e, &Tally::failed);
        report(ERROR_ALREADY_EXISTS, e.isDir() ? L"Copying Directory" : L"Copying File", path, kTwinNote);
    }
    from = std::move(kept);
}

void Copier::countIn(const Entry& e, std::uint64_t Tally::*column) {
    Tally& t = e.isDir() ? counts_.dirs : counts_.files;
    ++t.total;
    ++(t.*column);
    if (e.isDir()) return;
    counts_.bytes.total += e.stamp.size;
    counts_.bytes.*column += e.stamp.size;
}

void Copier::dropUnnamable(const std::wstring& folder, std::vector<Entry>& from) {
    std::erase_if(from, [&](const Entry& e) {
        // A Linux name may hold what Windows forbids in a name; no retry can open it.
        if (!win::unnamable(e.name)) return false;
        const bool garbled = e.name.find(L'\uFFFD') != std::wstring::npos;
        countIn(e, &Tally::failed);
        report(garbled ? ERROR_NO_UNICODE_TRANSLATION : ERROR_INVALID_NAME,
               e.isDir() ? L"Copying Directory" : L"Copying File", join_path(folder, e.name),
               garbled ? kGarbledNote : kForbiddenNote);
        return true;
    });
}

bool Copier::isExcluded(const Entry& e, const std::wstring& folder) const {
    return excluded(e.isDir() ? options_.exclude_dirs : options_.exclude_files, e.name,
                    shown(join_path(folder, e.name)));
}

void Copier::dropExcluded(const std::wstring& source, const std::wstring& target, std::vector<Entry>& from,
                          std::vector<Entry>& to) {
    // Left out by name: neither copied nor walked, counted as skipped, named with /V.
    std::erase_if(from, [&](const Entry& e) {
        if (!isExcluded(e, source)) return false;
        countIn(e, &Tally::skipped);
        if (options_.verbose && !(e.isDir() ? options_.no_dir_list : options_.no_file_list)) {
            wchar_t size[32];
            std::swprintf(size, 32, L"%14llu", static_cast<unsigned long long>(e.stamp.size));
            const std::wstring path = shown(join_path(source, e.name));
            const Hold hold(console_lock_);
            console_.write(e.isDir() ? L"\t  named      \t" + path + L"\\\r\n"
                                     : L"\t    named     \t" + std::wstring(size) + L"\t" + path + L"\r\n");
        }
        return true;
    });
    // And never purged: what matches in the target, by its own path or the source's.
    std::erase_if(to, [&](const Entry& e) { return isExcluded(e, target) || isExcluded(e, source); });
}

std::vector<Copier::Pair> Copier::pairUp(const std::vector<Entry>& from, const std::vector<Entry>& to) {
    std::vector<Pair> pairs;
    for (const auto& [i, j] : win::pair_up(from, to, [](const Entry& e) -> const std::wstring& { return e.name; }))
        pairs.push_back({i == win::kNone ? nullptr : &from[i], j == win::kNone ? nullptr : &to[j]});
    return pairs;
}

void Copier::walk(const std::wstring& source, std::size_t level, std::vector<Entry> from) {
    ++counts_.dirs.total;
    const std::wstring target = levels_[level].path;
    std::vector<Entry> to;
    // The target was listed on the lister thread while the walk listed the source.
    const DWORD target_error = levels_[level].exists && !levels_[level].made ? endTargetListing(to) : ERROR_SUCCESS;
    if (target_error != ERROR_SUCCESS) {
        if (!targetLost()) report(target_error, L"Scanning Destination Directory", target);
        ++counts_.dirs.failed;
        return;
    }
    if (!options_.exclude_files.empty() || !options_.exclude_dirs.empty()) dropExcluded(source, target, from, to);
    std::vector<std::wstring> twin_keys;
    dropTwins(source, from, twin_keys);
    dropUnnamable(source, from);
    const std::vector<Pair> pairs = pairUp(from, to);
    // Extras go first, so a full backup drive gets room before the copies.
    handleExtras(target, pairs, twin_keys);
    for (const Pair& p : pairs)
        if (p.from != nullptr && !p.from->isDir() && !lost_) handleFile(source, level, p);
    if (options_.subdirs != SubDirs::None)
        for (const Pair& p : pairs)
            if (p.from != nullptr && p.from->isDir() && !lost_) handleFolder(source, level, p);
    // A folder that was there, or that nothing needed made, is skipped; a made one was counted as copied.
    const Level& l = levels_[level];
    if (!l.made && !l.failed) ++counts_.dirs.skipped;
}

void Copier::handleExtras(const std::wstring& target, const std::vector<Pair>& pairs,
                          const std::vector<std::wstring>& twin_keys) {
    for (const Pair& p : pairs) {
        if (p.from != nullptr || p.to == nullptr) continue;
        if (win::has_twin_key(twin_keys, p.to->name)) continue;
        if (p.to->isDir() && options_.subdirs == SubDirs::None) continue;
        // A killed run's temporary file is this copier's own, not the user's: it goes, purge or not.
        if (is_own_temp(p.to->name, p.to->attrs)) {
            if (!options_.list_only) removeFile(target, p.to->name, p.to->attrs);
            continue;
        }
        removeExtra(target, *p.to);
    }
}

Copier::Removal Copier::removeExtra(const std::wstring& target, const Entry& extra) {
    const bool dir = extra.isDir();
    const std::wstring path = join_path(target, extra.name);
    noteExtra(extra, path);
    ++(dir ? counts_.dirs.extra : counts_.files.extra);
    if (!dir && !extra.isLink()) counts_.bytes.extra += extra.stamp.size;
    Removal removal = Removal::Gone;
    if (!removing()) {
        // /L asks whether a link could go, as the run will try.
        if (options_.purge && extra.isLink() && !removeLink(path, true)) removal = Removal::Failed;
    } else if (extra.isLink()) {
        if (!removeLink(path)) removal = Removal::Failed;
    } else if (dir) {
        removal = removeTree(path);
    } else if (!removeFile(target, extra.name, extra.attrs)) {
        removal = Removal::Failed;
        counts_.bytes.failed += extra.stamp.size;
    }
    if (removal == Removal::Failed) ++(dir ? counts_.dirs.failed : counts_.files.failed);
    return removal;
}

bool Copier::clearWay(const std::wstring& folder, const Entry& in_way, Tally& own) {
    if (!options_.purge) {
        ++own.mismatch;
        noteMismatch(join_path(folder, in_way.name), in_way.isLink()  ? L"a link"
                                                     : in_way.isDir() ? L"a folder"
                                                                      : L"a file");
        return false;
    }
    // A mirror converges: what is in the way is an extra, removed by the purge's own
    // path (a link as a link, never what it points to); /L counts what the run would.
    const Removal removal = removeExtra(folder, in_way);
    if (removal == Removal::Gone) return true;
    if (removal == Removal::HoldsLeftOut)
        report(ERROR_DIR_NOT_EMPTY, L"Deleting Extra Directory", join_path(folder, in_way.name), kLeftOutNote);
    ++own.mismatch;
    ++own.failed;
    return false;
}

void Copier::handleFile(const std::wstring& source, std::size_t level, const Pair& p) {
    const std::wstring& target = levels_[level].path;
    ++counts_.files.total;
    counts_.bytes.total += p.from->stamp.size;
    const Entry* existing = p.to;
    if (existing != nullptr && (existing->isLink() || existing->isDir())) {
        if (!clearWay(target, *existing, counts_.files)) {
            if (options_.purge) counts_.bytes.failed += p.from->stamp.size;
            return;
        }
        existing = nullptr;
    }
    if (!needs_copy(p.from->stamp, existing ? &existing->stamp : nullptr, options_.fat_times) ||
        (existing && change_excluded(options_, p.from->stamp, existing->stamp))) {
        ++counts_.files.skipped;
        counts_.bytes.skipped += p.from->stamp.size;
        return;
    }
    if (!ensureLevels(level)) {
        ++counts_.files.failed;
        counts_.bytes.failed += p.from->stamp.size;
        return;
    }
    Job job;
    job.source = join_path(source, p.from->name);
    job.target = join_path(target, p.from->name);
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

void Copier::handleFolder(const std::wstring& source, std::size_t level, const Pair& p) {
    const std::wstring sub_source = join_path(source, p.from->name);
    const std::wstring sub_target = join_path(levels_[level].path, p.from->name);
    const Entry* to = p.to;
    if (to != nullptr && (to->isLink() || !to->isDir())) {
        if (!clearWay(levels_[level].path, *to, counts_.dirs)) {
            ++counts_.dirs.total;
            return;
        }
        to = nullptr;
    }
    levels_.resize(level + 1);
    levels_.push_back({sub_target, to != nullptr, false, false, p.from->attrs});
    if (to != nullptr) beginTargetListing(sub_target);
    // Opened once: the check of where it leads and its listing go through that one handle.
    std::vector<Entry> from;
    Lead lead = Lead::Listed;
    std::wstring where;
    const DWORD error = list(sub_source, from, p.from, &lead, &where);
    if (error != ERROR_SUCCESS || (lead != Lead::Listed && lead != Lead::Inside)) {
        if (to != nullptr) endTargetListing(from);  // not wanted now
        levels_.resize(level + 1);
        if (error == ERROR_SUCCESS) return skipLink(sub_source, levels_[level].path, to, lead, where);
        ++counts_.dirs.total;
        ++counts_.dirs.failed;
        report(error, L"Scanning Source Directory", sub_source);
        return;
    }
    if (options_.subdirs == SubDirs::All) ensureLevels(level + 1);
    walk_finals_.push_back(lead == Lead::Listed ? join_path(walk_finals_.back(), p.from->name) : where);
    walk(sub_source, level + 1, std::move(from));
    walk_finals_.pop_back();
    levels_.resize(level + 1);
}

void Copier::skipLink(const std::wstring& sub_source, const std::wstring& target, const Entry* to, Lead lead,
                      const std::wstring& where) {
    // A folder link that leads out of the source is not this job's data (a Wine prefix
    // links z: to the whole file system), and one that leads back is a loop: each is
    // named and skipped, no failure.
    ++counts_.dirs.total;
    ++counts_.dirs.skipped;
    {
        const Hold hold(console_lock_);
        console_.write(L"\t  Link Skipped\t" + shown(sub_source) +
                       (lead == Lead::Back ? L"\\ leads back to a folder this copy is already in, " + shown(where)
                                           : L"\\ leads out of the source, to " +
                                                 (where.empty() ? L"a place the system cannot name" : shown(where))) +
                       L"\r\n");
    }
    // The source holds nothing there, so the backup keeps nothing there: an extra.
    if (to != nullptr) removeExtra(target, *to);
}

}  // namespace robocopy
