#pragma once
// The settings file: the default job and the date of the last backup of each job file.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr std::size_t kBackupDateRows = 100;
inline constexpr std::wstring_view kNoDefaultJob = L"None";

struct BackupDateRow {
    std::wstring name;
    std::wstring date;
};

// The boxes last ticked for a job file's runs; an unattended run takes them.
struct RunOptions {
    bool include_empty = false;
    bool purge = false;
    bool exit_when_done = false;
    bool keep_versions = true;  // a job file never run yet keeps what its runs replace or remove
    bool operator==(const RunOptions&) const = default;
};

// "Schedule:<job file>=<schedule text>" in the general section.
struct ScheduleRow {
    std::wstring job;
    std::wstring text;
};

struct Settings {
    std::wstring DefaultJob;                                   // empty until read; "None" when no default job is set
    std::array<BackupDateRow, kBackupDateRows> BackupDates{};  // rows in use first, no gaps
    // Where the About window asks for the newest version. Empty: the built-in default.
    // Kept in the general section only when set, so a default file stays two lines.
    std::wstring UpdateServer;  // host[:port] the version file is fetched from
    std::wstring UpdateHost;    // the name shown to the user
    // By job file name, in the general section as "Options:<name>=empty,remove,exit,keep"
    // (the words of the boxes ticked, then "keep" or "nokeep"), which older versions pass over.
    std::map<std::wstring, RunOptions> JobOptions;
    std::vector<ScheduleRow> Schedules;  // in file order, one row per job file
    // The last run of the history the window has told about (core/history.h).
    std::wstring ToldRuns;
};

inline constexpr std::wstring_view kDefaultUpdateServer = L"updates.ostrevin.example";
inline constexpr std::wstring_view kDefaultUpdateHost = L"ostrevin.example";

// Lenient reader: unknown keys, lines before a section, lines without "=", dates
// lines without a name and dates lines beyond the 100th are skipped.
Settings parse_settings(std::wstring_view text);

// The file's exact text, every line ended by CR LF.
std::wstring format_settings(const Settings& s);

enum class DateLookup { Found, Never, NotInTable };
struct LookupResult {
    DateLookup kind;
    std::wstring date;  // set when Found
};
LookupResult LookupBackupDate(const Settings& s, std::wstring_view name);

// Updates the rows of that name, or fills the first empty row; false when nothing was stored.
bool RecordBackupDate(Settings& s, std::wstring_view name, std::wstring_view date);

// The job file's schedule text, empty when it has none; an empty text removes it.
std::wstring schedule_text_of(const Settings& s, std::wstring_view job);
void set_schedule(Settings& s, std::wstring_view job, std::wstring_view text);

// What a session changed: the default job if the user set another one, and the
// dates its runs recorded. At exit these are applied to the file as it is then,
// so another window's dates or a hand edit are never undone.
struct SettingsChanges {
    std::optional<std::wstring> DefaultJob;
    std::vector<BackupDateRow> dates;
    std::map<std::wstring, RunOptions> options;
    std::vector<ScheduleRow> schedules;    // an empty text removes one
    std::optional<std::wstring> ToldRuns;  // replaces the file's
    bool empty() const { return !DefaultJob && dates.empty() && options.empty() && schedules.empty() && !ToldRuns; }
};
SettingsChanges settings_changes(const Settings& at_start, const Settings& now);
void apply_changes(Settings& file, const SettingsChanges& changes);

}  // namespace core
