#include "core/history.h"

#include <algorithm>
#include <map>

#include "core/text.h"

namespace core {
namespace {

constexpr std::size_t kToldAtMost = 10;
constexpr std::size_t kReasonChars = 200;
constexpr std::wstring_view kNumberSign = L" #";  // between the note's time and its run's number

std::vector<std::wstring_view> split_tabs(std::wstring_view line) {
    std::vector<std::wstring_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t tab = line.find(L'\t', from);
        parts.push_back(line.substr(from, tab == std::wstring_view::npos ? tab : tab - from));
        if (tab == std::wstring_view::npos) return parts;
        from = tab + 1;
    }
}

HistoryEntry read_line(std::wstring_view line) {
    HistoryEntry e;
    const auto parts = split_tabs(line);
    const auto stamp = parts.size() == 5 ? parse_stamp(parts[0]) : std::nullopt;
    // A log field without a folder is a log name only: the run's, which kept no log.
    const bool named_only = parts.size() == 5 && parts[4] != L"-" && parts[4].find(L'\\') == std::wstring_view::npos;
    const bool start = parts.size() == 5 && parts[2].empty() && parts[3] == L"-" && named_only && !parts[4].empty();
    if (!stamp || parts[1].empty() || parts[2] == L"-" || (parts[2].empty() && !start)) {
        e.detail = line;
        return e;
    }
    std::wstring* fields[] = {&e.when, &e.job_file, &e.outcome, &e.detail, &e.log};
    for (std::size_t i = 0; i < 5; ++i) *fields[i] = parts[i] == L"-" ? std::wstring_view() : parts[i];
    e.run = e.log.substr(e.log.rfind(L'\\') + 1);  // npos + 1: the whole field
    if (named_only) e.log.clear();
    e.readable = true;
    e.start = start;
    e.at = *stamp;
    return e;
}

// A run's number in the note: digits only, else 0 (none).
std::size_t number(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 9) return 0;
    std::size_t n = 0;
    for (wchar_t c : digits) {
        if (c < L'0' || c > L'9') return 0;
        n = n * 10 + static_cast<std::size_t>(c - L'0');
    }
    return n;
}

bool same_file(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && to_lower(a) == to_lower(b); }

// "BACKUP FAILED" -> "FAILED": what the warning line says after "Last run".
std::wstring_view outcome_word(std::wstring_view outcome) {
    constexpr std::wstring_view kBackup = L"BACKUP ";
    return outcome.starts_with(kBackup) ? outcome.substr(kBackup.size()) : outcome;
}

// What the note covers: the readable lines up to its number, or with no number, up to its time.
struct Note {
    std::size_t number = 0;
    std::wstring_view when;
    bool covers(const HistoryEntry& e) const { return number ? e.number <= number : e.when <= when; }
};

Note read_note(const std::vector<HistoryEntry>& history, std::wstring_view mark) {
    const std::size_t hash = mark.find(kNumberSign);
    Note note{hash == std::wstring_view::npos ? 0 : number(mark.substr(hash + kNumberSign.size())),
              mark.substr(0, hash)};
    // The line the note names by its number, else the last line of its time.
    const auto named = std::ranges::find(history, note.number, &HistoryEntry::number);
    if (note.number == 0 || named == history.end() || named->when != note.when) {
        note.number = 0;
        for (const auto& e : history)
            if (e.readable && e.when == note.when) note.number = e.number;
    }
    return note;
}

// The note that names the last readable line up to `through`; empty when there is none.
std::wstring mark_through(const std::vector<HistoryEntry>& history, std::size_t through) {
    const HistoryEntry* last = nullptr;
    for (const auto& e : history)
        if (e.readable && e.number <= through) last = &e;
    return last ? last->when + std::wstring(kNumberSign) + std::to_wstring(last->number) : std::wstring();
}

}  // namespace

std::wstring start_line(std::wstring_view when, std::wstring_view job_file, std::wstring_view run) {
    return std::wstring(when) + L"\t" + std::wstring(job_file) + L"\t\t-\t" + std::wstring(run);
}

std::optional<DateTime> parse_stamp(std::wstring_view t) {
    const auto seconds = stamp_seconds(t, L':');
    if (!seconds) return std::nullopt;
    return date_time_of(*seconds);
}

std::vector<HistoryEntry> parse_history(std::wstring_view text) {
    std::vector<HistoryEntry> entries;
    std::size_t readable = 0;
    for (const auto& line : split_lines(text)) {
        if (line.empty()) continue;
        entries.push_back(read_line(line));
        if (entries.back().readable) entries.back().number = ++readable;
    }
    return entries;
}

