#pragma once
// File > Print Program Files: the sorted list of "C:\Program Files" in a folder.
#include <string>

#include "win/result.h"

namespace run {

// Writes ProgramFilesList.txt into `folder`; the current folder stays as it is.
win::Status write_program_files_list(const std::wstring& folder);

}  // namespace run
