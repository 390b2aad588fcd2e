#pragma once
// Handles that close themselves, and the error mode that keeps "no disk" boxes away.
#include <windows.h>

#include <utility>

namespace win {

// A kernel handle (process, file); null and INVALID_HANDLE_VALUE both mean none.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Handle& operator=(Handle&& o) noexcept {
        std::swap(h_, o.h_);
        return *this;
    }
    ~Handle() {
        if (*this) CloseHandle(h_);
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    // Closes it now, for a caller that must know the close worked (a written file's
    // last data reaches the disk then); false with the system's error.
    bool close() { return !*this || CloseHandle(std::exchange(h_, nullptr)); }

private:
    HANDLE h_ = nullptr;
};

// A directory listing started by FindFirstFileExW.
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (*this) FindClose(h_);
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
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
