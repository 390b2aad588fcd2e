// The About window's update check, against a real HTTP server on 127.0.0.1.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "app/startup.h"
#include "core/update_check.h"
#include "http_server.h"
#include "support/app_fixture.h"
#include "ui/frmAbout.h"

using test::App;
using test::HttpServer;

namespace {

const std::wstring kUnreachable = L"Unable to connect to updates.test";

std::string version_page(const std::string& title) {
    std::string body = "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>";
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

// Chooses About from the menu; `act` gets the window while it is shown, then it is closed.
void open_about(App& a, std::function<void(ui::FrmAbout&)> act) {
    a.prompts.modal_scripts.push_back([act](win::ModalWindow& w) {
        auto& f = dynamic_cast<ui::FrmAbout&>(w);
        act(f);
        SendMessageW(f.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(f.cmdOK.hwnd()));
    });
    SendMessageW(a.main->hwnd(), WM_COMMAND, ui::ID_MENU_ABOUT, 0);
}

}  // namespace

TEST(UpdateCheck, EndsInTheStatusOfWhatTheServerSaid) {
    HttpServer server;
    App a;
    // The settings file is where users point the check elsewhere.
    test::write_bytes(a.settingsPath(), "[GENERAL SETTINGS]\r\nDefaultJob=None\r\nUpdateServer=" +
                                            test::narrow(server.address()) + "\r\nUpdateHost=updates.test\r\n");
    a.start();
    const std::string running = test::narrow(core::padded_version_text(app::app_version()));
    const struct {
        std::optional<std::string> reply;  // none: the server never answers
        std::string title;
        std::wstring status;
        const wchar_t* counter;
        int loads;
    } cases[] = {
        {version_page(running), running, L"This version is current!", L"2", 1},
        {version_page("9999.0000.0000"), "9999.0000.0000", L"Version 9999.0000.0000 is available", L"2", 1},
        {"HTTP/1.1 404 Not Found\r\n\r\n<title>404 Not Found</title>", "HTTP 404 Not Found",
         L"No version information available, try again later", L"2", 1},
        {"", "Navigation Canceled", kUnreachable, L"3", 2},  // a reply cut off twice
        // Each waiting tick's load replaces the one before; the fifth tick gives up.
        {std::nullopt, "", kUnreachable, L"10", 4},
    };
    int before = 0;
    for (const auto& c : cases) {
        server.serve(c.reply);
        open_about(a, [&](ui::FrmAbout& f) {
            EXPECT_TRUE(test::pump_until([&] { return !f.timerRunning(); }, 9000)) << "the check never stopped";
            EXPECT_EQ(f.CheckVersion.text(), c.status) << c.title;
            if (c.reply) {
                EXPECT_EQ(test::narrow(f.AvailableVersion()), c.title);
            }
            EXPECT_EQ(f.TimerCounter.text(), c.counter);
            test::pump(1200);  // no tick is left to change it
            EXPECT_EQ(f.CheckVersion.text(), c.status);
            EXPECT_TRUE(test::pump_until([&] { return server.still_open == 0; }, 3000)) << server.still_open;
        });
        EXPECT_EQ(server.accepted - before, c.loads);
        before = server.accepted;
    }
    EXPECT_TRUE(a.prompts.asked.empty());  // the check never shows a message box
}

TEST(UpdateCheck, ClosingMidCheckLeavesNoConnectionOrLoadBehind) {
    HttpServer server;
    server.serve(std::nullopt);
    App a;
    a.start();
    app::state().settings.UpdateServer = server.address();
    open_about(a, [&](ui::FrmAbout&) {
        ASSERT_TRUE(test::pump_until([&] { return server.accepted >= 2 && server.still_open == 1; }, 5000));
    });
    EXPECT_TRUE(test::pump_until([&] { return server.still_open == 0; }, 3000));
    const int loads = server.accepted;
    test::pump(1500);  // no timer of the closed window goes on loading
    EXPECT_EQ(server.accepted, loads);
}
