#include "win/textfile.h"

#include <vector>

#include "win/handles.h"

namespace win {

std::string encode_text(const std::wstring& text, UINT codepage) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codepage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

Result<std::wstring> read_text_file(const std::wstring& path, UINT codepage) {
    Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return Status::last_error();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size)) return Status::last_error();
    // Our files are small; refuse absurd sizes rather than exhausting memory.
    if (size.QuadPart > 64LL * 1024 * 1024) return Status::failed(ERROR_FILE_TOO_LARGE);
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && !ReadFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return Status::last_error();
    bytes.resize(got);
    if (bytes.empty()) return std::wstring();
    int n = MultiByteToWideChar(codepage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(codepage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

bool representable(const std::wstring& text, UINT codepage) {
    if (text.empty()) return true;
    UINT cp = codepage == CP_ACP ? GetACP() : codepage == CP_OEMCP ? GetOEMCP() : codepage;
    if (cp == CP_UTF8) return true;  // holds every character (and takes no best-fit flags)
    BOOL used_default = FALSE;
    int n = WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, &used_default);
    if (n <= 0 || used_default) return false;
    // Some code pages map silently; a round trip tells for sure.
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
    int m = MultiByteToWideChar(codepage, 0, bytes.data(), n, nullptr, 0);
    std::wstring back(static_cast<size_t>(m > 0 ? m : 0), L'\0');
    if (m > 0) MultiByteToWideChar(codepage, 0, bytes.data(), n, back.data(), m);
    return back == text;
}

Status append_text_file(const std::wstring& path, const std::wstring& text, UINT codepage) {
    const std::string bytes = encode_text(text, codepage);
    Handle f(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!f) return Status::last_error();
    DWORD written = 0;
    if (!WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return Status::last_error();
    return written == bytes.size() ? Status() : Status::failed(ERROR_WRITE_FAULT);
}

Status write_text_file(const std::wstring& path, const std::wstring& text, UINT codepage) {
    std::string bytes = encode_text(text, codepage);
    std::wstring temp = path + L".new";
    {
        Handle f(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return Status::last_error();
        DWORD written = 0;
        bool ok =
            (bytes.empty() || (WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                               written == bytes.size())) &&
            FlushFileBuffers(f.get());
        if (!ok) {
            DWORD err = GetLastError();
            f = Handle();
            DeleteFileW(temp.c_str());
            return Status::failed(err ? err : ERROR_WRITE_FAULT);
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Status failed = Status::last_error();
        DeleteFileW(temp.c_str());
        return failed;
    }
    return {};
}

}  // namespace win
