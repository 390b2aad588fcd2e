// Adding, editing and deleting jobs in the main window.
#include <vector>

#include "app/module1.h"
#include "core/job_rule.h"
#include "folders/path_exists.h"
#include "ui/frmMain.h"
#include "win/prompt.h"

namespace ui {
namespace {
constexpr wchar_t kAdd[] = L"ADD JOB";
constexpr wchar_t kEdit[] = L"EDIT JOB";
}  // namespace

// Steps shared by add and edit: complete a bare drive, check the destination exists.
// False when the destination was refused (and the box emptied).
static bool check_destination(FrmMain& f) {
    app::Module1& m = app::state();
    std::wstring dest = f.txtDest.text();
    if (!dest.empty() && dest.back() == L':') {
        dest += L'\\';
        f.txtDest.setText(dest);
    }
    if (!folders::PathExistsOrFalse(dest, 16)) {
        f.cmdAddJob.enable(false);
        win::ask(f.hwnd(), L"INVALID PATH", L"The path " + m.Quote + dest + m.Quote + L" is not valid",
                 MB_OK | MB_ICONSTOP);
        f.txtDest.setText(L"");
        return false;
    }
    if (!f.txtSource.text().empty()) f.cmdAddJob.enable(true);
    return true;
}

// The job in the boxes, as row `row` (0: a new row), must keep to the target rule
// with the rest of the list; refuse it, naming the first conflict, when it does not.
static bool refuse_conflict(FrmMain& f, int row) {
    app::Module1& m = app::state();
    std::vector<core::JobFolders> jobs = m.Jobs();
    const core::JobFolders job{f.txtSource.text(), f.txtDest.text()};
    if (row > 0)
        jobs[static_cast<size_t>(row) - 1] = job;
    else
        jobs.push_back(job);
    const int self = row > 0 ? row : static_cast<int>(jobs.size());
    for (const auto& c : core::job_conflicts(jobs)) {
        if (c.job != self && c.other != self) continue;
        win::ask(f.hwnd(), L"INVALID JOB",
                 core::conflict_text(c, jobs, self) + m.TwoCr + L"Please choose another source or destination folder.",
                 MB_OK | MB_ICONSTOP);
        return true;
    }
    return false;
}

static void mark_changed(FrmMain& f) {
    app::state().JobChanged = true;
    f.cmdRun.enable(true);
    f.enableMenu(ID_MENU_SAVEAS, true);
    f.UpdateTitle();
}

void FrmMain::cmdAddJob_Click() {
    app::Module1& m = app::state();
    const bool editing = cmdAddJob.text() == kEdit;
    const int s = editing ? SelectedRow() : 0;
    if (editing && s == 0) {
        // The selected job is gone (deleted, or the list was replaced): nothing to edit.
        cmdAddJob.setText(kAdd);
        return;
    }
    if (txtDest.text().empty()) {
        cmdAddJob.enable(false);
        return;
    }
    const bool dest_ok = check_destination(*this);
    if (dest_ok && !txtSource.text().empty() && !txtDest.text().empty()) {
        std::wstring row = core::FormatJobRow(txtSource.text(), txtDest.text());
        if (!editing && m.JobCount >= core::kMaxJobs) {
            win::ask(hwnd(), L"JOB LIST FULL",
                     L"The job list already holds " + std::to_wstring(core::kMaxJobs) + L" jobs, the most it can hold." +
                         m.TwoCr + L"Please delete a job before adding another.",
                     MB_OK | MB_ICONEXCLAMATION);
        } else if (!refuse_conflict(*this, s)) {
            if (editing)
                rows[static_cast<size_t>(s)].text.setText(row);
            else
                AppendJobRow(row);
            mark_changed(*this);
        }
    }
    if (m.JobCount == core::kMaxJobs) FreezeEntry();
    if (editing) cmdAddJob.setText(kAdd);
    ClearJobSelection();
    RefreshJobPaths();
}

void FrmMain::txtActionDisplay_Click(int i) {
    app::Module1& m = app::state();
    if (i < 1 || i > m.JobCount) return;
    for (int k = 1; k <= m.JobCount; ++k) {
        const bool selected = k == i;
        SetRowBold(k, selected);
        rows[static_cast<size_t>(k)].Tag = selected ? L"True" : L"False";
    }
    cmdAddJob.setText(kEdit);
    txtSource.setText(m.JobPaths[static_cast<size_t>(i)].source);
    txtDest.setText(m.JobPaths[static_cast<size_t>(i)].destination);
    txtDest_LostFocus();
}

void FrmMain::cmdDeleteJob_Click(int i) {
    app::Module1& m = app::state();
    if (i < 1 || i > m.JobCount) return;
    const int selected = SelectedRow();
    RemoveJobRow(i);
    // The selection follows its job, so EDIT JOB never rewrites a different job.
    ClearJobSelection();
    if (selected == i) {
        cmdAddJob.setText(kAdd);
    } else if (selected > i) {
        SetRowBold(selected - 1, true);
        rows[static_cast<size_t>(selected) - 1].Tag = L"True";
    } else if (selected > 0) {
        SetRowBold(selected, true);
        rows[static_cast<size_t>(selected)].Tag = L"True";
    }
    m.JobChanged = true;
    UpdateTitle();
}

}  // namespace ui
