#include <gtest/gtest.h>

#include <tuple>

#include "core/update_check.h"
#include "core/version.h"

using namespace core;

namespace {

constexpr wchar_t kRunning[] = L"2014.0312.1118";
constexpr wchar_t T[] = L"tick";  // an event that is a tick, not a completion
constexpr wchar_t kCannot[] = L"Internet Explorer cannot display the webpage";

// Plays ticks and completions ("" is a document without a readable title) as the
// About window does: its timer stops when told and every start_load is counted.
struct Played {
    UpdateCheck check{L"example.test", kRunning};
    bool timer = true;
    int loads = 0;
    explicit Played(std::initializer_list<const wchar_t*> events) {
        for (const wchar_t* e : events) {
            if (e == T) {
                EXPECT_TRUE(timer) << "tick while the timer is stopped";
            }
            CheckStep s =
                e == T ? check.tick() : check.completed(*e ? std::optional<std::wstring_view>(e) : std::nullopt);
            loads += s.start_load;
            timer = timer && !s.stop_timer;
        }
    }
};

}  // namespace

// The About window's tests cover a plain result, a 404, two failed loads and a
// server that never answers; these are the courses they do not reach.
TEST(UpdateCheck, CoursesOfTicksAndCompletions) {
    const std::wstring nb = L"\u00A0\u00A0", checking = nb + L"Checking for updates on example.test" + nb;
    const std::wstring spin = L"Checking for updates on example.test ";
    const struct {
        Played run;
        std::wstring status;
        int counter, loads;
        bool timer;
    } cases[] = {
        {Played{T, kRunning, T}, L"This version is current!", 2, 1, false},         // the tick after a result stops
        {Played{T, T, T, T}, nb + L"Connecting to example.test" + nb, 8, 4, true},  // two a tick without a reply
        {Played{T, kCannot}, checking, 2, 1, true},
        {Played{T, kCannot, T}, spin + L"|", 3, 2, true},
        {Played{T, kCannot, T, T}, spin + L"/", 4, 3, true},
        {Played{T, kCannot, T, T, T, T, T}, spin + L"|", 7, 6, true},
        // The spinner gives up at ten.
        {Played{T, kCannot, T, T, T, T, T, T, T, T}, L"Unable to connect to example.test", 10, 9, false},
        {Played{T, kRunning, kCannot, T}, spin + L"|", 3, 2, true},  // a late failure: checking again
        {Played{T, L"HTTP 404 Not Found", kCannot}, checking, 2, 1, false},
        // An unreadable title changes nothing, and the time-out still applies.
        {Played{T, L""}, nb + L"Connecting to example.test" + nb, 2, 1, true},
        {Played{T, L"", T, T, T, T}, L"Unable to connect to example.test", 10, 5, false},
        // Versions compare as text, not as numbers.
        {Played{T, L"2014.0312.1117"}, L"This is a beta version.  Version online is 2014.0312.1117", 2, 1, true},
        {Played{T, L"2014.312.1118"}, L"Version 2014.312.1118 is available", 2, 1, true},  // "3" sorts after "0"
        {Played{T, L"Maintenance"}, L"Version Maintenance is available", 2, 1, true},      // a letter after every digit
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.run.check.status(), c.status);
        EXPECT_EQ(std::tuple(c.run.check.counter(), c.run.loads, c.run.timer), std::tuple(c.counter, c.loads, c.timer))
            << testing::PrintToString(c.status);
    }
}

TEST(UpdateServerAddress, HostPortAndRefusedTexts) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        // the text, then its host and port; nullptr: refused
        {L"updates.example.test", L"updates.example.test 80"},
        {L"[::1]:65535", L"::1 65535"},
        {L"", nullptr},
        {L"host:", nullptr},
        {L"host:65536", nullptr},
        {L"host:8o", nullptr},
        {L"a b", nullptr},
        {L"host\r\nX-Evil: 1", nullptr},
        {L"::1", nullptr},
        {L"[::1]80", nullptr},
        {L"h\u00E9st", nullptr},
    };
    for (const auto& [text, parsed] : cases) {
        auto a = parse_server(text);
        ASSERT_EQ(a.has_value(), parsed != nullptr) << testing::PrintToString(std::wstring(text));
        if (!a) continue;
        EXPECT_EQ(a->host + L" " + std::to_wstring(a->port), parsed);
        EXPECT_EQ(std::wstring(a->authority.begin(), a->authority.end()), text);  // for the Host header
    }
    std::string req = version_request(*parse_server(L"127.0.0.1:8080"), kVersionFilePath);
    EXPECT_EQ(req.rfind("GET /Ostrevin/Ostrevin.ver HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(req.find("\r\nHost: 127.0.0.1:8080\r\n"), std::string::npos);
    EXPECT_EQ(req.substr(req.size() - 4), "\r\n\r\n");
}

// What the About window's tests do not send: replies cut short, odd headers, odd titles.
TEST(UpdateReply, DocumentTitleOrTheTitleOfTheFailure) {
    const std::string page = "<html><head><title>2014.0312.1118</title></head><body>x</body></html>";
    const std::string ok = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    EXPECT_EQ(reply_title(ok + "Content-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page, false),
              L"2014.0312.1118");  // whole by its length, even if reset afterwards
    EXPECT_EQ(reply_title("HTTP/1.0 200 OK\n\n" + page, true), L"2014.0312.1118");  // bare line feeds
    EXPECT_EQ(reply_title("HTTP/1.1 503 Busy\r\n\r\n<title>Error</title>", true), L"HTTP 404 Not Found");
    // Cut short: the cancelled-load title.
    const std::wstring cut = L"Navigation Canceled";
    EXPECT_EQ(reply_title(ok, true), cut);
    EXPECT_EQ(reply_title(ok + "Content-Length: 500\r\n\r\n" + page, true), cut);
    EXPECT_EQ(reply_title(ok + "\r\n" + page, false), cut);
    // A document without a usable title.
    EXPECT_EQ(reply_title(ok + "\r\n<title> </title>", true), std::nullopt);

    EXPECT_EQ(html_title("<titles>no</titles><TITLE lang=\"en\">\r\n  Version   two \n</TITLE>"), L"Version two");
    EXPECT_EQ(html_title("<title>a &amp; b &lt;&gt; &#65;&#x42; &nbsp;&bogus;</title>"), L"a & b <> AB \u00A0&bogus;");
    EXPECT_EQ(html_title("<title>caf\xC3\xA9</title>"), L"caf\u00E9");  // UTF-8
    EXPECT_EQ(html_title("<title>caf\xE9</title>"), L"caf\u00E9");      // not UTF-8: one character per byte
    EXPECT_EQ(html_title("<title>never closed"), std::nullopt);
    EXPECT_EQ(html_title("<title>" + std::string(64 * 1024, '&') + "amp;</title>"), std::wstring(64 * 1024, L'&'));
}

// The About window's own test compares against this text, so it cannot catch it.
TEST(Version, PaddedToFourDigits) {
    EXPECT_EQ(padded_version_text({2014, 312, 1118}), L"2014.0312.1118");
    EXPECT_EQ(padded_version_text({12345, 0, 7}), L"12345.0000.0007");
}
