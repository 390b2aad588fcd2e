#include "win/link_lead.h"

#include "win/handles.h"

namespace win {

std::wstring final_path(HANDLE h) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        const bool fits = n < path.size();
        path.resize(n);
        if (fits) return path;
    }
}

FolderId folder_id(const std::wstring& path, std::wstring* final) {
    FolderId id;
    const Handle h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return id;
    id.opened = true;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h.get(), &info)) {
        id.volume = info.dwVolumeSerialNumber;
        id.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        id.valid = true;
    }
    if (final != nullptr) *final = final_path(h.get());
    return id;
}

bool within(std::wstring at, const FolderId& id) {
    // A final path has every link resolved, so its parents are the real ones.
    for (;;) {
        if (folder_id(at) == id) return true;
        const std::size_t cut = at.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut < 6) return false;
        std::wstring parent = at.substr(0, cut);
        if (parent.size() == 6 && parent[5] == L':') parent += L'\\';  // "\\?\C:" stands for "\\?\C:\"
        if (parent == at) return false;
        at = std::move(parent);
    }
}

std::wstring resolved(const std::wstring& path) {
    std::wstring at;
    folder_id(path, &at);
    return at.empty() ? path : at;
}

namespace {

bool same_name(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring child(const std::wstring& folder, const std::wstring& name) {
    return folder.ends_with(L'\\') ? folder + name : folder + L"\\" + name;
}

// Wine's final paths drop trailing dots from every folder on the way ("old.\d" is
// "old\d") and trailing blanks from the last name: compared without them.
std::wstring without_trails(const std::wstring& path) {
    std::wstring out;
    for (std::size_t at = 0; at <= path.size();) {
        std::size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        std::size_t keep = end;
        while (keep > at && (path[keep - 1] == L'.' || path[keep - 1] == L' ')) --keep;
        out.append(path, at, keep - at);
        if (end < path.size()) out += L'\\';
        at = end + 1;
    }
    return out;
}

}  // namespace

bool is_itself(HANDLE h, const std::wstring& here, const std::wstring& folder, const std::wstring& name) {
    // What the handle opened lies in that folder: the same one or, where the final path
    // names it without its trailing dots (which opens another or none), one of that path.
    const std::size_t cut = here.find_last_of(L'\\');
    if (here.empty() || cut == std::wstring::npos) return false;
    std::wstring parent = here.substr(0, cut);
    if (parent.size() == 6 && parent[5] == L':') parent += L'\\';  // "\\?\C:" stands for "\\?\C:\"
    if (!(folder_id(parent) == folder_id(folder)) &&
        !same_name(without_trails(parent), without_trails(resolved(folder))))
        return false;
    const std::wstring last = here.substr(cut + 1);
    if (same_name(last, name)) return true;
    // The system names "old." and "sp " without their trailing dots and blanks. Such a
    // path is the file itself unless it is another name for the file opened (a link).
    std::wstring bare = name;
    while (!bare.empty() && (bare.back() == L'.' || bare.back() == L' ')) bare.pop_back();
    if (bare.empty() || bare.size() == name.size() || !same_name(last, bare)) return false;
    BY_HANDLE_FILE_INFORMATION mine, other;
    if (!GetFileInformationByHandle(h, &mine)) return false;
    const Handle o(CreateFileW(child(folder, bare).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!o) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!GetFileInformationByHandle(o.get(), &other)) return false;
    return mine.nFileIndexLow != other.nFileIndexLow || mine.nFileIndexHigh != other.nFileIndexHigh ||
           mine.dwVolumeSerialNumber != other.dwVolumeSerialNumber;
}

Lead lead_of(const std::wstring& final, const std::wstring& source_final, const FolderId& source_id,
             const std::vector<std::wstring>& on_path) {
    // One whose end the system cannot name is not known to stay inside.
    if (final.empty()) return Lead::Out;
    const auto below = [](const std::wstring& path, const std::wstring& folder) {
        if (path.size() < folder.size() ||
            CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                                 static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
            return false;
        return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
    };
    if (source_final.empty() || !below(final, source_final))
        if (!within(final, source_id)) return Lead::Out;
    for (const std::wstring& folder : on_path)
        if (below(folder, final)) return Lead::Back;
    return Lead::Inside;
}

}  // namespace win
