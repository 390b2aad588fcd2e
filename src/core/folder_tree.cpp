#include "core/folder_tree.h"

#include <algorithm>
#include <cwctype>

#include "core/text.h"

namespace core {

std::wstring folder_root(std::wstring_view path) {
    if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0])) {
        std::wstring root(path.substr(0, 2));
        root[0] = static_cast<wchar_t>(std::towupper(root[0]));
        return root + L'\\';
    }
    if (path.starts_with(L"\\\\")) {
        // \\server\share: the share is part of the root.
        std::size_t server_end = path.find(L'\\', 2);
        if (server_end == std::wstring_view::npos || server_end == 2) return {};
        std::size_t share_end = path.find(L'\\', server_end + 1);
        if (share_end == server_end + 1) return {};
        return std::wstring(path.substr(0, share_end));
    }
    return {};
}

std::wstring trim_folder(std::wstring_view path) {
    std::wstring p(path);
    while (!p.empty() && p.back() == L'\\') p.pop_back();
    if (p.size() == 2 && p[1] == L':') p += L'\\';
    return p;
}

std::vector<FolderEntry> folder_tree(std::wstring_view path, std::vector<std::wstring> subfolders) {
    std::vector<FolderEntry> rows;
    const std::wstring full = trim_folder(path);
    const std::wstring root = folder_root(full);
    if (root.empty()) return rows;

    rows.push_back({root, root, 0, true});
    std::wstring at = root;
    std::wstring_view rest = std::wstring_view(full).substr(std::min(root.size(), full.size()));
    while (!rest.empty()) {
        while (!rest.empty() && rest.front() == L'\\') rest.remove_prefix(1);
        if (rest.empty()) break;
        std::size_t end = rest.find(L'\\');
        std::wstring name(rest.substr(0, end));
        at = at.ends_with(L'\\') ? at + name : at + L'\\' + name;
        rows.push_back({name, at, static_cast<int>(rows.size()), true});
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end);
    }

    std::stable_sort(subfolders.begin(), subfolders.end(),
                     [](const std::wstring& a, const std::wstring& b) { return to_lower(a) < to_lower(b); });
    const int depth = static_cast<int>(rows.size());
    for (auto& name : subfolders) {
        std::wstring p = at.ends_with(L'\\') ? at + name : at + L'\\' + name;
        rows.push_back({std::move(name), std::move(p), depth, false});
    }
    return rows;
}

int open_row(const std::vector<FolderEntry>& rows) {
    int found = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].open) found = static_cast<int>(i);
    return found;
}

}  // namespace core
