#include "core/settings.h"

#include <algorithm>

#include "core/text.h"

namespace core {
namespace {
constexpr std::wstring_view kGeneral = L"[GENERAL SETTINGS]";
constexpr std::wstring_view kDates = L"[BACKUP DATES]";
constexpr std::wstring_view kDefaultKey = L"DefaultJob";
constexpr std::wstring_view kServerKey = L"UpdateServer";
constexpr std::wstring_view kHostKey = L"UpdateHost";
constexpr std::wstring_view kToldKey = L"ToldRuns";
constexpr std::wstring_view kOptionsKey = L"Options:";
constexpr std::wstring_view kScheduleKey = L"Schedule:";

struct OptionWord {
    std::wstring_view word;
    bool RunOptions::*box;
};
constexpr OptionWord kOptionWords[] = {
    {L"empty", &RunOptions::include_empty}, {L"remove", &RunOptions::purge}, {L"exit", &RunOptions::exit_when_done}};
// Keep, ticked by default, is written either way. A line of a version before Keep
// names neither word and keeps it ticked; older versions read "nokeep" as no "keep".
constexpr std::wstring_view kKeep = L"keep";
constexpr std::wstring_view kNoKeep = L"nokeep";

bool has_word(std::wstring_view text, std::wstring_view word) {
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find(L',', from), text.size());
        if (text.substr(from, end - from) == word) return true;
        from = end + 1;
    }
    return false;
}

RunOptions parse_options(std::wstring_view text) {
    RunOptions o{false, false, false, !has_word(text, kNoKeep)};
    for (const auto& [word, box] : kOptionWords) o.*box = has_word(text, word);
    return o;
}

std::wstring format_options(const RunOptions& o) {
    std::wstring text;
    for (const auto& [word, box] : kOptionWords)
        if (o.*box) text += std::wstring(word) + L",";
    return text + std::wstring(o.keep_versions ? kKeep : kNoKeep);
}
// "<prefix><job file>=<value>" split in two: a job file's name may hold "=", the
// values these keys take never do. Nothing for another key or a nameless one.
std::optional<std::pair<std::wstring_view, std::wstring_view>> job_key(std::wstring_view line,
                                                                       std::wstring_view prefix) {
    const std::size_t eq = line.rfind(L'=');
    if (!line.starts_with(prefix) || eq == std::wstring_view::npos || eq <= prefix.size()) return std::nullopt;
    return std::pair{line.substr(prefix.size(), eq - prefix.size()), line.substr(eq + 1)};
}

}  // namespace

Settings parse_settings(std::wstring_view text) {
    Settings s;
    enum class Section { None, General, Dates } section = Section::None;
    std::size_t next_row = 0;
    for (const auto& line : split_lines(text)) {
        if (line == kGeneral) {
            section = Section::General;
            continue;
        }
        if (line == kDates) {
            section = Section::Dates;
            continue;
        }
        auto eq = line.find(L'=');
        if (section == Section::None || eq == std::wstring::npos) continue;
        if (section == Section::General) {
            std::wstring_view key = std::wstring_view(line).substr(0, eq);
            if (key == kDefaultKey) s.DefaultJob = line.substr(eq + 1);
            else if (key == kServerKey) s.UpdateServer = line.substr(eq + 1);
            else if (key == kHostKey) s.UpdateHost = line.substr(eq + 1);
            else if (key == kToldKey) s.ToldRuns = line.substr(eq + 1);
            else if (const auto options = job_key(line, kOptionsKey))
                s.JobOptions[std::wstring(options->first)] = parse_options(options->second);
            else if (const auto schedule = job_key(line, kScheduleKey))
                set_schedule(s, schedule->first, schedule->second);
        } else if (eq > 0 && next_row < kBackupDateRows) {  // a nameless row would end the table early
            s.BackupDates[next_row].name = line.substr(0, eq);
            s.BackupDates[next_row].date = line.substr(eq + 1);
            ++next_row;
        }
    }
    return s;
}

