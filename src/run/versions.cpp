#include "run/versions.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <set>
#include <unordered_map>

#include "core/batch_script.h"
#include "core/patterns.h"
#include "core/text.h"
#include "core/versions.h"
#include "win/copy_names.h"
#include "win/handles.h"
#include "win/link_lead.h"
#include "win/textfile.h"
#include "win/threads.h"

namespace run {
namespace {

// The exact name in the `\\?\` form: no device names, trailing dots or blanks kept.
std::wstring exact(const std::wstring& path) {
    std::wstring p = path;
    if (p.ends_with(L"\\.")) p.pop_back();  // a drive root as the script names it
    if (p.starts_with(L"\\\\?\\")) return p;
    if (p.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + p.substr(2);
    return L"\\\\?\\" + p;
}

std::uint64_t wide(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

struct Entry {
    std::wstring name;
    core::Held held;
    DWORD attributes = 0;
    bool not_copied = false;  // a source link the copy passes over: the backup's entry is an extra
    std::wstring final;       // a source folder link followed: where it leads
};

// A folder's entries, or nothing when it cannot be listed (`error` then says why).
std::optional<std::vector<Entry>> list(const std::wstring& folder, DWORD* error = nullptr) {
    WIN32_FIND_DATAW d;
    win::FindHandle find(FindFirstFileExW(exact(core::join_path(folder, L"*")).c_str(), FindExInfoBasic, &d,
                                          FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (error) *error = find ? ERROR_SUCCESS : GetLastError();
    // An empty drive root has not even a "." entry.
    if (!find && GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<Entry>{};
    if (!find) return std::nullopt;
    std::vector<Entry> entries;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        using Kind = core::Held::Kind;
        const Kind kind = d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? Kind::Link
                          : d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY   ? Kind::Folder
                                                                            : Kind::File;
        entries.push_back({name,
                           {kind,
                            {wide(d.nFileSizeHigh, d.nFileSizeLow),
                             wide(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime)}},
                           d.dwFileAttributes,
                           false,
                           {}});
    } while (FindNextFileW(find.get(), &d));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        if (error) *error = GetLastError();
        return std::nullopt;
    }
    return entries;
}

// Errors that say a backup folder is simply not there: it holds nothing yet.
bool absent(DWORD error) { return error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND; }

// A link in the source is copied through (robocopy follows links), so it is judged as
// what it leads to; one that leads nowhere stays a link, which the copy cannot copy.
void follow(const std::wstring& folder, Entry& e) {
    const win::Handle h(CreateFileW(exact(core::join_path(folder, e.name)).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !GetFileInformationByHandle(h.get(), &info)) return;
    const bool is_folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    e.held = {is_folder ? core::Held::Kind::Folder : core::Held::Kind::File,
              {is_folder ? 0 : wide(info.nFileSizeHigh, info.nFileSizeLow),
               wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)}};
    if (is_folder) e.final = win::final_path(h.get());
}

// A drive root is "F:\." as the script names it; listed, it is "F:\".
std::wstring root_of(const std::wstring& folder) {
    return folder.ends_with(L"\\.") ? folder.substr(0, folder.size() - 1) : folder;
}

// The copier's own temporary file, left by a killed run: never the user's.
bool copier_leftover(const Entry& e) {
    constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    return e.held.kind == core::Held::Kind::File && (e.attributes & kMarks) == kMarks && e.name.starts_with(L"~oc");
}

// The files a folder of the backup holds, links not entered.
unsigned long long files_in(const std::wstring& folder) {
    unsigned long long n = 0;
    for (const Entry& e : list(folder).value_or(std::vector<Entry>{}))
        n += e.held.kind == core::Held::Kind::Folder ? files_in(core::join_path(folder, e.name))
             : e.held.kind == core::Held::Kind::File ? 1
                                                     : 0;
    return n;
}

// Names of one folder's listing, pointing into it.
using Names = std::unordered_map<std::wstring_view, const Entry*>;

class Walk {
public:
    Walk(const core::JobCopy& copy, bool purge, bool fat_times, HANDLE stop)
        : source_(root_of(copy.source)),
          target_(copy.target),
          left_out_(core::exclusions(copy.source, copy.except)),
          purge_(purge),
          fat_(fat_times),
          stop_(stop),
          source_id_(win::folder_id(exact(source_))),
          finals_{win::resolved(exact(source_))} {}

    // `in_source` and `inside`: the folder's path in the source and in the backup, which may
    // spell it otherwise where the file system tells case apart (Wine).
    void folder(const std::wstring& in_source, const std::wstring& inside, AsidePlan& plan) {
        // A large tree takes a while: STOP is heard at every folder.
        if (plan.stopped || !plan.unlisted.empty()) return;
        if (stop_ && WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0) {
            plan.stopped = true;
            return;
        }
        const std::wstring source = core::join_path(source_, in_source), backup = core::join_path(target_, inside);
        // A folder that cannot be listed is never taken as empty: all the copy would
        // do there is unknown, so the job stops before it.
        // A source folder that is not there at all the copy cannot list either: it fails
        // there, and touches nothing of the backup's.
        DWORD error = ERROR_SUCCESS;
        auto from = list(source, &error);
        if (!from && absent(error)) return;
        if (!from) return unlisted(plan, source, error);
        auto to = list(backup, &error);
        if (!to && !absent(error)) return unlisted(plan, backup, error);
        if (!to) to.emplace();
        Names held;
        for (const Entry& b : *to) held.emplace(b.name, &b);
        followLinks(source, *from, *to);
        ++plan.dir_counts.skipped;  // both hold it (the top one, as the summary counts it, in any case)
        // Both listings as the copier takes them (win/copy_names.h): what the patterns leave
        // out goes from both; the source's twins are not copied, nor the backup's names of
        // their keys purged; a name no copy can bear is not copied, so the backup's is an extra.
        std::vector<const Entry*> taken, kept, backups;
        std::vector<std::wstring> names, twin_keys;
        for (const Entry& e : *from)
            if (!leftOut(e, source)) {
                taken.push_back(&e);
                names.push_back(e.name);
            }
        const std::vector<bool> twin = win::find_twins(names, twin_keys);
        for (std::size_t i = 0; i < taken.size(); ++i)
            if (!twin[i] && !win::unnamable(taken[i]->name)) kept.push_back(taken[i]);
        for (const Entry& b : *to)
            if (!copier_leftover(b) && !leftOut(b, backup) && !leftOut(b, source)) backups.push_back(&b);
        const auto by_name = [](const Entry* a, const Entry* b) { return win::name_less(a->name, b->name); };
        std::sort(kept.begin(), kept.end(), by_name);
        std::sort(backups.begin(), backups.end(), by_name);
        for (const auto& [i, j] :
             win::pair_up(kept, backups, [](const Entry* e) -> const std::wstring& { return e->name; })) {
            const Entry* pair = i == win::kNone || kept[i]->not_copied ? nullptr : kept[i];
            if (pair) count(source, *pair, held, plan);
            if (j == win::kNone) {
                if (pair) added(core::join_path(in_source, pair->name), core::join_path(inside, pair->name), pair->held.kind, plan);
                continue;
            }
            const Entry& b = *backups[j];
            plan.held += b.held.kind == core::Held::Kind::File;
            if (i == win::kNone && win::has_twin_key(twin_keys, b.name)) continue;
            if (!pair && b.held.kind == core::Held::Kind::File) plan.gone.push_back(core::join_path(inside, b.name));
            decide(in_source, inside, pair, b, plan);
        }
    }

private:
    // A file the backup lacks, or each file of a folder it lacks: the copy adds them.
    void added(const std::wstring& in_source, const std::wstring& inside, core::Held::Kind kind,
               AsidePlan& plan) const {
        if (kind == core::Held::Kind::File) return plan.added.push_back(inside);
        if (kind != core::Held::Kind::Folder) return;
        const std::wstring source = core::join_path(source_, in_source);
        for (const Entry& e : list(source).value_or(std::vector<Entry>{}))
            if (!leftOut(e, source)) added(core::join_path(in_source, e.name), core::join_path(inside, e.name), e.held.kind, plan);
    }

    static void unlisted(AsidePlan& plan, const std::wstring& folder, DWORD error) {
        plan.unlisted = folder;
        plan.unlisted_error = error;
    }

    // Only links whose name the backup holds: what the copy writes there is judged
    // through them, and the walk goes no deeper than the backup's own folders. A
    // folder link that leads out of the source, or back up the way, the copy passes
    // over (win/link_lead.h): the backup's entry of that name is then an extra.
    void followLinks(const std::wstring& source, std::vector<Entry>& from, const std::vector<Entry>& to) const {
        if (std::none_of(from.begin(), from.end(),
                         [](const Entry& e) { return e.held.kind == core::Held::Kind::Link; }))
            return;
        std::set<std::wstring> names;
        for (const Entry& b : to) names.insert(core::to_upper(b.name));
        for (Entry& e : from) {
            if (e.held.kind != core::Held::Kind::Link || !names.contains(core::to_upper(e.name))) continue;
            follow(source, e);
            if (e.held.kind == core::Held::Kind::Folder &&
                win::lead_of(e.final, finals_.front(), source_id_, finals_) != win::Lead::Inside)
                e.not_copied = true;
        }
    }

    // A source entry in the summary's counts and the bytes the copy will write.
    void count(const std::wstring& source, const Entry& e, const Names& held, AsidePlan& plan) const {
        const auto twin = held.find(e.name);
        const Entry* b = twin == held.end() ? nullptr : twin->second;
        if (e.held.kind == core::Held::Kind::Folder) {
            // Only "the source holds no file" needs the files of folders the backup lacks.
            if (!b && plan.file_counts.total == 0) plan.file_counts.total += files_in(core::join_path(source, e.name));
            return;
        }
        if (e.held.kind != core::Held::Kind::File) return;
        ++plan.file_counts.total;
        if (b && b->held.kind == core::Held::Kind::File && !core::file_differs(e.held.stamp, b->held.stamp, fat_))
            ++plan.file_counts.skipped;
        else plan.to_copy += e.held.stamp.size;
    }

    // Under Wine a link to a file lists as a plain file, and a rename of it by name moves
    // what it leads to: it is left to the copy, which removes it as a link or names it.
    bool itself(const std::wstring& inside, const Entry& backup) const {
        const std::wstring folder = exact(core::join_path(target_, inside));
        const win::Handle h(CreateFileW(core::join_path(folder, backup.name).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        return h && win::is_itself(h.get(), win::final_path(h.get()), folder, backup.name);
    }

    void decide(const std::wstring& in_source, const std::wstring& inside, const Entry* source, const Entry& backup,
                AsidePlan& plan) {
        core::Aside what = core::aside(source ? &source->held : nullptr, backup.held, purge_, fat_);
        if (what == core::Aside::Move && backup.held.kind == core::Held::Kind::File && !itself(inside, backup))
            what = core::Aside::Leave;
        switch (what) {
            case core::Aside::Leave:
                return;
            case core::Aside::Walk: {
                // The final paths of the folders on the way, as the copier keeps them for its loop check.
                finals_.push_back(source->final.empty() ? core::join_path(finals_.back(), source->name) : source->final);
                folder(core::join_path(in_source, source->name), core::join_path(inside, backup.name), plan);
                finals_.pop_back();
                return;
            }
            case core::Aside::Move:
                const std::wstring path = core::join_path(inside, backup.name);
                if (!source || source->held.kind != backup.held.kind) {
                    const bool folder = backup.attributes & FILE_ATTRIBUTE_DIRECTORY;
                    ++(folder ? plan.dir_counts.extras : plan.file_counts.extras);
                }
                if (source && source->held.kind != backup.held.kind)
                    added(core::join_path(in_source, source->name), path, source->held.kind, plan);
                // A folder that holds what the job leaves out goes in parts: those names stay.
                if (backup.held.kind == core::Held::Kind::Folder &&
                    holdsLeftOut(core::join_path(target_, path), core::join_path(source_, core::join_path(in_source, backup.name)))) {
                    moveAround(core::join_path(in_source, backup.name), path, plan);
                    plan.standing.push_back(path);
                    return;
                }
                plan.moves.push_back(path);
                if (source && source->held.kind == core::Held::Kind::File &&
                    backup.held.kind == core::Held::Kind::File) {
                    plan.replacing.push_back(path);
                    plan.planned.push_back(source->held.stamp);
                }
                plan.files += backup.held.kind == core::Held::Kind::Folder ? files_in(core::join_path(target_, path)) : 1;
        }
    }
    // Whether a folder of the backup holds, at any depth, a name the job leaves out; `as_source`
    // is the path it has in the source, which full-path patterns name.
    bool holdsLeftOut(const std::wstring& folder, const std::wstring& as_source) const {
        if (left_out_.files.empty() && left_out_.folders.empty()) return false;
        for (const Entry& e : list(folder).value_or(std::vector<Entry>{})) {
            if (leftOut(e, folder) || leftOut(e, as_source)) return true;
            if (e.held.kind == core::Held::Kind::Folder &&
                holdsLeftOut(core::join_path(folder, e.name), core::join_path(as_source, e.name)))
                return true;
        }
        return false;
    }
    // Everything under an extra folder but the names left out goes aside, as the purge
    // removes everything under it but those.
    void moveAround(const std::wstring& in_source, const std::wstring& inside, AsidePlan& plan) const {
        const std::wstring folder = core::join_path(target_, inside), as_source = core::join_path(source_, in_source);
        for (const Entry& e : list(folder).value_or(std::vector<Entry>{})) {
            if (e.held.kind == core::Held::Kind::Link || leftOut(e, folder) || leftOut(e, as_source)) continue;
            const std::wstring path = core::join_path(inside, e.name);
            if (e.held.kind == core::Held::Kind::File && !itself(inside, e)) continue;
            if (e.held.kind == core::Held::Kind::Folder &&
                holdsLeftOut(core::join_path(folder, e.name), core::join_path(as_source, e.name))) {
                moveAround(core::join_path(in_source, e.name), path, plan);
                continue;
            }
            plan.moves.push_back(path);
            plan.files += e.held.kind == core::Held::Kind::Folder ? files_in(core::join_path(target_, path)) : 1;
        }
    }
    bool leftOut(const Entry& e, const std::wstring& folder) const {
        const auto& patterns = e.held.kind != core::Held::Kind::File ? left_out_.folders : left_out_.files;
        return !patterns.empty() && core::excluded(patterns, e.name, core::join_path(folder, e.name));
    }

    const std::wstring source_, target_;
    core::Exclusions left_out_;
    bool purge_, fat_;
    HANDLE stop_;
    win::FolderId source_id_;
    std::vector<std::wstring> finals_;  // the source's own final path first
};

}  // namespace

std::wstring exact_path(const std::wstring& path) { return exact(path); }

AsidePlan plan_aside(const core::JobCopy& copy, bool purge, bool fat_times, HANDLE stop) {
    AsidePlan plan;
    plan.fat = fat_times;
    Walk walk(copy, purge, fat_times, stop);
    walk.folder(L"", L"", plan);
    return plan;
}

std::wstring dated_folder(const std::wstring& destination, const std::wstring& dated_name) {
    return core::join_path(core::join_path(destination, core::kVersionsFolder), dated_name);
}

std::wstring free_dated_name(const std::vector<std::wstring>& destinations, std::wstring name) {
    const auto taken = [&] {
        for (const std::wstring& d : destinations)
            if (GetFileAttributesW(exact(dated_folder(d, name)).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        return false;
    };
    while (taken())
        if (auto next = core::dated_folder_after(name)) name = *next;
        else break;
    return name;
}

namespace {

// "Ostrevin Versions\<dated>\<backup folder>\", below the destination.
std::wstring kept_root(const core::JobCopy& copy, const std::wstring& dated_name) {
    return core::join_path(core::join_path(core::join_path(core::kVersionsFolder, dated_name), copy.target_name), L"");
}

// Makes the folders of `inside` (a path below the destination) up to its last backslash; those
// there already stay, and `made` keeps each from being asked for twice.
std::optional<win::Failure> folders_on_the_way(const std::wstring& destination, const std::wstring& inside,
                                               std::set<std::wstring>& made) {
    for (size_t at = inside.find(L'\\'); at != std::wstring::npos; at = inside.find(L'\\', at + 1)) {
        const std::wstring level = core::join_path(destination, inside.substr(0, at));
        if (!made.insert(level).second) continue;
        if (!CreateDirectoryW(exact(level).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return win::Failure{L"folder", level, L"created to keep the backup's old copies", GetLastError()};
        // One that was there already may be a link: old copies moved through it would
        // leave the drive's versions for wherever it leads, and be pruned there.
        if (const DWORD a = GetFileAttributesW(exact(level).c_str());
            a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) {
            win::Failure link{L"folder", level,
                              L"used to keep the backup's old copies, because it is a link to another place",
                              ERROR_CANT_ACCESS_FILE};
            link.lasting = true;
            return link;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<win::Failure> make_dated_folder(const std::wstring& destination, const std::wstring& dated_name) {
    std::set<std::wstring> made;
    return folders_on_the_way(destination, core::join_path(core::join_path(core::kVersionsFolder, dated_name), L""), made);
}

std::optional<win::Failure> move_aside(const core::JobCopy& copy, const AsidePlan& plan,
                                       const std::wstring& destination, const std::wstring& dated_name, HANDLE stop,
                                       bool* stopped, bool across_drives) {
    const std::wstring root = kept_root(copy, dated_name);
    // The folders on the way first, from the versions folder down, each asked for once;
    // those there already stay.
    std::set<std::wstring> made;
    for (const std::wstring& path : plan.moves)
        if (auto failed = folders_on_the_way(destination, root + path, made)) return failed;
    // Then the renames, on a few threads: each waits mostly on the file system. A rename
    // within the drive, never a copy: an old copy is never half anywhere.
    std::atomic<size_t> next{0};
    std::optional<win::Failure> failed;
    std::mutex failing;
    std::atomic<bool> stop_heard{false};
    const auto mover = [&] {
        for (size_t i; (i = next++) < plan.moves.size();) {
            // A large change takes a while: STOP is heard between the moves.
            if (stop && i % 16 == 0 && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0) {
                stop_heard = true;
                next = plan.moves.size();
                break;
            }
            const std::wstring from = core::join_path(copy.target, plan.moves[i]),
                               to = core::join_path(destination, root + plan.moves[i]);
            if (MoveFileExW(exact(from).c_str(), exact(to).c_str(), across_drives ? MOVEFILE_COPY_ALLOWED : 0))
                continue;
            const DWORD error = GetLastError();
            const std::lock_guard<std::mutex> hold(failing);
            if (!failed) failed = win::Failure{L"file", from, L"moved to " + core::quoted(to), error};
            next = plan.moves.size();  // the first failure stops the others
        }
    };
    win::on_threads(std::min<size_t>(3, plan.moves.size() / 64), mover);
    if (stopped) *stopped = stop_heard;
    return failed;
}

namespace {

// The entry of that exact name (a file system that ignores case finds any spelling),
// or nothing.
std::optional<core::FileTimes> exactly(const std::wstring& path) {
    WIN32_FIND_DATAW d;
    const win::FindHandle find(
        FindFirstFileExW(exact(path).c_str(), FindExInfoBasic, &d, FindExSearchNameMatch, nullptr, 0));
    if (!find || path.substr(path.rfind(L'\\') + 1) != d.cFileName) return std::nullopt;
    return core::FileTimes{wide(d.nFileSizeHigh, d.nFileSizeLow),
                           wide(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime)};
}

}  // namespace

PutBack put_back(const core::JobCopy& copy, const std::vector<std::wstring>& paths,
                 const std::vector<core::FileTimes>& planned, bool fat_times, const std::wstring& destination,
                 const std::wstring& dated_name) {
    const std::wstring root = core::join_path(destination, kept_root(copy, dated_name));
    PutBack done;
    std::set<std::wstring> emptied;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring& path = paths[i];
        const std::wstring kept = exact(root + path), backup = exact(core::join_path(copy.target, path));
        if (GetFileAttributesW(kept.c_str()) == INVALID_FILE_ATTRIBUTES) continue;  // never moved, or gone back
        DWORD how = 0;
        if (const auto now = exactly(core::join_path(copy.target, path))) {
            // The new copy came whole: the old one stays kept.
            if (i >= planned.size() || !core::file_differs(planned[i], *now, fat_times)) continue;
            how = MOVEFILE_REPLACE_EXISTING;  // a copy cut off half-way holds nothing worth keeping
        }
        if (!MoveFileExW(kept.c_str(), backup.c_str(), how)) {
            done.stuck.push_back(path);
            continue;
        }
        ++done.back;
        for (size_t at = path.rfind(L'\\'); at != std::wstring::npos && at > 0; at = path.rfind(L'\\', at - 1))
            emptied.insert(path.substr(0, at));
    }
    // Deepest first; a folder that still holds something stays.
    for (auto it = emptied.rbegin(); it != emptied.rend(); ++it) RemoveDirectoryW(exact(root + *it).c_str());
    if (done.back > 0) {
        RemoveDirectoryW(exact(root.substr(0, root.size() - 1)).c_str());
        RemoveDirectoryW(exact(dated_folder(destination, dated_name)).c_str());
    }
    return done;
}

namespace {

// A link as a link: opened as itself and deleted, never what it points to. Where
// the system opens the target instead (Wine), the name itself goes: removing a
// folder link's name, or deleting a file link's, takes the link alone.
bool remove_link(const std::wstring& path, bool folder) {
    const win::Handle h(CreateFileW(exact(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (h && GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        FILE_DISPOSITION_INFO dispose{TRUE};
        return SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose) != FALSE;
    }
    return (folder ? RemoveDirectoryW(exact(path).c_str()) : DeleteFileW(exact(path).c_str())) != FALSE;
}

bool remove_tree(const std::wstring& folder) {
    const auto entries = list(folder);
    if (!entries) return false;
    bool ok = true;
    for (const Entry& e : *entries) {
        const std::wstring path = core::join_path(folder, e.name);
        if (e.held.kind == core::Held::Kind::Link)
            ok = remove_link(path, e.attributes & FILE_ATTRIBUTE_DIRECTORY) && ok;
        else if (e.held.kind == core::Held::Kind::Folder) ok = remove_tree(path) && ok;
        else {
            if (e.attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(exact(path).c_str(), FILE_ATTRIBUTE_NORMAL);
            ok = DeleteFileW(exact(path).c_str()) && ok;
        }
    }
    return ok && RemoveDirectoryW(exact(folder).c_str());
}

std::wstring spared_record(const std::wstring& folder) { return core::join_path(folder, core::kSparedRecord); }
// Attributes that cannot be read count as spared: a folder kept in doubt costs only room.
bool spared(const std::wstring& folder) {
    const DWORD a = GetFileAttributesW(exact(spared_record(folder)).c_str());
    return a != INVALID_FILE_ATTRIBUTES || !absent(GetLastError());
}

// A versions folder that is a link leads somewhere else: nothing there is ours to change.
bool ours(const std::wstring& versions) {
    const DWORD attributes = GetFileAttributesW(exact(versions).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The destination's dated folders, oldest first; links and other names are not ours.
std::vector<std::wstring> dated_folders(const std::wstring& destination, const std::wstring& run_name) {
    std::vector<std::wstring> names;
    const std::wstring versions = core::join_path(destination, core::kVersionsFolder);
    if (!ours(versions)) return names;
    for (const Entry& e : list(versions).value_or(std::vector<Entry>{}))
        if (e.held.kind == core::Held::Kind::Folder && e.name != run_name && core::dated_folder_time(e.name) &&
            !spared(core::join_path(versions, e.name)))
            names.push_back(e.name);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return *core::dated_folder_time(a) < *core::dated_folder_time(b);
    });
    return names;
}

bool drive_space(const std::wstring& folder, std::uint64_t& free, std::uint64_t& total) {
    ULARGE_INTEGER available{}, size{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, &size, nullptr)) return false;
    free = available.QuadPart;
    total = size.QuadPart;
    return true;
}

// When a folder was made, by the newest of its times: moves into it only make it newer.
std::uint64_t made_at(const std::wstring& folder) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(exact(folder).c_str(), GetFileExInfoStandard, &d)) return UINT64_MAX;
    return std::max(wide(d.ftCreationTime.dwHighDateTime, d.ftCreationTime.dwLowDateTime),
                    wide(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime));
}

// The bytes of the files a folder holds, links not entered.
std::uint64_t bytes_in(const std::wstring& folder) {
    std::uint64_t n = 0;
    for (const Entry& e : list(folder).value_or(std::vector<Entry>{}))
        n += e.held.kind == core::Held::Kind::Folder ? bytes_in(core::join_path(folder, e.name))
             : e.held.kind == core::Held::Kind::File ? e.held.stamp.size
                                                     : 0;
    return n;
}

}  // namespace

FreeSpace free_space = drive_space;

void prune_versions(const std::wstring& destination, const std::wstring& run_name) {
    const std::wstring versions = core::join_path(destination, core::kVersionsFolder);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    for (const std::wstring& name : dated_folders(destination, run_name)) {
        const std::wstring folder = core::join_path(versions, name);
        if (core::dated_folder_expired(name, run_name, made_at(folder), wide(now.dwHighDateTime, now.dwLowDateTime)))
            remove_tree(folder);
    }
}

std::optional<win::Failure> spare_dated_folder(const std::wstring& destination, const std::wstring& dated_name,
                                               const std::vector<std::wstring>& names) {
    if (auto failed = make_dated_folder(destination, dated_name)) return failed;
    const std::wstring record = spared_record(dated_folder(destination, dated_name));
    if (const win::Status w = win::write_text_file(record, core::join_lines(names), CP_UTF8); !w)
        return win::Failure{L"mark that keeps these old copies from pruning", record, L"written", w.code()};
    return std::nullopt;
}

void release_spared(const std::wstring& destination, const std::vector<std::wstring>& names) {
    const std::wstring versions = core::join_path(destination, core::kVersionsFolder);
    if (!ours(versions)) return;
    for (const Entry& e : list(versions).value_or(std::vector<Entry>{})) {
        if (e.held.kind != core::Held::Kind::Folder || !core::dated_folder_time(e.name)) continue;
        const std::wstring record = spared_record(core::join_path(versions, e.name));
        const auto text = win::read_text_file(record, CP_UTF8);
        if (!text) continue;  // no mark, or one that cannot be read: it stays as it is
        std::vector<std::wstring> left;
        bool released = false;
        for (const std::wstring& line : core::split_lines(*text)) {
            const bool clean = std::find(names.begin(), names.end(), line) != names.end();
            released |= clean;
            if (!clean && !line.empty()) left.push_back(line);
        }
        if (!released) continue;
        // Changing the mark must not make the folder look new to pruning by age. A mark or
        // a time that cannot be changed only keeps the folder longer; nothing is lost by that.
        const std::wstring folder = core::join_path(versions, e.name);
        WIN32_FILE_ATTRIBUTE_DATA was;
        const bool timed = GetFileAttributesExW(exact(folder).c_str(), GetFileExInfoStandard, &was);
        const bool changed = left.empty() ? DeleteFileW(record.c_str()) != 0
                                          : win::write_text_file(record, core::join_lines(left), CP_UTF8).ok();
        if (!changed || !timed) continue;
        const win::Handle h(CreateFileW(exact(folder).c_str(), FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (h) SetFileTime(h.get(), nullptr, nullptr, &was.ftLastWriteTime);
    }
}

std::optional<std::wstring> make_room(const std::wstring& destination, const std::wstring& run_name,
                                      std::uint64_t to_copy) {
    std::uint64_t free = 0, total = 0;
    if (to_copy == 0 || !free_space(destination, free, total) || free >= to_copy) return std::nullopt;
    const std::wstring versions = core::join_path(destination, core::kVersionsFolder);
    const std::vector<std::wstring> names = dated_folders(destination, run_name);
    std::vector<std::uint64_t> sizes;
    for (const std::wstring& name : names) sizes.push_back(bytes_in(core::join_path(versions, name)));
    const auto remove = core::folders_to_free(free, to_copy, sizes);
    if (!remove) {
        std::uint64_t kept = 0;
        for (std::uint64_t s : sizes) kept += s;
        return L"The drive of " + core::quoted(destination) + L" has " + core::size_text(free) +
               L" free, and this run needs " + core::size_text(to_copy) + L" there" +
               (names.empty() ? std::wstring(L".")
                              : L"; the old copies in " + core::quoted(versions) + L" (" + core::size_text(kept) +
                                    L") would not make room, so they were all left in place.") +
               L" Nothing of this job was copied.";
    }
    // Oldest first, each measured again: stop as soon as the copy fits.
    for (std::size_t i = 0; i < *remove; ++i) {
        remove_tree(core::join_path(versions, names[i]));
        if (free_space(destination, free, total) && free >= to_copy) break;
    }
    return std::nullopt;
}

}  // namespace run
