// What the copier's parts (the walk, the work queue, the file copy, the purge)
// share: sizes, attribute masks, name rules and the notes its log gives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <string>

#include "win/copy_names.h"
#include "win/link_lead.h"

namespace robocopy {

// Small enough to stay in the CPU cache between the read and the write; under
// Wine 256 KB copied large files faster than 1 MB or 8 MB buffers, a mapped
// source or a reader thread (bench/copier.sh measures it).
inline constexpr DWORD kBufferSize = 256 << 10;
// A file this large is logged at once and written under a temporary name.
inline constexpr unsigned long long kLargeFile = 1 << 20;
// Attributes that a copy carries over; the rest belong to the file system.
inline constexpr DWORD kCopiedAttrs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
// Attributes that make CREATE_ALWAYS or DeleteFileW refuse a file.
inline constexpr DWORD kBlockingAttrs = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Holds an SRW lock for a scope.
class Hold {
public:
    explicit Hold(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~Hold() { ReleaseSRWLockExclusive(&lock_); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    SRWLOCK& lock_;
};

inline std::uint64_t ticks(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

inline FILETIME filetime(const LARGE_INTEGER& t) {
    return {static_cast<DWORD>(t.QuadPart), static_cast<DWORD>(static_cast<std::uint64_t>(t.QuadPart) >> 32)};
}

inline LARGE_INTEGER large(const FILETIME& t) {
    LARGE_INTEGER v;
    v.QuadPart = static_cast<LONGLONG>(ticks(t));
    return v;
}

// The name rules are the main program's too (src/win/copy_names.cpp).
using win::compare_names;
using win::name_less;
using win::twin_key;

// "C:\X" -> "\\?\C:\X", "\\SRV\SHARE" -> "\\?\UNC\SRV\SHARE": reserved names
// (nul, aux, com1), trailing dots and blanks and long paths are then literal.
inline std::wstring long_form(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 2 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

// The form people read.
inline std::wstring shown(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

using win::final_path;

// Errors that say the folder or its drive is not there at all.
inline bool is_gone(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NOT_READY:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_NETNAME_DELETED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_UNEXP_NET_ERR:
            return true;
        default:
            return false;
    }
}

// Errors that no wait can cure: a name the system refuses, a link or file in the way.
// A busy file, a full disk or a network drop may clear, and are retried.
inline bool is_permanent(DWORD error) {
    switch (error) {
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
        case ERROR_CANT_ACCESS_FILE:
        case ERROR_CANT_RESOLVE_FILENAME:
        case ERROR_BAD_FILE_TYPE:
        case ERROR_NO_UNICODE_TRANSLATION:
            return true;
        default:
            return false;
    }
}

// A copy found a link that leads nowhere at its name, which the listing never shows
// (ERROR_REPARSE_POINT_ENCOUNTERED, missing from older headers).
inline constexpr DWORD kLinkInTheWay = 4395;

// A file being written is named "~oc", 8 hex digits of the run, ".", a counter in
// hex, and made hidden, system and temporary until it is renamed. Wine keeps only
// hidden and system; a user's file of that name lacks them, and stays a file.
inline constexpr wchar_t kTempFormat[] = L"~oc%08lX.%lX";
inline constexpr DWORD kTempAttrs = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;
inline bool is_own_temp(const std::wstring& name, DWORD attrs) {
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((attrs & kept) != kept || (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return false;
    if (name.size() < 13 || name.size() > 20 || name.compare(0, 3, L"~oc") != 0 || name[11] != L'.') return false;
    for (std::size_t i = 3; i < name.size(); ++i)
        if (i != 11 && !iswxdigit(name[i])) return false;
    return true;
}

inline constexpr wchar_t kLinkNote[] =
    L"It is a link (junction or symbolic link); it is left as it is, and what it points to is not touched.";
// A folder of the target the source replaced by a file, holding what the job leaves out.
inline constexpr wchar_t kLeftOutNote[] =
    L"It holds what the job leaves out, which a copy neither copies nor removes; the file cannot take its place.";
// A name the platform could not read as text (a Linux name that is not UTF-8) is
// listed with U+FFFD for what it could not read, and a copy would bear that name.
inline constexpr wchar_t kGarbledNote[] =
    L"Its name is not valid text here; a copy would be named as shown, with \uFFFD for what could not be read, "
    L"so it is not copied.";
inline constexpr wchar_t kForbiddenNote[] =
    L"Its name holds a character that Windows does not allow in a name (\\ / : * ? \" < > | or a control "
    L"character), so it is not copied.";
inline constexpr wchar_t kTwinNote[] =
    L"Another name in this folder differs from it only in letter case or trailing dots or blanks; "
    L"neither is copied, and neither is deleted from the destination.";

}  // namespace robocopy
