#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "core/update_check.h"

using namespace core;

namespace {

constexpr wchar_t kHost[] = L"example.test";
constexpr wchar_t kRunning[] = L"2014.0312.1118";
constexpr wchar_t T[] = L"tick";  // an event that is a tick, not a completion
constexpr wchar_t kCannot[] = L"Internet Explorer cannot display the webpage";
constexpr wchar_t kCancelled[] = L"Navigation Canceled";
constexpr wchar_t k404[] = L"HTTP 404 Not Found";

// Plays ticks and completions ("" is a document without a readable title) as the
// About window does: its timer stops when told and every start_load is counted.
struct Played {
    UpdateCheck check{kHost, kRunning};
    bool timer = true;
    int loads = 0;
    explicit Played(std::initializer_list<const wchar_t*> events) {
        for (const wchar_t* e : events) {
            if (e == T) {
                EXPECT_TRUE(timer) << "tick while the timer is stopped";
            }
            CheckStep s = e == T ? check.tick()
                                 : check.completed(*e ? std::optional<std::wstring_view>(e) : std::nullopt);
            loads += s.start_load;
            timer = timer && !s.stop_timer;
        }
    }
};

}  // namespace

// The states the About window's tests do not reach.
TEST(UpdateCheck, EveryStateShowsItsText) {
    using S = CheckState;
    const std::wstring nb = L"\u00A0\u00A0";
    const struct {
        S state;
        std::wstring text;
        bool waiting;
    } cases[] = {
        {S::Checking, nb + L"Checking for updates on example.test" + nb, true},
        {S::SpinnerBar, L"Checking for updates on example.test |", true},
        {S::SpinnerSlash, L"Checking for updates on example.test /", true},
        {S::SpinnerDash, L"Checking for updates on example.test -", true},
        {S::SpinnerBackslash, L"Checking for updates on example.test \\", true},
        {S::Unreachable, L"Unable to connect to example.test", false},
        {S::Older, L"This is a beta version.  Version online is 2015.0000.0001", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(status_text(c.state, kHost, L"2015.0000.0001"), c.text);
        EXPECT_EQ(is_waiting(c.state), c.waiting) << static_cast<int>(c.state);
    }
}

TEST(UpdateCheck, CoursesOfTicksAndCompletions) {
    using S = CheckState;
    const struct {
        const char* what;
        Played run;
        S state;
        int counter, loads;
        bool timer;
    } cases[] = {
        {"same version: Current, the next tick stops", Played{T, kRunning, T}, S::Current, 2, 1, false},
        {"the completion leaves the timer to the next tick", Played{T, kRunning}, S::Current, 2, 1, true},
        {"no network gives up after a second failed load", Played{T, kCannot, T, kCannot}, S::Unreachable, 3, 2, false},
        {"so does a cancelled load", Played{T, kCancelled, T, kCancelled}, S::Unreachable, 3, 2, false},
        {"the first failure goes to Checking", Played{T, kCannot}, S::Checking, 2, 1, true},
        {"no reply: four ticks count two each", Played{T, T, T, T}, S::Connecting, 8, 4, true},
        {"no reply: the fifth tick gives up", Played{T, T, T, T, T}, S::Unreachable, 10, 5, false},
        {"missing file stops at once", Played{T, k404}, S::NoInformation, 2, 1, false},
        {"the spinner turns once a tick", Played{T, kCannot, T, T, T, T, T}, S::SpinnerBar, 7, 6, true},
        {"the spinner gives up at ten", Played{T, kCannot, T, T, T, T, T, T, T, T}, S::Unreachable, 10, 9, false},
        {"a late failure after a result: Checking again", Played{T, kRunning, kCannot, T}, S::SpinnerBar, 3, 2, true},
        {"a late failure after the stop stays Checking", Played{T, k404, kCannot}, S::Checking, 2, 1, false},
        {"an unreadable title changes nothing", Played{T, L""}, S::Connecting, 2, 1, true},
        {"and the time-out still applies", Played{T, L"", T, T, T, T}, S::Unreachable, 10, 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.run.check.state(), c.state);
        EXPECT_EQ(c.run.check.counter(), c.counter);
        EXPECT_EQ(c.run.loads, c.loads);
        EXPECT_EQ(c.run.timer, c.timer);
    }
    Played spin{T, kCannot};
    for (S s : {S::SpinnerBar, S::SpinnerSlash, S::SpinnerDash, S::SpinnerBackslash, S::SpinnerBar}) {
        spin.check.tick();
        EXPECT_EQ(spin.check.state(), s);
    }
}

TEST(UpdateCheck, TitlesCompareAsTextNotAsNumbers) {
    const struct {
        const wchar_t* title;
        std::wstring status;
    } cases[] = {
        {L"2014.0312.1118", L"This version is current!"},
        {L"2014.0312.1119", L"Version 2014.0312.1119 is available"},
        {L"2014.0312.1117", L"This is a beta version.  Version online is 2014.0312.1117"},
        {L"2014.312.1118", L"Version 2014.312.1118 is available"},  // "3" sorts after "0"
        {L"Maintenance", L"Version Maintenance is available"},      // a letter after every digit
        {L"2014.0312.1118a", L"Version 2014.0312.1118a is available"},
        {L"2014", L"This is a beta version.  Version online is 2014"},
    };
    for (const auto& c : cases) {
        Played d{T, c.title};
        EXPECT_EQ(d.check.status(), c.status);
        EXPECT_EQ(d.check.available(), c.title);
    }
}

TEST(UpdateServerAddress, HostPortAndRefusedTexts) {
    const struct {
        const wchar_t* text;
        const wchar_t* host;  // nullptr: refused
        int port;
    } cases[] = {
        {L"updates.example.test", L"updates.example.test", 80}, {L"127.0.0.1:8080", L"127.0.0.1", 8080},
        {L"[::1]:65535", L"::1", 65535}, {L"", nullptr, 0}, {L":80", nullptr, 0}, {L"host:", nullptr, 0},
        {L"host:0", nullptr, 0}, {L"host:65536", nullptr, 0}, {L"host:8o", nullptr, 0}, {L"a b", nullptr, 0},
        {L"h/x", nullptr, 0}, {L"host\r\nX-Evil: 1", nullptr, 0}, {L"::1", nullptr, 0}, {L"[::1", nullptr, 0},
        {L"[]:80", nullptr, 0}, {L"[::1]80", nullptr, 0}, {L"h\u00E9st", nullptr, 0},
    };
    for (const auto& c : cases) {
        auto a = parse_server(c.text);
        ASSERT_EQ(a.has_value(), c.host != nullptr) << testing::PrintToString(std::wstring(c.text));
        if (!a) continue;
        EXPECT_EQ(a->host, c.host);
        EXPECT_EQ(a->port, c.port);
        EXPECT_EQ(a->authority, std::string(c.text, c.text + wcslen(c.text)));  // for the Host header
    }
    std::string req = version_request(*parse_server(L"127.0.0.1:8080"), kVersionFilePath);
    EXPECT_EQ(req.rfind("GET /Ostrevin/Ostrevin.ver HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(req.find("\r\nHost: 127.0.0.1:8080\r\n"), std::string::npos);
    EXPECT_EQ(req.substr(req.size() - 4), "\r\n\r\n");
}

TEST(UpdateReply, DocumentTitleOrTheTitleOfTheFailure) {
    const std::string page = "<html><head><title>2014.0312.1118</title></head><body>x</body></html>";
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    EXPECT_EQ(reply_title(ok + "\r\n" + page, true), L"2014.0312.1118");
    EXPECT_EQ(reply_title(ok + "Content-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page, false),
              L"2014.0312.1118");  // whole by its length, even if reset afterwards
    EXPECT_EQ(reply_title("HTTP/1.0 200 OK\n\n" + page, true), L"2014.0312.1118");  // bare line feeds

    EXPECT_EQ(reply_title("HTTP/1.1 404 Not Found\r\n\r\n<title>Not here</title>", true), L"HTTP 404 Not Found");
    // Other HTTP failures say no more than a missing file.
    for (const char* status : {"500 Internal Server Error", "503 Busy", "301 Moved", "403 Forbidden"})
        EXPECT_EQ(reply_title(std::string("HTTP/1.1 ") + status + "\r\n\r\n<title>Error</title>", true),
                  L"HTTP 404 Not Found") << status;

    // Cut short: the cancelled-load title.
    const std::wstring cut = L"Navigation Canceled";
    EXPECT_EQ(reply_title("", true), cut);
    EXPECT_EQ(reply_title("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", true), cut);
    EXPECT_EQ(reply_title(ok + "Content-Length: 500\r\n\r\n" + page, true), cut);
    EXPECT_EQ(reply_title(ok + "\r\n" + page, false), cut);
    EXPECT_EQ(reply_title("SSH-2.0-OpenSSH\r\n\r\n", true), cut);
    EXPECT_EQ(reply_title(ok + "Content-Length: lots\r\n\r\n" + page, true), cut);

    // A document without a usable title.
    EXPECT_EQ(reply_title(ok + "\r\n2014.0312.1118", true), std::nullopt);
    EXPECT_EQ(reply_title(ok + "\r\n<title> </title>", true), std::nullopt);
    EXPECT_EQ(reply_title("HTTP/1.1 204 No Content\r\n\r\n", true), std::nullopt);
}

TEST(UpdateReply, TitleReadAsABrowserShowsIt) {
    EXPECT_EQ(html_title("<TITLE>\r\n  2014.0312.1118 \n</TITLE>"), L"2014.0312.1118");
    EXPECT_EQ(html_title("<title lang=\"en\">Version   two</title>"), L"Version two");
    EXPECT_EQ(html_title("<titles>no</titles><title>yes</title>"), L"yes");
    EXPECT_EQ(html_title("<title>a &amp; b &lt;&gt; &#65;&#x42; &nbsp;&bogus;</title>"), L"a & b <> AB \u00A0&bogus;");
    EXPECT_EQ(html_title("<title>caf\xC3\xA9</title>"), L"caf\u00E9");  // UTF-8
    EXPECT_EQ(html_title("<title>caf\xE9</title>"), L"caf\u00E9");      // not UTF-8: one character per byte
    EXPECT_EQ(html_title("<title>\xF0\x9F\x98\x80</title>").value_or(L"").empty(), false);
    EXPECT_EQ(html_title("<title>never closed"), std::nullopt);
    EXPECT_EQ(html_title("no title at all"), std::nullopt);
    EXPECT_EQ(html_title("<title>&#0;</title>"), L"\uFFFD");
    // A reference name is looked for within ten characters of its "&" only.
    EXPECT_EQ(html_title("<title>&#00000065;&#000000065;</title>"), L"A&#000000065;");
    EXPECT_EQ(html_title("<title>&amp&lt;&</title>"), L"&amp<&");
    EXPECT_EQ(html_title("<title>" + std::string(64 * 1024, '&') + "amp;</title>"), std::wstring(64 * 1024, L'&'));
}
