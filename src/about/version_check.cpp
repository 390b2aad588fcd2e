#include "about/version_check.h"

#include <exception>

#include "about/web_client.h"
#include "core/update_check.h"

namespace about {

VersionCheck::VersionCheck(HWND window, UINT_PTR timer_id, UINT interval, UINT loaded_message,
                           const core::Settings& settings, const std::wstring& running_version)
    : window_(window), timer_id_(timer_id) {
    server_ = settings.UpdateServer.empty() ? std::wstring(core::kDefaultUpdateServer) : settings.UpdateServer;
    std::wstring host = settings.UpdateHost.empty() ? std::wstring(core::kDefaultUpdateHost) : settings.UpdateHost;
    check_ = std::make_unique<core::UpdateCheck>(host, running_version);
    client_ = std::make_unique<WebClient>(window, loaded_message);
    timer_running_ = SetTimer(window, timer_id, interval, nullptr) != 0;
    // Without its timer the check cannot run; say so rather than connect forever.
    if (!timer_running_) check_->cannotRun();
}

VersionCheck::~VersionCheck() { end(); }

std::wstring VersionCheck::status() const { return check_->status(); }
int VersionCheck::counter() const { return check_->counter(); }
const std::wstring& VersionCheck::available() const { return check_->available(); }

// The check's errors stay in the status text: no message box, and the tick and
// its time-out go on.
bool VersionCheck::tick() {
    if (!timer_running_) return false;
    core::CheckStep step;
    try {
        step = check_->tick();
    } catch (const std::exception&) {
        return false;
    }
    // A load started as the check gives up could only be cancelled again.
    if (step.stop_timer) stop();
    else if (step.start_load && client_) {
        try {
            client_->navigate(server_, std::string(core::kVersionFilePath));
        } catch (const std::exception&) {}
    }
    return true;
}

bool VersionCheck::loaded(WPARAM id, std::optional<std::wstring>& title) {
    return client_ && client_->finished(id, title);
}

bool VersionCheck::completed(const std::optional<std::wstring>& title) {
    try {
        core::CheckStep step = check_->completed(title ? std::optional<std::wstring_view>(*title) : std::nullopt);
        if (step.stop_timer) stop();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Once the check has stopped, a load still out there could only come back late
// and turn a final result into a "Checking" that nothing would ever finish.
void VersionCheck::stop() {
    if (timer_running_) KillTimer(window_, timer_id_);
    timer_running_ = false;
    if (client_) client_->stop();
}

void VersionCheck::end() {
    if (timer_running_) KillTimer(window_, timer_id_);
    timer_running_ = false;
    client_.reset();  // cancels the loads and waits for their threads
}

}  // namespace about
