#include "core/versions.h"

#include <cwchar>
#include <iterator>

#include "core/calendar.h"

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

std::optional<std::wstring> dated_folder_after(std::wstring_view name) {
    const auto t = dated_folder_time(name);
    if (!t) return std::nullopt;
    const DateTime d = date_time_of(*t + 1);
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%04d-%02d-%02d %02d-%02d-%02lld", d.year, d.month, d.day, d.hour, d.minute,
                  (*t + 1) % 60);
    return text;
}

std::optional<long long> dated_folder_time(std::wstring_view name) { return stamp_seconds(name, L'-'); }

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
