#include "app/history_file.h"

#include <windows.h>

#include "app/module1.h"
#include "app/run_history.h"
#include "win/textfile.h"

namespace app {

std::vector<core::HistoryEntry> read_history() {
    // The title, the warning line and the start ask for it often, and it only changes when
    // a run ends: read again only when its size or last-write time says it changed.
    static struct {
        std::wstring path;
        WIN32_FILE_ATTRIBUTE_DATA seen{};
        std::vector<core::HistoryEntry> entries;
    } cache;
    const std::wstring path = history_path();
    WIN32_FILE_ATTRIBUTE_DATA now{};
    const bool there = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now);
    const auto same = [&] {
        return path == cache.path && now.nFileSizeLow == cache.seen.nFileSizeLow &&
               now.nFileSizeHigh == cache.seen.nFileSizeHigh &&
               CompareFileTime(&now.ftLastWriteTime, &cache.seen.ftLastWriteTime) == 0;
    };
    if (there && same()) return cache.entries;
    const auto text = win::read_text_file(path, CP_UTF8);
    if (!text) return {};  // no run yet, or the file is busy: nothing to tell now
    cache = {path, now, core::parse_history(*text)};
    return cache.entries;
}

}  // namespace app
