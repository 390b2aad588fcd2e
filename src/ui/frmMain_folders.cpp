// The main window's folder entry: the two boxes, the BROWSE buttons, and the hidden
// windows made with the main window.
#include <windows.h>
#include <commctrl.h>

#include "folders/folder_entry.h"
#include "ui/frmBrowser.h"
#include "ui/frmDriveSelect.h"
#include "ui/frmMain.h"
#include "win/prompt.h"

namespace ui {
namespace {

// Shows the browser with a caption and copies a chosen folder into `box`.
void browse_into(FrmMain& main, const wchar_t* caption, win::Window box) {
    if (!win::ensure_made(main.frmBrowser, main.hwnd())) {
        win::tell_failure(main.hwnd(), L"WINDOW NOT OPENED", {L"folder browser", L"", L"opened", GetLastError()},
                          L"Please type the folder into the box instead.");
        return;
    }
    FrmBrowser& b = *main.frmBrowser;
    b.window().setText(caption);
    win::show_modal(b, main.hwnd());
    // Closed from its title bar the window is gone, and nothing was chosen.
    std::wstring chosen = b.hwnd() ? b.txtPathname.text() : std::wstring();
    if (!chosen.empty()) box.setText(chosen);
}

}  // namespace

void FrmMain::validateFolderBox(win::Window box, win::Window partner) {
    std::wstring path = box.text();
    switch (folders::check_entry(hwnd(), path)) {
        case folders::Entry::Empty:
            cmdAddJob.enable(false);
            break;
        case folders::Entry::Refused:
            cmdAddJob.enable(false);
            box.setText(L"");
            break;
        case folders::Entry::Created:  // enabled by the next check that finds it
            cmdAddJob.enable(false);
            box.setText(path);
            break;
        case folders::Entry::Present:
            box.setText(path);
            if (!partner.text().empty()) cmdAddJob.enable(true);
            break;
    }
}

void FrmMain::txtDest_KeyPress(wchar_t key) {
    if (key == L'\r') txtDest_LostFocus();
}

void FrmMain::txtSource_KeyPress(wchar_t key) {
    if (key == L'\r') txtDest.focus();
}

void FrmMain::cmdSource_Click() {
    browse_into(*this, L"SELECT SOURCE FOLDER", txtSource);
    // Moving on to the destination box validates the source box as the BROWSE button
    // loses the focus; if the button had no focus to lose, validate it here.
    const bool had_focus = GetFocus() == cmdSource.hwnd();
    txtDest.focus();
    if (!had_focus || GetFocus() != txtDest.hwnd()) cmdSource_LostFocus();
}

void FrmMain::cmdDest_Click() {
    browse_into(*this, L"SELECT DESTINATION FOLDER", txtDest);
    cmdDest_LostFocus();
}

void FrmMain::createAuxiliaryWindows() {
    // A window that cannot be made now is tried again when it is needed.
    win::ensure_made(frmBrowser, hwnd());
    win::ensure_made(frmDriveSelect, hwnd());
}

void FrmMain::destroyAuxiliaryWindows() {
    frmBrowser.reset();
    frmDriveSelect.reset();
}

// Subclass of the two folder boxes and the BROWSE buttons: Enter, and leaving for
// another control of this window (not for a message box or another program).
LRESULT CALLBACK FrmMain::boxProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR ref) {
    auto* self = reinterpret_cast<FrmMain*>(ref);
    switch (msg) {
        case WM_GETDLGCODE:
            if (w == VK_RETURN && (id == ID_TXT_SOURCE || id == ID_TXT_DEST))
                return DefSubclassProc(h, msg, w, l) | DLGC_WANTALLKEYS;
            break;
        case WM_KEYDOWN:
            if (w == VK_RETURN && id == ID_TXT_SOURCE) {
                self->txtSource_KeyPress(L'\r');
                return 0;
            }
            if (w == VK_RETURN && id == ID_TXT_DEST) {
                self->txtDest_KeyPress(L'\r');
                return 0;
            }
            break;
        case WM_CHAR:
            if (w == L'\r' && (id == ID_TXT_SOURCE || id == ID_TXT_DEST)) return 0;  // no beep
            break;
        case WM_KILLFOCUS: {
            LRESULT r = DefSubclassProc(h, msg, w, l);
            HWND to = reinterpret_cast<HWND>(w);
            if (to && (to == self->hwnd() || IsChild(self->hwnd(), to))) {
                if (id == ID_TXT_SOURCE) self->txtSource_LostFocus();
                else if (id == ID_CMD_SOURCE) self->cmdSource_LostFocus();
                else if (id == ID_TXT_DEST) self->txtDest_LostFocus();
                else if (id == ID_CMD_DEST) self->cmdDest_LostFocus();
            }
            return r;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(h, &FrmMain::boxProc, id);
            break;
        default:
            break;
    }
    return DefSubclassProc(h, msg, w, l);
}

}  // namespace ui
