// Job files and the File menu commands that create, open and save them.
#include <vector>

#include "app/module1.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {
namespace {

constexpr wchar_t kFilter[] = L"Ostrevin Jobfile|*.ojf";

std::wstring after_last_backslash(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? path : path.substr(p + 1);
}

std::wstring folder_of(const std::wstring& path) {
    auto p = path.rfind(L'\\');
    return p == std::wstring::npos ? std::wstring() : path.substr(0, p);
}

bool same_folder(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& p) {
        wchar_t buf[MAX_PATH * 4];
        DWORD n = GetFullPathNameW(p.c_str(), MAX_PATH * 4, buf, nullptr);
        std::wstring s = n ? std::wstring(buf, n) : p;
        while (s.size() > 3 && s.back() == L'\\') s.pop_back();
        return s;
    };
    return CompareStringOrdinal(full(a).c_str(), -1, full(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring file_dialog(HWND owner, bool save) {
    win::FileDialogRequest r;
    r.owner = owner;
    r.save = save;
    r.title = save ? L"Save Job" : L"Open Job";
    r.filter = kFilter;
    r.initial_folder = app::state().JobFolder;
    return win::prompter().file_dialog(r);
}

// The settings file keeps job file names in the ANSI code page; one it cannot hold
// would be stored with "?" and never match again. False after telling the user.
bool name_fits(HWND owner, const std::wstring& name) {
    if (win::representable(name, CP_ACP)) return true;
    const app::Module1& m = app::state();
    win::ask(owner, L"INVALID NAME",
             L"The job file name " + m.Quote + name + m.Quote + L" has characters that the settings file cannot hold." +
                 m.TwoCr + L"Please choose a name that uses only this system's character set.",
             MB_OK | MB_ICONSTOP);
    return false;
}

std::wstring join_numbers(const std::vector<int>& numbers) {
    std::wstring s;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (i) s += i + 1 == numbers.size() ? L" and " : L", ";
        s += std::to_wstring(numbers[i]);
    }
    return s;
}

}  // namespace

void FrmMain::LoadJobFile() {
    app::Module1& m = app::state();
    if (m.JobFileName == app::kUntitled) m.JobFileName = m.DefaultJob();
    const std::wstring path = m.JobFilePath();
    DWORD err = 0;
    auto text = win::read_text_file(path, CP_ACP, &err);
    if (!text) {
        win::ask(hwnd(), L"FILE NOT OPENED",
                 L"The job file " + m.Quote + path + m.Quote + L" could not be opened: " + win::error_text(err) + L"." +
                     m.TwoCr + L"Ostrevin goes on with an untitled job list.",
                 MB_OK | MB_ICONEXCLAMATION);
        m.JobFileName = app::kUntitled;
        // An untitled list is no default job.
        checkMenu(ID_MENU_SETDEFAULT, false);
        enableMenu(ID_MENU_SETDEFAULT, false);
        if (m.JobCount > 0) enableMenu(ID_MENU_NEW, true);
        UpdateTitle();
        return;
    }
    std::vector<int> bad_lines;
    int left_out = 0, line_no = 0;
    for (const auto& line : core::split_lines(*text)) {
        ++line_no;
        if (line.empty()) break;  // an empty line ends the list
        auto folders = core::ParseJobRow(line);
        if (!folders) {
            bad_lines.push_back(line_no);
            continue;
        }
        if (m.JobCount >= core::kMaxJobs) {
            ++left_out;
            continue;
        }
        const int n = m.JobCount + 1;
        m.JobPaths[static_cast<size_t>(n)] = *folders;  // in the letter case of the file
        AppendJobRow(core::FormatJobRow(folders->source, folders->destination));
    }
    if (!bad_lines.empty() || left_out > 0) {
        std::wstring msg;
        if (!bad_lines.empty())
            msg += (bad_lines.size() == 1 ? L"Line " : L"Lines ") + join_numbers(bad_lines) + L" of the job file " +
                   m.Quote + path + m.Quote + L" could not be read as jobs and " +
                   (bad_lines.size() == 1 ? L"was" : L"were") + L" left out.";
        if (left_out > 0) {
            if (!msg.empty()) msg += L" ";
            msg += L"The job list holds at most " + std::to_wstring(core::kMaxJobs) + L" jobs, so " +
                   std::to_wstring(left_out) + (left_out == 1 ? L" job of " : L" jobs of ") + m.Quote + path + m.Quote +
                   (left_out == 1 ? L" was" : L" were") + L" left out.";
        }
        msg += m.TwoCr + L"The file itself has not been changed.";
        win::ask(hwnd(), L"JOB FILE INCOMPLETE", msg, MB_OK | MB_ICONEXCLAMATION);
    }
    WarnJobConflicts();  // the rows stay as the file has them; the run refuses
    enableMenu(ID_MENU_NEW, true);
    enableMenu(ID_MENU_SETDEFAULT, true);
    cmdRun.enable(true);
    UpdateTitle();
}

bool FrmMain::SaveJobFile() {
    app::Module1& m = app::state();
    std::vector<std::wstring> lines;
    for (int i = 1; i <= m.JobCount; ++i) lines.push_back(rows[static_cast<size_t>(i)].text.text());
    const std::wstring path = m.JobFilePath();
    const bool old_file = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    auto r = win::write_text_file(path, core::join_lines(lines), CP_ACP);
    if (!r.ok) {
        win::ask(hwnd(), L"FILE NOT SAVED",
                 L"The job file " + m.Quote + path + m.Quote + L" could not be written: " + win::error_text(r.error) +
                     L"." + m.TwoCr + L"The job list has not been saved; " +
                     (old_file ? L"the old file is unchanged." : L"no file of that name has been made."),
                 MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void FrmMain::ShowBackupDate(const wchar_t* found_prefix) {
    app::Module1& m = app::state();
    auto r = core::LookupBackupDate(m.settings, m.JobFileName);
    if (r.kind == core::DateLookup::Found) {
        m.LastBackupDate = r.date;
        lblBUDateDisplay.setText(found_prefix + r.date);
    } else if (r.kind == core::DateLookup::Never) {
        lblBUDateDisplay.setText(L"Last Backup Never");
    }
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
    ClearJobRows();
    cmdAddJob.setText(L"ADD JOB");  // no row is left to edit
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
    ThawEntry();
}

void FrmMain::MenuFileOpen_Click() {
    app::Module1& m = app::state();
    const std::wstring path = file_dialog(hwnd(), false);
    if (path.empty() || !name_fits(hwnd(), after_last_backslash(path))) return;
    // Job files live in the job folder; a same-named file there is not the one picked.
    if (path.find(L'\\') != std::wstring::npos && !same_folder(folder_of(path), m.JobFolder)) {
        win::ask(hwnd(), L"FILE NOT OPENED",
                 L"The file " + m.Quote + path + m.Quote + L" is not in the job folder " + m.Quote + m.JobFolder +
                     m.Quote + L"." + m.TwoCr + L"Please copy it into the job folder and open it from there.",
                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    MenuFileNew_Click();
    m.JobFileName = after_last_backslash(path);
    LoadJobFile();
    if (m.JobFileName != app::kUntitled) {
        ShowBackupDate(L"Last backup on ");
        enableMenu(ID_MENU_NEW, true);
        enableMenu(ID_MENU_SETDEFAULT, true);
        enableMenu(ID_MENU_SAVEAS, true);
    }
    if (m.JobCount == core::kMaxJobs) FreezeEntry();
    UpdateTitle();
}

// Saves under a name; on failure the list keeps its old name and stays changed.
static bool save_under(FrmMain& f, const std::wstring& name) {
    app::Module1& m = app::state();
    const std::wstring previous = m.JobFileName;
    m.JobFileName = name;
    if (!f.SaveJobFile()) {
        m.JobFileName = previous;
        return false;
    }
    m.JobChanged = false;
    f.enableMenu(ID_MENU_SAVE, false);
    return true;
}

void FrmMain::MenuFileSave_Click() {
    app::Module1& m = app::state();
    std::wstring name = m.JobFileName;
    if (name == app::kUntitled || name.empty()) {
        const std::wstring path = file_dialog(hwnd(), true);
        if (path.empty()) return;  // cancelled: name and list unchanged
        name = after_last_backslash(path);
        if (!name_fits(hwnd(), name)) return;
    }
    if (save_under(*this, name)) UpdateTitle();
}

void FrmMain::MenuFileSaveAs_Click() {
    const std::wstring path = file_dialog(hwnd(), true);
    if (path.empty()) return;  // cancelled: name and list unchanged
    const std::wstring name = after_last_backslash(path);
    if (!name_fits(hwnd(), name) || !save_under(*this, name)) return;
    enableMenu(ID_MENU_SETDEFAULT, true);
    UpdateTitle();
}

}  // namespace ui
