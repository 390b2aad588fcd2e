#include <gtest/gtest.h>

#include <string>

#include "core/update_check.h"

using namespace core;

namespace {

constexpr wchar_t kHost[] = L"example.test";
constexpr wchar_t kRunning[] = L"2014.0312.1118";
const std::wstring kConnecting = L"\u00A0\u00A0Connecting to example.test\u00A0\u00A0";
const std::wstring kChecking = L"\u00A0\u00A0Checking for updates on example.test\u00A0\u00A0";
const std::wstring kUnreachable = L"Unable to connect to example.test";
const std::wstring kCannotDisplay = L"Internet Explorer cannot display the webpage";

// What the About window does with each step: a timer that stops when told and
// a count of the loads started.
struct Driver {
    UpdateCheck check{kHost, kRunning};
    bool timer = true;
    int loads = 0;

    void tick() {
        ASSERT_TRUE(timer) << "tick while the timer is stopped";
        apply(check.tick());
    }
    void complete(std::optional<std::wstring_view> title) { apply(check.completed(title)); }
    void apply(CheckStep s) {
        if (s.start_load) ++loads;
        if (s.stop_timer) timer = false;
    }
    const std::wstring& status() const { return check.status; }
    const std::wstring& counter() const { return check.counter_text; }
};

}  // namespace

TEST(UpdateCheckCourses, SameVersionIsCurrentAndTheNextTickStops) {
    Driver d;
    d.check.counter_text = L"TimerCounter";  // the label's design text counts as 0
    d.tick();
    EXPECT_EQ(d.counter(), L"2");
    EXPECT_EQ(d.loads, 1);
    EXPECT_EQ(d.status(), kConnecting);
    d.complete(L"2014.0312.1118");
    EXPECT_EQ(d.status(), L"This version is current!");
    EXPECT_TRUE(d.timer);  // the completion leaves the timer to the next tick
    d.tick();
    EXPECT_FALSE(d.timer);
    EXPECT_EQ(d.loads, 1);
    EXPECT_EQ(d.counter(), L"2");
    EXPECT_EQ(d.status(), L"This version is current!");
}

TEST(UpdateCheckCourses, NoNetworkGivesUpAfterTheSecondFailedLoad) {
    for (std::wstring_view failure : {kTitleCannotDisplay, kTitleCancelled}) {
        Driver d;
        d.tick();
        d.complete(failure);
        EXPECT_EQ(d.status(), kChecking);
        EXPECT_TRUE(d.timer);
        d.tick();
        EXPECT_EQ(d.status(), L"Checking for updates on example.test |");
        EXPECT_EQ(d.loads, 2);
        EXPECT_EQ(d.counter(), L"3");
        d.complete(failure);
        EXPECT_EQ(d.status(), kUnreachable);
        EXPECT_FALSE(d.timer);
        EXPECT_EQ(d.check.available, failure);
    }
}

TEST(UpdateCheckCourses, NoReplyGivesUpOnTheFifthTick) {
    Driver d;
    for (int i = 1; i <= 4; ++i) {
        d.tick();
        EXPECT_EQ(d.status(), kConnecting) << "tick " << i;
        EXPECT_EQ(d.counter(), std::to_wstring(2 * i));
    }
    EXPECT_TRUE(d.timer);
    d.tick();
    EXPECT_EQ(d.status(), kUnreachable);
    EXPECT_EQ(d.counter(), L"10");
    EXPECT_FALSE(d.timer);
    EXPECT_EQ(d.loads, 5);  // every waiting tick starts a load, the last one too
}

TEST(UpdateCheckCourses, MissingFileStopsAtOnceWithoutSpinner) {
    Driver d;
    d.tick();
    d.complete(L"HTTP 404 Not Found");
    EXPECT_EQ(d.status(), L"No version information available, try again later");
    EXPECT_FALSE(d.timer);
    EXPECT_EQ(d.loads, 1);
}

TEST(UpdateCheckCourses, SpinnerTurnsOncePerTickUntilTheCounterReachesTen) {
    Driver d;
    d.tick();
    d.complete(kCannotDisplay);  // Checking, counter 2
    const wchar_t turns[] = {L'|', L'/', L'-', L'\\', L'|', L'/', L'-'};
    for (int i = 0; i < 7; ++i) {
        d.tick();
        EXPECT_EQ(d.status(), status_spinner(kHost, turns[i]));
        EXPECT_EQ(d.counter(), std::to_wstring(3 + i));
    }
    EXPECT_TRUE(d.timer);
    d.tick();  // the eighth counts to 10
    EXPECT_EQ(d.status(), kUnreachable);
    EXPECT_FALSE(d.timer);
    EXPECT_EQ(d.loads, 9);
}

