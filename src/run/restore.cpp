#include "run/restore.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

#include "core/job_rule.h"
#include "core/restore.h"
#include "core/text.h"
#include "core/versions.h"
#include "run/versions.h"
#include "win/handles.h"
#include "win/local_time.h"
#include "win/prompt.h"
#include "win/textfile.h"
#include "win/threads.h"

namespace run {
namespace {

constexpr size_t kNamed = 10;  // failures named in the outcome

std::wstring joined(const std::wstring& folder, const std::wstring& rest) {
    return rest.empty() ? folder : folder + L"\\" + rest;
}

std::uint64_t wide(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }

struct Found {
    bool folder = false, link = false;
    core::FileTimes stamp;
};
std::optional<Found> found(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (!GetFileAttributesExW(exact_path(path).c_str(), GetFileExInfoStandard, &d)) return std::nullopt;
    return Found{(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                 (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                 {wide(d.nFileSizeHigh, d.nFileSizeLow),
                  wide(d.ftLastWriteTime.dwHighDateTime, d.ftLastWriteTime.dwLowDateTime)}};
}

// The files of a folder, each as `as\...`; links neither taken nor entered.
std::optional<win::Failure> list_files(const std::wstring& folder, const std::wstring& as,
                                       std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW d;
    const win::FindHandle find(FindFirstFileExW(exact_path(folder + L"\\*").c_str(), FindExInfoBasic, &d,
                                                FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return win::Failure{L"folder", folder, L"listed", GetLastError()};
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L".." || (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(joined(as, name));
        else if (auto failed = list_files(joined(folder, name), joined(as, name), out)) return failed;
    } while (FindNextFileW(find.get(), &d));
    if (GetLastError() != ERROR_NO_MORE_FILES) return win::Failure{L"folder", folder, L"listed", GetLastError()};
    return std::nullopt;
}

// The files at or below `path` in `root`, as `path\...`; nothing through a link.
std::optional<win::Failure> files_below(const std::wstring& root, const std::wstring& path,
                                        std::vector<std::wstring>& out) {
    std::wstring at = root;
    std::optional<Found> f;
    for (size_t from = 0; from <= path.size();) {
        const size_t end = std::min(path.find(L'\\', from), path.size());
        at = joined(at, path.substr(from, end - from));
        if (!(f = found(at)) || f->link) return std::nullopt;
        from = end + 1;
    }
    if (!f->folder) {
        out.push_back(path);
        return std::nullopt;
    }
    return list_files(at, path, out);
}

// The destination's runs as their dated folders tell them, for the files at or below `path`;
// with `after` (seconds, as core::dated_folder_time counts them), only the runs after it.
std::optional<win::Failure> runs_of(const std::wstring& destination, const std::wstring& path,
                                    std::vector<core::RunRecord>& runs, std::optional<long long> after = {}) {
    const std::wstring versions = joined(destination, core::kVersionsFolder);
    if (const auto f = found(versions); !f || !f->folder || f->link) return std::nullopt;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW d;
    const win::FindHandle find(FindFirstFileExW(exact_path(versions + L"\\*").c_str(), FindExInfoBasic, &d,
                                                FindExSearchNameMatch, nullptr, 0));
    if (!find) return win::Failure{L"folder", versions, L"listed", GetLastError()};
    do
        if (const auto t = core::dated_folder_time(d.cFileName);
            t && (!after || *t > *after) && (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            names.emplace_back(d.cFileName);
    while (FindNextFileW(find.get(), &d));
    if (GetLastError() != ERROR_NO_MORE_FILES) return win::Failure{L"folder", versions, L"listed", GetLastError()};
    for (const std::wstring& name : names) {
        const std::wstring dated = joined(versions, name);
        if (found(joined(dated, core::kRestoreRecord))) continue;
        core::RunRecord run{name, {}, {}};
        if (auto failed = files_below(dated, path, run.kept)) return failed;
        const std::wstring record = joined(dated, core::kAddedRecord);
        if (found(record)) {
            const auto text = win::read_text_file(record, CP_UTF8);
            if (!text) return win::Failure{L"record of added files", record, L"read", text.code()};
            for (std::wstring& line : core::split_lines(*text))
                if (core::path_below(line, path)) run.added.push_back(std::move(line));
        }
        runs.push_back(std::move(run));
    }
    return std::nullopt;
}

std::wstring full_path(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (DWORD n; (n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));) {
        if (n < full.size()) {
            full.resize(n);
            while (full.size() > 3 && full.back() == L'\\') full.pop_back();
            return full;
        }
        full.resize(n);
    }
    return path;
}

Restored failed(std::wstring text) { return {Restored::Kind::Failed, std::move(text)}; }

std::wstring named(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size() && i < kNamed; ++i) text += L"\r\n    " + lines[i];
    if (lines.size() > kNamed) text += L"\r\n    ... and " + std::to_wstring(lines.size() - kNamed) + L" more";
    return text;
}

struct Step {
    std::wstring from, to;
    bool replaces = false;
};

// A job's source, destination and backup folder's name; nothing read yet.
std::optional<Holdings> place_of(const core::JobFolders& j) {
    const auto job = core::job_copy(j);
    if (!job) return std::nullopt;
    Holdings h{
        job->source, job->target.substr(0, job->target.size() - job->target_name.size() - 1), job->target_name, {}, {}};
    if (h.source.ends_with(L"\\.")) h.source.resize(h.source.size() - 2);  // a drive root as the script names it
    return h;
}

bool stopped(HANDLE stop) { return stop && WaitForSingleObject(stop, 0) == WAIT_OBJECT_0; }

// Where each file goes and whether it replaces one; a refusal, naming the files in the way,
// when any would be replaced that must not be. `same` counts those there already, alike.
std::optional<Restored> plan_steps(const RestoreRequest& request, const std::wstring& destination,
                                   const std::wstring& model, const std::wstring& base,
                                   const std::vector<core::RestoreFile>& files, std::vector<Step>& steps,
                                   size_t& same) {
    std::vector<std::wstring> refused, newer;
    std::map<std::wstring, bool> folders;  // whether each target folder is there: a missing one holds nothing
    for (const core::RestoreFile& f : files) {
        const std::wstring rest = *core::path_below(f.path, model);
        Step step{joined(f.run.empty() ? destination : dated_folder(destination, f.run), f.path), joined(base, rest)};
        const auto [folder, first] = folders.try_emplace(step.to.substr(0, step.to.rfind(L'\\')), false);
        if (first) folder->second = found(folder->first).has_value();
        const auto there = folder->second ? found(step.to) : std::nullopt;
        if (!there) {
            steps.push_back(step);  // a copy gone meanwhile fails its copy, named
            continue;
        }
        const auto copy = found(step.from);
        if (!copy) return failed(win::Failure{L"file", step.from, L"read", GetLastError()}.text() + L".");
        if (there->folder || there->link) {
            refused.push_back(step.to + L" (a folder or link stands there)");
        } else if (!core::file_differs(copy->stamp, there->stamp, false)) {
            ++same;
        } else if (!request.to.empty()) {
            refused.push_back(step.to + L" (there already, and other)");
        } else {
            // Newer work that no backup holds would be only in a dated folder, which pruning takes.
            const auto in_backup = found(joined(destination, joined(model, rest)));
            const bool is_newer = there->stamp.last_write > copy->stamp.last_write &&
                                  (!in_backup || core::file_differs(there->stamp, in_backup->stamp, false));
            if (is_newer) newer.push_back(step.to);
            if (!is_newer || request.replace_newer) {
                step.replaces = true;
                steps.push_back(step);
            }
        }
    }
    if (request.replace_newer) newer.clear();
    for (const std::wstring& n : newer)
        refused.push_back(n + L" (newer than the copy restored, and not in the backup)");
    if (refused.empty()) return std::nullopt;
    Restored r = failed(L"Nothing was restored, because these files would be replaced:" + named(refused) +
                        L"\r\nRestore into another folder, or run the backups first.");
    if (refused.size() == newer.size()) r.newer = std::move(newer);  // asking may let it go on
    return r;
}

// In place: what the restore replaces goes first into a new dated folder of the job's
// destination, with `note` saying why; `kept` then says where. A failure before any move
// is returned; a move that fails is added to `failures`, and its file is not replaced.
std::optional<std::wstring> keep_replaced(const Holdings& job, const std::vector<Step>& steps,
                                          const std::wstring& note, std::wstring& kept,
                                          std::vector<std::wstring>& failures) {
    AsidePlan plan;
    for (const Step& s : steps)
        if (s.replaces) plan.moves.push_back(*core::path_below(s.to, job.source));
    if (plan.moves.empty()) return std::nullopt;
    const std::wstring dated = free_dated_name({job.destination}, core::dated_folder_name(win::local_stamp()));
    const std::wstring folder = dated_folder(job.destination, dated), record = joined(folder, core::kRestoreRecord);
    if (auto f = make_dated_folder(job.destination, dated)) return f->text();
    if (const win::Status w = win::write_text_file(record, note, CP_UTF8); !w)
        return win::Failure{L"file", record, L"written", w.code()}.text();
    // The copy of a file not moved finds it there, and fails naming it: nothing is replaced unkept.
    if (auto f = move_aside({job.source, job.source, job.backup, {}}, plan, job.destination, dated, nullptr, nullptr,
                            true))
        failures.push_back(f->text());
    kept = L" The files it replaced are kept in " + core::quoted(folder) + L".";
    return std::nullopt;
}

struct Written {
    size_t restored = 0, left = 0;  // left: by STOP
    std::vector<std::wstring> failures;
};
// The files on a few threads, as a copier does: each waits mostly on the disk.
Written write_files(const std::vector<Step>& steps, const RestoreRequest& request) {
    std::atomic<size_t> next{0}, restored{0}, unwritten{0};
    Written w;
    std::mutex failing;
    const auto writer = [&] {
        std::wstring made;  // the folder its last file went into: the files come folder by folder
        for (size_t i; (i = next++) < steps.size();) {
            if (stopped(request.stop)) {
                next = steps.size();
                break;
            }
            const Step& s = steps[i];
            if (request.progress) request.progress(i, steps.size(), s.to);
            const std::wstring folder = s.to.substr(0, s.to.rfind(L'\\'));
            for (size_t at = s.to.find(L'\\', 3); folder != made && at != std::wstring::npos;
                 at = s.to.find(L'\\', at + 1))
                CreateDirectoryW(exact_path(s.to.substr(0, at)).c_str(), nullptr);  // a failure shows in the copy
            made = folder;
            if (CopyFileW(exact_path(s.from).c_str(), exact_path(s.to).c_str(), TRUE)) {
                ++restored;
                continue;
            }
            const DWORD error = GetLastError();
            ++unwritten;
            const std::lock_guard<std::mutex> hold(failing);
            w.failures.push_back(win::Failure{L"file", s.to, L"written from " + core::quoted(s.from), error}.text());
        }
    };
    win::on_threads(std::min<size_t>(3, steps.size() / 64), writer);
    std::sort(w.failures.begin(), w.failures.end());
    w.restored = restored;
    w.left = steps.size() - restored - unwritten;
    return w;
}

}  // namespace

std::optional<Holdings> read_holdings(const core::JobFolders& job, std::optional<win::Failure>& failed) {
    auto h = place_of(job);
    if (h && !(failed = files_below(h->destination, h->backup, h->files)))
        failed = runs_of(h->destination, h->backup, h->runs);
    return h;
}

std::wstring copy_path(const Holdings& h, const core::RestoreFile& copy) {
    return joined(copy.run.empty() ? h.destination : dated_folder(h.destination, copy.run), copy.path);
}

Restored restore(const RestoreRequest& request) {
    const std::wstring path = full_path(request.path);
    std::optional<Holdings> job;
    std::wstring rel;
    for (const auto& j : request.jobs) {
        job = place_of(j);
        if (auto below = job ? core::path_below(path, job->source) : std::nullopt) {
            rel = *below;
            break;
        }
        job.reset();
    }
    if (!job) return {Restored::Kind::BadPath, core::quoted(path) + L" is in none of the job file's sources."};
    const std::wstring& destination = job->destination;
    const std::wstring model = joined(job->backup, rel);

    std::vector<std::wstring>& backup = job->files;
    std::vector<core::RunRecord>& runs = job->runs;
    if (auto f = files_below(destination, model, backup)) return failed(f->text() + L". Nothing was restored.");
    const auto moment = request.as_of && !request.as_of->empty() ? request.as_of : std::nullopt;
    // Only the runs after the moment decide what it held; the backup as it is, or its newest
    // copies where it holds the path, need none of them.
    const bool backup_only = request.as_of ? !moment : !backup.empty();
    if (auto f = backup_only ? std::nullopt
                             : runs_of(destination, model, runs, moment ? core::dated_folder_time(*moment) : std::nullopt))
        return failed(f->text() + L". Nothing was restored.");
    const auto files =
        request.as_of ? core::files_as_of(runs, backup, model, moment) : core::newest_files(runs, backup, model);
    const std::wstring when = !request.as_of ? L"" : moment ? L" as of " + *moment : L" as the backup holds it now";
    if (files.empty())
        return failed(L"Neither the backup nor its kept copies held " + core::quoted(path) + when +
                      L". Nothing was restored.");

    // A file goes to its own place, or under the folder named after it in /to.
    const std::wstring leaf = path.substr(path.rfind(L'\\') + 1);  // none for a drive root
    const std::wstring base =
        request.to.empty() ? path : joined(full_path(request.to), leaf.empty() ? job->backup : leaf);
    for (const auto& j : request.jobs)
        if (const auto c = core::job_copy(j))
            for (const std::wstring& kept : {c->target, joined(j.destination, core::kVersionsFolder)})
                if (core::path_below(base, kept) || core::path_below(kept, base))
                    return {Restored::Kind::BadPath, core::quoted(base) +
                                                         L" is in a backup or its kept copies, or "
                                                         L"holds them; a restore only reads them."};

    std::vector<Step> steps;
    size_t same = 0;
    if (auto refused = plan_steps(request, destination, model, base, files, steps, same)) return *refused;
    std::wstring kept;
    std::vector<std::wstring> failures;
    if (auto f = keep_replaced(*job, steps, L"Ostrevin restored " + path + when + L" on " + win::local_stamp() +
                                                L".\r\nThis folder keeps the files that restore replaced.\r\n",
                               kept, failures))
        return failed(*f + L". Nothing was restored.");
    const Written w = write_files(steps, request);
    failures.insert(failures.end(), w.failures.begin(), w.failures.end());
    const size_t restored = w.restored, left = w.left;
    std::wstring text = L"Restored " + std::to_wstring(restored) + (restored == 1 ? L" file of " : L" files of ") +
                        core::quoted(path) + when + L" to " + core::quoted(base) + L"." + kept;
    if (same > 0) text += L" " + std::to_wstring(same) + (same == 1 ? L" file was" : L" files were") + L" so already.";
    if (left > 0) text += L" STOP ended it before the other " + std::to_wstring(left) + L".";
    if (!failures.empty()) return failed(text + L"\r\nThese could not be restored:" + named(failures));
    if (left > 0) return failed(text);
    return {Restored::Kind::Done, text};
}

}  // namespace run
