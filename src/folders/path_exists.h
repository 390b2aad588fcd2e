#pragma once
// The one existence test: a first-match directory listing of the lower-cased path.
#include <stdexcept>
#include <string>

namespace folders {

// Raised for a path beginning with ":" (the device error 57) and for a listing
// that fails for another reason than "nothing there" (a drive without a medium).
class PathError : public std::runtime_error {
public:
    PathError(int code, const std::wstring& path, const std::string& what)
        : std::runtime_error(what), code(code), path(path) {}
    int code;
    std::wstring path;
};

// mask: 0 ordinary files, 16 folders too, 20 system entries too. Wildcards match;
// a path ending in "\" is searched inside that folder.
bool PathExists(const std::wstring& path, int mask);

// For callers that treat a refused path like a missing one.
bool PathExistsOrFalse(const std::wstring& path, int mask);

}  // namespace folders
