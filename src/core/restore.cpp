#include "core/restore.h"

#include <algorithm>
#include <map>
#include <set>

#include "core/text.h"
#include "core/versions.h"

namespace core {
namespace {

// The runs that are runs, oldest first.
std::vector<const RunRecord*> in_order(const std::vector<RunRecord>& runs) {
    std::vector<const RunRecord*> ordered;
    for (const RunRecord& r : runs)
        if (dated_folder_time(r.name)) ordered.push_back(&r);
    std::sort(ordered.begin(), ordered.end(), [](const RunRecord* a, const RunRecord* b) {
        return *dated_folder_time(a->name) < *dated_folder_time(b->name);
    });
    return ordered;
}

bool below(std::wstring_view file, std::wstring_view path) { return path_below(file, path).has_value(); }

// The state the runs from `first` on had not yet touched.
std::vector<RestoreFile> before(const std::vector<const RunRecord*>& runs, const std::vector<std::wstring>& backup,
                                std::wstring_view path, size_t first) {
    std::map<std::wstring, RestoreFile> found;  // by upper-cased path
    std::set<std::wstring> decided;
    for (size_t i = first; i < runs.size(); ++i) {
        // What a run kept was there before it, whatever it added under another spelling.
        for (const std::wstring& p : runs[i]->kept)
            if (below(p, path) && decided.insert(to_upper(p)).second)
                found.emplace(to_upper(p), RestoreFile{p, runs[i]->name});
        for (const std::wstring& p : runs[i]->added)
            if (below(p, path)) decided.insert(to_upper(p));
    }
    for (const std::wstring& p : backup)
        if (below(p, path) && !decided.contains(to_upper(p))) found.emplace(to_upper(p), RestoreFile{p, L""});
    std::vector<RestoreFile> files;
    for (auto& [key, file] : found) files.push_back(std::move(file));
    return files;
}

}  // namespace

std::optional<std::wstring> path_below(std::wstring_view path, std::wstring_view folder) {
    if (folder.empty()) return std::wstring(path);
    if (path.size() < folder.size() || to_upper(path.substr(0, folder.size())) != to_upper(folder)) return std::nullopt;
    if (path.size() == folder.size()) return std::wstring();
    if (path[folder.size()] != L'\\') return std::nullopt;
    return std::wstring(path.substr(folder.size() + 1));
}

std::vector<RestoreFile> files_as_of(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                     std::wstring_view path, const std::optional<std::wstring>& moment) {
    const auto ordered = in_order(runs);
    size_t first = ordered.size();
    if (moment) {
        const auto at = dated_folder_time(*moment);
        if (!at) return {};
        first =
            static_cast<size_t>(std::find_if(ordered.begin(), ordered.end(),
                                             [&](const RunRecord* r) { return *dated_folder_time(r->name) > *at; }) -
                                ordered.begin());
    }
    return before(ordered, backup, path, first);
}

std::vector<RestoreFile> newest_files(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                      std::wstring_view path) {
    const auto ordered = in_order(runs);
    const auto holds = [&](const std::vector<std::wstring>& files) {
        return std::any_of(files.begin(), files.end(), [&](const std::wstring& p) { return below(p, path); });
    };
    if (holds(backup)) return before(ordered, backup, path, ordered.size());
    for (size_t i = ordered.size(); i-- > 0;)
        if (holds(ordered[i]->kept)) return before(ordered, backup, path, i);
    return {};
}

std::vector<std::wstring> copies_of(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                    std::wstring_view file) {
    const auto same = [&](const std::wstring& p) { return path_below(p, file) == std::wstring(); };
    std::vector<std::wstring> copies;
    if (std::any_of(backup.begin(), backup.end(), same)) copies.emplace_back();
    const auto ordered = in_order(runs);
    for (auto r = ordered.rbegin(); r != ordered.rend(); ++r)
        if (std::any_of((*r)->kept.begin(), (*r)->kept.end(), same)) copies.push_back((*r)->name);
    return copies;
}

}  // namespace core
