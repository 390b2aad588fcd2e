// Yardstick for bench/copier.sh: walks a tree and copies every file with one
// CopyFileW call, making folders as it goes. No comparison, no retries.
// Usage: copyloop SRC DST
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

unsigned long long files = 0, failures = 0;

void copy_tree(const std::wstring& src, const std::wstring& dst) {
    CreateDirectoryW(dst.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    // The same listing call as our copier, so only the per-file work differs.
    HANDLE find = FindFirstFileExW((src + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            copy_tree(src + L"\\" + name, dst + L"\\" + name);
        } else {
            ++files;
            if (!CopyFileW((src + L"\\" + name).c_str(), (dst + L"\\" + name).c_str(), FALSE)) ++failures;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: copyloop SRC DST\n");
        return 2;
    }
    copy_tree(argv[1], argv[2]);
    std::printf("copyloop: %llu files, %llu failed\n", files, failures);
    return failures == 0 ? 0 : 1;
}
