#include "ui/frmSplash.h"

#include "app/module1.h"
#include "app/startup.h"
#include "res/resource.h"
#include "win/dpi.h"

namespace ui {
namespace {
constexpr wchar_t kClass[] = L"OstrevinSplash";
constexpr wchar_t kFrameClass[] = L"OstrevinSplashFrame";
constexpr UINT_PTR kTimer = 1;
constexpr int kWidth = 6615, kHeight = 3735;  // client, twips

bool register_frame_class() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(inst, kFrameClass, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window below
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    return RegisterClassExW(&wc) != 0;
}
}  // namespace

FrmSplash::~FrmSplash() = default;

bool FrmSplash::create(bool show) {
    if (!makeWindow(kClass, app::kAppTitle, WS_POPUP | WS_BORDER, WS_EX_CONTROLPARENT, nullptr, nullptr, kWidth,
                    kHeight))
        return false;
    if (!register_frame_class()) return false;
    RECT client{};
    GetClientRect(hwnd(), &client);
    Frame1 = win::Window(CreateWindowExW(0, kFrameClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                                         hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr));
    if (!Frame1) return false;
    SetWindowLongPtrW(Frame1.hwnd(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(Frame1.hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrmSplash::frameProc));

    // Labels take their own clicks (SS_NOTIFY), so only the frame itself dismisses.
    auto label = [&](const std::wstring& text, int left, int top, int width, int height, HFONT font,
                     DWORD align = SS_LEFT) {
        HWND h = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_NOPREFIX | align,
                                 win::px(left), win::px(top), win::px(width), win::px(height), Frame1.hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return win::Window(h);
    };
    HFONT normal = win::font_message();
    imgLogo = win::Window(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON | SS_NOTIFY, win::px(360),
                                          win::px(480), win::px(720), win::px(720), Frame1.hwnd(), nullptr,
                                          GetModuleHandleW(nullptr), nullptr));
    HICON icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_OSTREVIN), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
    if (icon) imgLogo.send(STM_SETICON, reinterpret_cast<WPARAM>(icon));
    lblProductName = label(L"", 1560, 360, 4800, 690, win::font_named(L"Arial", 28, true));
    lblVersion = label(L"Version", 1560, 1080, 4800, 330, win::font_named(L"Arial", 12, true));
    // "&&" shows one "&"; SS_NOPREFIX would show both, so these two keep prefix handling.
    lblPlatform[0] = label(L"For Windows Vista && 7, 32 or 64bit", 1560, 1500, 4800, 300, normal);
    SetWindowLongPtrW(lblPlatform[0].hwnd(), GWL_STYLE, WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFT);
    lblPlatform[1] = label(L"A simple file backup utility", 1560, 1830, 4800, 300, normal);
    lblCopyright = label(app::kCopyrightLine, 360, 2880, 5900, 270, normal);
    lblWarning = label(app::kAuthorCredit, 360, 3180, 5900, 270, normal);

    lblVersion.setText(L"Version " + core::plain_version_text(app::app_version()));
    lblProductName.setText(app::kAppTitle);
    if (SetTimer(hwnd(), kTimer, 3000, nullptr)) timer_running_ = true;

    if (show) {
        centreOver(nullptr);
        ShowWindow(hwnd(), SW_SHOW);
        UpdateWindow(hwnd());
        SetForegroundWindow(hwnd());
        SetFocus(hwnd());
    }
    return true;
}

void FrmSplash::dismiss() {
    if (dismissed_) return;
    dismissed_ = true;
    KillTimer(hwnd(), kTimer);
    timer_running_ = false;
    DestroyWindow(hwnd());
    if (on_dismissed) on_dismissed();
}

LRESULT CALLBACK FrmSplash::frameProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<FrmSplash*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (msg == WM_LBUTTONUP && self) {
        self->dismiss();
        return 0;
    }
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        RECT r{};
        GetClientRect(h, &r);
        InflateRect(&r, -win::px(60), -win::px(60));
        DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProcW(h, msg, w, l);
}

LRESULT FrmSplash::handle(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_TIMER:
            if (w == kTimer) dismiss();
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            dismiss();
            return 0;
        default:
            return defaultHandle(msg, w, l);
    }
}

}  // namespace ui
