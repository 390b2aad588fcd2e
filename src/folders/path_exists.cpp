#include "folders/path_exists.h"

#include <windows.h>

#include "core/path_match.h"
#include "win/handles.h"

namespace folders {

bool PathExists(const std::wstring& path, int mask, DWORD* error) {
    if (error) *error = ERROR_SUCCESS;
    if (core::path_refused(path)) {
        if (error) *error = 57;
        return false;
    }
    std::wstring pattern = core::listing_pattern(path);
    if (pattern.empty()) return false;
    WIN32_FIND_DATAW fd;
    DWORD err = ERROR_SUCCESS;
    HANDLE first = INVALID_HANDLE_VALUE;
    {
        win::QuietErrorMode quiet;  // an empty removable drive answers, without a "no disk" box
        first = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
        if (first == INVALID_HANDLE_VALUE) err = GetLastError();
    }
    win::FindHandle h(first);
    if (!h) {
        switch (err) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_NO_MORE_FILES:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_PATHNAME:
            case ERROR_DIRECTORY:
                return false;
            default:
                if (error) *error = err;
                return false;
        }
    }
    bool found = false;
    do {
        if (core::entry_admitted(fd.dwFileAttributes, mask)) {
            found = true;
            break;
        }
    } while (FindNextFileW(h.get(), &fd));
    return found;
}

}  // namespace folders
