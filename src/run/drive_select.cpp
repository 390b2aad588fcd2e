// The drive reassignment: OK in the drive selection window re-points destinations.
#include <cwctype>

#include "app/module1.h"
#include "core/jobrow.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"

namespace ui {
namespace {

bool begins_with_drive(const std::wstring& path) {
    return path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0]);
}

// The row named by Tag: decimal text 1..JobCount; 0 for anything else.
int tag_row(const std::wstring& tag, int job_count) {
    if (tag.empty() || tag.size() > 2) return 0;
    int row = 0;
    for (wchar_t c : tag) {
        if (c < L'0' || c > L'9') return 0;
        row = row * 10 + (c - L'0');
    }
    return row >= 1 && row <= job_count ? row : 0;
}

}  // namespace

void FrmDriveSelect::Command1_Click() {
    const wchar_t letter = Drive1.drive();
    if (!letter || !main_) return;  // nothing chosen: nothing to confirm
    app::Module1& m = app::state();
    int first = 1, last = m.JobCount;
    if (!applyToAll()) first = last = tag_row(Tag, m.JobCount);
    for (int i = first; i >= 1 && i <= last; ++i) {
        core::JobFolders& job = m.JobPaths[static_cast<size_t>(i)];
        // Only a drive letter can be swapped; a share (\\server\...) keeps its path.
        if (!begins_with_drive(job.destination)) continue;
        job.destination = letter + job.destination.substr(1);
        main_->rows[static_cast<size_t>(i)].text.setText(core::FormatJobRow(job.source, job.destination));
    }
    window().show(false);
    Tag = L"Done";
    main_->WarnJobConflicts();  // the new letter may put one job's backup onto another's
}

}  // namespace ui
