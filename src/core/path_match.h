#pragma once
// The rules of the existence test, apart from the directory listing itself.
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// Attribute bits as the file system reports them.
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;

// Masks callers pass: 0 ordinary files, 16 folders too, 20 system entries too.
inline constexpr int kMaskFiles = 0;
inline constexpr int kMaskFolders = 16;
inline constexpr int kMaskSystem = 20;

// An entry is admitted when each of its special kinds (folder, system) is in the
// mask; hidden entries never are.
bool entry_admitted(std::uint32_t attributes, int mask);

// Paths that begin with ":" are refused outright (a device error, not an answer).
bool path_refused(std::wstring_view path);

// What the listing is asked for: the lower-cased path, and for a path that ends
// in a backslash, everything inside that folder.
std::wstring listing_pattern(std::wstring_view path);

}  // namespace core
