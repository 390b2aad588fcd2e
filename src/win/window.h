#pragma once
// A thin, non-owning view of a window handle.
#include <windows.h>

#include <string>

namespace win {

class Window {
public:
    Window() = default;
    explicit Window(HWND h) : h_(h) {}
    HWND hwnd() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

    std::wstring text() const {
        int n = GetWindowTextLengthW(h_);
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        int got = GetWindowTextW(h_, s.data(), n + 1);
        s.resize(static_cast<size_t>(got > 0 ? got : 0));
        return s;
    }
    void setText(const std::wstring& s) const { SetWindowTextW(h_, s.c_str()); }
    bool enabled() const { return IsWindowEnabled(h_) != FALSE; }
    void enable(bool on = true) const { EnableWindow(h_, on ? TRUE : FALSE); }
    bool visible() const { return IsWindowVisible(h_) != FALSE; }
    void show(bool on = true) const { ShowWindow(h_, on ? SW_SHOW : SW_HIDE); }
    void focus() const { SetFocus(h_); }
    LRESULT send(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return SendMessageW(h_, msg, w, l); }
    RECT rectIn(HWND parent) const {
        RECT r{};
        GetWindowRect(h_, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    HWND h_ = nullptr;
};

}  // namespace win
