#pragma once
// The list of the entries of "C:\Program Files" left beside every backup.
#include <string>
#include <vector>

namespace core {

inline constexpr std::size_t kMaxListedNames = 100;

// Heading, empty line, then the names (already upper case) in ordinal order.
std::wstring program_files_text(std::vector<std::wstring> names);

}  // namespace core
