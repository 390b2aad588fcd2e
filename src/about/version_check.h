#pragma once
// The update check of one About window: its timer, its loads and the check's
// state. The window shows the texts; this carries out what each step asks for.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/settings.h"

namespace core {
class UpdateCheck;
}

namespace about {

class WebClient;

class VersionCheck {
public:
    // Starts at once: `window` gets the ticks of `timer_id` and, as `loaded_message`,
    // the finished loads. Empty settings mean the built-in server.
    VersionCheck(HWND window, UINT_PTR timer_id, UINT interval, UINT loaded_message, const core::Settings& settings,
                 const std::wstring& running_version);
    ~VersionCheck();
    VersionCheck(const VersionCheck&) = delete;
    VersionCheck& operator=(const VersionCheck&) = delete;

    // Each step is true when the status (and, for a tick, the counter) may have changed.
    bool tick();
    // The posted message of a finished load: true with its title when it is the current one.
    bool loaded(WPARAM id, std::optional<std::wstring>& title);
    bool completed(const std::optional<std::wstring>& title);
    // With the window: the timer stops and the loads are cancelled and waited for.
    void end();

    bool timerRunning() const { return timer_running_; }
    std::wstring status() const;
    int counter() const;
    const std::wstring& available() const;

private:
    void stop();

    HWND window_;
    UINT_PTR timer_id_;
    std::wstring server_;
    std::unique_ptr<core::UpdateCheck> check_;
    std::unique_ptr<WebClient> client_;
    bool timer_running_ = false;
};

}  // namespace about
