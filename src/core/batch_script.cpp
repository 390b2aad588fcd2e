#include "core/batch_script.h"

#include <algorithm>

#include "core/patterns.h"
#include "core/run_log.h"
#include "core/text.h"

namespace core {

std::wstring option_suffix(bool include_empty, bool purge) {
    std::wstring s = include_empty ? L" /E" : L" /S";
    if (purge) s += L" /PURGE";
    s += L" /R:3 /W:3";
    return s;
}

std::wstring escape_percent(std::wstring_view text) {
    std::wstring out;
    for (wchar_t ch : text) {
        out += ch;
        if (ch == L'%') out += L'%';
    }
    return out;
}

namespace {
// "echo Ostrevin job 3 >>log": the blank keeps "3>>" from reading as a redirection.
std::wstring job_marker(int n) { return std::wstring(kJobMark) + std::to_wstring(n); }
// The suffix without /PURGE, for a job whose purge the user declined this time.
std::wstring without_purge(std::wstring_view suffix) {
    std::wstring s(suffix);
    if (const size_t at = s.find(L" /PURGE"); at != std::wstring::npos) s.erase(at, 7);
    return s;
}
}  // namespace

bool keeps_fat_times(std::wstring_view file_system) {
    const std::wstring fs = to_upper(std::wstring(file_system));
    return fs == L"FAT" || fs == L"FAT12" || fs == L"FAT16" || fs == L"FAT32" || fs == L"EXFAT";
}

std::wstring copy_arguments(const JobCopy& copy, std::wstring_view suffix, std::wstring_view file_system,
                            const std::vector<std::wstring>& standing) {
    return quoted(copy.source) + L" " + quoted(copy.target) + std::wstring(suffix) +
           (keeps_fat_times(file_system) ? L" /FFT" : L"") + L" /NP" +
           exclude_arguments(copy.source, copy.except, standing);
}

std::vector<std::wstring> script_lines(const std::vector<JobFolders>& jobs, std::wstring_view robocopy,
                                       std::wstring_view suffix, std::wstring_view results_path,
                                       std::wstring_view log_path, const std::vector<JobLine>& job_lines) {
    std::vector<std::wstring> lines;
    lines.push_back(L"Title \"Ostrevin");
    const std::wstring log = quoted(escape_percent(log_path));
    int n = 0;
    for (const auto& job : jobs) {
        ++n;
        const std::wstring record = L"echo " + std::to_wstring(n) + L" >>" + quoted(escape_percent(results_path));
        auto c = job_copy(job);
        const size_t i = static_cast<size_t>(n) - 1;
        const JobLine this_run = i < job_lines.size() ? job_lines[i] : JobLine{};
        if (c && this_run.held) continue;
        if (!c || this_run.refused) {
            // The run refuses such a list; should one get here, the job fails and copies nothing.
            lines.push_back(record);
            continue;
        }
        lines.push_back(L"echo " + job_marker(n) + L" >>" + log);
        lines.push_back(quoted(escape_percent(robocopy)) + L" " +
                        escape_percent(copy_arguments(*c,
                                                      this_run.keep_extras ? without_purge(suffix) : std::wstring(suffix),
                                                      this_run.file_system, this_run.standing)) +
                        (this_run.only_new ? L" /XC /XN /XO" : L"") + L" /LOG+:" + log);
        lines.push_back(L"if errorlevel 8 " + record);
    }
    lines.push_back(std::wstring(L"del ") + kScriptRunName);
    return lines;
}

std::optional<std::vector<int>> failed_jobs(std::wstring_view results_text, std::size_t job_count) {
    std::vector<int> jobs;
    for (const auto& line : split_lines(results_text)) {
        std::wstring_view t = line;
        while (!t.empty() && (t.front() == L' ' || t.front() == L'\t')) t.remove_prefix(1);
        while (!t.empty() && (t.back() == L' ' || t.back() == L'\t')) t.remove_suffix(1);
        if (t.empty()) continue;
        std::size_t n = 0;
        for (wchar_t c : t) {
            if (c < L'0' || c > L'9') return std::nullopt;
            n = n * 10 + static_cast<std::size_t>(c - L'0');
            if (n > job_count) return std::nullopt;
        }
        if (n == 0) return std::nullopt;
        if (std::find(jobs.begin(), jobs.end(), static_cast<int>(n)) == jobs.end()) jobs.push_back(static_cast<int>(n));
    }
    return jobs;
}

}  // namespace core
