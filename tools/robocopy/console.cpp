#include "console.h"

#include <windows.h>

#include <cstdio>
#include <utility>

namespace robocopy {

namespace {

// A log that someone follows (the program's progress) sees new lines this often.
constexpr ULONGLONG kFlushMs = 500;

}  // namespace

Console::Console() : out_(GetStdHandle(STD_OUTPUT_HANDLE)), is_console_(false), code_page_(CP_OEMCP) {
    DWORD mode = 0;
    is_console_ = out_ != nullptr && out_ != INVALID_HANDLE_VALUE && GetConsoleMode(out_, &mode);
    if (!is_console_) {
        const UINT cp = GetConsoleOutputCP();
        if (cp != 0) code_page_ = cp;
    }
}

Console::~Console() { flush(); }

unsigned long Console::openLog(const std::wstring& path, bool append, bool tee) {
    // Readers may follow it while it grows.
    win::Handle h(CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return GetLastError();
    log_ = std::move(h);
    tee_ = tee;
    return ERROR_SUCCESS;
}

void Console::write(const std::wstring& text) {
    pending_ += text;
    if (pending_.size() > 16384 || GetTickCount64() - last_flush_ > kFlushMs) flush();
}

void Console::writeAscii(const char* text) {
    for (; *text; ++text) pending_.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*text)));
}

bool Console::writeNarrow(void* handle, const std::wstring& text) {
    const int wide = static_cast<int>(text.size());
    if (text.empty()) return true;
    const int bytes = WideCharToMultiByte(code_page_, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    if (WideCharToMultiByte(code_page_, 0, text.data(), wide, narrow.data(), bytes, nullptr, nullptr) != bytes)
        return false;
    DWORD done = 0;
    if (!WriteFile(handle, narrow.data(), static_cast<DWORD>(narrow.size()), &done, nullptr)) return false;
    if (done == narrow.size()) return true;
    SetLastError(ERROR_DISK_FULL);
    return false;
}

void Console::tell(const std::wstring& text) {
    if (out_ == nullptr || out_ == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    if (is_console_) WriteConsoleW(out_, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
    else writeNarrow(out_, text);
}

void Console::flush() {
    last_flush_ = GetTickCount64();
    if (pending_.empty()) return;
    if (log_ && !writeNarrow(log_.get(), pending_) && log_error_ == 0) log_error_ = GetLastError();
    if (!log_ || tee_) tell(pending_);
    pending_.clear();
}

std::wstring error_text(unsigned long code, const std::wstring& action, const std::wstring& path, const wchar_t* note) {
    wchar_t head[64];
    std::swprintf(head, 64, L"ERROR %lu (0x%08lX) ", code, code);
    std::wstring text = head + action + L" " + path + L"\r\n";
    if (note != nullptr) return text + note + L"\r\n";
    wchar_t* message = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    if (n > 0 && message != nullptr) {
        std::wstring m(message, n);
        while (!m.empty() && (m.back() == L'\n' || m.back() == L'\r' || m.back() == L' ')) m.pop_back();
        text += m + L"\r\n";
    }
    if (message != nullptr) LocalFree(message);
    return text;
}

}  // namespace robocopy
