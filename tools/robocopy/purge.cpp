// Removing what the source no longer holds: never through a link, read-only files too.
#include "copier.h"

#include "copier_parts.h"
#include "win/handles.h"

namespace robocopy {

bool Copier::removeFile(const std::wstring& folder, const std::wstring& name, DWORD attrs) {
    const std::wstring path = join_path(folder, name);
    // Under Wine a Unix link to a file looks like a plain file, and deleting it
    // by name deletes what it points to; the handle's final path tells.
    BOOL ok = FALSE;
    DWORD error = ERROR_SUCCESS;
    {
        const win::Handle h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!h) {
            report(GetLastError(), L"Deleting Extra File", path);
            return false;
        }
        const std::wstring here = final_path(h.get());
        if (here.empty()) {
            report(ERROR_CANT_ACCESS_FILE, L"Deleting Extra File", path,
                   L"The system cannot tell where it is, so it could be a link; it is left as it is.");
            return false;
        }
        if (!win::is_itself(h.get(), here, folder, name)) {
            report(ERROR_CANT_ACCESS_FILE, L"Deleting Extra File", path, kLinkNote);
            return false;
        }
        FILE_DISPOSITION_INFO dispose{TRUE};
        ok = SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose);
        if (!ok && GetLastError() == ERROR_ACCESS_DENIED && (attrs & kBlockingAttrs)) {
            FILE_BASIC_INFO info{};
            info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            if (SetFileInformationByHandle(h.get(), FileBasicInfo, &info, sizeof info))
                ok = SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose);
        }
        error = ok ? ERROR_SUCCESS : GetLastError();
    }  // closed: the file goes now
    // Wine may say yes and keep the file (an immutable folder): look again.
    if (ok && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    report(ok ? ERROR_ACCESS_DENIED : error, L"Deleting Extra File", path);
    return false;
}

bool Copier::removeLink(const std::wstring& path, bool only_ask) {
    // Opened as the link itself; where the system opens what it points to
    // instead (Wine), deleting through this handle would delete that, so the
    // link is reported and left.
    const win::Handle h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) {
        report(GetLastError(), L"Deleting Extra Link", path);
        return false;
    }
    FILE_ATTRIBUTE_TAG_INFO tag{};
    const bool is_link = GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &tag, sizeof tag) &&
                         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    FILE_DISPOSITION_INFO dispose{TRUE};
    const BOOL ok =
        is_link && (only_ask || SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose, sizeof dispose));
    const DWORD error = ok ? ERROR_SUCCESS : is_link ? GetLastError() : ERROR_CANT_ACCESS_FILE;
    if (ok) return true;
    report(error, L"Deleting Extra Link", path, is_link ? nullptr : kLinkNote);
    return false;
}

Copier::Removal Copier::removeTree(const std::wstring& path) {
    std::vector<Entry> entries;
    const DWORD error = list(path, entries);
    if (error != ERROR_SUCCESS) {
        report(error, L"Scanning Extra Directory", path);
        return Removal::Failed;
    }
    // A full-path pattern names the source's path, which this folder had there.
    const std::wstring in_source = path.compare(0, target_root_.size(), target_root_) == 0
                                       ? source_root_ + path.substr(target_root_.size())
                                       : path;
    bool ok = true, holds = false;
    for (const Entry& e : entries) {
        if (isExcluded(e, path) || isExcluded(e, in_source)) holds = true;
        else if (e.isLink()) ok = removeLink(join_path(path, e.name)) && ok;
        else if (!e.isDir()) ok = removeFile(path, e.name, e.attrs) && ok;
        else if (const Removal r = removeTree(join_path(path, e.name)); r != Removal::Gone) {
            ok = ok && r != Removal::Failed;
            holds = true;
        }
    }
    if (!ok) return Removal::Failed;
    if (holds) return Removal::HoldsLeftOut;
    if (!RemoveDirectoryW(path.c_str())) {
        if (GetLastError() == ERROR_ACCESS_DENIED) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_DIRECTORY);
        if (!RemoveDirectoryW(path.c_str())) {
            report(GetLastError(), L"Deleting Extra Directory", path);
            return Removal::Failed;
        }
    }
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        report(ERROR_ACCESS_DENIED, L"Deleting Extra Directory", path);
        return Removal::Failed;
    }
    return Removal::Gone;
}

}  // namespace robocopy
