#pragma once
// The job list: the one owner of the jobs' folders, their rows on screen, the
// selected row (bold; it makes ADD JOB read EDIT JOB) and the 13-job limit: the
// folder entry freezes when the list reaches 13 jobs and thaws only when it is
// cleared (a delete leaves it frozen).
#include <functional>
#include <string>
#include <vector>

#include "core/jobrow.h"
#include "win/window.h"

namespace jobs {

// One row on screen: the job's text and its delete button.
struct RowControls {
    win::Window text;
    win::Window del;
};

// What the list needs from the window that shows it.
struct ListView {
    std::function<RowControls(int row)> make_row;  // shown controls for row 1..13
    std::function<void(int count)> fit_rows;       // the window's height for `count` rows
    std::vector<win::Window> entry;                // the folder entry, frozen at 13 jobs
    win::Window add_button;                        // reads ADD JOB or EDIT JOB
};

class JobList {
public:
    void attach(ListView view) { view_ = std::move(view); }

    int count() const { return static_cast<int>(jobs_.size()); }
    bool full() const { return count() >= core::kMaxJobs; }
    // Job i (1-based) as its row shows it.
    const core::JobFolders& job(int i) const { return jobs_[static_cast<size_t>(i) - 1]; }
    const std::vector<core::JobFolders>& jobs() const { return jobs_; }
    const RowControls& row(int i) const { return rows_[static_cast<size_t>(i) - 1]; }
    std::vector<std::wstring> rowTexts() const;

    // The folders are kept in the letter case given (a loaded file's) until
    // refresh(), which holds them as the rows show them, in upper case; the rows
    // always show upper case. False when the list is full (the caller says so first).
    bool append(const core::JobFolders& job);
    void replace(int i, const core::JobFolders& job);
    void refresh();
    void remove(int i);  // the selection follows its job
    void clear();

    // The selected row, 0 when none; a selected row is being edited.
    int selected() const { return selected_; }
    bool editing() const { return selected_ > 0; }
    void select(int i);
    void clearSelection() { select(0); }

    bool entryFrozen() const { return frozen_; }

    // The drive of one destination (or all, when row is 0) becomes `letter`;
    // a share keeps its path.
    void moveToDrive(int row, wchar_t letter);

private:
    void setBold(int i, bool bold) const;
    void freeze(bool on);

    std::vector<core::JobFolders> jobs_;
    std::vector<RowControls> rows_;
    int selected_ = 0;
    bool frozen_ = false;
    ListView view_;
};

}  // namespace jobs
