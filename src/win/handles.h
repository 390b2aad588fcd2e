#pragma once
// Everything the system hands out that must be given back: one owner template for
// handles that close themselves, a window's DC, and a COM pointer; and the error mode
// that keeps "no disk" boxes away. Nothing outside this file closes one by hand.
#include <windows.h>

#include <type_traits>
#include <utility>

namespace win {

// Owns one value of T and gives it back with Close when it goes; null (and, for
// kernel handles, INVALID_HANDLE_VALUE) is none.
template <class T, auto Close>
class Unique {
public:
    Unique() = default;
    explicit Unique(T v) : v_(v) {}
    Unique(Unique&& o) noexcept : v_(std::exchange(o.v_, T{})) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(std::exchange(o.v_, T{}));
        return *this;
    }
    ~Unique() { reset(); }

    T get() const { return v_; }
    explicit operator bool() const {
        if constexpr (std::is_same_v<T, HANDLE>) return v_ && v_ != INVALID_HANDLE_VALUE;
        else return v_ != T{};
    }
    // Gives back the value held, if any, and holds `v`.
    void reset(T v = T{}) {
        if (*this) Close(v_);
        v_ = v;
    }
    // Gives it back now, for a caller that must know it worked (a written file's last
    // data reaches the disk then); false with the system's error.
    bool close() { return !*this || Close(std::exchange(v_, T{})); }

private:
    T v_{};
};

namespace give_back {
inline bool kernel(HANDLE h) { return CloseHandle(h); }
inline bool find(HANDLE h) { return FindClose(h); }
inline bool accelerators(HACCEL h) { return DestroyAcceleratorTable(h); }
inline bool icon(HICON h) { return DestroyIcon(h); }
inline bool gdi(HGDIOBJ h) { return DeleteObject(h); }
}  // namespace give_back

using Handle = Unique<HANDLE, give_back::kernel>;      // a process, a file, an event
using FindHandle = Unique<HANDLE, give_back::find>;    // a listing started by FindFirstFileExW
using Accelerators = Unique<HACCEL, give_back::accelerators>;
using Icon = Unique<HICON, give_back::icon>;
template <class T>
using Gdi = Unique<T, give_back::gdi>;                 // a pen, a brush, a font

// A window's DC (the screen's for null), released when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A COM interface pointer, released when it goes.
template <class I>
class Com {
public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p_) p_->Release();
    }
    I* operator->() const { return p_; }
    I& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For the call that fills it in.
    I** put() {
        if (p_) std::exchange(p_, nullptr)->Release();
        return &p_;
    }

private:
    I* p_ = nullptr;
};

// While it lives, a drive without a medium answers with an error instead of a box.
class QuietErrorMode {
public:
    QuietErrorMode() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;
    ~QuietErrorMode() { SetErrorMode(old_); }

private:
    UINT old_;
};

}  // namespace win
