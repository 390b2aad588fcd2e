#pragma once
// Where a folder link of a copy's source leads. The copier and the walk before the
// copy (what goes aside) decide with this one rule, so that what the walk leaves in
// place the copy never removes.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace win {

// The path of what the handle opened, every link resolved; empty when the system
// cannot name it (no drive letter), so that callers never take a guess for it.
std::wstring final_path(HANDLE h);

// Which folder a path is, whatever its spelling.
struct FolderId {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool valid = false;
    bool opened = false;  // the open worked, whatever the questions after it gave
    bool operator==(const FolderId& o) const { return valid && o.valid && volume == o.volume && index == o.index; }
};
// Opens the folder, links followed; final, when given, is left empty if the system cannot name it.
FolderId folder_id(const std::wstring& path, std::wstring* final = nullptr);
// True when the folder with this identity is the one at this final path or one of its parents.
bool within(std::wstring final, const FolderId& id);
// The path with every link resolved or, when the system cannot name that, as given.
std::wstring resolved(const std::wstring& path);

// True when the handle, opened by the path `folder`\`name`, opened the entry of that
// name itself and not what a link of that name leads to: under Wine a Unix link to a
// file lists as a plain file, and renaming or deleting it by name reaches its target.
// `here` is the handle's final path; an empty one proves nothing, and is false.
bool is_itself(HANDLE h, const std::wstring& here, const std::wstring& folder, const std::wstring& name);

// A source folder reached through a link: one that stays inside the source is copied
// through; one that leads out of it is not the job's data (a Wine prefix links z: to
// the whole file system), and one that leads back to a folder on the way is a loop.
enum class Lead { Listed, Inside, Out, Back };
// `on_path`: the final paths of the folders the walk is in, the source's own first.
Lead lead_of(const std::wstring& final, const std::wstring& source_final, const FolderId& source_id,
             const std::vector<std::wstring>& on_path);

}  // namespace win
