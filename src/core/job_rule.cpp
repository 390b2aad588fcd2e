#include "core/job_rule.h"

#include "core/text.h"
#include "core/versions.h"

namespace core {
namespace {

// A full folder path taken apart: its root ("C:" or "\\server\share") and its folders.
struct FullPath {
    std::wstring root;
    std::vector<std::wstring> folders;
    std::wstring key;  // upper case, each name as the file system reads it
};

bool is_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The file system drops trailing dots and blanks from a name: "DOCS. " is "DOCS".
std::wstring as_read(std::wstring_view name) {
    auto end = name.find_last_not_of(L". ");
    return end == std::wstring_view::npos ? std::wstring() : std::wstring(name.substr(0, end + 1));
}

bool plain_name(std::wstring_view name) {
    for (wchar_t c : name)
        if (c < 32 || std::wstring_view(L"\"<>|*?:").find(c) != std::wstring_view::npos) return false;
    return !as_read(name).empty();  // not empty, not "." or ".."
}

std::vector<std::wstring> split(std::wstring_view text) {
    std::vector<std::wstring> parts;
    std::size_t from = 0;
    for (;;) {
        auto p = text.find(L'\\', from);
        parts.emplace_back(text.substr(from, p == std::wstring_view::npos ? p : p - from));
        if (p == std::wstring_view::npos) return parts;
        from = p + 1;
    }
}

std::optional<FullPath> full_path(std::wstring_view text) {
    std::wstring p(text);
    for (auto& c : p)
        if (c == L'/') c = L'\\';
    FullPath f;
    std::wstring rest;
    if (p.size() >= 3 && is_letter(p[0]) && p[1] == L':' && p[2] == L'\\') {
        f.root = p.substr(0, 2);
        f.key = to_upper(f.root);
        rest = p.substr(3);
    } else if (p.starts_with(L"\\\\")) {
        auto parts = split(std::wstring_view(p).substr(2));
        if (parts.size() < 2 || !plain_name(parts[0]) || !plain_name(parts[1])) return std::nullopt;
        f.root = L"\\\\" + parts[0] + L"\\" + parts[1];
        f.key = to_upper(L"\\\\" + as_read(parts[0]) + L"\\" + as_read(parts[1]));
        rest = p.substr(f.root.size() + (p.size() > f.root.size() ? 1 : 0));
    } else {
        return std::nullopt;  // empty, "C:", "C:DATA", "\DATA", "relative\path"
    }
    while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
    if (rest.empty()) return f;
    for (auto& name : split(rest)) {
        if (!plain_name(name)) return std::nullopt;
        f.key += L'\\' + to_upper(as_read(name));
        f.folders.push_back(std::move(name));
    }
    return f;
}

std::wstring joined(const FullPath& f) {
    std::wstring s = f.root;
    for (const auto& name : f.folders) s += L'\\' + name;
    return s;
}

// Keys have no trailing "\", so "C:\DATA" never holds "C:\DATABASE".
bool same_or_inside(const std::wstring& inner, const std::wstring& outer) {
    return inner.starts_with(outer) && (inner.size() == outer.size() || inner[outer.size()] == L'\\');
}

struct Checked {
    std::optional<JobFault> fault;
    JobCopy copy;
    std::wstring source_key, target_key;
    std::wstring versions_key;  // the destination's versions folder
};

Checked check(const JobFolders& job) {
    Checked c;
    auto src = full_path(job.source);
    auto dst = full_path(job.destination);
    if (!src) {
        c.fault = JobFault::NoSource;
        return c;
    }
    if (!dst) {
        c.fault = JobFault::NoDestination;
        return c;
    }
    c.source_key = src->key;
    if (!src->folders.empty()) {
        c.copy.source = joined(*src);
        c.copy.target_name = src->folders.back();
    } else if (src->root.size() == 2) {
        // A drive root: "C:\" would escape the closing quote, and copying it into the
        // destination itself would let /PURGE empty the whole destination.
        c.copy.source = src->root + L"\\.";
        c.copy.target_name = src->root.substr(0, 1);
    } else {
        c.copy.source = src->root;  // a share root is named after the share
        c.copy.target_name = src->root.substr(src->root.rfind(L'\\') + 1);
    }
    c.copy.target = joined(*dst) + L'\\' + c.copy.target_name;
    c.target_key = dst->key + L'\\' + to_upper(as_read(c.copy.target_name));
    c.versions_key = dst->key + L'\\' + to_upper(kVersionsFolder);
    return c;
}

}  // namespace

std::optional<JobCopy> job_copy(const JobFolders& job) {
    Checked c = check(job);
    if (c.fault) return std::nullopt;
    c.copy.except = job.except;
    return c.copy;
}

std::vector<JobConflict> job_conflicts(const std::vector<JobFolders>& jobs) {
    std::vector<Checked> checked;
    for (const auto& job : jobs) checked.push_back(check(job));
    std::vector<JobConflict> found;
    const int n = static_cast<int>(jobs.size());
    for (int i = 0; i < n; ++i) {
        const Checked& a = checked[static_cast<size_t>(i)];
        if (a.fault) {
            found.push_back({i + 1, 0, *a.fault});
            continue;
        }
        const bool versions_name = to_upper(as_read(a.copy.target_name)) == to_upper(kVersionsFolder);
        if (versions_name) found.push_back({i + 1, 0, JobFault::VersionsName});
        if (same_or_inside(a.target_key, a.source_key)) found.push_back({i + 1, 0, JobFault::TargetInSource});
        else if (same_or_inside(a.source_key, a.target_key)) found.push_back({i + 1, 0, JobFault::TargetHoldsSource});
        for (int j = 0; j < n; ++j) {
            const Checked& b = checked[static_cast<size_t>(j)];
            if (j == i || b.fault) continue;
            if (same_or_inside(b.source_key, a.target_key))
                found.push_back({i + 1, j + 1, JobFault::TargetHoldsOtherSource});
            if (!versions_name && same_or_inside(a.target_key, b.versions_key))
                found.push_back({i + 1, j + 1, JobFault::TargetInVersions});
            if (j > i && (same_or_inside(a.target_key, b.target_key) || same_or_inside(b.target_key, a.target_key)))
                found.push_back({i + 1, j + 1, JobFault::SharedTarget});
        }
    }
    return found;
}

std::wstring conflict_text(const JobConflict& c, const std::vector<JobFolders>& jobs, int this_job) {
    auto name = [&](int n, bool first) {
        if (n == this_job) return std::wstring(first ? L"This job" : L"this job");
        return (first ? L"Job " : L"job ") + std::to_wstring(n);
    };
    auto job = [&](int n) -> const JobFolders& { return jobs.at(static_cast<size_t>(n) - 1); };
    auto target = [&](int n) { return quoted(check(job(n)).copy.target); };
    switch (c.fault) {
        case JobFault::NoSource:
            if (job(c.job).source.empty()) return name(c.job, true) + L" has no source folder.";
            return L"The source " + quoted(job(c.job).source) + L" of " + name(c.job, false) +
                   L" is not a full folder path.";
        case JobFault::NoDestination:
            if (job(c.job).destination.empty()) return name(c.job, true) + L" has no destination folder.";
            return L"The destination " + quoted(job(c.job).destination) + L" of " + name(c.job, false) +
                   L" is not a full folder path.";
        case JobFault::TargetInSource:
            return name(c.job, true) + L" would copy " + quoted(job(c.job).source) + L" into " + target(c.job) +
                   L", inside its own source folder, so the backup would copy into itself.";
        case JobFault::TargetHoldsSource:
            return name(c.job, true) + L" would copy " + quoted(job(c.job).source) + L" into " + target(c.job) +
                   L", which holds the source folder itself.";
        case JobFault::TargetHoldsOtherSource:
            return name(c.job, true) + L" would copy into " + target(c.job) + L", which holds the source folder " +
                   quoted(job(c.other).source) + L" of " + name(c.other, false) + L".";
        case JobFault::VersionsName:
            return name(c.job, true) + L" would copy into " + target(c.job) +
                   L", the folder where Ostrevin keeps the files that runs replace or remove; please rename the "
                   L"source folder or choose another destination.";
        case JobFault::TargetInVersions:
            return name(c.job, true) + L" would copy into " + target(c.job) + L", inside " +
                   quoted(check(job(c.other)).copy.target.substr(0, check(job(c.other)).copy.target.rfind(L'\\')) +
                          L"\\" + kVersionsFolder) +
                   L", where " + name(c.other, false) +
                   L"'s runs keep old copies and remove them after a while; please choose another destination.";
        case JobFault::SharedTarget:
            if (check(job(c.job)).target_key == check(job(c.other)).target_key) {
                if (this_job != c.job && this_job != c.other)
                    return L"Jobs " + std::to_wstring(c.job) + L" and " + std::to_wstring(c.other) +
                           L" would both copy into " + target(c.job) + L".";
                return name(c.job, true) + L" and " + name(c.other, false) + L" would both copy into " + target(c.job) +
                       L".";
            }
            return name(c.job, true) + L" would copy into " + target(c.job) + L" and " + name(c.other, false) +
                   L" into " + target(c.other) + L", one inside the other.";
    }
    return {};
}

std::wstring conflicts_text(const std::vector<JobFolders>& jobs) {
    std::wstring text;
    for (const auto& c : job_conflicts(jobs)) {
        if (!text.empty()) text += L'\r';
        text += conflict_text(c, jobs);
    }
    return text;
}

}  // namespace core
