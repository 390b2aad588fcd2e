#pragma once
// The rows of a folder list: the open folder's ancestors from the root down, the
// folder itself, then its sub-folders, each one level deeper than its parent.
#include <string>
#include <string_view>
#include <vector>

namespace core {

struct FolderEntry {
    std::wstring name;  // what the row shows
    std::wstring path;  // the folder's full path
    int depth = 0;      // 0 for the root
    bool open = false;  // the root, the ancestors and the open folder itself
};

// The root of a full path: "C:\" for a drive, "\\server\share" for a share; empty
// when the path has neither.
std::wstring folder_root(std::wstring_view path);

// Drops trailing backslashes, but a drive root keeps its own ("C:\").
std::wstring trim_folder(std::wstring_view path);

// The rows for a list open at `path` (a full path) whose sub-folders are `subfolders`
// (bare names, in any order; shown sorted without regard to letter case).
// Empty when the path has no root.
std::vector<FolderEntry> folder_tree(std::wstring_view path, std::vector<std::wstring> subfolders);

// The row of the open folder itself: the last open row; -1 when there is none.
int open_row(const std::vector<FolderEntry>& rows);

}  // namespace core
