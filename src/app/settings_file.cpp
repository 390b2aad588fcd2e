#include "app/settings_file.h"

#include "app/module1.h"
#include "folders/path_exists.h"
#include "win/errors.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace app {

void ReadSettings(HWND owner) {
    Module1& m = state();
    const std::wstring path = m.SettingsPath();
    // A hidden or system settings file is still ours: read it rather than write over it.
    const bool present = folders::PathExistsOrFalse(path, 0) ||
                         GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!present) {
        m.DefaultJob() = std::wstring(core::kNoDefaultJob);
        WriteSettings(owner);
        return;
    }
    DWORD err = 0;
    auto text = win::read_text_file(path, CP_ACP, &err);
    if (!text) {
        m.DefaultJob() = std::wstring(core::kNoDefaultJob);
        win::ask(owner, L"SETTINGS NOT READ",
                 L"The settings file " + m.Quote + path + m.Quote + L" could not be read: " + win::error_text(err) +
                     L"." + m.TwoCr + L"Ostrevin will start without a default job.",
                 MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m.settings = core::parse_settings(*text);
}

bool WriteSettings(HWND owner) {
    Module1& m = state();
    const std::wstring path = m.SettingsPath();
    auto r = win::write_text_file(path, core::format_settings(m.settings), CP_ACP);
    if (!r.ok) {
        win::ask(owner, L"SETTINGS NOT SAVED",
                 L"The settings file " + m.Quote + path + m.Quote + L" could not be written: " +
                     win::error_text(r.error) + L"." + m.TwoCr +
                     L"The default job and the backup dates of this session are lost; the old file is unchanged.",
                 MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

}  // namespace app