std::wstring format_settings(const Settings& s) {
    std::wstring out;
    out += kGeneral;
    out += kCrLf;
    out += kDefaultKey;
    out += L'=';
    out += s.DefaultJob;
    out += kCrLf;
    for (auto [key, value] : {std::pair{kServerKey, &s.UpdateServer}, std::pair{kHostKey, &s.UpdateHost},
                              std::pair{kToldKey, &s.ToldRuns}}) {
        if (value->empty()) continue;
        out += key;
        out += L'=';
        out += *value;
        out += kCrLf;
    }
    for (const auto& [name, options] : s.JobOptions) {
        out += kOptionsKey;
        out += name + L'=' + format_options(options);
        out += kCrLf;
    }
    for (const auto& row : s.Schedules) {
        out += kScheduleKey;
        out += row.job;
        out += L'=';
        out += row.text;
        out += kCrLf;
    }
    if (!s.BackupDates[0].name.empty()) {
        out += kDates;
        out += kCrLf;
        for (const auto& row : s.BackupDates) {
            if (row.name.empty()) continue;
            out += row.name;
            out += L'=';
            out += row.date;
            out += kCrLf;
        }
    }
    return out;
}

LookupResult LookupBackupDate(const Settings& s, std::wstring_view name) {
    for (const auto& row : s.BackupDates) {
        if (row.name == name) return {DateLookup::Found, row.date};
        if (row.name.empty()) return {DateLookup::Never, {}};
    }
    return {DateLookup::NotInTable, {}};
}

bool RecordBackupDate(Settings& s, std::wstring_view name, std::wstring_view date) {
    bool found = false;
    for (auto& row : s.BackupDates) {
        if (row.name.empty() && !found) {
            row.name = name;
            row.date = date;
            return true;
        }
        if (row.name == name) {
            row.date = date;
            found = true;
        }
    }
    return found;
}

std::wstring schedule_text_of(const Settings& s, std::wstring_view job) {
    for (const auto& row : s.Schedules)
        if (row.job == job) return row.text;
    return {};
}

void set_schedule(Settings& s, std::wstring_view job, std::wstring_view text) {
    auto row = std::find_if(s.Schedules.begin(), s.Schedules.end(), [&](const auto& r) { return r.job == job; });
    if (text.empty()) {
        if (row != s.Schedules.end()) s.Schedules.erase(row);
    } else if (row != s.Schedules.end()) {
        row->text = text;
    } else {
        s.Schedules.push_back({std::wstring(job), std::wstring(text)});
    }
}

SettingsChanges settings_changes(const Settings& at_start, const Settings& now) {
    SettingsChanges c;
    if (now.DefaultJob != at_start.DefaultJob) c.DefaultJob = now.DefaultJob;
    if (now.ToldRuns != at_start.ToldRuns) c.ToldRuns = now.ToldRuns;
    for (const auto& row : now.BackupDates) {
        if (row.name.empty()) continue;
        bool same = false;
        for (const auto& old : at_start.BackupDates)
            if (old.name == row.name) same = old.date == row.date;
        if (!same) c.dates.push_back(row);
    }
    for (const auto& [name, options] : now.JobOptions) {
        const auto old = at_start.JobOptions.find(name);
        if (old == at_start.JobOptions.end() || !(old->second == options)) c.options[name] = options;
    }
    for (const auto& row : now.Schedules)
        if (row.text != schedule_text_of(at_start, row.job)) c.schedules.push_back(row);
    for (const auto& row : at_start.Schedules)
        if (schedule_text_of(now, row.job).empty()) c.schedules.push_back({row.job, L""});
    return c;
}

void apply_changes(Settings& file, const SettingsChanges& changes) {
    if (changes.DefaultJob) file.DefaultJob = *changes.DefaultJob;
    // The note names a run by its place, which no time orders: of two windows that each
    // told, the last to close wins, which may tell a run twice but never hides one.
    if (changes.ToldRuns) file.ToldRuns = *changes.ToldRuns;
    for (const auto& row : changes.dates) RecordBackupDate(file, row.name, row.date);
    for (const auto& [name, options] : changes.options) file.JobOptions[name] = options;
    for (const auto& row : changes.schedules) set_schedule(file, row.job, row.text);
}

}  // namespace core
