#pragma once
// Getting back what a backup held at a moment. Paths are relative to the destination
// ("BK\sub\a.txt": the backup folder's name, then the path in the backup) and, as
// Windows compares them, letter case is ignored.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// In each dated folder beside the kept copies: the files that run added, one a line.
inline constexpr wchar_t kAddedRecord[] = L"Ostrevin Added.txt";
// In a dated folder made by a restore: it kept what the restore replaced in a source,
// not what a run took from the backup, so it tells nothing of the backup's past.
inline constexpr wchar_t kRestoreRecord[] = L"Ostrevin Restore.txt";

// One run of a destination, as its dated folder tells it.
struct RunRecord {
    std::wstring name;                // its dated name
    std::vector<std::wstring> kept;   // the files its dated folder holds
    std::vector<std::wstring> added;  // the files it added to the backups
};

// Where one file to restore comes from: the backup (`run` empty) or a run's dated folder.
struct RestoreFile {
    std::wstring path;
    std::wstring run;
    bool operator==(const RestoreFile&) const = default;
};

// The rest of `path` below `folder` ("" for the folder itself), case ignored; nothing
// when it lies elsewhere. Neither ends in "\".
std::optional<std::wstring> path_below(std::wstring_view path, std::wstring_view folder);

// The files at or below `path` as the backup held them when the last run at or before
// `moment` ended ("YYYY-MM-DD HH-MM-SS"; nothing: the backup now). For each file the first
// later run decides: one that kept it holds that copy, one that added it means it was not
// there; with none, the backup's copy. `backup` lists the backup's files now.
std::vector<RestoreFile> files_as_of(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                     std::wstring_view path, const std::optional<std::wstring>& moment);

// The newest state that held anything at `path`: the backup now, or else just before
// the newest run that kept something there.
std::vector<RestoreFile> newest_files(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                      std::wstring_view path);

// Every copy of one file, newest first: "" for the backup's own, then the names of the
// runs whose dated folders keep one.
std::vector<std::wstring> copies_of(const std::vector<RunRecord>& runs, const std::vector<std::wstring>& backup,
                                    std::wstring_view file);

}  // namespace core
