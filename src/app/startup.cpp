#include "app/startup.h"

#include <vector>

#include "app/module1.h"
#include "app/settings_file.h"
#include "core/path_match.h"
#include "folders/path_exists.h"
#include "win/prompt.h"

namespace app {
namespace {

std::wstring env(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return {};
    std::wstring v(n, L'\0');
    n = GetEnvironmentVariableW(name, v.data(), n);
    v.resize(n);
    return v;
}

std::wstring current_folder() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::wstring v(n, L'\0');
    n = GetCurrentDirectoryW(n, v.data());
    v.resize(n);
    return v;
}

}  // namespace

void startup_load(HWND owner) {
    Module1& m = state();
    // The developer's own machine; elsewhere, or without the drive or the folder, nothing changes.
    if (env(L"USERNAME") == L"Programming" && current_folder() != kDeveloperFolder) {
        if (folders::PathExists(kDeveloperFolder, core::kMaskFolders)) SetCurrentDirectoryW(kDeveloperFolder);
    }
    m.DataFolder = current_folder();
    m.JobFolder = env(L"USERPROFILE") + L"\\Documents\\Ostrevin";

    if (!folders::PathExists(m.JobFolder, core::kMaskFolders) && !CreateDirectoryW(m.JobFolder.c_str(), nullptr)) {
        win::tell_failure(owner, L"FOLDER NOT CREATED", {L"job folder", m.JobFolder, L"created", GetLastError()},
                          L"Job files cannot be opened or saved until that folder exists.");
    }
    ReadSettings(owner);
}

core::Version app_version() {
    core::Version v{OSTREVIN_VERSION_MAJOR, OSTREVIN_VERSION_MINOR, OSTREVIN_VERSION_PATCH};
    wchar_t exe[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, exe, MAX_PATH)) return v;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
    if (!size) return v;
    std::vector<unsigned char> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (GetFileVersionInfoW(exe, 0, size, data.data()) &&
        VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) && info) {
        v.major = HIWORD(info->dwFileVersionMS);
        v.minor = LOWORD(info->dwFileVersionMS);
        v.revision = HIWORD(info->dwFileVersionLS);
    }
    return v;
}

}  // namespace app
