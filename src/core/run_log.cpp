#include "core/run_log.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace core {
namespace {

constexpr size_t kMaxErrors = 3;  // per job: enough to tell why, short enough for a message box

// French puts a no-break space before its colons.
bool blank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\u00A0' || c == L'\u202F' || c == L'\u3000';
}
bool digit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool has_digit(std::wstring_view t) { return std::any_of(t.begin(), t.end(), digit); }

std::wstring_view trimmed(std::wstring_view text) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::vector<std::wstring_view> tokens(std::wstring_view text) {
    std::vector<std::wstring_view> out;
    for (size_t at = 0; at < text.size();) {
        while (at < text.size() && blank(text[at])) ++at;
        size_t end = at;
        while (end < text.size() && !blank(text[end])) ++end;
        if (end > at) out.push_back(text.substr(at, end - at));
        at = end;
    }
    return out;
}

// "812", "2.51", "150,561": digits with at most one decimal mark; its whole part.
std::optional<unsigned long long> number(std::wstring_view t) {
    if (t.empty() || !digit(t.front()) || !digit(t.back())) return std::nullopt;
    unsigned long long whole = 0;
    bool mark = false;
    for (wchar_t c : t) {
        if (c == L'.' || c == L',') {
            if (mark) return std::nullopt;
            mark = true;
        } else if (!digit(c)) {
            return std::nullopt;
        } else if (!mark) {
            if (whole > 1'000'000'000'000'000ull) return std::nullopt;
            whole = whole * 10 + static_cast<unsigned long long>(c - L'0');
        }
    }
    return whole;
}

// The "k", "m", "g" after a size's number.
bool unit(std::wstring_view t) {
    return t.size() == 1 && ((t[0] >= L'a' && t[0] <= L'z') || (t[0] >= L'A' && t[0] <= L'Z'));
}

// "0:00:03" (durations), "21:14:06" (times), "2026/12/06" (dates): digits between separators.
bool stamp(std::wstring_view t, std::wstring_view separators) {
    if (t.empty() || !digit(t.front()) || !digit(t.back())) return false;
    bool any = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (digit(t[i])) continue;
        if (separators.find(t[i]) == std::wstring_view::npos || !digit(t[i - 1])) return false;
        any = true;
    }
    return any;
}

// "label : value", split at the first colon (a full-width one too).
struct Labelled {
    std::wstring_view label, value;
};
std::optional<Labelled> labelled(std::wstring_view line) {
    const size_t colon = line.find_first_of(L":\uFF1A");
    if (colon == std::wstring_view::npos) return std::nullopt;
    Labelled l{trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1))};
    if (l.label.empty()) return std::nullopt;
    return l;
}

// A summary row's value: six columns, each a number, a size's unit after its number.
std::optional<FileCounts> six_columns(std::wstring_view value) {
    const auto t = tokens(value);
    std::array<unsigned long long, 6> c{};
    size_t n = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        const auto figure = number(t[i]);
        if (!figure || n == c.size()) return std::nullopt;
        c[n++] = *figure;
        if (i + 1 < t.size() && unit(t[i + 1])) ++i;
    }
    if (n != c.size()) return std::nullopt;
    return FileCounts{c[0], c[1], c[2], c[3], c[4], c[5]};
}

// Nothing but figures: the summary's rows, its times row, our copier's exit code.
bool figures_only(std::wstring_view value) {
    const auto t = tokens(value);
    for (size_t i = 0; i < t.size(); ++i)
        if (!number(t[i]) && !stamp(t[i], L":") && !(i > 0 && unit(t[i]) && number(t[i - 1]))) return false;
    return true;
}

// The line that closes a normal run ("Ended : <date> <time>"): a label and a value
// with at least two figures (a date and a time) that is not figures only. A speed
// line ("Speed : 2631245 Bytes/sec.") has one figure.
bool closing(const Labelled& l) {
    const auto t = tokens(l.value);
    return std::count_if(t.begin(), t.end(), has_digit) >= 2 && !figures_only(l.value);
}

bool rule(std::wstring_view line) {
    return line.size() >= 20 && line.find_first_not_of(L'-') == std::wstring_view::npos;
}

// "[yyyy/mm/dd hh:mm:ss ]WORD n (0xXXXXXXXX) action path": the part from WORD on,
// in any language; empty for any other line.
std::wstring_view error_reason(std::wstring_view line) {
    const size_t open = line.find(L"(0x");
    if (open == std::wstring_view::npos || open + 12 > line.size() || line[open + 11] != L')') return {};
    unsigned long code = 0;
    for (wchar_t c : line.substr(open + 3, 8)) {
        const int v = digit(c)                   ? c - L'0'
                      : (c >= L'A' && c <= L'F') ? c - L'A' + 10
                      : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                                                 : -1;
        if (v < 0) return {};
        code = code * 16 + static_cast<unsigned long>(v);
    }
    if (trimmed(line.substr(open + 12)).empty()) return {};
    const auto before = tokens(line.substr(0, open));
    // Before the word, at most the date and the time.
    if (before.size() < 2 || before.size() > 4) return {};
    const std::wstring_view word = before[before.size() - 2], n = before.back();
    const auto decimal = number(n);
    if (!decimal || n.find_first_of(L".,") != std::wstring_view::npos || *decimal != code || has_digit(word)) return {};
    for (size_t i = 0; i + 2 < before.size(); ++i)
        if (!stamp(before[i], L"/-.:")) return {};
    return line.substr(static_cast<size_t>(word.data() - line.data()));
}

