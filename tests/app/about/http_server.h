#pragma once
// A small HTTP server on 127.0.0.1 for the update check. Each connection gets the
// reply set last ("" drops it unanswered); with no reply it is held open, silent,
// until the client lets go.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace test {

class HttpServer {
public:
    HttpServer() {
        static WSADATA wsa;
        static const bool started = WSAStartup(MAKEWORD(2, 2), &wsa) == 0;
        EXPECT_TRUE(started);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        EXPECT_EQ(listen(listener_, 16), 0);
        thread_ = std::thread([this] { loop(); });
    }
    ~HttpServer() {
        stop_ = true;
        thread_.join();
        for (SOCKET s : silent_) closesocket(s);
        closesocket(listener_);
    }

    void serve(std::optional<std::string> reply) {
        std::lock_guard<std::mutex> lock(m_);
        reply_ = std::move(reply);
    }
    std::wstring address() const { return L"127.0.0.1:" + std::to_wstring(port_); }
    std::atomic<int> accepted{0}, still_open{0};  // connections taken; silent ones still held

private:
    static bool readable(SOCKET s, long ms) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(s, &r);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        return select(0, &r, nullptr, nullptr, &tv) == 1;
    }
    // Takes what the client sent; false once it has closed its side.
    static bool receive(SOCKET s) {
        char buf[1024];
        return recv(s, buf, sizeof buf, 0) > 0;
    }
    void loop() {
        while (!stop_) {
            std::erase_if(silent_, [](SOCKET s) { return readable(s, 0) && !receive(s) && closesocket(s) == 0; });
            still_open = static_cast<int>(silent_.size());
            if (!readable(listener_, 20)) continue;
            SOCKET c = accept(listener_, nullptr, nullptr);
            std::optional<std::string> reply;
            {
                std::lock_guard<std::mutex> lock(m_);
                reply = reply_;
            }
            ++accepted;
            if (!reply) {
                silent_.push_back(c);  // counted at the next turn
                continue;
            }
            if (readable(c, 2000)) receive(c);
            send(c, reply->data(), static_cast<int>(reply->size()), 0);
            shutdown(c, SD_SEND);  // the end of the reply is the close
            while (readable(c, 1000) && receive(c)) {}
            closesocket(c);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex m_;
    std::optional<std::string> reply_;
    std::vector<SOCKET> silent_;  // only the server's thread touches these
    std::thread thread_;
};

}  // namespace test
