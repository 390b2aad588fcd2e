#pragma once
// Text files in an 8-bit code page (ANSI for our files, OEM for the batch script).
#include <windows.h>

#include <optional>
#include <string>

namespace win {

struct FileResult {
    bool ok = false;
    DWORD error = 0;  // the system's error code when !ok
};

// Whole file decoded from the code page; nullopt and the error when it cannot be read.
std::optional<std::wstring> read_text_file(const std::wstring& path, UINT codepage, DWORD* error = nullptr);

// Can every character be written in the code page without a stand-in?
bool representable(const std::wstring& text, UINT codepage);

// Writes to a temporary file beside the target, then renames it over the target,
// so a failed write never destroys the previous file.
FileResult write_text_file(const std::wstring& path, const std::wstring& text, UINT codepage);

}  // namespace win
