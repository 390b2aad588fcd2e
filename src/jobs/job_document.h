#pragma once
// The job document: the list's jobs, the job file they belong to, whether they
// changed since it was read or saved, and whether the user ticked it as the default
// job. The job list on screen only draws it; every change to the jobs reaches the
// view through on_change.
#include <functional>
#include <string>
#include <vector>

#include "core/jobrow.h"

namespace jobs {

inline constexpr wchar_t kUntitled[] = L"UNTITLED";

// A change to the jobs, for the view; rows are 1-based.
struct Change {
    enum class Kind { Added, Replaced, Removed, Cleared, State };  // State: name, changed or default
    Kind kind;
    int row = 0;
};

class JobDocument {
public:
    int count() const { return static_cast<int>(jobs_.size()); }
    bool full() const { return count() >= core::kMaxJobs; }
    const core::JobFolders& job(int i) const { return jobs_[static_cast<size_t>(i) - 1]; }
    const std::vector<core::JobFolders>& jobs() const { return jobs_; }
    // The jobs as a job file holds them, a line each.
    std::vector<std::wstring> lines() const;

    // The user's edits; each marks the document changed. add is false when full.
    bool add(const core::JobFolders& job);
    void replace(int i, const core::JobFolders& job);
    void remove(int i);
    // The drive of one destination (or all, when row is 0) becomes `letter`;
    // a share keeps its path. Not a change of the list: it re-points the jobs
    // for this sitting, and the file keeps its letter until the user saves.
    void moveToDrive(int row, wchar_t letter);

    // A job read from the job file: appended unchanged; false when full.
    bool load(const core::JobFolders& job);
    // The folders are kept in the letter case given (a loaded file's) until
    // refresh(), which holds them as the rows show them, in upper case.
    void refresh();
    // File > New: no jobs, untitled, unchanged, not the default.
    void clear();

    const std::wstring& fileName() const { return file_name_; }
    bool untitled() const { return file_name_ == kUntitled; }
    // An untitled list is no default job: naming it so clears the tick.
    // Every change of the document, its jobs or its state, reaches on_change.
    void setFileName(const std::wstring& name);
    bool changed() const { return changed_; }
    void setChanged(bool changed);
    bool isDefault() const { return default_; }
    void setDefault(bool on);

    std::function<void(Change)> on_change;

private:
    void tell(Change::Kind kind, int row) const;

    std::vector<core::JobFolders> jobs_;
    std::wstring file_name_ = kUntitled;
    bool changed_ = false;
    bool default_ = false;
};

}  // namespace jobs
