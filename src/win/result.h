#pragma once
// What an operation that can fail with a system error gives back.
#include <windows.h>

#include <optional>
#include <utility>

namespace win {

// Success, or the system's error code.
class Status {
public:
    Status() = default;
    static Status failed(DWORD code) {
        Status s;
        s.code_ = code ? code : ERROR_GEN_FAILURE;  // a failure never reads as success
        return s;
    }
    static Status last_error() { return failed(GetLastError()); }
    bool ok() const { return code_ == ERROR_SUCCESS; }
    explicit operator bool() const { return ok(); }
    DWORD code() const { return code_; }

private:
    DWORD code_ = ERROR_SUCCESS;
};

// A value, or the system's error code.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Status failure) : status_(failure) {}
    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    DWORD code() const { return status_.code(); }

private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace win
