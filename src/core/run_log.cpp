#include "core/run_log.h"

#include <algorithm>

#include "core/text.h"

namespace core {
namespace {

constexpr size_t kMaxErrors = 3;  // per job: enough to tell why, short enough for a message box

std::wstring_view trimmed(std::wstring_view line) {
    while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == L' ' || line.back() == L'\t' || line.back() == L'\r'))
        line.remove_suffix(1);
    return line;
}

bool starts(std::wstring_view line, std::wstring_view word) { return line.substr(0, word.size()) == word; }

// robocopy's line for a file it copies: a class word, the size, the name.
bool is_copy_line(std::wstring_view line) {
    for (std::wstring_view word : {L"New File", L"Newer", L"Older", L"Changed"})
        if (starts(line, word)) return true;
    return false;
}

// "Ostrevin job 3" (blanks around allowed) -> 3; 0 for any other line.
int job_marker(std::wstring_view line) {
    line = trimmed(line);
    if (!starts(line, kJobMark)) return 0;
    const std::wstring_view number = line.substr(kJobMark.size());
    if (number.empty() || number.size() > 3 ||
        !std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return 0;
    return std::stoi(std::wstring(number));
}

}  // namespace

void RunLog::line(std::wstring_view raw) {
    const std::wstring_view line = trimmed(raw);
    if (line.empty()) return;
    RunProgress& p = progress_;
    if (const int n = job_marker(line)) {
        p = RunProgress{n, std::max(p.finished, n - 1), 0, {}};
        sections_[n] = Section{};
        return;
    }
    if (p.job == 0) return;
    Section& s = sections_[p.job];
    s.ended = starts(line, L"Ended :");
    if (s.ended) p.finished = std::max(p.finished, p.job);
    if (is_copy_line(line)) {
        ++p.files;
        const size_t tab = raw.find_last_of(L'\t');
        p.file = std::wstring(tab == std::wstring_view::npos ? line : trimmed(raw.substr(tab + 1)));
    }
    // The system's robocopy puts the date and time before "ERROR"; ours does not.
    const size_t at = line.find(L"ERROR ");
    const bool error = at != std::wstring_view::npos && line.find(L"(0x", at) != std::wstring_view::npos &&
                       line.substr(0, at).find_first_not_of(L"0123456789/:- ") == std::wstring_view::npos;
    if (s.message_next && !error) s.lines.emplace_back(line);
    s.message_next = false;
    if (!error || s.errors.size() == kMaxErrors) return;
    // A retry repeats its error (with a new time): once is enough to tell why.
    const std::wstring what(line.substr(at));
    if (std::find(s.errors.begin(), s.errors.end(), what) != s.errors.end()) return;
    s.errors.push_back(what);
    s.lines.emplace_back(line);
    s.message_next = true;
}

size_t RunLog::read(std::wstring_view more) {
    const size_t end = more.find_last_of(L'\n');
    if (end == std::wstring_view::npos) return 0;
    for (const auto& raw : split_lines(more.substr(0, end + 1))) line(raw);
    return end + 1;
}

void RunLog::finish(std::wstring_view rest) {
    rest.remove_prefix(read(rest));
    if (!rest.empty()) line(rest);
}

std::vector<int> RunLog::unfinished(int job_count) const {
    std::vector<int> jobs;
    for (int n = 1; n <= job_count; ++n) {
        const auto s = sections_.find(n);
        if (s == sections_.end() || !s->second.ended) jobs.push_back(n);
    }
    return jobs;
}

std::vector<std::wstring> RunLog::errors(int job) const {
    const auto s = sections_.find(job);
    return s == sections_.end() ? std::vector<std::wstring>{} : s->second.lines;
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
