// The folder browser's window: its controls, the resize rule and message routing.
#include "ui/frmBrowser.h"

#include <algorithm>

#include "core/browser_layout.h"
#include "win/dpi.h"

namespace ui {
namespace {

constexpr wchar_t kClass[] = L"OstrevinBrowser";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

void move_control(win::Window c, int left, int top, int width, int height) {
    SetWindowPos(c.hwnd(), nullptr, win::px(left), win::px(top), win::px(width), win::px(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool FrmBrowser::create(HWND owner) {
    if (!makeWindow(kClass, L"OPERATION", kStyle, kExStyle, owner, nullptr, core::kBrowserClientWidth,
                    core::kBrowserClientHeight))
        return false;
    createControls();
    if (!Command1 || !Command2 || !txtPathname || !drvSelector.hwnd() || !dirSelector.hwnd()) {
        DestroyWindow(hwnd());
        return false;
    }
    // The lists start where the process is.
    wchar_t cwd[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(std::size(cwd)), cwd);
    if (n == 0 || n >= std::size(cwd) || dirSelector.setPath(cwd) != ERROR_SUCCESS) {
        if (wchar_t d = drvSelector.drive()) dirSelector.setPath(std::wstring{d, L':', L'\\'});
    }
    Form_Resize();
    centreOver(nullptr);
    return true;
}

void FrmBrowser::createControls() {
    const DWORD label = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    Label1[0] = win::Window(addControl(L"STATIC", L"Drive Select:", label, ID_BR_LABEL_DRIVE, 120, 120, 4575, 375));
    HWND drives = addControl(L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
                             ID_BR_DRIVES, 120, 480, 3000, 390 * 8);
    Label1[1] = win::Window(addControl(L"STATIC", L"Folder Select:", label, ID_BR_LABEL_FOLDER, 120, 1080, 4575, 375));
    HWND folders = addControl(
        L"LISTBOX", L"",
        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
        ID_BR_FOLDERS, 120, 1440, 4575, 3690, WS_EX_CLIENTEDGE);
    txtPathname = win::Window(addControl(L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, ID_BR_PATH, 120, 5280,
                                         4575, 375, WS_EX_CLIENTEDGE));
    Command1 = win::Window(addControl(L"BUTTON", L"SELECT", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ID_BR_SELECT,
                                      3240, 5760, 1455, 375));
    Command2 = win::Window(
        addControl(L"BUTTON", L"CANCEL", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, ID_BR_CANCEL, 120, 5760, 1215, 375));

    HFONT arial = win::font_named(L"Arial", 12);
    for (HWND c :
         {Label1[0].hwnd(), drives, Label1[1].hwnd(), folders, txtPathname.hwnd(), Command1.hwnd(), Command2.hwnd()})
        if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(arial), FALSE);
    if (drives) {
        drvSelector.attach(drives);
        drvSelector.setClosedHeight(390);
    }
    if (folders) {
        dirSelector.attach(folders);
        MEASUREITEMSTRUCT m{};
        dirSelector.measure(m);
        SendMessageW(folders, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(m.itemHeight));
    }
}

SIZE FrmBrowser::minimumOuterSize() const {
    RECT r{0, 0, win::px(core::kBrowserClientWidth), win::px(core::kBrowserClientHeight)};
    // Should the frame not be measurable, the client size is still a floor.
    if (!AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle)) r = RECT{0, 0, r.right, r.bottom};
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The rule is written for the outer size the window had on the frame it was laid
// out for; measuring from the client area keeps the controls in place on any frame.
void FrmBrowser::Form_Resize() {
    if (!Command1 || IsIconic(hwnd())) return;  // nothing to arrange while minimized
    RECT client{};
    if (!GetClientRect(hwnd(), &client)) return;
    if (client.right < win::px(core::kBrowserClientWidth) || client.bottom < win::px(core::kBrowserClientHeight)) {
        // Snap back; the WM_SIZE this causes arranges the controls.
        setClientSizeTwips(std::max(win::twips(client.right), core::kBrowserClientWidth),
                           std::max(win::twips(client.bottom), core::kBrowserClientHeight));
        if (GetClientRect(hwnd(), &client) && client.right >= win::px(core::kBrowserClientWidth) &&
            client.bottom >= win::px(core::kBrowserClientHeight))
            return;
    }
    const core::BrowserLayout l = core::browser_layout(win::twips(client.right) + core::kBrowserFrameWidth,
                                                       win::twips(client.bottom) + core::kBrowserFrameHeight);
    move_control(win::Window(dirSelector.hwnd()), core::kControlLeft, core::kDirSelectorTop, l.dirWidth, l.dirHeight);
    move_control(txtPathname, core::kControlLeft, l.pathTop, l.pathWidth, 375);
    move_control(Command1, l.selectLeft, l.selectTop, 1455, 375);
    move_control(Command2, core::kControlLeft, l.cancelTop, 1215, 375);
}

void FrmBrowser::onCommand(int id, int code) {
    switch (id) {
        case ID_BR_DRIVES:
            if (drvSelector.userChanged(code)) drvSelector_Change();
            break;
        case ID_BR_FOLDERS:
            if (code == LBN_SELCHANGE) dirSelector_Click();
            else if (code == LBN_DBLCLK) dirSelector_DblClick();
            break;
        case ID_BR_SELECT:
            if (code == BN_CLICKED) Command1_Click();
            break;
        case ID_BR_CANCEL:
            if (code == BN_CLICKED) Command2_Click();
            break;
        default:
            break;
    }
}

LRESULT FrmBrowser::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case DM_GETDEFID:
            return MAKELRESULT(ID_BR_SELECT, DC_HASDEFID);
        case WM_SHOWWINDOW:
            if (w) {
                drvSelector.refill();  // a drive may have been plugged in since the last use
                Form_Activate();
            }
            return defaultHandle(msg, w, l);
        case WM_ACTIVATE:
            keepFocus(w, drvSelector.hwnd());
            return 0;
        case WM_SIZE:
            if (w != SIZE_MINIMIZED) Form_Resize();
            return 0;
        case WM_GETMINMAXINFO: {
            SIZE min = minimumOuterSize();
            auto* info = reinterpret_cast<MINMAXINFO*>(l);
            info->ptMinTrackSize.x = min.cx;
            info->ptMinTrackSize.y = min.cy;
            return 0;
        }
        case WM_MEASUREITEM:
            if (w == ID_BR_FOLDERS) {
                dirSelector.measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(l));
                return TRUE;
            }
            return defaultHandle(msg, w, l);
        case WM_DRAWITEM:
            if (w == ID_BR_FOLDERS) {
                dirSelector.draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
                return TRUE;
            }
            return defaultHandle(msg, w, l);
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
