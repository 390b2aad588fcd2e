#pragma once
// Our stand-in for an embedded browser: loads http://server/path on a thread of
// its own and tells the window by a posted message, so the window never blocks
// and no window is touched from another thread.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace about {

class WebClient {
public:
    // Each finished load posts `message` to `notify` with the load's id as wParam.
    WebClient(HWND notify, UINT message);
    // Cancels every load and waits for its thread: nothing outlives the client.
    ~WebClient();
    WebClient(const WebClient&) = delete;
    WebClient& operator=(const WebClient&) = delete;

    // Starts loading; a load still in progress is cancelled and reports nothing.
    // When no load can be started, the failure is still reported as a load.
    void navigate(const std::wstring& server, const std::string& path);
    // Cancels every load without waiting; none of them reports.
    void stop();

    // For the posted message: true when that load is the current one, with the
    // title of what it loaded (nullopt: a document without a readable title).
    bool finished(WPARAM id, std::optional<std::wstring>& title);

private:
    struct Load;
    static DWORD WINAPI run(void* param);
    void reap();
    void reportNow(Load& load);

    HWND notify_;
    UINT message_;
    bool winsock_ = false;
    UINT_PTR next_id_ = 1;
    UINT_PTR current_ = 0;
    std::vector<std::unique_ptr<Load>> loads_;
};

}  // namespace about
