#include "win/local_time.h"

#include <windows.h>

#include <cwchar>

namespace win {
namespace {

std::wstring stamp_text(const SYSTEMTIME& t, bool for_file_name) {
    wchar_t buf[32];
    if (for_file_name)
        std::swprintf(buf, std::size(buf), L"%04u%02u%02u-%02u%02u%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond, t.wMilliseconds);
    else
        std::swprintf(buf, std::size(buf), L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
    return buf;
}

SYSTEMTIME system_time(const core::DateTime& t) {
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(t.year);
    s.wMonth = static_cast<WORD>(t.month);
    s.wDay = static_cast<WORD>(t.day);
    s.wHour = static_cast<WORD>(t.hour);
    s.wMinute = static_cast<WORD>(t.minute);
    return s;
}

}  // namespace

core::DateTime local_now() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute};
}

std::wstring local_stamp(bool for_file_name) {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return stamp_text(t, for_file_name);
}

std::wstring local_stamp_of(std::uint64_t file_time) {
    const FILETIME ft{static_cast<DWORD>(file_time), static_cast<DWORD>(file_time >> 32)};
    SYSTEMTIME utc{}, t{};
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t)) return L"";
    return stamp_text(t, false);
}

std::wstring short_date(const core::DateTime* at) {
    const SYSTEMTIME s = at ? system_time(*at) : SYSTEMTIME{};
    wchar_t buf[128];
    const int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, at ? &s : nullptr, nullptr, buf,
                                  static_cast<int>(std::size(buf)), nullptr);
    return n > 0 ? std::wstring(buf) : std::wstring();
}

std::wstring short_time(const core::DateTime& at) {
    const SYSTEMTIME s = system_time(at);
    wchar_t buf[80];
    const int n =
        GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &s, nullptr, buf, static_cast<int>(std::size(buf)));
    return n > 0 ? std::wstring(buf) : std::wstring();
}

}  // namespace win
