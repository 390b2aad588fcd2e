// Random job lists through the target rule and the script writer. Every robocopy
// line must reach robocopy as exactly its intended arguments, and no list the
// rule accepts may have a target that meets a source or another target.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "core/batch_script.h"
#include "core/text.h"

using namespace core;

namespace {

constexpr std::wstring_view kRobocopy = L"C:\\Windows\\system32\\robocopy.exe";

void require(bool ok) {
    if (!ok) std::abort();
}

// Few symbols, so that drives, shares, separators and shared names turn up often.
// A zero byte starts the next field: source, destination, source, ...
std::vector<JobFolders> decode(const uint8_t* data, size_t size) {
    static const std::wstring alphabet = L"\\\\\\\\C:D:E:/.. AaBb%\"*?\t\x00e9";
    std::vector<std::wstring> fields(1);
    for (size_t i = 0; i < size && fields.size() <= 2u * kMaxJobs; ++i) {
        if (data[i] == 0) fields.emplace_back();
        else fields.back() += data[i] >= 0xF0 ? L"DOCS" : alphabet.substr(data[i] % alphabet.size(), 1);
    }
    fields.resize(std::min<size_t>(fields.size() + fields.size() % 2, 2u * kMaxJobs));
    std::vector<JobFolders> jobs;
    for (size_t i = 0; i < fields.size(); i += 2) jobs.push_back({fields[i], fields[i + 1]});
    return jobs;
}

// The arguments robocopy gets from a batch line. The command interpreter passes
// "%%" on as "%"; robocopy then splits at blanks outside quotes, and takes
// backslashes as plain text except before a quote, where none may stand (a run
// of them would be halved, an odd one would swallow the quote).
std::vector<std::wstring> arguments(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::wstring arg;
    bool quoted = false, any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if ((c == L' ' || c == L'\t') && !quoted) {
            if (any) args.push_back(arg);
            arg.clear();
            any = false;
            continue;
        }
        any = true;
        if (c == L'"') {
            require(i == 0 || line[i - 1] != L'\\');
            quoted = !quoted;
        } else {
            if (c == L'%') require(++i < line.size() && line[i] == L'%');  // a lone "%" would start a variable
            arg += c;
        }
    }
    require(!quoted);
    if (any) args.push_back(arg);
    return args;
}

// A plain spelling of a folder for comparison: upper case, "\" only, no trailing "\" or "\.".
std::wstring plain(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.ends_with(L"\\.")) path.resize(path.size() - 2);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return to_upper(path);
}

bool same_or_inside(const std::wstring& inner, const std::wstring& outer) {
    return inner.starts_with(outer) && (inner.size() == outer.size() || inner[outer.size()] == L'\\');
}

}  // namespace

void job_rule_properties(const uint8_t* data, size_t size) {
    const std::vector<JobFolders> jobs = decode(data, size);
    const auto conflicts = job_conflicts(jobs);
    for (const auto& c : conflicts) require(!conflict_text(c, jobs).empty());

    // One robocopy line for each job the rule lets through, in order, and no other.
    std::vector<std::vector<std::wstring>> intended, written;
    for (const auto& job : jobs)
        if (const auto copy = job_copy(job))
            intended.push_back({std::wstring(kRobocopy), copy->source, copy->target, L"/E", L"/PURGE", L"/R:3", L"/W:3",
                                L"/NP", L"/LOG+:C:\\TEMP\\BatchRun.log"});
    for (const auto& line : script_lines(jobs, kRobocopy, option_suffix(true, true), L"R", L"C:\\TEMP\\BatchRun.log"))
        if (line.starts_with(quoted(kRobocopy))) written.push_back(arguments(line));
    require(written == intended);

    // With no conflict, every job was let through.
    if (!conflicts.empty()) return;
    std::vector<std::wstring> sources, targets;
    for (const auto& job : jobs) {
        sources.push_back(plain(job.source));
        targets.push_back(plain(job_copy(job)->target));
    }
    for (size_t i = 0; i < jobs.size(); ++i) {
        require(!same_or_inside(targets[i], sources[i]));
        for (size_t j = 0; j < jobs.size(); ++j)
            require(!same_or_inside(sources[j], targets[i]) && (j == i || !same_or_inside(targets[j], targets[i])));
    }
}
