#include "app/settings_file.h"

#include "app/module1.h"
#include "core/path_match.h"
#include "folders/path_exists.h"
#include "win/handles.h"
#include "win/prompt.h"
#include "win/textfile.h"

namespace app {
namespace {

bool write_file(HWND owner, const core::Settings& s, const std::wstring& consequence) {
    Module1& m = state();
    const std::wstring path = m.settingsPath();
    const win::Status written = win::write_text_file(path, core::format_settings(s), CP_ACP);
    if (written) return true;
    win::tell_failure(owner, L"SETTINGS NOT SAVED", {L"settings file", path, L"written", written.code()}, consequence,
                      win::Severity::Error);
    return false;
}

// "the default job "X" and the backup date D of "Y"", for telling what was not saved.
std::wstring describe(const core::SettingsChanges& c) {
    std::wstring s;
    if (c.DefaultJob)
        s = *c.DefaultJob == core::kNoDefaultJob ? L"the removal of the default job"
                                                 : L"the default job " + core::quoted(*c.DefaultJob);
    for (size_t i = 0; i < c.dates.size(); ++i) {
        if (!s.empty()) s += i + 1 == c.dates.size() ? L" and " : L", ";
        s += L"the backup date " + c.dates[i].date + L" of " + core::quoted(c.dates[i].name);
    }
    if (c.ToldRuns && s.empty()) s = L"the note of the runs Ostrevin has told about";
    for (const auto& row : c.schedules) {
        if (!s.empty()) s += L" and ";
        s += L"the schedule of " + core::quoted(row.job);
    }
    return s;
}

// Reads the file again, applies `changes` and writes it back, so another window's
// settings or a hand edit survive. `lost` starts the sentence told when it cannot be written.
bool merge_into_file(HWND owner, const core::SettingsChanges& changes, const std::wstring& lost) {
    // A window's exit and an unattended run's end merging at once would each write the
    // file without the other's change: one merge at a time, or after 10 s anyway.
    const win::Handle lock(CreateMutexW(nullptr, FALSE, L"Local\\Ostrevin.SettingsMerge"));
    const DWORD waited = lock ? WaitForSingleObject(lock.get(), 10000) : WAIT_FAILED;
    struct Release {
        HANDLE h;
        ~Release() {
            if (h) ReleaseMutex(h);
        }
    } release{waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? lock.get() : nullptr};
    Module1& m = state();
    const std::wstring path = m.settingsPath();
    auto text = win::read_text_file(path, CP_ACP);
    const bool gone = !text && (text.code() == ERROR_FILE_NOT_FOUND || text.code() == ERROR_PATH_NOT_FOUND);
    if (!text && !gone) {
        if (changes.empty()) return true;  // nothing of this session would be lost
        win::Failure f{L"settings file", path, L"read", text.code()};
        f.outcome = L"It has been left as it is, so " + describe(changes) + L" could not be saved.";
        win::tell_failure(owner, L"SETTINGS NOT SAVED", f,
                          L"Please make sure no other program holds the file open the next time Ostrevin ends.",
                          win::Severity::Error);
        return false;
    }
    core::Settings merged = m.settings;  // no file left to keep: this session's settings as they are
    if (text) {
        merged = core::parse_settings(*text);
        core::apply_changes(merged, changes);
    }
    return write_file(owner, merged, lost + (gone ? L"there is no settings file." : L"the old file is unchanged."));
}

}  // namespace

void ReadSettings(HWND owner) {
    Module1& m = state();
    const std::wstring path = m.settingsPath();
    // A hidden or system settings file is still ours: read it rather than write over it.
    const bool present =
        folders::PathExists(path, core::kMaskFiles) || GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!present) {
        m.DefaultJob() = std::wstring(core::kNoDefaultJob);
        m.settings_at_start = m.settings;
        write_file(owner, m.settings, L"There is no settings file yet; Ostrevin tries again when it ends.");
        return;
    }
    auto text = win::read_text_file(path, CP_ACP);
    if (!text) {
        m.DefaultJob() = std::wstring(core::kNoDefaultJob);
        m.settings_at_start = m.settings;
        win::tell_failure(owner, L"SETTINGS NOT READ", {L"settings file", path, L"read", text.code()},
                          L"Ostrevin will start without a default job.");
        return;
    }
    m.settings = core::parse_settings(*text);
    m.settings_at_start = m.settings;
}

bool WriteSettings(HWND owner) {
    Module1& m = state();
    if (!merge_into_file(owner, core::settings_changes(m.settings_at_start, m.settings),
                         L"The default job and the backup dates of this session are lost; "))
        return false;
    m.settings_at_start = m.settings;  // written: a second write applies nothing twice
    return true;
}

bool write_schedule(HWND owner, const std::wstring& job, const std::wstring& text) {
    Module1& m = state();
    core::set_schedule(m.settings, job, text);
    core::SettingsChanges change;
    change.schedules.push_back({job, text});
    if (!merge_into_file(owner, change, L"Ostrevin tries again to save the schedule when it ends; ")) return false;
    core::set_schedule(m.settings_at_start, job, text);  // in the file now: the exit merge has nothing to add
    return true;
}

}  // namespace app
