// The About window and its update check, against a real HTTP server on 127.0.0.1.
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "app/startup.h"
#include "core/update_check.h"
#include "http_server.h"
#include "support/app_fixture.h"
#include "ui/frmAbout.h"

using test::App;
using test::HttpServer;

namespace {

const std::wstring kConnecting = L"\u00A0\u00A0Connecting to updates.test\u00A0\u00A0";
const std::wstring kUnreachable = L"Unable to connect to updates.test";
const std::wstring kNoInformation = L"No version information available, try again later";

std::string version_page(const std::string& title) {
    std::string body = "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>";
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

void point_at(const std::wstring& server) {
    app::state().settings.UpdateServer = server;
    app::state().settings.UpdateHost = L"updates.test";
}

bool wait_until(const std::function<bool()>& done, DWORD ms) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        test::pump(10);
    }
    return true;
}

// Chooses About from the menu; `act` gets the window while it is shown.
void open_about(App& a, std::function<void(ui::FrmAbout&)> act) {
    a.prompts.modal_scripts.push_back([act](win::ModalWindow& w) { act(dynamic_cast<ui::FrmAbout&>(w)); });
    SendMessageW(a.main->hwnd(), WM_COMMAND, ui::ID_MENU_ABOUT, 0);
}

void click_close(ui::FrmAbout& f) {
    SendMessageW(f.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(f.cmdOK.hwnd()));
}

// Waits until the check has stopped its timer; the status then is final.
std::wstring final_status(ui::FrmAbout& f) {
    EXPECT_TRUE(wait_until([&] { return !f.timerRunning(); }, 9000)) << "the check never stopped";
    return f.CheckVersion.text();
}

int threads_of_this_process() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == GetCurrentProcessId()) ++n;
    CloseHandle(snap);
    return n;
}

}  // namespace

namespace {
HWND g_about = nullptr, g_main = nullptr;
bool g_main_disabled = false, g_about_visible = false, g_rescued = false;
}  // namespace

TEST(AboutWindow, ShowsItsTextsModallyAndStartsAFreshCheckOnEveryOpening) {
    HttpServer server;
    server.serve(std::nullopt);
    App a;
    a.start();
    point_at(server.address());
    open_about(a, [&](ui::FrmAbout& f) {
        g_about = f.hwnd();
        EXPECT_EQ(GetWindow(g_about, GW_OWNER), a.main->hwnd());
        core::Version v = app::AppVersion();
        wchar_t version[64];
        std::swprintf(version, 64, L"Version %04u.%04u.%04u", v.major, v.minor, v.revision);
        const std::vector<std::wstring> texts{f.window().text(), f.lblTitle.text(), f.lblVersion.text(),
                                              f.lblDescription.text(), f.cmdOK.text(), f.CheckVersion.text(),
                                              f.TimerCounter.text()};
        EXPECT_EQ(texts, (std::vector<std::wstring>{L"About Ostrevin", L"Ostrevin", version,
                                                    L"A simple file backup utility.", L"Close", kConnecting,
                                                    L"TimerCounter"}));
        EXPECT_NE(f.lblDisclaimer[0].text().find(L"Ostrevin"), std::wstring::npos);
        EXPECT_NE(f.lblDisclaimer[1].text().find(L"Copyright"), std::wstring::npos);
        // The first tick counts twice while connecting.
        EXPECT_TRUE(wait_until([&] { return f.TimerCounter.text() == L"2"; }, 3000));
        EXPECT_EQ(f.CheckVersion.text(), kConnecting);
        click_close(f);
        EXPECT_FALSE(IsWindow(g_about));
    });

    // Reopened: a new window, connecting again from the start (without settings to the
    // built-in host), shown modally until Esc closes it.
    app::state().settings.UpdateServer.clear();
    app::state().settings.UpdateHost.clear();
    g_main = a.main->hwnd();
    open_about(a, [&](ui::FrmAbout& f) {
        g_about = f.hwnd();
        EXPECT_EQ(f.CheckVersion.text(),
                  L"\u00A0\u00A0Connecting to " + std::wstring(core::kDefaultUpdateHost) + L"\u00A0\u00A0");
        EXPECT_EQ(f.TimerCounter.text(), L"TimerCounter");
        // While the modal loop runs: look at both windows, then press Esc.
        UINT_PTR look = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
            KillTimer(nullptr, id);
            g_main_disabled = !IsWindowEnabled(g_main);
            g_about_visible = IsWindowVisible(g_about) != FALSE;
            PostMessageW(GetDlgItem(g_about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        });
        UINT_PTR rescue = SetTimer(nullptr, 0, 8000, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
            KillTimer(nullptr, id);
            g_rescued = true;
            DestroyWindow(g_about);
        });
        ASSERT_NE(look, 0u);
        ASSERT_NE(rescue, 0u);
        f.run_modal(g_main);
        KillTimer(nullptr, rescue);
    });
    EXPECT_FALSE(g_rescued) << "Esc did not close the window";
    EXPECT_TRUE(g_main_disabled);
    EXPECT_TRUE(g_about_visible);
    EXPECT_FALSE(IsWindow(g_about));
    EXPECT_TRUE(IsWindowEnabled(g_main));
    EXPECT_EQ(a.prompts.modal_count, 2);
    EXPECT_TRUE(a.prompts.asked.empty());
}

