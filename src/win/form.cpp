#include "win/form.h"

#include <exception>
#include <map>
#include <tuple>

#include "res/resource.h"
#include "win/dpi.h"
#include "win/prompt.h"

namespace win {

Form::~Form() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Form::makeWindow(const wchar_t* class_name, const std::wstring& title, DWORD style, DWORD ex_style, HWND owner,
                      HMENU menu, int client_width_twips, int client_height_twips) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(inst, class_name, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Form::proc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = class_name;
        wc.hIcon = LoadIconW(inst, MAKEINTRESOURCEW(IDI_OSTREVIN));
        wc.hIconSm = static_cast<HICON>(LoadImageW(inst, MAKEINTRESOURCEW(IDI_OSTREVIN), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        if (!RegisterClassExW(&wc)) return false;
    }
    RECT r{0, 0, px(client_width_twips), px(client_height_twips)};
    AdjustWindowRectEx(&r, style, menu != nullptr, ex_style);
    hwnd_ = CreateWindowExW(ex_style, class_name, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                            r.bottom - r.top, owner, menu, inst, this);
    return hwnd_ != nullptr;
}

LRESULT CALLBACK Form::proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    Form* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->hwnd_ = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(h, msg, w, l);
    try {
        LRESULT result = 0;
        if (msg == WM_COMMAND) self->onCommand(LOWORD(w), HIWORD(w));
        else result = self->handle(msg, w, l);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(h, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    } catch (const std::exception& e) {
        report_unexpected(h, e.what());
    } catch (...) {
        report_unexpected(h, "unknown error");
    }
    return 0;
}

LRESULT Form::handle(UINT msg, WPARAM w, LPARAM l) { return DefWindowProcW(hwnd_, msg, w, l); }

HWND Form::addControl(const wchar_t* cls, const std::wstring& text, DWORD style, int id, int left, int top, int width,
                      int height, DWORD ex_style) {
    HWND c =
        CreateWindowExW(ex_style, cls, text.c_str(), WS_CHILD | style, px(left), px(top), px(width), px(height), hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
    return c;
}

HFONT Form::uiFont() const { return font_message(); }

void Form::keepFocus(WPARAM activate, HWND fallback) {
    if (LOWORD(activate) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) last_focus_ = f;
        return;
    }
    HWND to = last_focus_ && IsWindow(last_focus_) && IsChild(hwnd_, last_focus_) ? last_focus_ : fallback;
    if (to) SetFocus(to);
}

void Form::setClientSizeTwips(int width, int height) const {
    RECT r{0, 0, px(width), px(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::outerWidthTwips() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return twips(r.right - r.left);
}

int Form::outerHeightTwips() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    return twips(r.bottom - r.top);
}

void Form::setOuterSizeTwips(int width, int height) const {
    SetWindowPos(hwnd_, nullptr, 0, 0, px(width), px(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::centreOver(HWND over) const {
    RECT outer{}, area{};
    if (!GetWindowRect(hwnd_, &outer)) return;
    if (!over || !GetWindowRect(over, &area)) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        HMONITOR mon = MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY);
        if (mon && GetMonitorInfoW(mon, &mi)) area = mi.rcWork;
        else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return;
    }
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    const int x = area.left + (area.right - area.left - w) / 2, y = area.top + (area.bottom - area.top - h) / 2;
    SetWindowPos(hwnd_, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT font_message() {
    static HFONT f = [] {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
            return CreateFontIndirectW(&ncm.lfMessageFont);
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return f;
}

HFONT font_named(const wchar_t* face, int points, bool bold) {
    static std::map<std::tuple<std::wstring, int, bool>, HFONT> fonts;
    auto key = std::make_tuple(std::wstring(face), points, bold);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, dpi(), 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HFONT f = CreateFontIndirectW(&lf);
    fonts[key] = f;
    return f;
}

void report_unexpected(HWND owner, const char* what) {
    std::wstring text = L"An unexpected error occurred: ";
    for (const char* p = what; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    text += L"\r\rOstrevin will carry on; please check the last action.";
    say(owner, {Severity::Error, L"ERROR", text});
}

}  // namespace win