TEST(UpdateCheckComparison, TitlesCompareAsTextNotAsNumbers) {
    struct Case {
        const wchar_t* title;
        std::wstring status;
    } cases[] = {
        {L"2014.0312.1118", L"This version is current!"},
        {L"2014.0312.1119", L"Version 2014.0312.1119 is available"},
        {L"2015.0000.0000", L"Version 2015.0000.0000 is available"},
        {L"2014.0312.1117", L"This is a beta version.  Version online is 2014.0312.1117"},
        // Without its leading zero the minor field sorts after: "3" > "0".
        {L"2014.312.1118", L"Version 2014.312.1118 is available"},
        // A letter sorts after every digit.
        {L"Maintenance", L"Version Maintenance is available"},
        // Case matters: "a" is not "A".
        {L"2014.0312.1118a", L"Version 2014.0312.1118a is available"},
        {L"2014", L"This is a beta version.  Version online is 2014"},
    };
    for (const auto& c : cases) {
        Driver d;
        d.tick();
        d.complete(c.title);
        EXPECT_EQ(d.status(), c.status) << testing::PrintToString(std::wstring(c.title));
        EXPECT_EQ(d.check.available, c.title);
    }
}

TEST(UpdateCheckEdges, LateFailureAfterAResultGoesBackToChecking) {
    // The timer still runs: the check carries on from Checking.
    Driver d;
    d.tick();
    d.complete(L"2014.0312.1118");
    d.complete(kCannotDisplay);
    EXPECT_EQ(d.status(), kChecking);
    d.tick();
    EXPECT_EQ(d.status(), L"Checking for updates on example.test |");
    EXPECT_EQ(d.loads, 2);

    // The timer already stopped: the status stays at the Checking text.
    Driver e;
    e.tick();
    e.complete(L"HTTP 404 Not Found");
    ASSERT_FALSE(e.timer);
    e.complete(kCannotDisplay);
    EXPECT_EQ(e.status(), kChecking);
    EXPECT_FALSE(e.timer);
}

TEST(UpdateCheckEdges, UnreadableTitleChangesNothingAndTheTimeOutStillApplies) {
    Driver d;
    d.tick();
    d.complete(std::nullopt);
    EXPECT_EQ(d.status(), kConnecting);
    EXPECT_TRUE(d.timer);
    EXPECT_TRUE(d.check.available.empty());
    for (int i = 0; i < 4; ++i) d.tick();
    EXPECT_EQ(d.status(), kUnreachable);
    EXPECT_FALSE(d.timer);
}

TEST(UpdateCheckEdges, StatusOnlyCountsWhenItMatchesExactly) {
    Driver d;
    // The same words for another host are no waiting state: a result, so the tick stops.
    d.check.status = status_connecting(L"other.test");
    d.tick();
    EXPECT_FALSE(d.timer);
    EXPECT_EQ(d.loads, 0);
    EXPECT_EQ(d.counter(), L"0");

    // A counter text with trailing non-digits reads its leading number.
    EXPECT_EQ(counter_value(L"7"), 7);
    EXPECT_EQ(counter_value(L"12x"), 12);
    EXPECT_EQ(counter_value(L""), 0);
    EXPECT_EQ(counter_value(L"x12"), 0);
    Driver e;
    e.check.counter_text = L"9";  // past the limit already after this tick's counts
    e.tick();
    EXPECT_EQ(e.status(), kUnreachable);
    EXPECT_FALSE(e.timer);
}

TEST(UpdateServerAddress, HostPortAndRefusedTexts) {
    auto a = parse_server(L"updates.example.test");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, L"updates.example.test");
    EXPECT_EQ(a->port, 80);
    EXPECT_EQ(a->authority, "updates.example.test");

    a = parse_server(L"127.0.0.1:8080");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, L"127.0.0.1");
    EXPECT_EQ(a->port, 8080);
    EXPECT_EQ(a->authority, "127.0.0.1:8080");

    a = parse_server(L"[::1]:65535");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, L"::1");
    EXPECT_EQ(a->port, 65535);
    EXPECT_EQ(a->authority, "[::1]:65535");

    for (const wchar_t* bad : {L"", L":80", L"host:", L"host:0", L"host:65536", L"host:8o", L"a b", L"h/x",
                               L"host\r\nX-Evil: 1", L"::1", L"[::1", L"[]:80", L"[::1]80", L"h\u00E9st"})
        EXPECT_FALSE(parse_server(bad)) << testing::PrintToString(std::wstring(bad));

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
