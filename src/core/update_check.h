#pragma once
// The About window's update check: its status texts, the tick and completion
// steps, and the reading of the server's reply. No platform calls: the window
// feeds in its label texts and carries out what a step asks for.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace core {

inline constexpr wchar_t NBSP = L'\u00A0';

// Titles of the error documents a load reports instead of the version file.
inline constexpr std::wstring_view kTitleCannotDisplay = L"Internet Explorer cannot display the webpage";
inline constexpr std::wstring_view kTitleCancelled = L"Navigation Canceled";
inline constexpr std::wstring_view kTitleNotFound = L"HTTP 404 Not Found";

inline constexpr std::string_view kVersionFilePath = "/Ostrevin/Ostrevin.ver";

// Status texts shown in the About window's CheckVersion label.
std::wstring status_connecting(std::wstring_view host);
std::wstring status_checking(std::wstring_view host);
std::wstring status_spinner(std::wstring_view host, wchar_t c);  // c one of | / - '\'
std::wstring status_unreachable(std::wstring_view host);
std::wstring status_no_information();
std::wstring status_current();
std::wstring status_newer(std::wstring_view available);
std::wstring status_older(std::wstring_view available);

// The counter as the window keeps it: leading decimal digits, anything else is 0.
int counter_value(std::wstring_view text);

// What the window must do after a step.
struct CheckStep {
    bool start_load = false;
    bool stop_timer = false;
};

class UpdateCheck {
public:
    UpdateCheck(std::wstring host, std::wstring running_version);

    // The state as the window shows it; the window copies its labels in before
    // each step and the results back out after it.
    std::wstring status;        // CheckVersion
    std::wstring counter_text;  // TimerCounter
    std::wstring available;     // AvailableVersion: the last document title

    const std::wstring& host() const { return host_; }
    bool waiting() const;  // Connecting, Checking or a spinner state

    CheckStep tick();
    // A finished load; nullopt is a document without a readable title, which
    // changes nothing.
    CheckStep completed(std::optional<std::wstring_view> title);

private:
    std::wstring host_;
    std::wstring running_version_;
};

// "host[:port]" of the update server. Only name and address characters are
// accepted, as the text goes into the request as it is.
struct ServerAddress {
    std::wstring host;       // without brackets around an IPv6 address
    std::uint16_t port = 80;
    std::string authority;   // for the Host header
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
