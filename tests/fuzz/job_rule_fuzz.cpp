// Random job lists through the target rule and the script writer. Every robocopy
// line must reach robocopy as exactly its intended arguments, and no list the
// rule accepts may have a target that meets a source or another target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/batch_script.h"
#include "core/text.h"

using namespace core;

namespace {

void require(bool ok) {
    if (!ok) std::abort();
}

// Few symbols, so that drives, shares, separators and shared names turn up often.
std::vector<JobFolders> decode(const uint8_t* data, size_t size) {
    static const wchar_t alphabet[] = L"\\\\\\\\C:D:E:/.. AaBb%\"*?\t\x00e9";
    std::vector<JobFolders> jobs(1);
    bool in_destination = false;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        if (b == 0) {  // next field
            if (in_destination) {
                if (jobs.size() == kMaxJobs) break;
                jobs.emplace_back();
            }
            in_destination = !in_destination;
            continue;
        }
        std::wstring& field = in_destination ? jobs.back().destination : jobs.back().source;
        if (b >= 0xF0)
            field += L"DOCS";
        else
            field += alphabet[b % (sizeof alphabet / sizeof *alphabet - 1)];
    }
    return jobs;
}

// What the command interpreter passes on for a batch line: "%%" is "%".
std::wstring batch_text(const std::wstring& line) {
    std::wstring out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == L'%') {
            require(i + 1 < line.size() && line[i + 1] == L'%');  // a lone "%" would start a variable
            ++i;
        }
        out += line[i];
    }
    return out;
}

// How robocopy takes its command line apart: blanks split outside quotes; backslashes
// are plain text except before a quote, where none may stand (a run of them would be
// halved, an odd one would swallow the quote).
std::vector<std::wstring> arguments(const std::wstring& line) {
    std::vector<std::wstring> args;
    std::wstring arg;
    bool quoted = false, any = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'"') {
            require(i == 0 || line[i - 1] != L'\\');
            quoted = !quoted;
            any = true;
        } else if ((c == L' ' || c == L'\t') && !quoted) {
            if (any) args.push_back(arg);
            arg.clear();
            any = false;
        } else {
            arg += c;
            any = true;
        }
    }
    require(!quoted);
    if (any) args.push_back(arg);
    return args;
}

// A plain spelling of a folder for comparison: upper case, "\" only, no trailing "\" or "\.".
std::wstring plain(std::wstring path) {
    for (auto& c : path)
        if (c == L'/') c = L'\\';
    if (path.ends_with(L"\\.")) path.resize(path.size() - 2);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    return to_upper(path);
}

bool same_or_inside(const std::wstring& inner, const std::wstring& outer) {
    return inner.starts_with(outer) && (inner.size() == outer.size() || inner[outer.size()] == L'\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<JobFolders> jobs = decode(data, size);
    const auto conflicts = job_conflicts(jobs);
    for (const auto& c : conflicts) require(!conflict_text(c, jobs).empty());

    const std::wstring suffix = option_suffix(true, true);
    const auto lines = script_lines(jobs, suffix, L"C:\\TEMP\\BatchRun.failed", L"C:\\TEMP\\BatchRun.log");
    size_t at = 1;
    std::vector<JobCopy> copies;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const auto copy = job_copy(jobs[i]);
        bool refused = false;
        for (const auto& c : conflicts)
            refused |= c.job == static_cast<int>(i) + 1 && (c.fault == JobFault::NoSource || c.fault == JobFault::NoDestination);
        require(copy.has_value() == !refused);
        require(at < lines.size());
        if (!copy) {
            require(lines[at++].starts_with(L"echo "));
            continue;
        }
        copies.push_back(*copy);
        require(lines[at++] == L"echo Ostrevin job " + std::to_wstring(i + 1) + L" >>\"C:\\TEMP\\BatchRun.log\"");
        const auto args = arguments(batch_text(lines[at++]));
        require(args == (std::vector<std::wstring>{L"robocopy", copy->source, copy->target, L"/E", L"/PURGE", L"/R:3",
                                                   L"/W:3", L"/NP", L"/LOG+:C:\\TEMP\\BatchRun.log"}));
        require(lines[at++].starts_with(L"if errorlevel 8 echo "));
    }
    require(at + 1 == lines.size());

    if (!conflicts.empty()) return 0;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const std::wstring target = plain(copies[i].target);
        const std::wstring source = plain(jobs[i].source);
        require(!same_or_inside(target, source) && !same_or_inside(source, target));
        for (size_t j = 0; j < jobs.size(); ++j) {
            if (j == i) continue;
            require(!same_or_inside(plain(jobs[j].source), target));
            require(!same_or_inside(plain(copies[j].target), target));
        }
    }
    return 0;
}
