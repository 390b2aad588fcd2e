#include "core/update_check.h"

#include <array>
#include <utility>

namespace core {
namespace {

constexpr std::array<wchar_t, 4> kSpinner = {L'|', L'/', L'-', L'\\'};
constexpr int kGiveUpCount = 10;

std::wstring nbsp2() { return std::wstring(2, kNbsp); }

bool is_error_title(std::wstring_view t) { return t == kTitleCannotDisplay || t == kTitleCancelled; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool starts_with_nocase(std::string_view s, std::size_t at, std::string_view word) {
    if (s.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(s[at + i]) != word[i]) return false;
    return true;
}

std::size_t find_nocase(std::string_view s, std::string_view word, std::size_t from) {
    for (std::size_t i = from; i + word.size() <= s.size(); ++i)
        if (starts_with_nocase(s, i, word)) return i;
    return std::string_view::npos;
}

bool html_space(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\f'; }

void append_code_point(std::wstring& out, char32_t c) {
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if constexpr (sizeof(wchar_t) == 2) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

// UTF-8 when the bytes are valid UTF-8, otherwise one character per byte: a
// version file declares no encoding and its title is plain ASCII anyway.
std::u32string decode_bytes(std::string_view s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0 || s.size() - i <= static_cast<std::size_t>(extra)) break;
        char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cb & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        // Overlong forms are not UTF-8.
        if (!ok || (extra == 1 && c < 0x80) || (extra == 2 && c < 0x800) || (extra == 3 && c < 0x10000)) break;
        out.push_back(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    if (i == s.size()) return out;
    out.clear();
    for (char ch : s) out.push_back(static_cast<unsigned char>(ch));
    return out;
}

// Character references a version title may reasonably hold.
std::u32string decode_references(const std::u32string& s) {
    std::u32string out;
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != U'&') {
            out.push_back(s[i++]);
            continue;
        }
        // Only the next ten characters are looked at, so a run of "&" stays linear.
        std::size_t semi = std::u32string_view(s).substr(0, i + 11).find(U';', i + 1);
        if (semi == std::u32string::npos) {
            out.push_back(s[i++]);
            continue;
        }
        std::u32string name = s.substr(i + 1, semi - i - 1);
        std::optional<char32_t> c;
        if (name == U"amp") c = U'&';
        else if (name == U"lt") c = U'<';
        else if (name == U"gt") c = U'>';
        else if (name == U"quot") c = U'"';
        else if (name == U"apos") c = U'\'';
        else if (name == U"nbsp") c = 0xA0;
        else if (name.size() > 1 && name[0] == U'#') {
            bool hex = name[1] == U'x' || name[1] == U'X';
            std::size_t k = hex ? 2 : 1;
            char32_t v = 0;
            bool ok = k < name.size();
            for (; k < name.size() && ok; ++k) {
                char32_t d = name[k];
                int digit = d >= U'0' && d <= U'9'          ? static_cast<int>(d - U'0')
                            : hex && d >= U'a' && d <= U'f' ? static_cast<int>(d - U'a' + 10)
                            : hex && d >= U'A' && d <= U'F' ? static_cast<int>(d - U'A' + 10)
                                                            : -1;
                if (digit < 0) ok = false;
                else v = v * (hex ? 16u : 10u) + static_cast<char32_t>(digit);
            }
            if (ok) c = v;
        }
        if (!c) {
            out.push_back(s[i++]);
            continue;
        }
        out.push_back(*c);
        i = semi + 1;
    }
    return out;
}

std::optional<std::size_t> digits_value(std::string_view s, std::size_t max_value) {
    if (s.empty()) return std::nullopt;
    std::size_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::size_t>(c - '0');
        if (v > max_value) return std::nullopt;
    }
    return v;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

bool is_waiting(CheckState s) {
    switch (s) {
        case CheckState::Connecting:
        case CheckState::Checking:
        case CheckState::SpinnerBar:
        case CheckState::SpinnerSlash:
        case CheckState::SpinnerDash:
        case CheckState::SpinnerBackslash:
            return true;
        default:
            return false;
    }
}

std::wstring status_text(CheckState s, std::wstring_view host, std::wstring_view available) {
    const std::wstring h(host), v(available);
    switch (s) {
        case CheckState::Connecting:
            return nbsp2() + L"Connecting to " + h + nbsp2();
        case CheckState::Checking:
            return nbsp2() + L"Checking for updates on " + h + nbsp2();
        case CheckState::SpinnerBar:
        case CheckState::SpinnerSlash:
        case CheckState::SpinnerDash:
        case CheckState::SpinnerBackslash:
            return L"Checking for updates on " + h + L" " +
                   kSpinner[static_cast<std::size_t>(s) - static_cast<std::size_t>(CheckState::SpinnerBar)];
        case CheckState::Unreachable:
            return L"Unable to connect to " + h;
        case CheckState::NoInformation:
            return L"No version information available, try again later";
        case CheckState::Current:
            return L"This version is current!";
        case CheckState::Newer:
            return L"Version " + v + L" is available";
        case CheckState::Older:
            return L"This is a beta version.  Version online is " + v;
    }
    return {};
}

UpdateCheck::UpdateCheck(std::wstring host, std::wstring running_version)
    : host_(std::move(host)), running_version_(std::move(running_version)) {}

CheckStep UpdateCheck::tick() {
    CheckStep step;
    if (state_ == CheckState::Connecting) ++counter_;

    if (state_ == CheckState::Checking || state_ == CheckState::SpinnerBackslash) state_ = CheckState::SpinnerBar;
    else if (state_ == CheckState::SpinnerBar) state_ = CheckState::SpinnerSlash;
    else if (state_ == CheckState::SpinnerSlash) state_ = CheckState::SpinnerDash;
    else if (state_ == CheckState::SpinnerDash) state_ = CheckState::SpinnerBackslash;

    if (!is_waiting(state_)) {
        step.stop_timer = true;
        return step;
    }
    step.start_load = true;
    // Counting in twos from Connecting and in ones after it lands on the limit exactly.
    if (++counter_ >= kGiveUpCount) {
        step.stop_timer = true;
        state_ = CheckState::Unreachable;
    }
    return step;
}

CheckStep UpdateCheck::completed(std::optional<std::wstring_view> title) {
    CheckStep step;
    if (!title) return step;
    available_ = std::wstring(*title);
    if (is_error_title(available_)) {
        if (is_waiting(state_) && state_ != CheckState::Connecting) {
            state_ = CheckState::Unreachable;
            step.stop_timer = true;
        } else {
            state_ = CheckState::Checking;
        }
    } else if (available_ == kTitleNotFound) {
        state_ = CheckState::NoInformation;
        step.stop_timer = true;
    } else {
        // Compared as text by character code, not as numbers.
        int order = available_.compare(running_version_);
        state_ = order == 0 ? CheckState::Current : order > 0 ? CheckState::Newer : CheckState::Older;
    }
    return step;
}

std::optional<ServerAddress> parse_server(std::wstring_view text) {
    ServerAddress a;
    std::wstring_view host, port;
    if (!text.empty() && text.front() == L'[') {
        std::size_t close = text.find(L']');
        if (close == std::wstring_view::npos) return std::nullopt;
        host = text.substr(1, close - 1);
        std::wstring_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != L':') return std::nullopt;
            port = rest.substr(1);
            if (port.empty()) return std::nullopt;
        }
        if (host.empty()) return std::nullopt;
        for (wchar_t c : host) {
            bool hex = (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
            if (!hex && c != L':' && c != L'.') return std::nullopt;
        }
    } else {
        std::size_t colon = text.find(L':');
        host = text.substr(0, colon);
        if (colon != std::wstring_view::npos) {
            port = text.substr(colon + 1);
            if (port.empty()) return std::nullopt;
        }
        if (host.empty()) return std::nullopt;
        for (wchar_t c : host) {
            bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
                      c == L'.' || c == L'_';
            if (!ok) return std::nullopt;
        }
    }
    if (!port.empty()) {
        int v = 0;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9') return std::nullopt;
            v = v * 10 + (c - L'0');
            if (v > 65535) return std::nullopt;
        }
        if (v == 0) return std::nullopt;
        a.port = static_cast<std::uint16_t>(v);
    }
    a.host = std::wstring(host);
    // Every character was checked to be ASCII above.
    for (wchar_t c : text) a.authority.push_back(static_cast<char>(c));
    return a;
}

std::string version_request(const ServerAddress& server, std::string_view path) {
    return "GET " + std::string(path) + " HTTP/1.0\r\nHost: " + server.authority +
           "\r\nUser-Agent: Ostrevin\r\nAccept: text/html, */*\r\nPragma: no-cache\r\nConnection: close\r\n\r\n";
}

std::optional<std::wstring> reply_title(std::string_view bytes, bool clean_end) {
    const std::wstring cut_off(kTitleCancelled);
    std::size_t head_end = bytes.find("\r\n\r\n");
    std::size_t body_at = head_end == std::string_view::npos ? head_end : head_end + 4;
    std::size_t lf_end = bytes.find("\n\n");
    if (lf_end != std::string_view::npos && (head_end == std::string_view::npos || lf_end < head_end)) {
        head_end = lf_end;
        body_at = lf_end + 2;
    }
    if (head_end == std::string_view::npos) return cut_off;
    std::string_view head = bytes.substr(0, head_end);

    // Status line: HTTP/d.d NNN reason
    std::size_t line_end = head.find('\n');
    std::string_view status_line = trim(head.substr(0, line_end));
    if (status_line.size() < 12 || status_line.substr(0, 5) != "HTTP/" || status_line[8] != ' ') return cut_off;
    auto status = digits_value(status_line.substr(9, 3), 999);
    if (!status || (status_line.size() > 12 && status_line[12] != ' ')) return cut_off;

    std::optional<std::size_t> length;
    while (line_end != std::string_view::npos) {
        std::size_t start = line_end + 1;
        line_end = head.find('\n', start);
        std::string_view line = head.substr(start, line_end == std::string_view::npos ? line_end : line_end - start);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (colon == 14 && starts_with_nocase(line, 0, "content-length")) {
            length = digits_value(trim(line.substr(colon + 1)), std::size_t{1} << 30);
            if (!length) return cut_off;
        }
    }

    std::string_view body = bytes.substr(body_at);
    if (length) {
        if (body.size() < *length) return cut_off;
        body = body.substr(0, *length);
    } else if (!clean_end) {
        return cut_off;  // without a length only a proper close tells the reply is whole
    }

    // Any other HTTP failure would otherwise be compared as a version text
    // ("Version HTTP 500 ... is available"); it says no more than a 404 does.
    if (*status < 200 || *status > 299) return std::wstring(kTitleNotFound);
    return html_title(body);
}

std::optional<std::wstring> html_title(std::string_view document) {
    std::size_t at = 0;
    for (;;) {
        at = find_nocase(document, "<title", at);
        if (at == std::string_view::npos) return std::nullopt;
        std::size_t after = at + 6;
        if (after < document.size() && (document[after] == '>' || document[after] == '/' ||
                                        html_space(static_cast<unsigned char>(document[after]))))
            break;
        at = after;  // <titles> or the like
    }
    std::size_t open_end = document.find('>', at);
    if (open_end == std::string_view::npos) return std::nullopt;
    std::size_t close = find_nocase(document, "</title", open_end + 1);
    if (close == std::string_view::npos) return std::nullopt;

    std::u32string text = decode_references(decode_bytes(document.substr(open_end + 1, close - open_end - 1)));
    std::wstring out;
    bool pending_space = false;
    for (char32_t c : text) {
        if (html_space(c)) {
            pending_space = !out.empty();
            continue;
        }
        if (pending_space) out.push_back(L' ');
        pending_space = false;
        append_code_point(out, c);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

}  // namespace core
