#pragma once
// The job list on screen: draws the job document's rows, the selected row (bold;
// it makes ADD JOB read EDIT JOB) and the 13-job limit: the folder entry freezes
// when the list reaches 13 jobs and thaws only when it is cleared (a delete leaves
// it frozen).
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_document.h"
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
    void attach(const JobDocument& document, ListView view) {
        document_ = &document;
        view_ = std::move(view);
    }
    // Redraws after a change of the document's jobs.
    void show(Change change);

    // The rows drawn, one for each of the document's jobs.
    int count() const { return static_cast<int>(rows_.size()); }
    const RowControls& row(int i) const { return rows_[static_cast<size_t>(i) - 1]; }

    // The selected row, 0 when none; a selected row is being edited.
    int selected() const { return selected_; }
    bool editing() const { return selected_ > 0; }
    void select(int i);
    void clearSelection() { select(0); }


private:
    void setText(int i) const;
    void setBold(int i, bool bold) const;
    void dropLastRow();
    void freeze(bool on);

    const JobDocument* document_ = nullptr;
    std::vector<RowControls> rows_;
    int selected_ = 0;
    ListView view_;
};

}  // namespace jobs
