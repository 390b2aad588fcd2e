#pragma once
// Typed folder entry: the check that runs when a folder box or a BROWSE button
// loses the focus, and the destination check of ADD JOB.
#include <windows.h>

#include <string>

namespace folders {

enum class Entry {
    Empty,    // nothing typed
    Refused,  // told the user; the box is to be emptied
    Created,  // did not exist; made at the user's request
    Present,
};

// Completes a bare drive ("E:" becomes "E:\") in `path`, refuses a name a job file
// cannot hold, and offers to create a missing folder.
Entry check_entry(HWND owner, std::wstring& path);

// The destination of ADD/EDIT, a bare drive completed in `path`: false, after
// telling the user, when it is not there.
bool destination_present(HWND owner, std::wstring& path);

}  // namespace folders
