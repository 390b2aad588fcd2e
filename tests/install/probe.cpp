// What the installer test cannot do from the shell, as the shell and a user do it.
//   probe link FILE.lnk   prints the shortcut's target and working folder, one a line
//   probe close           closes Ostrevin's main window once it shows (20 s at most)
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace {

int print_link(const wchar_t* path) {
    if (FAILED(CoInitialize(nullptr))) return 3;
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path, STGM_READ)) &&
              SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
              SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (ok) std::printf("%ls\n%ls\n", target, folder);
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return ok ? 0 : 1;
}

int close_main() {
    for (int i = 0; i < 200; ++i) {
        HWND main = FindWindowW(L"OstrevinMain", nullptr);
        if (main && IsWindowVisible(main)) return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
        Sleep(100);
    }
    std::fprintf(stderr, "Ostrevin's main window did not show\n");
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[1], L"link") == 0) return print_link(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"close") == 0) return close_main();
    std::fprintf(stderr, "usage: probe link FILE.lnk | probe close\n");
    return 2;
}
