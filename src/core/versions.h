#pragma once
// Keeping what a run replaces or removes: which entries of a backup go aside before
// the copy, the dated folders they go into, and which of those may be pruned.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// Beside the backups in a destination, never inside one: no mirror sees it.
inline constexpr wchar_t kVersionsFolder[] = L"Ostrevin Versions";
inline constexpr long long kKeepDays = 30;
// In a dated folder that holds the good copies of files that looked damaged when the user
// let them be replaced: the backup folders it keeps them for, one a line. Pruning passes
// such a folder over until a later run of each of those jobs completes without a hold.
inline constexpr wchar_t kSparedRecord[] = L"Ostrevin Spared.txt";

struct FileTimes {
    std::uint64_t size = 0, last_write = 0;  // last_write in FILETIME ticks
};
// As robocopy judges a file changed: another size, or another time either way; a
// FAT destination (/FFT) rounds times to 2 seconds, so closer ones are equal.
bool file_differs(const FileTimes& source, const FileTimes& backup, bool fat_times);

// One name as a tree holds it.
struct Held {
    enum class Kind { File, Folder, Link } kind = Kind::File;
    FileTimes stamp{};
};
enum class Aside {
    Leave,  // the copy keeps it, or cannot touch it
    Move,   // the copy would replace or purge it: it goes aside first
    Walk    // both trees hold a folder: look inside
};
// The decision for the backup's entry of one name (`backup` present) before the
// copy; `source` is null when the source lacks the name. A link of the backup is never
// entered nor moved; one of the source comes as what it leads to, or as a link when it leads nowhere.
Aside aside(const Held* source, const Held& backup, bool purge, bool fat_times);

// "2026-12-07 21-00-05" from the clock's "2026-12-07 21:00:05".
std::wstring dated_folder_name(std::wstring_view stamp);
// The seconds a dated folder's name stands for, counted from a fixed day; nothing
// for a name this program does not make.
std::optional<long long> dated_folder_time(std::wstring_view name);
// The dated name one second later ("2026-12-31 23-59-59" -> "2027-01-01 00-00-00");
// nothing for a name this program does not make.
std::optional<std::wstring> dated_folder_after(std::wstring_view name);
// A dated folder more than kKeepDays older than the run's own dated name, and made
// more than kKeepDays before `now` by its times in the file system (`made` and `now`
// in FILETIME ticks): a clock set wrong for one run names its folders wrongly, and
// a name alone would then have every real dated folder pruned, or its own.
bool dated_folder_expired(std::wstring_view name, std::wstring_view run_name, std::uint64_t made, std::uint64_t now);
// Without Keep: a copy that would replace more than half of the files a backup
// holds (at least 10 held) is asked about first, as a purge taking most of it is.
bool overwrite_needs_question(unsigned long long replaced, unsigned long long held);
// How many of the dated folders (their sizes, oldest first) must go so that `need`
// bytes fit in `free`: the fewest, oldest first; nothing when even all of them gone
// would not make room, and then none should go.
std::optional<std::size_t> folders_to_free(std::uint64_t free, std::uint64_t need,
                                           const std::vector<std::uint64_t>& sizes);
// "12 bytes", "3.4 KB", "120 MB", "1.5 GB": sizes as a message tells them.
std::wstring size_text(std::uint64_t bytes);

}  // namespace core
