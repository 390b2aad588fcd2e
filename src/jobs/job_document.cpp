#include "jobs/job_document.h"

#include <cwctype>

#include "core/text.h"

namespace jobs {

std::vector<std::wstring> JobDocument::lines() const {
    std::vector<std::wstring> lines;
    for (const auto& job : jobs_) lines.push_back(core::FormatJobRow(job));
    return lines;
}

bool JobDocument::add(const core::JobFolders& job) {
    if (full()) return false;
    changed_ = true;
    return load(job);
}

void JobDocument::replace(int i, const core::JobFolders& job) {
    jobs_[static_cast<size_t>(i) - 1] = job;
    changed_ = true;
    tell(Change::Kind::Replaced, i);
}

void JobDocument::remove(int i) {
    if (i < 1 || i > count()) return;
    jobs_.erase(jobs_.begin() + (i - 1));
    changed_ = true;
    tell(Change::Kind::Removed, i);
}

void JobDocument::moveToDrive(int row, wchar_t letter) {
    for (int i = 1; i <= count(); ++i) {
        if (row && i != row) continue;
        std::wstring& d = jobs_[static_cast<size_t>(i) - 1].destination;
        // Only a drive letter can be swapped; a share (\\server\...) keeps its path.
        if (d.size() < 2 || d[1] != L':' || !std::iswalpha(d[0])) continue;
        d[0] = letter;
        tell(Change::Kind::Replaced, i);
    }
}

bool JobDocument::load(const core::JobFolders& job) {
    if (full()) return false;
    jobs_.push_back(job);
    tell(Change::Kind::Added, count());
    return true;
}

void JobDocument::refresh() {
    for (auto& job : jobs_) {
        job.source = core::to_upper(job.source);
        job.destination = core::to_upper(job.destination);
        for (auto& p : job.except) p = core::to_upper(p);
    }
}

void JobDocument::clear() {
    jobs_.clear();
    file_name_ = kUntitled;
    changed_ = default_ = false;
    tell(Change::Kind::Cleared, 0);
}

void JobDocument::setFileName(const std::wstring& name) {
    file_name_ = name;
    if (untitled()) default_ = false;
    tell(Change::Kind::State, 0);
}

void JobDocument::setChanged(bool changed) {
    changed_ = changed;
    tell(Change::Kind::State, 0);
}

void JobDocument::setDefault(bool on) {
    default_ = on;
    tell(Change::Kind::State, 0);
}

void JobDocument::tell(Change::Kind kind, int row) const {
    if (on_change) on_change({kind, row});
}

}  // namespace jobs
