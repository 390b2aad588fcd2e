#pragma once
// Before a job's copy: what the copy would replace or remove goes aside, by a
// rename, into the destination's versions folder, under the run's dated folder.
// After a complete run, and when a drive runs short, the oldest dated folders go.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/job_rule.h"
#include "core/run_log.h"
#include "core/versions.h"
#include "win/prompt.h"

namespace run {

// What one job's copy would replace or remove in its backup.
struct AsidePlan {
    std::vector<std::wstring> moves;      // paths inside the backup ("SUB\A.TXT"); a folder goes whole
    std::vector<std::wstring> replacing;  // those of them that are files the copy would overwrite
    std::vector<core::FileTimes> planned; // by `replacing`: the source's file the copy brings in its place
    // Extra folders (as `moves`) that hold what the job leaves out: only the rest of them
    // moves, and the copy must leave them (a copier may purge such a folder whole).
    std::vector<std::wstring> standing;
    std::vector<std::wstring> added;      // files the copy brings where the backup lacks them, or held a folder
    std::vector<std::wstring> gone;       // files of the backup whose name the source no longer holds
    unsigned long long files = 0;         // the files among them, those in moved folders too (after
                                          // the run: those still kept, none put back)
    std::uint64_t to_copy = 0;            // bytes the copy will write: new and changed files
    unsigned long long held = 0;          // files of the backup in the folders both trees hold
    // As a list-only robocopy run with /PURGE counts them in its summary: the source's
    // files (total), those the backup holds alike (skipped), the extras; the folders
    // both hold (skipped, the top one too) and the extra folders.
    core::FileCounts file_counts, dir_counts;
    bool fat = false;      // the destination keeps times to 2 seconds (/FFT)
    bool stopped = false;  // the stop event was set: the walk ended early, the plan is partial
    // A folder of either tree that could not be listed, and why: the plan is partial,
    // and the job must not copy, as nothing is known of what it would touch there.
    std::wstring unlisted;
    DWORD unlisted_error = ERROR_SUCCESS;
};

// Walks the job's source and backup (names exact; the source's links followed where the
// backup holds their name and they stay inside the source, as the copier follows them;
// the backup's never entered nor moved), leaving out what the job's patterns leave out.
// A folder that cannot be listed ends it (AsidePlan::unlisted). One walk serves the purge
// question, the overwrite question and the moves. `stop`, when set, ends it early.
AsidePlan plan_aside(const core::JobCopy& copy, bool purge, bool fat_times, HANDLE stop = nullptr);

// The exact name in the `\\?\` form: no device names, trailing dots or blanks kept.
std::wstring exact_path(const std::wstring& path);

// The run's dated name, or the next second no destination holds yet: two runs in
// one second would otherwise share a dated folder.
std::wstring free_dated_name(const std::vector<std::wstring>& destinations, std::wstring name);

// "<destination>\Ostrevin Versions\<dated>".
std::wstring dated_folder(const std::wstring& destination, const std::wstring& dated_name);

// Makes "<destination>\Ostrevin Versions\<dated>" where it is not there, and refuses
// one of them that is a link, as move_aside does.
std::optional<win::Failure> make_dated_folder(const std::wstring& destination, const std::wstring& dated_name);

// Renames each planned entry from the backup to the dated folder of `destination`,
// under the backup folder's name and its path there, making the folders on the way;
// the first failure, naming the file, stops it. So does `stop` when set (an event),
// and then `stopped` says so. A restore keeps what it replaces in a source, which may be
// on another drive (`across_drives`): such a file is copied there, then removed.
std::optional<win::Failure> move_aside(const core::JobCopy& copy, const AsidePlan& plan,
                                       const std::wstring& destination, const std::wstring& dated_name,
                                       HANDLE stop = nullptr, bool* stopped = nullptr, bool across_drives = false);

// Renames back into the backup each of `paths` (as in AsidePlan::moves) that the run's
// dated folder holds and whose new copy did not come: the backup lacks that exact name,
// or, with `planned` (by path, the source's file the copy was to bring), holds a file
// that is not that one (a copy cut off half-way). Removes the folders that leaves empty.
struct PutBack {
    unsigned long long back = 0;     // old copies put back
    std::vector<std::wstring> stuck; // old copies that could not go back: in the dated folder still
};
PutBack put_back(const core::JobCopy& copy, const std::vector<std::wstring>& paths,
                 const std::vector<core::FileTimes>& planned, bool fat_times, const std::wstring& destination,
                 const std::wstring& dated_name);

// Removing versions takes only the destination's dated folders named as this program
// names them, never the run's own, and never goes through a link (it removes the link).
// After a complete run: those older than the keeping time, by name and by their times.
void prune_versions(const std::wstring& destination, const std::wstring& run_name);
// Before the copy: when the drive lacks room for the `to_copy` bytes the run writes there,
// the oldest dated folders go, only as many as make room (core::folders_to_free). When
// even all of them would not, none goes, and the text says why the copy cannot start.
std::optional<std::wstring> make_room(const std::wstring& destination, const std::wstring& run_name,
                                      std::uint64_t to_copy);

// Marks the run's dated folder of `destination` as holding the good copies of the jobs
// whose backup folders are `names` (core::kSparedRecord).
std::optional<win::Failure> spare_dated_folder(const std::wstring& destination, const std::wstring& dated_name,
                                               const std::vector<std::wstring>& names);
// Takes `names` (backup folders whose jobs completed without a hold) off every dated
// folder's mark in `destination`; a mark left naming none goes, and pruning may take the folder.
void release_spared(const std::wstring& destination, const std::vector<std::wstring>& names);

// The free space and size of the drive that holds a folder; the tests replace it.
using FreeSpace = std::function<bool(const std::wstring& folder, std::uint64_t& free, std::uint64_t& total)>;
extern FreeSpace free_space;

}  // namespace run