TEST(UpdateCheck, EndsInTheStatusOfWhatTheServerSaid) {
    HttpServer server;
    App a;
    // The settings file is where users point the check elsewhere.
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\nUpdateServer=" +
                                            test::narrow(server.address()) + "\r\nUpdateHost=updates.test\r\n");
    a.start();
    const std::string running = test::narrow(core::padded_version_text(app::AppVersion()));
    const struct {
        std::string reply, title;
        std::wstring status;
        const wchar_t* counter;
        int loads;
    } cases[] = {
        {version_page(running), running, L"This version is current!", L"2", 1},
        {version_page("9999.0000.0000"), "9999.0000.0000", L"Version 9999.0000.0000 is available", L"2", 1},
        {"HTTP/1.1 404 Not Found\r\n\r\n<title>404 Not Found</title>", "HTTP 404 Not Found", kNoInformation, L"2", 1},
        {"", "Navigation Canceled", kUnreachable, L"3", 2},  // a reply cut off twice
    };
    int before = 0;
    for (const auto& c : cases) {
        server.serve(c.reply);
        open_about(a, [&](ui::FrmAbout& f) {
            EXPECT_EQ(final_status(f), c.status) << c.title;
            EXPECT_EQ(test::narrow(f.AvailableVersion()), c.title);
            EXPECT_EQ(f.TimerCounter.text(), c.counter);
            test::pump(1200);  // no tick is left to change it
            EXPECT_EQ(f.CheckVersion.text(), c.status);
            click_close(f);
        });
        EXPECT_EQ(server.accepted() - before, c.loads);
        before = server.accepted();
    }
    // Nobody listening at all.
    point_at(HttpServer::closed_address());
    open_about(a, [&](ui::FrmAbout& f) {
        EXPECT_EQ(final_status(f), kUnreachable);
        EXPECT_EQ(f.AvailableVersion(), L"Internet Explorer cannot display the webpage");
        click_close(f);
    });
    EXPECT_TRUE(a.prompts.asked.empty());  // the check never shows a message box
}

TEST(UpdateCheck, ServerThatNeverAnswersIsGivenUpOnTheFifthTick) {
    HttpServer server;
    server.serve(std::nullopt);
    App a;
    a.start();
    point_at(server.address());
    open_about(a, [&](ui::FrmAbout& f) {
        DWORD opened = GetTickCount();
        EXPECT_TRUE(wait_until([&] { return !f.timerRunning(); }, 10000));
        EXPECT_GE(GetTickCount() - opened, 4500u);
        EXPECT_EQ(f.CheckVersion.text(), kUnreachable);
        EXPECT_EQ(f.TimerCounter.text(), L"10");
        // Each waiting tick's load replaced the one before; giving up ends the last.
        EXPECT_EQ(server.accepted(), 4);
        EXPECT_TRUE(wait_until([&] { return server.stillOpen() == 0; }, 3000)) << server.stillOpen();
        click_close(f);
    });
}

TEST(AboutWindow, ClosingMidCheckLeavesNoThreadOrConnectionBehind) {
    HttpServer server;
    server.serve(std::nullopt);
    App a;
    a.start();
    point_at(server.address());
    const int baseline = threads_of_this_process();
    ASSERT_GT(baseline, 0);
    open_about(a, [&](ui::FrmAbout& f) {
        ASSERT_TRUE(wait_until([&] { return server.accepted() >= 2 && server.stillOpen() == 1; }, 5000));
        EXPECT_GT(threads_of_this_process(), baseline);  // a load waits on its own thread
        click_close(f);
        EXPECT_EQ(threads_of_this_process(), baseline);
    });
    EXPECT_TRUE(wait_until([&] { return server.stillOpen() == 0; }, 3000));
    int accepted = server.accepted();
    test::pump(1500);  // no timer of the closed window goes on loading
    EXPECT_EQ(server.accepted(), accepted);
    EXPECT_EQ(threads_of_this_process(), baseline);
}
