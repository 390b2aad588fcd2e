#include "app/module1.h"

namespace app {

namespace {
Module1 g_state;
}

Module1& state() { return g_state; }
void reset_state() { g_state = Module1{}; }

std::wstring Module1::settingsPath() const {
    // A drive root already ends in a backslash; joining gives two, which the system accepts.
    return DataFolder + L"\\" + kSettingsFileName;
}

}  // namespace app
