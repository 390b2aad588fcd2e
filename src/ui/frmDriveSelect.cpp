// The drive selection window: its controls and message routing.
#include "ui/frmDriveSelect.h"

#include <algorithm>

#include "win/dpi.h"
#include "win/handles.h"
#include "win/prompt.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinDriveSelect";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The design width was made for a narrower font: widen a check box until its caption
// fits, but never past `right` (twips).
void fit_check_box(win::Window box, int left, int right) {
    SIZE text{};
    {
        const win::WindowDc dc(box.hwnd());
        if (!dc) return;
        HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(box.send(WM_GETFONT)));
        const std::wstring caption = box.text();
        const BOOL measured =
            GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &text);
        if (old) SelectObject(dc.get(), old);
        if (!measured) return;
    }
    RECT r = box.rectIn(GetParent(box.hwnd()));
    const int needed = text.cx + GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 4;
    const int width = std::min(needed, win::px(right - left));
    if (width > r.right - r.left)
        SetWindowPos(box.hwnd(), nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool FrmDriveSelect::create(HWND owner) {
    if (!makeWindow(kClass, L"DRIVE SELECTION", kStyle, kExStyle, owner, nullptr, 4650, 975)) return false;
    HWND drives = addControl(L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                             ID_DS_DRIVES, 120, 120, 4335, 315 * 8);
    Check1 = win::Window(addControl(L"BUTTON", L"Apply to all jobs", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                    ID_DS_ALL, 120, 480, 1455, 375));
    Command1 = win::Window(
        addControl(L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ID_DS_OK, 3720, 480, 735, 375));
    if (!drives || !Check1 || !Command1) {
        DestroyWindow(hwnd());
        return false;
    }
    Drive1.attach(drives);
    Drive1.setClosedHeight(315);
    Check1.send(BM_SETCHECK, BST_CHECKED);
    fit_check_box(Check1, 120, 3720 - 120);

    // Centred on the screen, like the browser.
    RECT outer{}, area{};
    if (GetWindowRect(hwnd(), &outer) && SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        SetWindowPos(hwnd(), nullptr, area.left + (area.right - area.left - (outer.right - outer.left)) / 2,
                     area.top + (area.bottom - area.top - (outer.bottom - outer.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

std::optional<run::DriveChoice> FrmDriveSelect::ask(HWND owner) {
    choice_.reset();
    win::show_modal(*this, owner);
    return hwnd() ? choice_ : std::nullopt;  // the close box destroys it: nothing confirmed
}

void FrmDriveSelect::Command1_Click() {
    const wchar_t letter = Drive1.drive();
    if (!letter) return;  // nothing chosen: nothing to confirm
    choice_ = run::DriveChoice{letter, applyToAll()};
    window().show(false);
}

void FrmDriveSelect::onCommand(int id, int code) {
    if (id == ID_DS_DRIVES) Drive1.userChanged(code);  // refreshes the list as it opens
    else if (id == ID_DS_OK && code == BN_CLICKED) Command1_Click();
}

LRESULT FrmDriveSelect::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_SHOWWINDOW:
            if (w) Drive1.refill();  // the backup drive may have been plugged in since the last use
            return defaultHandle(msg, w, l);
        case WM_ACTIVATE:
            keepFocus(w, Drive1.hwnd());
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
