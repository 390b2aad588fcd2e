#pragma once
#include <windows.h>

#include <string>

namespace app {

// Fills DefaultJob and BackupDates from the settings file in DataFolder; writes a
// fresh file when there is none. Problems are reported to the user, never fatal.
void ReadSettings(HWND owner);

// At exit: reads the file again and applies only this session's changes to it, so
// another window's dates or a hand edit survive. False (after telling the user)
// when it cannot be read or written; an unreadable file is left as it is.
bool WriteSettings(HWND owner);

// Writes the job file's schedule text (empty: none) at once, through the same merge.
bool write_schedule(HWND owner, const std::wstring& job, const std::wstring& text);

}  // namespace app
