// The main window's job handlers: ADD/EDIT JOB, the rows, and the File menu's job commands.
#include "app/module1.h"
#include "core/patterns.h"
#include "core/text.h"
#include "folders/folder_entry.h"
#include "jobs/job_edit.h"
#include "jobs/job_file.h"
#include "ui/frmMain.h"
#include "win/prompt.h"

namespace ui {
namespace {

std::wstring job_file_path(const std::wstring& name) { return app::state().JobFolder + L"\\" + name; }

}  // namespace

void FrmMain::cmdAddJob_Click() {
    const int editing = jobList.selected();  // 0: a new job
    std::wstring dest = txtDest.text();
    if (dest.empty()) {
        cmdAddJob.enable(false);
        return;
    }
    // A bad pattern keeps the boxes and the selection as they are, to be corrected.
    const auto except = jobs::read_patterns(hwnd(), txtExcept.text());
    if (!except) return;
    const bool present = folders::destination_present(hwnd(), dest);
    txtDest.setText(present ? dest : L"");
    if (!present) cmdAddJob.enable(false);
    else if (!txtSource.text().empty()) cmdAddJob.enable(true);
    const core::JobFolders job{txtSource.text(), dest, *except};
    if (present && !job.source.empty() && jobs::accept_job(hwnd(), document, editing, job)) {
        if (editing) document.replace(editing, job);
        else document.add(job);
        document.refresh();
        cmdRun.enable(true);
    }
    jobList.clearSelection();  // an edit ends with the press, whatever came of it
}

void FrmMain::txtActionDisplay_Click(int i) {
    if (i < 1 || i > jobList.count()) return;
    jobList.select(i);
    txtSource.setText(document.job(i).source);
    txtDest.setText(document.job(i).destination);
    txtExcept.setText(core::join_patterns(document.job(i).except));
    txtDest_LostFocus();
}

void FrmMain::cmdDeleteJob_Click(int i) {
    if (i < 1 || i > jobList.count()) return;
    document.remove(i);
}

void FrmMain::LoadJobFile() {
    if (document.untitled()) document.setFileName(app::state().DefaultJob());
    if (!jobs::load_job_file(hwnd(), job_file_path(document.fileName()), document)) {
        document.setFileName(jobs::kUntitled);  // an untitled list is no default job
        return;
    }
    cmdRun.enable(true);
}

bool FrmMain::SaveJobFile() { return jobs::save_job_file(hwnd(), job_file_path(document.fileName()), document); }

// A name with no entry at all in the settings leaves the label as it is.
void FrmMain::showBackupDate(const wchar_t* found_prefix) {
    const auto r = core::LookupBackupDate(app::state().settings, document.fileName());
    if (r.kind == core::DateLookup::Found) lblBUDateDisplay.setText(found_prefix + r.date);
    else if (r.kind == core::DateLookup::Never) lblBUDateDisplay.setText(L"Last Backup Never");
}

void FrmMain::MenuFileNew_Click() {
    if (document.changed()) {
        int answer = win::say(
            hwnd(), {win::Severity::Question, L"Job Not Saved",
                     L"The current job has not been saved." + core::kTwoCr + L"Do you want to save the job first?",
                     win::Buttons::YesNoCancel});
        if (answer == IDCANCEL) return;
        if (answer == IDYES && !SaveJobFile()) return;  // keep the list the user wanted kept
    }
    txtSource.setText(L"");
    txtDest.setText(L"");
    txtExcept.setText(L"");
    document.clear();
    lblBUDateDisplay.setText(L"");
    cmdRun.enable(false);
}

void FrmMain::MenuFileOpen_Click() {
    const std::wstring& folder = app::state().JobFolder;
    const std::wstring path = jobs::ask_job_file(hwnd(), false, folder);
    if (path.empty() || !jobs::name_fits(hwnd(), jobs::file_name(path)) || !jobs::in_job_folder(hwnd(), path, folder))
        return;
    MenuFileNew_Click();
    document.setFileName(jobs::file_name(path));
    LoadJobFile();
    if (!document.untitled()) showBackupDate(L"Last backup on ");
}

// Saves under a name; on failure the list keeps its old name and stays changed.
bool FrmMain::saveUnder(const std::wstring& name) {
    const std::wstring previous = document.fileName();
    document.setFileName(name);
    if (!SaveJobFile()) {
        document.setFileName(previous);
        return false;
    }
    document.setChanged(false);
    return true;
}

void FrmMain::MenuFileSave_Click() {
    std::wstring name = document.fileName();
    if (document.untitled() || name.empty()) {
        const std::wstring path = jobs::ask_job_file(hwnd(), true, app::state().JobFolder);
        if (path.empty()) return;  // cancelled: name and list unchanged
        name = jobs::file_name(path);
        if (!jobs::name_fits(hwnd(), name)) return;
    }
    saveUnder(name);
}

void FrmMain::MenuFileSaveAs_Click() {
    const std::wstring path = jobs::ask_job_file(hwnd(), true, app::state().JobFolder);
    if (path.empty()) return;  // cancelled: name and list unchanged
    const std::wstring name = jobs::file_name(path);
    if (jobs::name_fits(hwnd(), name)) saveUnder(name);
}

}  // namespace ui
