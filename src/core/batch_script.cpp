#include "core/batch_script.h"

#include <algorithm>

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

std::vector<std::wstring> script_lines(const std::vector<JobFolders>& jobs, std::wstring_view suffix,
                                       std::wstring_view results_path) {
    std::vector<std::wstring> lines;
    lines.push_back(L"Title \"Ostrevin");
    int n = 0;
    for (const auto& job : jobs) {
        ++n;
        const std::wstring record = L"echo " + std::to_wstring(n) + L" >>" + quoted(escape_percent(results_path));
        auto c = job_copy(job);
        if (!c) {
            // The run refuses such a list; should one get here, the job fails and copies nothing.
            lines.push_back(record);
            continue;
        }
        lines.push_back(L"robocopy " + quoted(escape_percent(c->source)) + L" " + quoted(escape_percent(c->target)) +
                        std::wstring(suffix));
        lines.push_back(L"if errorlevel 8 " + record);
    }
    lines.push_back(L"del batchrun.bat");
    return lines;
}

std::vector<int> failed_jobs(std::wstring_view results_text) {
    std::vector<int> jobs;
    for (const auto& line : split_lines(results_text)) {
        int n = 0;
        bool digits = false;
        for (wchar_t c : line) {
            if (c >= L'0' && c <= L'9') {
                n = n * 10 + (c - L'0');
                digits = true;
                if (n > 1000) break;
            } else if (c != L' ' && c != L'\t') {
                digits = false;
                break;
            }
        }
        if (digits && n > 0 && std::find(jobs.begin(), jobs.end(), n) == jobs.end()) jobs.push_back(n);
    }
    return jobs;
}

}  // namespace core