std::vector<HistoryEntry> history_runs(const std::vector<HistoryEntry>& history, const Running& running) {
    std::vector<HistoryEntry> runs;
    std::vector<bool> ended;
    std::map<std::wstring, std::size_t> open;  // a start line's run, till its end line comes (or another start)
    for (const auto& e : history) {
        if (e.readable && !e.start && !e.run.empty())
            if (const auto s = open.find(e.run); s != open.end() && runs[s->second].job_file == e.job_file) {
                ended[s->second] = true;
                open.erase(s);
            }
        if (e.start) open[e.run] = runs.size();
        runs.push_back(e);
        ended.push_back(false);
    }
    for (std::size_t at = 0; at < runs.size(); ++at) {
        if (!runs[at].start || ended[at]) continue;
        const bool going = running && running(runs[at].run);
        runs[at].outcome = going ? kRunning : kNeverEnded;
        if (!going)
            runs[at].detail = L"Ostrevin ended before the run did: it was closed by force, or the computer went off.";
    }
    std::size_t i = 0;
    std::erase_if(runs, [&](const HistoryEntry&) { return ended[i++]; });
    return runs;
}

std::vector<HistoryEntry> untold_runs(const std::vector<HistoryEntry>& history, std::wstring_view mark,
                                      const Running& running) {
    const Note note = read_note(history, mark);
    auto runs = history_runs(history, running);
    std::erase_if(runs, [&](const HistoryEntry& e) { return !e.readable || note.covers(e); });
    return runs;
}

std::wstring told_mark(const std::vector<HistoryEntry>& history) { return mark_through(history, history.size()); }

ToTell runs_to_tell(const std::vector<HistoryEntry>& history, std::wstring_view mark, const Running& running) {
    ToTell tell;
    auto untold = untold_runs(history, mark, running);
    // A run still going, and the runs written after its start, wait for a later start.
    std::size_t through = history.size();
    if (const auto going = std::ranges::find(untold, kRunning, &HistoryEntry::outcome); going != untold.end()) {
        through = going->number - 1;
        std::erase_if(untold, [&](const HistoryEntry& e) { return e.number > through; });
    }
    tell.mark = mark_through(history, through);
    if (tell.mark.empty()) tell.mark = mark;  // no history yet, or none that can be read
    for (auto run = untold.rbegin(); run != untold.rend(); ++run) {
        if (run->outcome == kBackupComplete) continue;
        if (tell.runs.size() < kToldAtMost) tell.runs.push_back(*run);
        else ++tell.more;
    }
    return tell;
}

std::wstring told_text(const ToTell& tell) {
    std::wstring text = L"These backups did not complete:";
    for (const auto& run : tell.runs) {
        text += L"\r\r" + run.when + L"  " + run.job_file + L": " + run.outcome;
        if (!run.detail.empty()) text += L"\r" + first_reason(run.detail);
        if (!run.log.empty()) text += L"\rLog: " + run.log;
    }
    if (tell.more) text += L"\r\rAnd " + std::to_wstring(tell.more) + L" more before them.";
    return text + L"\r\rFile > Run History... lists every run.";
}

std::wstring first_reason(std::wstring_view detail) {
    if (detail.size() <= kReasonChars) return std::wstring(detail);
    return std::wstring(detail.substr(0, kReasonChars)) + L"...";
}

int overdue_days(ScheduleKind kind) {
    switch (kind) {
        case ScheduleKind::Daily:
            return 2;
        case ScheduleKind::Weekly:
            return 14;
        case ScheduleKind::AtLogon:
            return 7;
        case ScheduleKind::Off:
            break;
    }
    return 30;
}

long long minutes_between(const DateTime& from, const DateTime& to) {
    const auto minutes = [](const DateTime& d) {
        return (days_from_civil(d.year, d.month, d.day) * 24 + d.hour) * 60 + d.minute;
    };
    return minutes(to) - minutes(from);
}

std::wstring warning_line(const std::vector<HistoryEntry>& history, std::wstring_view job_file, ScheduleKind kind,
                          const DateTime& now, const Running& running) {
    const auto runs = history_runs(history, running);
    const HistoryEntry *latest = nullptr, *complete = nullptr;
    for (const auto& e : runs) {  // the last written, whatever time a clock set wrong gave them
        if (!e.readable || !same_file(e.job_file, job_file) || e.outcome == kRunning) continue;
        latest = &e;
        if (e.outcome == kBackupComplete) complete = &e;
    }
    if (!latest) return {};
    if (latest->outcome != kBackupComplete)
        return L"Last run " + std::wstring(outcome_word(latest->outcome)) + L" on " + latest->when.substr(0, 16);
    const long long age = minutes_between(complete->at, now);
    if (age <= static_cast<long long>(overdue_days(kind)) * 24 * 60) return {};
    const long long days = age / (24 * 60);
    return L"Last complete backup " + std::to_wstring(days) + (days == 1 ? L" day ago" : L" days ago");
}

}  // namespace core
