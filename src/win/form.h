#pragma once
// Base of our top-level windows: one static window procedure that stores `this`
// at WM_NCCREATE and forwards to the member handler. No exception crosses it.
#include <windows.h>

#include <memory>
#include <string>

#include "win/window.h"

namespace win {

class Form {
public:
    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    HWND hwnd() const { return hwnd_; }
    Window window() const { return Window(hwnd_); }

    // Sets the client area's size in twips (keeping the position).
    void setClientSizeTwips(int width, int height) const;
    // Outer size in twips, as a window's Width and Height are measured.
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void setOuterSizeTwips(int width, int height) const;
    // Centres the window over `over`, or over the work area of its monitor when null.
    void centreOver(HWND over) const;

protected:
    // Registers the class once and creates the window.
    bool makeWindow(const wchar_t* class_name, const std::wstring& title, DWORD style, DWORD ex_style, HWND owner,
                    HMENU menu, int client_width_twips, int client_height_twips);
    virtual LRESULT handle(UINT msg, WPARAM w, LPARAM l);
    // A control's notification, a menu item or an accelerator (WM_COMMAND): the
    // control's or item's id and the notification code.
    virtual void onCommand(int /*id*/, int /*code*/) {}
    LRESULT defaultHandle(UINT msg, WPARAM w, LPARAM l) { return DefWindowProcW(hwnd_, msg, w, l); }

    // Child controls at twips positions.
    HWND addControl(const wchar_t* cls, const std::wstring& text, DWORD style, int id, int left, int top, int width,
                    int height, DWORD ex_style = 0);

    HFONT uiFont() const;

    // On WM_ACTIVATE: remember the focused control when the window goes inactive and give
    // it back (or `fallback`) when it comes back, as a dialog does.
    void keepFocus(WPARAM activate, HWND fallback);

private:
    static LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM w, LPARAM l);
    HWND hwnd_ = nullptr;
    HWND last_focus_ = nullptr;
};

// Makes a form kept hidden between uses when it does not exist (yet, or any more
// since its close box destroyed it). False when the window cannot be made.
template <class F>
bool ensure_made(std::unique_ptr<F>& form, HWND owner) {
    if (form && form->hwnd()) return true;
    form = std::make_unique<F>();
    if (form->create(owner)) return true;
    form.reset();
    return false;
}

// Fonts shared by every window; created once.
HFONT font_message();  // the system's dialog font
HFONT font_named(const wchar_t* face, int points, bool bold = false);

// Reports an exception that reached a window procedure and lets the program go on.
void report_unexpected(HWND owner, const char* what);

}  // namespace win
