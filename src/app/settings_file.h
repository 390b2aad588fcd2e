#pragma once
#include <windows.h>

namespace app {

// Fills DefaultJob and BackupDates from the settings file in DataFolder; writes a
// fresh file when there is none. Problems are reported to the user, never fatal.
void ReadSettings(HWND owner);

// Replaces the settings file; false (after telling the user) when it cannot be written.
bool WriteSettings(HWND owner);

}  // namespace app
