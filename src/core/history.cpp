#include "core/history.h"

#include <algorithm>

#include "core/text.h"

namespace core {
namespace {

constexpr std::size_t kToldAtMost = 10;
constexpr std::size_t kReasonChars = 200;

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
    if (!stamp || parts[1].empty() || parts[2].empty()) {
        e.detail = line;
        return e;
    }
    std::wstring* fields[] = {&e.when, &e.job_file, &e.outcome, &e.detail, &e.log};
    for (std::size_t i = 0; i < 5; ++i) *fields[i] = parts[i] == L"-" ? std::wstring_view() : parts[i];
    e.readable = true;
    e.at = *stamp;
    return e;
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long days_from_civil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool same_file(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && to_lower(a) == to_lower(b); }

// "BACKUP FAILED" -> "FAILED": what the warning line says after "Last run".
std::wstring_view outcome_word(std::wstring_view outcome) {
    constexpr std::wstring_view kBackup = L"BACKUP ";
    return outcome.starts_with(kBackup) ? outcome.substr(kBackup.size()) : outcome;
}

}  // namespace

std::optional<DateTime> parse_stamp(std::wstring_view t) {
    if (t.size() != 19) return std::nullopt;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const wchar_t want = i == 4 || i == 7 ? L'-' : i == 10 ? L' ' : i == 13 || i == 16 ? L':' : L'0';
        if (want == L'0' ? t[i] < L'0' || t[i] > L'9' : t[i] != want) return std::nullopt;
    }
    const auto n = [&](std::size_t at, std::size_t digits) {
        int v = 0;
        for (std::size_t i = at; i < at + digits; ++i) v = v * 10 + (t[i] - L'0');
        return v;
    };
    const DateTime d{n(0, 4), n(5, 2), n(8, 2), n(11, 2), n(14, 2)};
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour > 23 || d.minute > 59 || n(17, 2) > 59)
        return std::nullopt;
    return d;
}

std::vector<HistoryEntry> parse_history(std::wstring_view text) {
    std::vector<HistoryEntry> entries;
    for (const auto& line : split_lines(text))
        if (!line.empty()) entries.push_back(read_line(line));
    return entries;
}

ToTell runs_to_tell(const std::vector<HistoryEntry>& history, std::wstring_view mark) {
    ToTell tell;
    tell.mark = std::max(std::wstring(mark), newest_stamp(history));
    std::vector<const HistoryEntry*> failed;
    for (const auto& e : history)
        if (e.readable && e.when > mark && e.outcome != kBackupComplete) failed.push_back(&e);
    // The file is in the order the runs ended; a hand edit or a changed clock may not be.
    std::stable_sort(failed.begin(), failed.end(), [](auto* a, auto* b) { return a->when > b->when; });
    for (const HistoryEntry* e : failed) {
        if (tell.runs.size() < kToldAtMost) tell.runs.push_back(*e);
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

std::wstring newest_stamp(const std::vector<HistoryEntry>& history) {
    std::wstring newest;
    for (const auto& e : history)
        if (e.readable) newest = std::max(newest, e.when);
    return newest;
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
                          const DateTime& now) {
    const HistoryEntry *latest = nullptr, *complete = nullptr;
    for (const auto& e : history) {
        if (!e.readable || !same_file(e.job_file, job_file)) continue;
        if (!latest || e.when >= latest->when) latest = &e;
        if (e.outcome == kBackupComplete && (!complete || e.when >= complete->when)) complete = &e;
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
