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
        listener_ = bound(port_);
        EXPECT_EQ(listen(listener_, 16), 0);
        thread_ = std::thread([this] { loop(); });
    }
    ~HttpServer() {
        stop_ = true;
        thread_.join();
        for (SOCKET s : silent_) closesocket(s);
        closesocket(listener_);
    }

    void serve(std::optional<std::string> reply) { locked([&] { reply_ = std::move(reply); }); }
    std::wstring address() const { return L"127.0.0.1:" + std::to_wstring(port_); }
    int accepted() const { return locked([&] { return accepted_; }); }
    int stillOpen() const { return locked([&] { return static_cast<int>(silent_.size()); }); }
    std::vector<std::string> requests() const { return locked([&] { return requests_; }); }

    // A port on which nothing listens.
    static std::wstring closed_address() {
        unsigned short port = 0;
        closesocket(bound(port));
        return L"127.0.0.1:" + std::to_wstring(port);
    }

private:
    template <class F> auto locked(F f) const -> decltype(f()) {
        std::lock_guard<std::mutex> lock(m_);
        return f();
    }
    static SOCKET bound(unsigned short& port) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int len = sizeof a;
        EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        return s;
    }
    static bool readable(SOCKET s, long ms) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(s, &r);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        return select(0, &r, nullptr, nullptr, &tv) == 1;
    }
    // Takes what the client sent; false once it has closed its side.
    bool receive(SOCKET s) {
        char buf[1024];
        int n = recv(s, buf, sizeof buf, 0);
        if (n > 0) locked([&] { requests_.emplace_back(buf, static_cast<size_t>(n)); });
        return n > 0;
    }
    void loop() {
        while (!stop_) {
            std::vector<SOCKET> silent = locked([&] { return silent_; });
            for (SOCKET s : silent)
                if (readable(s, 0) && !receive(s)) {
                    closesocket(s);
                    locked([&] { std::erase(silent_, s); });
                }
            if (!readable(listener_, 20)) continue;
            SOCKET c = accept(listener_, nullptr, nullptr);
            std::optional<std::string> reply = locked([&] {
                ++accepted_;
                return reply_;
            });
            if (!reply) {
                locked([&] { silent_.push_back(c); });
                continue;
            }
            if (readable(c, 2000)) receive(c);
            send(c, reply->data(), static_cast<int>(reply->size()), 0);
            shutdown(c, SD_SEND);  // the end of the reply is the close
            while (readable(c, 1000) && receive(c)) {
            }
            closesocket(c);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex m_;
    std::optional<std::string> reply_;
    int accepted_ = 0;
    std::vector<SOCKET> silent_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace test
