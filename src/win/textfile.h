#pragma once
// Text files in an 8-bit code page (ANSI for our files, OEM for the batch script, UTF-8 for the run history).
#include <windows.h>

#include <string>

#include "win/result.h"

namespace win {

// The whole file decoded from the code page.
Result<std::wstring> read_text_file(const std::wstring& path, UINT codepage);

// Can every character be written in the code page without a stand-in?
bool representable(const std::wstring& text, UINT codepage);

// The text as bytes of the code page.
std::string encode_text(const std::wstring& text, UINT codepage);

// Adds the text at the end of the file, which is made when missing: for logs that only grow.
Status append_text_file(const std::wstring& path, const std::wstring& text, UINT codepage);

// Writes to a temporary file beside the target, then renames it over the target,
// so a failed write never destroys the previous file.
Status write_text_file(const std::wstring& path, const std::wstring& text, UINT codepage);

}  // namespace win
