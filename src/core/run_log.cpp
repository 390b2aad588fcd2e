#include "core/run_log.h"

#include <algorithm>

#include "core/text.h"

namespace core {

namespace {

std::wstring_view trimmed(std::wstring_view line) {
    while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == L' ' || line.back() == L'\t' || line.back() == L'\r')) line.remove_suffix(1);
    return line;
}

// "Ostrevin job 3" -> 3; 0 for any other line.
int job_marker(std::wstring_view line) {
    constexpr std::wstring_view kMark = L"Ostrevin job ";
    if (line.substr(0, kMark.size()) != kMark) return 0;
    const std::wstring_view number = line.substr(kMark.size());
    if (number.empty() || number.size() > 3 ||
        !std::all_of(number.begin(), number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return 0;
    return std::stoi(std::wstring(number));
}

// robocopy's line for a file it copies: a class word, the size, the name.
bool is_copy_line(std::wstring_view line) {
    for (std::wstring_view word : {L"New File", L"Newer", L"Older", L"Changed"})
        if (line.substr(0, word.size()) == word) return true;
    return false;
}

// Whole lines only: the copier may be writing the last one.
std::vector<std::wstring> complete_lines(std::wstring_view text) {
    const size_t end = text.find_last_of(L'\n');
    return end == std::wstring_view::npos ? std::vector<std::wstring>{} : split_lines(text.substr(0, end + 1));
}

}  // namespace

RunProgress run_progress(std::wstring_view log_text) {
    RunProgress p;
    for (const auto& raw : complete_lines(log_text)) {
        const std::wstring_view line = trimmed(raw);
        if (const int job = job_marker(line)) {
            p = RunProgress{job, 0, {}};
        } else if (p.job > 0 && is_copy_line(line)) {
            ++p.files;
            const size_t tab = raw.find_last_of(L'\t');
            p.file = std::wstring(trimmed(tab == std::wstring::npos ? line : std::wstring_view(raw).substr(tab + 1)));
        }
    }
    return p;
}

std::vector<std::wstring> job_errors(std::wstring_view log_text, int job, int max_errors) {
    std::vector<std::wstring> out;
    int section = 0, errors = 0;
    bool take_next = false;  // the system's message follows each error line
    for (const auto& raw : split_lines(log_text)) {
        const std::wstring_view line = trimmed(raw);
        if (const int n = job_marker(line)) {
            section = n;
            take_next = false;
            continue;
        }
        if (section != job || line.empty()) continue;
        if (take_next) {
            take_next = false;
            if (line.substr(0, 6) != L"ERROR ") {
                out.emplace_back(line);
                continue;
            }
        }
        if (line.substr(0, 6) == L"ERROR " && line.find(L"(0x") != std::wstring_view::npos) {
            if (errors == max_errors) break;
            ++errors;
            out.emplace_back(line);
            take_next = true;
        }
    }
    return out;
}

std::wstring progress_text(const RunProgress& p, int job_count, std::wstring_view job_source) {
    if (p.job == 0) return L"";
    std::wstring text = L"Job " + std::to_wstring(p.job) + L" of " + std::to_wstring(job_count) + L": " +
                        std::wstring(job_source);
    if (p.files > 0)
        text += L" \u2014 " + std::to_wstring(p.files) + (p.files == 1 ? L" file: " : L" files: ") + p.file;
    return text;
}

}  // namespace core
