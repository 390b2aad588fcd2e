// The main window's job handlers: ADD/EDIT JOB, the rows, and the File menu's job commands.
#include "app/module1.h"
#include "folders/folder_entry.h"
#include "jobs/job_edit.h"
#include "jobs/job_file.h"
#include "ui/frmMain.h"
#include "win/prompt.h"

namespace ui {

void FrmMain::AppendJobRow(const std::wstring& text) {
    jobList.append(core::ParseJobRow(text).value_or(core::JobFolders{}));
}

void FrmMain::markChanged() {
    app::state().JobChanged = true;
    cmdRun.enable(true);
    enableMenu(ID_MENU_SAVEAS, true);
    UpdateTitle();
}

void FrmMain::cmdAddJob_Click() {
    const int editing = jobList.selected();  // 0: a new job
    std::wstring dest = txtDest.text();
    if (dest.empty()) {
        cmdAddJob.enable(false);
        return;
    }
    const bool present = folders::destination_present(hwnd(), dest);
    txtDest.setText(present ? dest : L"");
    if (!present) cmdAddJob.enable(false);
    else if (!txtSource.text().empty()) cmdAddJob.enable(true);
    const core::JobFolders job{txtSource.text(), dest};
    if (present && !job.source.empty() && jobs::accept_job(hwnd(), jobList, editing, job)) {
        if (editing) jobList.replace(editing, job);
        else jobList.append(job);
        jobList.refresh();
        markChanged();
    }
    jobList.clearSelection();  // an edit ends with the press, whatever came of it
}

void FrmMain::txtActionDisplay_Click(int i) {
    if (i < 1 || i > jobList.count()) return;
    jobList.select(i);
    txtSource.setText(jobList.job(i).source);
    txtDest.setText(jobList.job(i).destination);
    txtDest_LostFocus();
}

void FrmMain::cmdDeleteJob_Click(int i) {
    if (i < 1 || i > jobList.count()) return;
    jobList.remove(i);
    app::state().JobChanged = true;
    UpdateTitle();
}

void FrmMain::LoadJobFile() {
    app::Module1& m = app::state();
    if (m.JobFileName == app::kUntitled) m.JobFileName = m.DefaultJob();
    if (!jobs::load_job_file(hwnd(), m.JobFilePath(), jobList)) {
        m.JobFileName = app::kUntitled;
        // An untitled list is no default job.
        checkMenu(ID_MENU_SETDEFAULT, false);
        enableMenu(ID_MENU_SETDEFAULT, false);
        if (jobList.count() > 0) enableMenu(ID_MENU_NEW, true);
        UpdateTitle();
        return;
    }
    enableMenu(ID_MENU_NEW, true);
    enableMenu(ID_MENU_SETDEFAULT, true);
    cmdRun.enable(true);
    UpdateTitle();
}

bool FrmMain::SaveJobFile() { return jobs::save_job_file(hwnd(), app::state().JobFilePath(), jobList); }

void FrmMain::ShowBackupDate(const wchar_t* found_prefix) {
    if (auto label = jobs::backup_date_label(found_prefix)) lblBUDateDisplay.setText(*label);
}

void FrmMain::MenuFileNew_Click() {
    app::Module1& m = app::state();
    if (m.JobChanged) {
        int answer = win::ask(hwnd(), L"Job Not Saved",
                              L"The current job has not been saved." + m.TwoCr + L"Do you want to save the job first?",
                              MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) return;
        if (answer == IDYES && !SaveJobFile()) return;  // keep the list the user wanted kept
    }
    txtSource.setText(L"");
    txtDest.setText(L"");
    jobList.clear();
    m.JobChanged = false;
    m.JobFileName = app::kUntitled;
    lblBUDateDisplay.setText(L"");
    enableMenu(ID_MENU_NEW, false);
    enableMenu(ID_MENU_SAVE, false);
    enableMenu(ID_MENU_SAVEAS, false);
    checkMenu(ID_MENU_SETDEFAULT, false);
    enableMenu(ID_MENU_SETDEFAULT, false);
    cmdRun.enable(false);
    UpdateTitle();
}

void FrmMain::MenuFileOpen_Click() {
    app::Module1& m = app::state();
    const std::wstring path = jobs::ask_job_file(hwnd(), false);
    if (path.empty() || !jobs::name_fits(hwnd(), jobs::file_name(path)) || !jobs::in_job_folder(hwnd(), path)) return;
    MenuFileNew_Click();
    m.JobFileName = jobs::file_name(path);
    LoadJobFile();
    if (m.JobFileName != app::kUntitled) {
        ShowBackupDate(L"Last backup on ");
        enableMenu(ID_MENU_NEW, true);
        enableMenu(ID_MENU_SETDEFAULT, true);
        enableMenu(ID_MENU_SAVEAS, true);
    }
    UpdateTitle();
}

// Saves under a name; on failure the list keeps its old name and stays changed.
bool FrmMain::saveUnder(const std::wstring& name) {
    app::Module1& m = app::state();
    const std::wstring previous = m.JobFileName;
    m.JobFileName = name;
    if (!SaveJobFile()) {
        m.JobFileName = previous;
        return false;
    }
    m.JobChanged = false;
    enableMenu(ID_MENU_SAVE, false);
    return true;
}

void FrmMain::MenuFileSave_Click() {
    std::wstring name = app::state().JobFileName;
    if (name == app::kUntitled || name.empty()) {
        const std::wstring path = jobs::ask_job_file(hwnd(), true);
        if (path.empty()) return;  // cancelled: name and list unchanged
        name = jobs::file_name(path);
        if (!jobs::name_fits(hwnd(), name)) return;
    }
    if (saveUnder(name)) UpdateTitle();
}

void FrmMain::MenuFileSaveAs_Click() {
    const std::wstring path = jobs::ask_job_file(hwnd(), true);
    if (path.empty()) return;  // cancelled: name and list unchanged
    const std::wstring name = jobs::file_name(path);
    if (!jobs::name_fits(hwnd(), name) || !saveUnder(name)) return;
    enableMenu(ID_MENU_SETDEFAULT, true);
    UpdateTitle();
}

}  // namespace ui
