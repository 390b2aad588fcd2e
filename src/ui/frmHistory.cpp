// The history window: a list view of the runs, newest first.
#include "ui/frmHistory.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/notify.h"
#include "win/list_view.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinHistory";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

enum RunIcon { kComplete, kFailed, kNotFinished, kNotStarted, kUnreadable };

// The icon of an outcome: complete, failed, not finished (or not confirmed, or never ended), not started.
int icon_of(const core::HistoryEntry& e) {
    if (!e.readable) return kUnreadable;
    if (e.outcome == core::kBackupComplete) return kComplete;
    if (e.outcome == L"BACKUP FAILED") return kFailed;
    if (e.outcome == L"BACKUP NOT FINISHED" || e.outcome == L"BACKUP NOT CONFIRMED" || e.outcome == core::kNeverEnded)
        return kNotFinished;
    return kNotStarted;
}

HIMAGELIST make_icons() {
    const int size = GetSystemMetrics(SM_CXSMICON);
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 5, 0);
    if (!list) return nullptr;
    // Not started: the plain window, as nothing ran; an unreadable line: the question mark.
    for (const wchar_t* id : {IDI_INFORMATION, IDI_ERROR, IDI_WARNING, IDI_APPLICATION, IDI_QUESTION})
        ImageList_AddIcon(list, LoadIconW(nullptr, id));  // shared system icons: nothing to give back
    return list;
}

}  // namespace

bool FrmHistory::create(HWND owner, std::vector<core::HistoryEntry> history) {
    INITCOMMONCONTROLSEX list_class{sizeof list_class, ICC_LISTVIEW_CLASSES};
    if (!InitCommonControlsEx(&list_class)) return false;
    if (!makeWindow(kClass, L"RUN HISTORY", kStyle, kExStyle, owner, nullptr, 10800, 5400)) return false;
    lvwRuns = win::Window(addControl(WC_LISTVIEWW, L"",
                                     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                     ID_HI_LIST, 120, 120, 10560, 4620, WS_EX_CLIENTEDGE));
    cmdClose = win::Window(addControl(L"BUTTON", L"Close", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ID_HI_CLOSE, 9540,
                                      4860, 1140, 375));
    if (!lvwRuns || !cmdClose) return false;
    runs_ = std::move(history);
    std::reverse(runs_.begin(), runs_.end());  // the file is in the order the runs ended
    std::stable_sort(runs_.begin(), runs_.end(), [](const auto& a, const auto& b) { return a.when > b.when; });
    if (!fill()) return false;
    centreOver(owner);
    return true;
}

bool FrmHistory::fill() {
    lvwRuns.send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    lvwRuns.send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(make_icons()));  // the list owns it
    const struct {
        const wchar_t* title;
        int width;
    } kColumns[] = {{L"When", 150}, {L"Job file", 120}, {L"Outcome", 170}, {L"Jobs that failed, and why", 440},
                    {L"Log", 300}};
    for (int i = 0; i < 5; ++i) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = kColumns[i].width;
        c.pszText = const_cast<wchar_t*>(kColumns[i].title);
        if (lvwRuns.send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&c)) < 0) return false;
    }
    for (int row = 0; row < static_cast<int>(runs_.size()); ++row) {
        const core::HistoryEntry& e = runs_[static_cast<size_t>(row)];
        std::wstring texts[] = {e.readable ? e.when : L"(unreadable line)", e.job_file, e.outcome, e.detail, e.log};
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = row;
        item.iImage = icon_of(e);
        item.pszText = texts[0].data();
        if (lvwRuns.send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) < 0) return false;
        for (int column = 1; column < 5; ++column) {
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = texts[column].data();
            lvwRuns.send(LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
        }
    }
    return true;
}

void FrmHistory::show(HWND owner) { win::show_modal(*this, owner); }

int FrmHistory::rows() const { return static_cast<int>(lvwRuns.send(LVM_GETITEMCOUNT)); }

std::wstring FrmHistory::cell(int row, int column) const { return win::list_cell(lvwRuns, row, column); }

int FrmHistory::icon(int row) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    return lvwRuns.send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? item.iImage : -1;
}

void FrmHistory::openSelected() {
    const auto row = lvwRuns.send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= runs_.size()) return;
    const core::HistoryEntry& e = runs_[static_cast<size_t>(row)];
    if (e.readable) open_log(hwnd(), e.log);
}

void FrmHistory::onCommand(int id, int) {
    if (id == IDOK) openSelected();  // Enter
    if (id == ID_HI_CLOSE) window().show(false);
}

LRESULT FrmHistory::handle(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NOTIFY) {
        const auto* n = reinterpret_cast<const NMHDR*>(l);
        if (n->idFrom == ID_HI_LIST && (n->code == NM_DBLCLK || n->code == NM_RETURN)) openSelected();
        return 0;
    }
    if (msg == WM_CLOSE) {
        window().show(false);
        return 0;
    }
    return defaultHandle(msg, w, l);
}

}  // namespace ui