// robocopy's line for a file: tab-separated class, size and name, whatever the
// class is called; a folder line has its count in the class's field. The name, or
// empty for any other line.
std::wstring_view file_name(std::wstring_view raw) {
    std::vector<std::wstring_view> fields;
    for (size_t at = 0; at <= raw.size();) {
        size_t tab = std::min(raw.find(L'\t', at), raw.size());
        if (const auto f = trimmed(raw.substr(at, tab - at)); !f.empty()) fields.push_back(f);
        at = tab + 1;
    }
    if (fields.size() != 3 || raw.find(L'\t') == std::wstring_view::npos) return {};
    const auto size = tokens(fields[1]);
    if (!number(size[0]) || size.size() > 2 || (size.size() == 2 && !unit(size[1]))) return {};
    return fields[2];
}

// The script's "Ostrevin job 3 " line -> 3; 0 for any other line. A copy killed in
// the middle of a line leaves it open, and the mark is then written after it: `at`
// tells where the mark starts.
int job_marker(std::wstring_view line, size_t& at) {
    while (!line.empty() && (line.back() == L'\r' || line.back() == L'\n')) line.remove_suffix(1);
    const std::wstring_view whole = trimmed(line);
    if (whole.substr(0, kJobMark.size()) == kJobMark) {
        at = static_cast<size_t>(whole.data() - line.data());
    } else {
        // After an open line, only the echo's own form: the number, then one blank.
        if (line.empty() || line.back() != L' ') return 0;
        at = line.rfind(kJobMark);
        if (at == std::wstring_view::npos) return 0;
    }
    const std::wstring_view number = trimmed(line.substr(at + kJobMark.size()));
    if (number.empty() || number.size() > 3 || !std::all_of(number.begin(), number.end(), digit)) return 0;
    return std::stoi(std::wstring(number));
}

}  // namespace

void RunLog::line(std::wstring_view raw, bool whole) {
    RunProgress& p = progress_;
    size_t at = 0;
    if (const int n = job_marker(raw, at)) {
        if (at > 0) line(raw.substr(0, at), false);
        p = RunProgress{n, std::max(p.finished, n - 1), 0, {}};
        sections_[n] = Section{};
        return;
    }
    const std::wstring_view text = trimmed(raw);
    if (text.empty() || p.job == 0) return;
    Section& s = sections_[p.job];
    if (const std::wstring_view name = file_name(raw); !name.empty()) {
        ++p.files;
        p.file = name;
    }
    const bool tab = raw.find(L'\t') != std::wstring_view::npos;
    const auto parts = tab ? std::nullopt : labelled(text);
    const auto columns = parts ? six_columns(parts->value) : std::nullopt;
    // The summary: Dirs, Files and Bytes rows one after the other after the last line of dashes.
    if (rule(text)) {
        s.rows = 0;
        s.summary = false;
    } else if (!s.summary) {
        s.rows = columns ? s.rows + 1 : 0;
        if (s.rows <= 2) (s.rows == 1 ? s.dirs : s.files) = *columns;
        s.summary = s.rows == 3;
    }
    const std::wstring_view reason = error_reason(text);
    s.closed = whole && s.summary && parts && !columns && reason.empty() && closing(*parts);
    if (s.closed) p.finished = std::max(p.finished, p.job);

    if (s.message_next && reason.empty()) s.lines.emplace_back(text);
    s.message_next = false;
    if (reason.empty() || s.errors.size() == kMaxErrors) return;
    // A retry repeats its error (with a new time): once is enough to tell why.
    if (std::find(s.errors.begin(), s.errors.end(), reason) != s.errors.end()) return;
    s.errors.emplace_back(reason);
    s.lines.emplace_back(reason);
    s.message_next = true;
}

size_t RunLog::read(std::wstring_view more) {
    const size_t end = more.find_last_of(L'\n');
    if (end == std::wstring_view::npos) return 0;
    for (const auto& raw : split_lines(more.substr(0, end + 1))) line(raw, true);
    return end + 1;
}

void RunLog::finish(std::wstring_view rest) {
    rest.remove_prefix(read(rest));
    // The start of the script's next mark is not robocopy's: it leaves its section as it was.
    if (!rest.empty() && !kJobMark.starts_with(rest)) line(rest, false);
}

std::vector<int> RunLog::unfinished(int job_count) const {
    std::vector<int> jobs;
    for (int n = 1; n <= job_count; ++n) {
        const auto s = sections_.find(n);
        if (s == sections_.end() || !s->second.closed) jobs.push_back(n);
    }
    return jobs;
}

std::vector<int> RunLog::mismatched(int job_count) const {
    std::vector<int> jobs;
    for (int n = 1; n <= job_count; ++n)
        if (mismatched_job(n)) jobs.push_back(n);
    return jobs;
}

bool RunLog::mismatched_job(int job) const {
    const auto s = sections_.find(job);
    return s != sections_.end() && s->second.closed && (s->second.files.mismatch > 0 || s->second.dirs.mismatch > 0);
}

std::vector<std::wstring> RunLog::errors(int job) const {
    const auto s = sections_.find(job);
    return s == sections_.end() ? std::vector<std::wstring>{} : s->second.lines;
}

std::optional<FileCounts> RunLog::row(int job, FileCounts Section::*which) const {
    const auto s = sections_.find(job);
    if (s == sections_.end() || !s->second.closed) return std::nullopt;
    return s->second.*which;
}

std::wstring progress_text(const RunProgress& p, int job_count, std::wstring_view job_source) {
    if (p.job == 0) return L"";
    std::wstring text =
        L"Job " + std::to_wstring(p.job) + L" of " + std::to_wstring(job_count) + L": " + std::wstring(job_source);
    if (p.files > 0)
        text += L" \u2014 " + std::to_wstring(p.files) + (p.files == 1 ? L" file: " : L" files: ") + p.file;
    return text;
}

}  // namespace core
