// The Restore window's reading of a backup and its dated folders, against a bare walk
// of the same folders; and restoring the whole backup folder into an empty one, against
// the copier copying the same tree.
// Usage: bench_restore.exe SOURCE DESTINATION TARGET   (SOURCE need not exist: its name
// names the backup folder DESTINATION\<name>; TARGET an empty folder to restore into)
// prints: walk read (each twice over) copier restore (seconds)
#include <windows.h>

#include <cstdio>

#include "run/restore.h"
#include "timing.h"

namespace {

// Every file below `folder`, counted as the restore's own listing meets them.
size_t walk(const std::wstring& folder) {
    size_t files = 0;
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileExW((L"\\\\?\\" + folder + L"\\*").c_str(), FindExInfoBasic, &d, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        files += (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? walk(folder + L"\\" + name) : 1;
    } while (FindNextFileW(find, &d));
    FindClose(find);
    return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: bench_restore.exe SOURCE DESTINATION TARGET\n");
        return 2;
    }
    const std::wstring source = argv[1], destination = argv[2], target = argv[3];
    const core::JobFolders job{source, destination};
    // Each twice, walk-read-read-walk: neither gains more from the other having warmed the cache.
    size_t walked = 0;
    double walk_s = 0, read_s = 0;
    std::optional<win::Failure> failed;
    std::optional<run::Holdings> held;
    const auto timed = [](double& sum, const auto& act) {
        const ULONGLONG start = GetTickCount64();
        act();
        sum += bench::seconds_since(start);
    };
    const auto walk_all = [&] { walked = walk(destination); };
    const auto read_all = [&] { held = run::read_holdings(job, failed); };
    timed(walk_s, walk_all);
    timed(read_s, read_all);
    timed(read_s, read_all);
    timed(walk_s, walk_all);
    size_t read = held ? held->files.size() : 0;
    for (const core::RunRecord& r : held ? held->runs : std::vector<core::RunRecord>{}) read += r.kept.size();
    if (failed || read == 0) {
        std::fprintf(stderr, "the backup was not read: %ls\n", failed ? failed->text().c_str() : L"nothing in it");
        return 1;
    }
    const std::wstring backup = destination + source.substr(source.rfind(L'\\'));
    const double copier_s = bench::copier(backup, target + L"\\copied", target + L"\\copier.log");
    const ULONGLONG start = GetTickCount64();
    const run::Restored r = run::restore({{job}, source, std::nullopt, target + L"\\restored"});
    const double restore_s = bench::seconds_since(start);
    if (r.kind != run::Restored::Kind::Done) {
        std::fprintf(stderr, "the restore failed: %ls\n", r.text.c_str());
        return 1;
    }
    std::fprintf(stderr, "%zu files walked, %zu read\n", walked, read);
    std::printf("%.3f %.3f %.3f %.3f\n", walk_s, read_s, copier_s, restore_s);
    return 0;
}
