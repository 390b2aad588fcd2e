#pragma once
#include <windows.h>

#include "core/version.h"

namespace app {

// The steps before any window shows: the two folders and the settings.
void startup_load(HWND owner);

// The program's version numbers, from its version resource.
core::Version app_version();

}  // namespace app
