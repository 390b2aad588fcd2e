#pragma once
#include <windows.h>

#include <string>

namespace win {

// The system's description of an error code, without the trailing line end.
std::wstring error_text(DWORD code);

}  // namespace win
