#include "ui/frmAbout.h"

#include "about/version_check.h"
#include "app/module1.h"
#include "res/resource.h"
#include "win/dpi.h"

namespace ui {
namespace {
constexpr wchar_t kClass[] = L"OstrevinAbout";
constexpr int kWidth = 5730, kHeight = 3600;  // client, twips
constexpr DWORD kLabel = WS_VISIBLE | SS_NOPREFIX;
}  // namespace

FrmAbout::FrmAbout() = default;

FrmAbout::~FrmAbout() {
    // Destroy while this class still handles WM_DESTROY, so the check ends here.
    if (hwnd() && IsWindow(hwnd())) DestroyWindow(hwnd());
}

bool FrmAbout::create(HWND owner) {
    if (!makeWindow(kClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                    WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, owner, nullptr, kWidth, kHeight))
        return false;
    centreOver(owner);  // the main window, or the screen when there is none
    createControls();
    for (const win::Window* c : {&picIcon, &lblTitle, &lblVersion, &lblDescription, &lblDisclaimer[0],
                                 &lblDisclaimer[1], &Line1[0], &Line1[1], &cmdOK, &CheckVersion, &TimerCounter})
        if (!*c) return false;
    Form_Load();
    return true;
}

void FrmAbout::createControls() {
    auto add = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int l, int t, int w, int h) {
        return win::Window(addControl(cls, text, style, id, l, t, w, h));
    };
    picIcon = add(L"STATIC", L"", WS_VISIBLE | SS_ICON, ID_ABOUT_ICON, 240, 240, 480, 480);
    int size = GetSystemMetrics(SM_CXICON);
    // Decoration only: without the resource the picture stays empty.
    if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_OSTREVIN), IMAGE_ICON, size, size,
                                 LR_DEFAULTCOLOR | LR_SHARED))
        picIcon.send(STM_SETICON, reinterpret_cast<WPARAM>(icon));

    lblTitle = add(L"STATIC", L"", kLabel, ID_ABOUT_TITLE, 1050, 200, 4440, 480);
    lblTitle.send(WM_SETFONT, reinterpret_cast<WPARAM>(win::font_named(L"Arial", 18, true)), FALSE);
    lblVersion = add(L"STATIC", L"Version", kLabel, ID_ABOUT_VERSION, 1050, 720, 4440, 285);
    lblDescription =
        add(L"STATIC", L"A simple file backup utility.", kLabel, ID_ABOUT_DESCRIPTION, 1050, 1020, 4440, 285);
    Line1[0] = add(L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, ID_ABOUT_LINE0, 120, 1470, 5490, 30);
    CheckVersion = add(L"STATIC", L"", kLabel | SS_CENTER, ID_ABOUT_CHECKVERSION, 120, 1620, 5490, 285);
    // Holds the check's tick counter as text; too small to be read.
    TimerCounter = add(L"STATIC", L"TimerCounter", kLabel, ID_ABOUT_TIMERCOUNTER, 30, 3555, 15, 15);
    Line1[1] = add(L"STATIC", L"", WS_VISIBLE | SS_ETCHEDHORZ, ID_ABOUT_LINE1, 120, 2040, 5490, 30);
    lblDisclaimer[0] = add(L"STATIC", app::kAuthorCredit, kLabel, ID_ABOUT_DISCLAIMER0, 240, 2190, 3900, 270);
    lblDisclaimer[1] = add(L"STATIC", app::kCopyrightLine, kLabel, ID_ABOUT_DISCLAIMER1, 240, 2490, 3900, 270);
    cmdOK = add(L"BUTTON", L"Close", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ID_ABOUT_OK, 4290, 3060, 1215, 375);
}

// The button, Enter (IDOK) and Esc (IDCANCEL) all close.
void FrmAbout::onCommand(int id, int) {
    if (id == IDOK || id == IDCANCEL) cmdOK_Click();
}

LRESULT FrmAbout::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_CLOSE:
            cmdOK_Click();
            return 0;
        case WM_TIMER:
            if (w == kAboutTimer1) Timer1_Timer();
            return 0;
        case WM_ABOUT_LOADED: {
            std::optional<std::wstring> title;
            if (check_ && check_->loaded(w, title)) WebBrowser1_DocumentComplete(title);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(w) != WA_INACTIVE) cmdOK.focus();
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(ID_ABOUT_OK, DC_HASDEFID);
        case WM_DESTROY:
            endCheck();
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
