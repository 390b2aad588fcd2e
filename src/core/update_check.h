#pragma once
// The About window's update check: its states and their texts, the tick and
// completion steps, and the reading of the server's reply. No platform calls:
// the window shows the texts and carries out what a step asks for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

inline constexpr wchar_t kNbsp = L'\u00A0';

// Titles of the error documents a load reports instead of the version file.
inline constexpr std::wstring_view kTitleCannotDisplay = L"Internet Explorer cannot display the webpage";
inline constexpr std::wstring_view kTitleCancelled = L"Navigation Canceled";
inline constexpr std::wstring_view kTitleNotFound = L"HTTP 404 Not Found";

inline constexpr std::string_view kVersionFilePath = "/Ostrevin/Ostrevin.ver";

// The check's states. Connecting, Checking and the four spinner states are the
// waiting states; the spinner turns | / - \ in the order listed.
enum class CheckState {
    Connecting,
    Checking,
    SpinnerBar,
    SpinnerSlash,
    SpinnerDash,
    SpinnerBackslash,
    Unreachable,
    NoInformation,
    Current,
    Newer,
    Older,
};

bool is_waiting(CheckState s);

// The CheckVersion label's text for a state; `available` is only shown by Newer and Older.
std::wstring status_text(CheckState s, std::wstring_view host, std::wstring_view available);

// What the window must do after a step.
struct CheckStep {
    bool start_load = false;
    bool stop_timer = false;
};

class UpdateCheck {
public:
    UpdateCheck(std::wstring host, std::wstring running_version);

    CheckState state() const { return state_; }
    int counter() const { return counter_; }                      // shown in the TimerCounter label after each tick
    const std::wstring& available() const { return available_; }  // the last document title
    const std::wstring& host() const { return host_; }
    std::wstring status() const { return status_text(state_, host_, available_); }

    CheckStep tick();
    // A finished load; nullopt is a document without a readable title, which
    // changes nothing.
    CheckStep completed(std::optional<std::wstring_view> title);
    // The window could not start its timer: without ticks no load would ever start.
    void cannotRun() { state_ = CheckState::NoInformation; }

private:
    std::wstring host_;
    std::wstring running_version_;
    CheckState state_ = CheckState::Connecting;
    int counter_ = 0;
    std::wstring available_;
};

// "host[:port]" of the update server. Only name and address characters are
// accepted, as the text goes into the request as it is.
struct ServerAddress {
    std::wstring host;  // without brackets around an IPv6 address
    std::uint16_t port = 80;
    std::string authority;  // for the Host header
};
std::optional<ServerAddress> parse_server(std::wstring_view text);

// The GET request for `path` (the server closes the connection after answering).
std::string version_request(const ServerAddress& server, std::string_view path);

// The document title a finished load reports, from all bytes the server sent
// before the connection ended; `clean_end` is false when it was reset. A reply
// cut short gives the cancelled-load title, an HTTP error the not-found title,
// a document without a usable title nullopt.
std::optional<std::wstring> reply_title(std::string_view bytes, bool clean_end);

// The <title> of an HTML document, as a browser shows it; nullopt when absent or blank.
std::optional<std::wstring> html_title(std::string_view document);

}  // namespace core
