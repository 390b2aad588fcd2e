#include "folders/path_exists.h"

#include <windows.h>

#include "core/path_match.h"

namespace folders {

bool PathExists(const std::wstring& path, int mask) {
    if (core::path_refused(path)) throw PathError(57, path, "Device I/O error");
    std::wstring pattern = core::listing_pattern(path);
    if (pattern.empty()) return false;
    // Don't let Windows pop up "no disk in drive" boxes for an empty removable drive.
    UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    DWORD err = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    SetErrorMode(old_mode);
    if (h == INVALID_HANDLE_VALUE) {
        switch (err) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_NO_MORE_FILES:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_PATHNAME:
            case ERROR_DIRECTORY:
                return false;
            default:
                throw PathError(static_cast<int>(err), path, "Device unavailable");
        }
    }
    bool found = false;
    do {
        if (core::entry_admitted(fd.dwFileAttributes, mask)) {
            found = true;
            break;
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
}

bool PathExistsOrFalse(const std::wstring& path, int mask) {
    try {
        return PathExists(path, mask);
    } catch (const PathError&) {
        return false;
    }
}

}  // namespace folders
