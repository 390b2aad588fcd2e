#pragma once
// What the whole program shares: the folders it keeps its settings and job files
// in, and the settings.
#include <string>

#include "core/settings.h"
#include "core/text.h"

namespace app {

inline constexpr wchar_t kAppTitle[] = L"Ostrevin";
inline constexpr wchar_t kSettingsFileName[] = L"Ostrevin.cfg";
// The credit lines of the splash and the About window.
inline constexpr wchar_t kAuthorCredit[] = L"Written by the Ostrevin developers";
inline constexpr wchar_t kCopyrightLine[] = L"Copyright (C) 2026 Ostrevin developers";
// Only on the developer's own machine (user "Programming") does start-up move here.
inline constexpr wchar_t kDeveloperFolder[] = L"H:\\Programming\\Ostrevin";

struct Module1 {
    std::wstring DataFolder;
    std::wstring JobFolder;
    core::Settings settings;           // DefaultJob and BackupDates
    core::Settings settings_at_start;  // as read at start-up: exit writes only what differs

    std::wstring& DefaultJob() { return settings.DefaultJob; }
    std::wstring settingsPath() const;
};

// The one instance; tests reset it between cases.
Module1& state();
void reset_state();

}  // namespace app
