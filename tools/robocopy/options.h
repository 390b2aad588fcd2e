// Command line, path text and copy decisions of our robocopy-compatible copier.
// Standard C++ only, so it can be unit-tested without touching a file system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace robocopy {

// Exit code bits, as the real tool reports them; they OR together.
constexpr int kExitCopied = 1;    // one or more files were copied
constexpr int kExitExtras = 2;    // extra files or folders were seen in the target (purged or not)
constexpr int kExitMismatch = 4;  // a file in one tree is a folder in the other
constexpr int kExitFailed = 8;    // some copies or deletions failed after all retries
constexpr int kExitFatal = 16;    // bad arguments, or the source/target could not be used at all

// The real tool's defaults; the project's batch script always gives both.
constexpr unsigned kDefaultRetries = 1000000;
constexpr unsigned kDefaultWaitSeconds = 30;

enum class SubDirs {
    None,      // only the top-level files
    NonEmpty,  // /S: sub-folders that hold files somewhere below them
    All,       // /E: every sub-folder, empty ones too
};

struct Options {
    std::wstring source{};
    std::wstring target{};
    SubDirs subdirs = SubDirs::None;
    bool purge = false;
    unsigned retries = kDefaultRetries;
    unsigned wait_seconds = kDefaultWaitSeconds;
    std::wstring log{};  // /LOG:file or /LOG+:file; empty for none
    bool log_append = false;
    bool tee = false;           // /TEE: the console too
    bool no_progress = false;   // /NP; we never show percentages anyway
    bool fat_times = false;     // /FFT: times within 2 seconds are equal, as FAT stores them
    bool list_only = false;     // /L: walk, compare, log and count, but change nothing
    bool no_file_list = false;  // /NFL: no line for each file
    bool no_dir_list = false;   // /NDL: no line for each extra folder
    bool verbose = false;       // /V: a line for each file and folder left out by name
    // /XC /XN /XO: a file the target holds that differs only in size, or whose source
    // copy is newer, or older, is left as it is and counted as skipped.
    bool exclude_changed = false, exclude_newer = false, exclude_older = false;
    // /XF and /XD: names (wildcards allowed) that match at any depth, or full paths.
    std::vector<std::wstring> exclude_files{}, exclude_dirs{};
    bool operator==(const Options&) const = default;
};

struct ParseResult {
    bool ok = false;
    bool help = false;  // /? asked for the usage text
    Options options;
    std::wstring error;  // what was wrong, for the usage message
};

// Splits a raw Windows command line (program name included) into arguments.
// Quotes group blanks; a backslash is never an escape, so "C:\" "E:\X\" reads
// as two paths. Windows paths cannot hold a quote, so nothing is lost.
std::vector<std::wstring> split_command_line(const std::wstring& line);

// Parses the arguments after the program name.
ParseResult parse_arguments(const std::vector<std::wstring>& args);

// Tidies a folder path: forward slashes become backslashes, runs of
// backslashes collapse (a leading "\\" of a UNC path stays), "." components
// and a trailing backslash go, and a bare drive root keeps its backslash:
// "C:\." -> "C:\", "E:\BACKUP\\PHOTOS\" -> "E:\BACKUP\PHOTOS".
std::wstring normalize_folder(const std::wstring& path);

using core::join_path;

// What the listing tells about one file; times are FILETIME ticks.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t last_write = 0;
};

// A file is copied when the target lacks it or differs in size or in
// last-write time, whichever way the time differs; with fat_times (/FFT) by
// more than the 2 seconds a FAT drive rounds its times to.
bool needs_copy(const FileStamp& source, const FileStamp* target, bool fat_times = false);

// A file both hold that needs copying, left alone by /XC, /XN or /XO.
bool change_excluded(const Options& o, const FileStamp& source, const FileStamp& target);

// "*" any run of characters, "?" any one, letter case ignored; "*.*" matches a
// name without a dot too, as in the system's own patterns.
bool wildcard_match(std::wstring_view pattern, std::wstring_view text);

// A pattern with a backslash is a full path and is matched against `path`; any
// other matches the name alone, wherever it stands in the tree.
bool excluded(const std::vector<std::wstring>& patterns, std::wstring_view name, std::wstring_view path);

// One row of the summary: dirs, files or bytes, each column counted.
struct Tally {
    std::uint64_t total = 0, copied = 0, skipped = 0, mismatch = 0, failed = 0, extra = 0;
};

struct Counts {
    Tally dirs, files, bytes;
};

// Adds the counts of one part of a run (a worker thread's) to the whole.
Counts& operator+=(Counts& into, const Counts& part);

// The exit code of a run that got past its fatal checks.
int exit_code(const Counts& counts);

}  // namespace robocopy
