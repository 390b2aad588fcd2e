#include "run/program_files.h"

#include <vector>

#include "core/path_match.h"
#include "core/program_files.h"
#include "core/text.h"
#include "win/handles.h"
#include "win/textfile.h"

namespace run {

win::Status write_program_files_list(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    win::FindHandle h(
        FindFirstFileExW(L"C:\\Program Files\\*", FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0));
    if (!h) return win::Status::last_error();
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (!core::entry_admitted(fd.dwFileAttributes, core::kMaskFolders)) continue;
        names.push_back(core::to_upper(name));
    } while (names.size() < core::kMaxListedNames && FindNextFileW(h.get(), &fd));
    return win::write_text_file(folder + L"\\ProgramFilesList.txt", core::program_files_text(std::move(names)), CP_ACP);
}

}  // namespace run
