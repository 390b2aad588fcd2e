#include "folders/folder_entry.h"

#include "core/path_match.h"
#include "core/text.h"
#include "folders/path_exists.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace folders {
namespace {

void complete_drive(std::wstring& path) {
    if (!path.empty() && path.back() == L':') path += L'\\';
}

}  // namespace

Entry check_entry(HWND owner, std::wstring& path) {
    if (path.empty()) return Entry::Empty;
    complete_drive(path);
    // A job file is ANSI text: a name it cannot hold would come back with "?" in it.
    if (!win::representable(path, CP_ACP)) {
        win::say(owner, {win::Severity::Error, L"INVALID PATH",
                         L"The folder " + core::quoted(path) +
                             L" has characters in its name that a job file cannot hold." + core::kTwoCr +
                             L"Please choose or rename a folder whose name uses only this system's character set."});
        return Entry::Refused;
    }
    // A refused path (one beginning with ":") counts as one that does not exist.
    if (PathExists(path, core::kMaskSystem)) return Entry::Present;
    int answer = win::say(
        owner, {win::Severity::Question, L"PATH NOT FOUND",
                L"The path " + core::quoted(path) + L" does not exist." + core::kTwoCr + L"Do you want to create it?",
                win::Buttons::YesNo});
    if (answer != IDYES) return Entry::Refused;
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        win::tell_failure(owner, L"FOLDER NOT CREATED", {L"folder", path, L"created", GetLastError()},
                          L"Please check the path (its parent folder must exist) and try again.", win::Severity::Error);
        return Entry::Refused;
    }
    return Entry::Created;
}

bool destination_present(HWND owner, std::wstring& path) {
    complete_drive(path);
    if (PathExists(path, core::kMaskFolders)) return true;
    win::say(owner, {win::Severity::Error, L"INVALID PATH", L"The path " + core::quoted(path) + L" is not valid"});
    return false;
}

}  // namespace folders
