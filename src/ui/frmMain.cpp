#include "ui/frmMain.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/module1.h"
#include "app/settings_file.h"
#include "core/text.h"
#include "core/title.h"
#include "ui/frmBrowser.h"
#include "ui/frmDriveSelect.h"
#include "win/dpi.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinMain";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void add_tooltip(HWND tip, HWND owner, HWND tool, const wchar_t* text) {
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner;
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

// The stock icon, or (Wine answers the stock call with no icon) the one the
// shell shows for an open folder.
HICON open_folder_icon() {
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof stock;
    if (SUCCEEDED(SHGetStockIconInfo(SIID_FOLDEROPEN, SHGSI_ICON | SHGSI_SMALLICON, &stock)) && stock.hIcon)
        return stock.hIcon;
    wchar_t windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(windows, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_OPENICON)) return nullptr;
    return info.hIcon;
}

}  // namespace

FrmMain::FrmMain() = default;

FrmMain::~FrmMain() = default;

bool FrmMain::create(bool show) {
    createMenu();
    if (!makeWindow(kClass, app::kAppTitle, kStyle, WS_EX_CONTROLPARENT, nullptr, menuBar, kClientWidth, kClientHeight))
        return false;
    design_outer_height_twips_ = outerHeightTwips();
    createControls();
    SetTimer(hwnd(), ID_TIMER1, 500, nullptr);
    Form_Load();
    if (show) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        UpdateWindow(hwnd());
    }
    tellMissedRuns();  // over the window, once it shows
    return true;
}

