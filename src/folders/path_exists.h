#pragma once
// The one existence test: a first-match directory listing of the lower-cased path.
#include <windows.h>

#include <string>

namespace folders {

// mask: 0 ordinary files, 16 folders too, 20 system entries too. Wildcards match;
// a path ending in "\" is searched inside that folder.
// A path that cannot be searched counts as missing, and `error` (when given) gets
// why: 57 (device I/O error) for a path beginning with ":", the listing's error for
// anything but "nothing there" (a drive without a medium); otherwise 0.
bool PathExists(const std::wstring& path, int mask, DWORD* error = nullptr);

}  // namespace folders
