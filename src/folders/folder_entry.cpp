// Typed folder entry: the check that runs when a folder box or a BROWSE button loses the focus.
#include <windows.h>
#include <commctrl.h>

#include "app/module1.h"
#include "folders/path_exists.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {

void FrmMain::ValidateFolderBox(win::Window box, win::Window partner) {
    app::Module1& m = app::state();
    std::wstring path = box.text();
    if (path.empty()) {
        cmdAddJob.enable(false);
        return;
    }
    if (path.back() == L':') {
        path += L'\\';
        box.setText(path);
    }
    // A job file is ANSI text: a name it cannot hold would come back with "?" in it.
    if (!win::representable(path, CP_ACP)) {
        cmdAddJob.enable(false);
        win::ask(hwnd(), L"INVALID PATH",
                 L"The folder " + m.Quote + path + m.Quote +
                     L" has characters in its name that a job file cannot hold." + m.TwoCr +
                     L"Please choose or rename a folder whose name uses only this system's character set.",
                 MB_OK | MB_ICONSTOP);
        box.setText(L"");
        return;
    }
    // A refused path (one beginning with ":") counts as one that does not exist.
    if (!folders::PathExistsOrFalse(path, 20)) {
        cmdAddJob.enable(false);
        int answer = win::ask(hwnd(), L"PATH NOT FOUND",
                              L"The path " + m.Quote + path + m.Quote + L" does not exist." + m.TwoCr +
                                  L"Do you want to create it?",
                              MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            box.setText(L"");
            return;
        }
        if (!CreateDirectoryW(path.c_str(), nullptr)) {
            DWORD err = GetLastError();
            win::ask(hwnd(), L"FOLDER NOT CREATED",
                     L"The folder " + m.Quote + path + m.Quote + L" could not be created: " + win::error_text(err) +
                         L"." + m.TwoCr + L"Please check the path (its parent folder must exist) and try again.",
                     MB_OK | MB_ICONSTOP);
            box.setText(L"");
            return;
        }
    } else if (!partner.text().empty()) {
        cmdAddJob.enable(true);
    }
    if (m.JobCount == core::kMaxJobs) FreezeEntry();
}

void FrmMain::txtDest_KeyPress(wchar_t key) {
    if (key == L'\r') txtDest_LostFocus();
}

void FrmMain::txtSource_KeyPress(wchar_t key) {
    if (key == L'\r') txtDest.focus();
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
