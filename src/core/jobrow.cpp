#include "core/jobrow.h"

#include "core/patterns.h"
#include "core/text.h"

namespace core {

std::wstring FormatJobRow(std::wstring_view source, std::wstring_view destination) {
    std::wstring row = L"Copy folder  ";
    row += quoted(source);
    row += L"  into  ";
    row += quoted(destination);
    return to_upper(row);
}

std::wstring FormatJobRow(const JobFolders& job) {
    return FormatJobRow(job.source, job.destination) + except_text(job.except);
}

std::optional<JobFolders> ParseJobRow(std::wstring_view text) {
    std::size_t q[4];
    std::size_t from = 0;
    for (auto& pos : q) {
        pos = text.find(kQuote, from);
        if (pos == std::wstring_view::npos) return std::nullopt;
        from = pos + 1;
    }
    auto except = parse_except(text.substr(q[3] + 1));
    if (!except) return std::nullopt;
    return JobFolders{std::wstring(text.substr(q[0] + 1, q[1] - q[0] - 1)),
                      std::wstring(text.substr(q[2] + 1, q[3] - q[2] - 1)), std::move(*except)};
}

JobListText read_job_list(std::wstring_view text) {
    JobListText read;
    for (wchar_t c : text)
        if (c < L' ' && c != L'\r' && c != L'\n' && c != L'\t') read.binary = true;
    int line_no = 0;
    for (const auto& line : split_lines(text)) {
        ++line_no;
        if (line.empty()) break;  // an empty line ends the list
        const auto folders = ParseJobRow(line);
        if (!folders) read.bad_lines.push_back(line_no);
        else if (static_cast<int>(read.jobs.size()) < kMaxJobs) read.jobs.push_back(*folders);
        else ++read.left_out;
    }
    return read;
}

}  // namespace core
