#include "core/calendar.h"

namespace core {

long long days_from_civil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

DateTime civil_from_days(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400 + (m <= 2)), static_cast<int>(m),
            static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

int weekday_of(int year, int month, int day) {
    const long long days = days_from_civil(year, month, day);  // 1970-01-01 was a Thursday
    return static_cast<int>(((days + 4) % 7 + 7) % 7);
}

DateTime add_days(DateTime d, int days) {
    const DateTime date = civil_from_days(days_from_civil(d.year, d.month, d.day) + days);
    d.year = date.year;
    d.month = date.month;
    d.day = date.day;
    return d;
}

std::optional<long long> stamp_seconds(std::wstring_view text, wchar_t time_separator) {
    const wchar_t shape[] = {'0', '0', '0', '0', '-', '0', '0', '-', '0', '0', ' ', '0', '0',
                             time_separator, '0', '0', time_separator, '0', '0'};
    if (text.size() != std::size(shape)) return std::nullopt;
    long long part[6] = {}, *at = part;
    for (size_t i = 0; i < text.size(); ++i) {
        if (shape[i] != L'0') {
            if (text[i] != shape[i]) return std::nullopt;
            ++at;
        } else if (text[i] < L'0' || text[i] > L'9') {
            return std::nullopt;
        } else {
            *at = *at * 10 + (text[i] - L'0');
        }
    }
    const auto [y, mo, d, h, mi, s] = part;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
    return ((days_from_civil(y, mo, d) * 24 + h) * 60 + mi) * 60 + s;
}

DateTime date_time_of(long long seconds) {
    const long long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400, in_day = seconds - days * 86400;
    DateTime t = civil_from_days(days);
    t.hour = static_cast<int>(in_day / 3600);
    t.minute = static_cast<int>(in_day / 60 % 60);
    return t;
}

}  // namespace core