void FrmMain::createMenu() {
    menuBar = CreateMenu();
    menuFile = CreatePopupMenu();
    AppendMenuW(menuFile, MF_STRING, ID_MENU_NEW, L"&New\tCtrl+N");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_OPEN, L"&Open\tCtrl+O");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_SAVE, L"&Save\tCtrl+S");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_SAVEAS, L"Save &As\tCtrl+A");
    AppendMenuW(menuFile, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menuFile, MF_STRING, ID_MENU_PRINT, L"Print Program Files\tCtrl+P");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_SETDEFAULT, L"Set &Default Job\tCtrl+D");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_SCHEDULE, L"Sc&hedule...");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_HISTORY, L"&Run History...");
    AppendMenuW(menuFile, MF_STRING, ID_MENU_RESTORE, L"R&estore...\tCtrl+R");
    AppendMenuW(menuFile, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menuFile, MF_STRING, ID_MENU_EXIT, L"E&xit");
    AppendMenuW(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(menuFile), L"&File");
    AppendMenuW(menuBar, MF_STRING, ID_MENU_ABOUT, L"&About");

    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'N', ID_MENU_NEW},     {FVIRTKEY | FCONTROL, 'O', ID_MENU_OPEN},
        {FVIRTKEY | FCONTROL, 'S', ID_MENU_SAVE},    {FVIRTKEY | FCONTROL, 'A', ID_MENU_SAVEAS},
        {FVIRTKEY | FCONTROL, 'P', ID_MENU_PRINT},   {FVIRTKEY | FCONTROL, 'D', ID_MENU_SETDEFAULT},
        {FVIRTKEY | FCONTROL, 'R', ID_MENU_RESTORE},
    };
    accelerators_.reset(CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

void FrmMain::createControls() {
    const DWORD label = WS_VISIBLE | SS_LEFT;
    const DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
    const DWORD box = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD check = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
    INITCOMMONCONTROLSEX progress_class{sizeof progress_class, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&progress_class);

    Label1[0] =
        win::Window(addControl(L"STATIC", L"Select SOURCE folder", label, ID_LABEL_SOURCE, 120, 150, 2640, 285));
    cmdSource = win::Window(addControl(L"BUTTON", L"1", button, ID_CMD_SOURCE, 2820, 60, 435, 375));
    txtSource = win::Window(addControl(L"EDIT", L"", box, ID_TXT_SOURCE, 120, 510, 4755, 375, WS_EX_CLIENTEDGE));
    Label1[1] =
        win::Window(addControl(L"STATIC", L"Select DESTINATION folder", label, ID_LABEL_DEST, 4980, 150, 2640, 285));
    cmdDest = win::Window(addControl(L"BUTTON", L"1", button, ID_CMD_DEST, 7680, 60, 435, 375));
    txtDest = win::Window(addControl(L"EDIT", L"", box, ID_TXT_DEST, 4980, 510, 4755, 375, WS_EX_CLIENTEDGE));
    lblExcept = win::Window(addControl(L"STATIC", L"Leave out", label, ID_LABEL_EXCEPT, 120, 1035, 1080, 285));
    txtExcept = win::Window(addControl(L"EDIT", L"", box, ID_TXT_EXCEPT, 1200, 990, 8535, 375, WS_EX_CLIENTEDGE));
    // Only a hint: a system without cue banners shows an empty box.
    txtExcept.send(EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"*.tmp; ~$*; node_modules\\"));
    const int y = kExceptBand;  // the rest sits under the "Leave out" line
    cmdAddJob =
        win::Window(addControl(L"BUTTON", L"ADD JOB", button | WS_DISABLED, ID_CMD_ADDJOB, 120, y + 1020, 1815, 495));
    chkEmpty =
        win::Window(addControl(L"BUTTON", L"Include Empty Folders", check, ID_CHK_EMPTY, 2100, y + 990, 2640, 270));
    chkRemove = win::Window(addControl(L"BUTTON", L"Remove Files && Folders Not in Source", check, ID_CHK_REMOVE, 2100,
                                       y + 1275, 3900, 270));
    chkExit = win::Window(addControl(L"BUTTON", L"Exit when Complete", check, ID_CHK_EXIT, 4860, y + 990, 2400, 270));
    chkKeep = win::Window(addControl(L"BUTTON", L"Keep Replaced && Removed Files", check, ID_CHK_KEEP, 2100, y + 1530,
                                     3600, 255));
    chkKeep.send(BM_SETCHECK, BST_CHECKED);
    cmdRun =
        win::Window(addControl(L"BUTTON", L"RUN BACKUPS", button | WS_DISABLED, ID_CMD_RUN, 7920, y + 1020, 1815, 495));
    Label2 = win::Window(addControl(L"STATIC", L"Job List", label, ID_LABEL2, 120, y + 1800, 4755, 285));
    lblBUDateDisplay =
        win::Window(addControl(L"STATIC", L"", WS_VISIBLE | SS_RIGHT, ID_LBL_BUDATE, kDateSpot.left,
                                                   kDateSpot.top, kDateSpot.width, kDateSpot.height));
    prgRun = win::Window(addControl(PROGRESS_CLASSW, L"", PBS_SMOOTH, ID_PRG_RUN, 120, y + 1020, 7680, 240));
    lblProgress = win::Window(
        addControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, ID_LBL_PROGRESS, 120, y + 1290, 7680, 255));
    cmdStop =
        win::Window(addControl(L"BUTTON", L"STOP", WS_TABSTOP | BS_PUSHBUTTON, ID_CMD_STOP, 7920, y + 1020, 1815, 495));
    lblNextRun =
        win::Window(addControl(L"STATIC", L"", SS_RIGHT | SS_NOPREFIX, ID_LBL_NEXTRUN, 4980, y + 1800, 4755, 285));
    lblWarning =
        win::Window(addControl(L"STATIC", L"", SS_RIGHT | SS_NOPREFIX, ID_LBL_WARNING, 4980, y + 1800, 4755, 285));
    dressControls();
    attachDocument();
}

