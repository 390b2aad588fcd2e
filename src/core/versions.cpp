#include "core/versions.h"

#include <iterator>

namespace core {

bool file_differs(const FileTimes& source, const FileTimes& backup, bool fat_times) {
    if (source.size != backup.size) return true;
    constexpr std::uint64_t kFatStep = 2 * 10'000'000ull;  // FILETIME ticks
    const std::uint64_t apart = source.last_write > backup.last_write ? source.last_write - backup.last_write
                                                                      : backup.last_write - source.last_write;
    return apart > (fat_times ? kFatStep : 0);
}

Aside aside(const Held* source, const Held& backup, bool purge, bool fat_times) {
    using Kind = Held::Kind;
    // A link of the backup is not the backup's data, and a rename of it can reach what it
    // leads to (Wine's does): the copy removes it as a link, or fails naming it.
    if (backup.kind == Kind::Link) return Aside::Leave;
    // An extra, or something in the way of the source's own kind: only a purge takes it.
    if (!source) return purge ? Aside::Move : Aside::Leave;
    // A link in the source that leads nowhere: the copy cannot copy it, and leaves the backup.
    if (source->kind == Kind::Link) return Aside::Leave;
    if (source->kind != backup.kind) return purge ? Aside::Move : Aside::Leave;
    if (source->kind == Kind::Folder) return Aside::Walk;
    return file_differs(source->stamp, backup.stamp, fat_times) ? Aside::Move : Aside::Leave;
}

std::wstring dated_folder_name(std::wstring_view stamp) {
    std::wstring name(stamp);
    for (wchar_t& c : name)
        if (c == L':') c = L'-';
    return name;
}

namespace {

// Days from 1970-01-01 of a date in the proleptic Gregorian calendar.
long long days_from_civil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// The date of a day counted from 1970-01-01.
void civil_from_days(long long z, long long& y, long long& m, long long& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = yoe + era * 400 + (m <= 2);
}

}  // namespace

std::optional<std::wstring> dated_folder_after(std::wstring_view name) {
    const auto t = dated_folder_time(name);
    if (!t) return std::nullopt;
    const long long next = *t + 1, seconds = next % 86400;
    long long y = 0, m = 0, d = 0;
    civil_from_days(next / 86400, y, m, d);
    std::wstring text;
    const auto put = [&](long long n, int digits, const wchar_t* after) {
        std::wstring part = std::to_wstring(n);
        text += std::wstring(part.size() < static_cast<size_t>(digits) ? digits - part.size() : 0, L'0') + part + after;
    };
    put(y, 4, L"-");
    put(m, 2, L"-");
    put(d, 2, L" ");
    put(seconds / 3600, 2, L"-");
    put(seconds / 60 % 60, 2, L"-");
    put(seconds % 60, 2, L"");
    return text;
}

std::optional<long long> dated_folder_time(std::wstring_view name) {
    constexpr std::wstring_view kShape = L"0000-00-00 00-00-00";
    if (name.size() != kShape.size()) return std::nullopt;
    long long part[6] = {}, *at = part;
    for (size_t i = 0; i < name.size(); ++i) {
        if (kShape[i] != L'0') {
            if (name[i] != kShape[i]) return std::nullopt;
            ++at;
            continue;
        }
        if (name[i] < L'0' || name[i] > L'9') return std::nullopt;
        *at = *at * 10 + (name[i] - L'0');
    }
    const auto [y, mo, d, h, mi, s] = part;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return std::nullopt;
    return ((days_from_civil(y, mo, d) * 24 + h) * 60 + mi) * 60 + s;
}

bool dated_folder_expired(std::wstring_view name, std::wstring_view run_name, std::uint64_t made, std::uint64_t now) {
    const auto then = dated_folder_time(name), run = dated_folder_time(run_name);
    constexpr std::uint64_t kTicks = 10'000'000ull * 24 * 3600 * kKeepDays;
    return then && run && *run - *then > kKeepDays * 24 * 3600 && now > made && now - made > kTicks;
}

bool overwrite_needs_question(unsigned long long replaced, unsigned long long held) {
    return held >= 10 && replaced * 2 > held;
}

std::optional<std::size_t> folders_to_free(std::uint64_t free, std::uint64_t need,
                                           const std::vector<std::uint64_t>& sizes) {
    for (std::size_t n = 0;; ++n) {
        if (free >= need) return n;
        if (n == sizes.size()) return std::nullopt;
        free += sizes[n];
    }
}

std::wstring size_text(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + (bytes == 1 ? L" byte" : L" bytes");
    const wchar_t* units[] = {L" KB", L" MB", L" GB", L" TB"};
    double n = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    for (; n >= 1024 && unit + 1 < std::size(units); ++unit) n /= 1024;
    // One decimal below 100, as Explorer shows them.
    const auto tenths = static_cast<std::uint64_t>(n * 10 + 0.5);
    std::wstring text = std::to_wstring(tenths / 10);
    if (tenths < 1000 && tenths % 10 != 0) text += L"." + std::to_wstring(tenths % 10);
    return text + units[unit];
}

}  // namespace core
