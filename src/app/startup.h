#pragma once
#include <windows.h>

#include "core/version.h"

namespace app {

// The steps before any window shows: the two folders and the settings.
void StartupLoad(HWND owner);

// The program's version numbers, from its version resource.
core::Version AppVersion();

// Today's date as the user's short date text.
std::wstring TodayShortDate();

}  // namespace app