// The BROWSE icons, the strong buttons' font, the rows' font and the tooltips.
void FrmMain::dressControls() {
    // The shell's open-folder icon, as Explorer shows it; "..." where the system has none.
    browse_icon_.reset(open_folder_icon());
    if (browse_icon_) {
        for (win::Window* b : {&cmdSource, &cmdDest}) {
            SetWindowLongPtrW(b->hwnd(), GWL_STYLE, GetWindowLongPtrW(b->hwnd(), GWL_STYLE) | BS_ICON);
            b->setText(L"BROWSE");  // read by screen readers; the icon is what shows
            b->send(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(browse_icon_.get()));
        }
    } else {
        cmdSource.setText(L"...");
        cmdDest.setText(L"...");
    }
    HFONT strong = win::font_named(L"MS Shell Dlg 2", 9, true);
    cmdAddJob.send(WM_SETFONT, reinterpret_cast<WPARAM>(strong), FALSE);
    cmdRun.send(WM_SETFONT, reinterpret_cast<WPARAM>(strong), FALSE);
    cmdStop.send(WM_SETFONT, reinterpret_cast<WPARAM>(strong), FALSE);

    row_font_ = win::font_named(L"Arial", 12);

    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tip) {
        add_tooltip(tip, hwnd(), cmdSource.hwnd(), L"BROWSE");
        add_tooltip(tip, hwnd(), cmdDest.hwnd(), L"BROWSE");
    }
    tooltip_ = tip;
}

