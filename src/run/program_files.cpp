// File > Print Program Files: the sorted list of "C:\Program Files" in the first destination.
#include <vector>

#include "app/module1.h"
#include "core/path_match.h"
#include "core/program_files.h"
#include "ui/frmMain.h"
#include "win/errors.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace ui {
namespace {
constexpr wchar_t kProgramFiles[] = L"C:\\Program Files";
}

bool FrmMain::WriteProgramFilesList(std::wstring* why) {
    const app::Module1& m = app::state();
    auto fail = [&](DWORD err) {
        if (why) *why = win::error_text(err);
        return false;
    };
    // The listing leaves C:\Program Files as the current folder, as it always has.
    if (!SetCurrentDirectoryW(L"C:\\") || !SetCurrentDirectoryW(kProgramFiles)) return fail(GetLastError());
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(L"C:\\Program Files\\*", FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return fail(GetLastError());
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (!core::entry_admitted(fd.dwFileAttributes, core::kMaskFolders)) continue;
        names.push_back(core::to_upper(name));
    } while (names.size() < core::kMaxListedNames && FindNextFileW(h, &fd));
    FindClose(h);
    const std::wstring path = m.JobPaths[1].destination + L"\\ProgramFilesList.txt";
    auto r = win::write_text_file(path, core::program_files_text(std::move(names)), CP_ACP);
    return r.ok || fail(r.error);
}

void FrmMain::MenuFilePrint_Click() {
    const app::Module1& m = app::state();
    std::wstring why;
    if (WriteProgramFilesList(&why)) return;
    win::ask(hwnd(), L"LIST NOT SAVED",
             L"The list of Program Files could not be saved in " + m.Quote + m.JobPaths[1].destination + m.Quote + L": " +
                 why + L"." + m.TwoCr + L"Please check that the first job's destination is available.",
             MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace ui