// The boxes' own keys, and the document's changes reaching the rows, the title and the commands.
void FrmMain::attachDocument() {
    // Enter in the folder boxes, and their focus loss, come through here.
    SetWindowSubclass(txtSource.hwnd(), &FrmMain::boxProc, ID_TXT_SOURCE, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(txtDest.hwnd(), &FrmMain::boxProc, ID_TXT_DEST, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(cmdSource.hwnd(), &FrmMain::boxProc, ID_CMD_SOURCE, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(cmdDest.hwnd(), &FrmMain::boxProc, ID_CMD_DEST, reinterpret_cast<DWORD_PTR>(this));

    document.on_change = [this](jobs::Change change) {
        jobList.show(change);
        UpdateTitle();
    };
    jobList.attach(document, {[this](int n) { return makeRow(n); },
                              [this](int count) { fitRows(count); },
                              {Label1[0], Label1[1], cmdSource, txtSource, cmdDest, txtDest, lblExcept, txtExcept},
                              cmdAddJob});
}

bool FrmMain::menuEnabled(int id) const {
    UINT s = GetMenuState(menuFile, static_cast<UINT>(id), MF_BYCOMMAND);
    return s != static_cast<UINT>(-1) && !(s & (MF_DISABLED | MF_GRAYED));
}
bool FrmMain::menuChecked(int id) const {
    UINT s = GetMenuState(menuFile, static_cast<UINT>(id), MF_BYCOMMAND);
    return s != static_cast<UINT>(-1) && (s & MF_CHECKED);
}

namespace {

LRESULT CALLBACK rowProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR index, DWORD_PTR ref) {
    if (msg == WM_LBUTTONUP) {
        LRESULT r = DefSubclassProc(h, msg, w, l);
        reinterpret_cast<FrmMain*>(ref)->txtActionDisplay_Click(static_cast<int>(index));
        return r;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, rowProc, index);
    return DefSubclassProc(h, msg, w, l);
}

}  // namespace

// Job rows sit 480 twips apart below the list's label.
jobs::RowControls FrmMain::makeRow(int n) {
    const int top = kRowTop + kRowPitch * n;
    jobs::RowControls row;
    row.text = win::Window(addControl(L"EDIT", L"", WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, ID_ROW_TEXT + n,
                                      kRowLeft, top, kRowWidth, kRowHeight, WS_EX_CLIENTEDGE));
    row.text.send(WM_SETFONT, reinterpret_cast<WPARAM>(row_font_), FALSE);
    row.del = win::Window(addControl(L"BUTTON", L"X", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ID_ROW_DELETE + n,
                                     kDeleteLeft, top, kDeleteSize, kDeleteSize));
    SetWindowSubclass(row.text.hwnd(), rowProc, static_cast<UINT_PTR>(n), reinterpret_cast<DWORD_PTR>(this));
    if (tooltip_) add_tooltip(tooltip_, hwnd(), row.del.hwnd(), L"Delete This Job");
    return row;
}

void FrmMain::fitRows(int count) {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    const int height = win::px(design_outer_height_twips_ + kRowPitch * count);
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmMain::Form_Load() {
    app::Module1& m = app::state();
    createAuxiliaryWindows();
    // A settings file without a DefaultJob line names no default job either.
    if (m.DefaultJob() == core::kNoDefaultJob || m.DefaultJob().empty()) {
        UpdateTitle();
        return;
    }
    LoadJobFile();
    if (!document.untitled()) showBackupDate(L"Last backup on ");  // an untitled list shows none
    // A default job that could not be read leaves an untitled list: nothing to tick then.
    document.setDefault(!document.untitled());
}

// The title, the File commands and the next run, from the document and the run alone.
void FrmMain::UpdateTitle() {
    window().setText(core::compose_title(document.fileName(), document.changed(), app::state().settings.DefaultJob));
    const core::CommandStates c =
        core::command_states({document.untitled(), document.changed(), document.count(), run_in_progress});
    const std::pair<int, bool> states[] = {
        {ID_MENU_NEW, c.file_new},      {ID_MENU_OPEN, c.open},       {ID_MENU_SAVE, c.save},
        {ID_MENU_SAVEAS, c.save_as},    {ID_MENU_PRINT, c.print},     {ID_MENU_SETDEFAULT, c.set_default},
        {ID_MENU_SCHEDULE, c.schedule}, {ID_MENU_HISTORY, c.history}, {ID_MENU_RESTORE, c.restore}};
    for (const auto& [id, on] : states)
        EnableMenuItem(menuFile, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menuFile, ID_MENU_SETDEFAULT, MF_BYCOMMAND | (document.isDefault() ? MF_CHECKED : MF_UNCHECKED));
    showNextRun();  // the file name may have changed
    DrawMenuBar(hwnd());
}

void FrmMain::MenuFileSetDefault_Click() {
    app::state().DefaultJob() = !document.isDefault() ? document.fileName() : std::wstring(core::kNoDefaultJob);
    document.setDefault(!document.isDefault());
}

bool FrmMain::Form_QueryUnload() {
    if (!document.changed()) return true;
    int answer = win::say(hwnd(), {win::Severity::Question, L"File Not Saved",
                                   L"The job file " + core::quoted(document.fileName()) + L" has not been saved." +
                                       core::kTwoCr + L"Do you want to save the changes?",
                                   win::Buttons::YesNoCancel});
    if (answer == IDCANCEL) return false;
    // A list that could not be saved is not given up silently: the user is told and may stay.
    if (answer == IDYES && !SaveJobFile()) return false;
    return true;
}

void FrmMain::Form_Unload() {
    app::WriteSettings(hwnd());
    destroyAuxiliaryWindows();
}

bool FrmMain::requestClose() {
    HWND h = hwnd();
    SendMessageW(h, WM_CLOSE, 0, 0);
    return !IsWindow(h);
}

void FrmMain::MenuFileExit_Click() { requestClose(); }

void FrmMain::dispatch(MSG& msg) {
    HWND h = hwnd();
    if (h && accelerators_ && TranslateAcceleratorW(h, accelerators_.get(), &msg)) return;
    if (h && IsDialogMessageW(h, &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void FrmMain::onCommand(int id, int code) {
    if (id >= ID_ROW_DELETE && id <= ID_ROW_DELETE + core::kMaxJobs) {
        // Greyed during a run: the run has its own copy of the list, and the rows must go on showing it.
        const int row = id - ID_ROW_DELETE;
        if (code == BN_CLICKED && row >= 1 && row <= jobList.count() && IsWindowEnabled(jobList.row(row).del.hwnd()))
            cmdDeleteJob_Click(row);
        return;
    }
    enum class From { FileMenu, Anywhere, Button };
    static constexpr struct {
        int id;
        From from;
        void (FrmMain::*handler)();
    } kRoutes[] = {
        {ID_MENU_NEW, From::FileMenu, &FrmMain::MenuFileNew_Click},
        {ID_MENU_OPEN, From::FileMenu, &FrmMain::MenuFileOpen_Click},
        {ID_MENU_SAVE, From::FileMenu, &FrmMain::MenuFileSave_Click},
        {ID_MENU_SAVEAS, From::FileMenu, &FrmMain::MenuFileSaveAs_Click},
        {ID_MENU_PRINT, From::FileMenu, &FrmMain::MenuFilePrint_Click},
        {ID_MENU_SETDEFAULT, From::FileMenu, &FrmMain::MenuFileSetDefault_Click},
        {ID_MENU_SCHEDULE, From::FileMenu, &FrmMain::MenuFileSchedule_Click},
        {ID_MENU_HISTORY, From::FileMenu, &FrmMain::MenuFileHistory_Click},
        {ID_MENU_RESTORE, From::FileMenu, &FrmMain::MenuFileRestore_Click},
        {ID_MENU_EXIT, From::FileMenu, &FrmMain::MenuFileExit_Click},
        {ID_MENU_ABOUT, From::Anywhere, &FrmMain::MenuAbout_Click},
        {ID_CMD_ADDJOB, From::Button, &FrmMain::cmdAddJob_Click},
        {ID_CMD_RUN, From::Button, &FrmMain::cmdRun_Click},
        {ID_CMD_STOP, From::Button, &FrmMain::cmdStop_Click},
        {ID_CMD_SOURCE, From::Button, &FrmMain::cmdSource_Click},
        {ID_CMD_DEST, From::Button, &FrmMain::cmdDest_Click},
    };
    for (const auto& route : kRoutes) {
        if (route.id != id) continue;
        // Accelerators reach here for greyed items too: the menu's state decides.
        if (route.from == From::FileMenu && !menuEnabled(id)) return;
        if (route.from == From::Button && code != BN_CLICKED) return;  // focus notices
        (this->*route.handler)();
        return;
    }
}

LRESULT FrmMain::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case run::WM_RUN_PROGRESS:
        case run::WM_RUN_QUESTION:
        case run::WM_RUN_ENDED:
            onRunMessage(msg);
            return 0;
        case WM_TIMER:
            if (w == ID_TIMER1) Timer1_Timer();
            return 0;
        case WM_CLOSE:
            // A run's end arrives inside whatever modal loop is open; the window and the
            // windows it owns stay until that loop has returned.
            if (win::modal_open()) {
                win::post_when_modals_closed(hwnd(), WM_CLOSE);
                return 0;
            }
            if (run_in_progress) {
                if (!askToStopRun()) return 0;
                // The run's end closes the window, once the user has seen how it ended;
                // an end that came while the question was up has been seen already.
                if (run_in_progress) {
                    close_after_run_ = true;
                    return 0;
                }
            }
            if (!Form_QueryUnload()) return 0;
            Form_Unload();
            DestroyWindow(hwnd());
            return 0;
        case WM_SETCURSOR:
            if (run_in_progress) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            return defaultHandle(msg, w, l);
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(l) != lblWarning.hwnd()) return defaultHandle(msg, w, l);
            SetTextColor(reinterpret_cast<HDC>(w), RGB(192, 0, 0));
            SetBkColor(reinterpret_cast<HDC>(w), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_QUERYENDSESSION:
            endRunForSession();  // the session may end without another word
            return Form_QueryUnload() ? TRUE : FALSE;
        case WM_ENDSESSION:
            if (w) endRunForSession();
            if (w) Form_Unload();
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd(), ID_TIMER1);
            if (on_destroyed) on_destroyed();
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
