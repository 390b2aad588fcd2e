#include "http_server.h"

#include <gtest/gtest.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace test {
namespace {

struct WinsockUser {
    WinsockUser() {
        WSADATA d{};
        ok = WSAStartup(MAKEWORD(2, 2), &d) == 0;
    }
    ~WinsockUser() {
        if (ok) WSACleanup();
    }
    bool ok = false;
};

SOCKET bound_loopback(unsigned short& port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof a;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    port = ntohs(a.sin_port);
    return s;
}

bool readable(SOCKET s, long ms) {
    fd_set r;
    FD_ZERO(&r);
    FD_SET(s, &r);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(0, &r, nullptr, nullptr, &tv) == 1;
}

std::string read_head(SOCKET c) {
    std::string head;
    char buf[1024];
    while (head.find("\r\n\r\n") == std::string::npos && readable(c, 2000)) {
        int n = recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        head.append(buf, static_cast<size_t>(n));
    }
    return head;
}

void send_all(SOCKET c, const std::string& s) {
    size_t sent = 0;
    while (sent < s.size()) {
        int n = send(c, s.data() + sent, static_cast<int>(s.size() - sent), 0);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}

}  // namespace

HttpServer::HttpServer() {
    static WinsockUser winsock;
    EXPECT_TRUE(winsock.ok);
    listener_ = bound_loopback(port_);
    EXPECT_NE(listener_, INVALID_SOCKET);
    EXPECT_EQ(listen(listener_, 16), 0);
    thread_ = std::thread([this] { loop(); });
}

HttpServer::~HttpServer() {
    stop_ = true;
    thread_.join();
    for (SOCKET s : silent_) closesocket(s);
    closesocket(listener_);
}

void HttpServer::serve(Mode mode, std::string title) {
    std::lock_guard<std::mutex> lock(m_);
    mode_ = mode;
    title_ = std::move(title);
}

std::wstring HttpServer::address() const { return L"127.0.0.1:" + std::to_wstring(port_); }

int HttpServer::accepted() const {
    std::lock_guard<std::mutex> lock(m_);
    return accepted_;
}

int HttpServer::stillOpen() const {
    std::lock_guard<std::mutex> lock(m_);
    return static_cast<int>(silent_.size());
}

std::vector<std::string> HttpServer::requests() const {
    std::lock_guard<std::mutex> lock(m_);
    return requests_;
}

std::wstring HttpServer::closed_address() {
    unsigned short port = 0;
    SOCKET s = bound_loopback(port);
    EXPECT_NE(s, INVALID_SOCKET);
    closesocket(s);
    return L"127.0.0.1:" + std::to_wstring(port);
}

void HttpServer::loop() {
    while (!stop_) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(listener_, &r);
        std::vector<SOCKET> silent;
        {
            std::lock_guard<std::mutex> lock(m_);
            silent = silent_;
        }
        for (SOCKET s : silent) FD_SET(s, &r);
        timeval tv{0, 20000};
        if (select(0, &r, nullptr, nullptr, &tv) <= 0) continue;

        for (SOCKET s : silent) {
            if (!FD_ISSET(s, &r)) continue;
            char buf[1024];
            int n = recv(s, buf, sizeof buf, 0);
            std::lock_guard<std::mutex> lock(m_);
            if (n > 0) {
                requests_.emplace_back(buf, static_cast<size_t>(n));
            } else {  // the client let go of it
                closesocket(s);
                std::erase(silent_, s);
            }
        }
        if (FD_ISSET(listener_, &r)) {
            SOCKET c = accept(listener_, nullptr, nullptr);
            if (c == INVALID_SOCKET) continue;
            Mode mode;
            {
                std::lock_guard<std::mutex> lock(m_);
                ++accepted_;
                mode = mode_;
                if (mode == Mode::Silent) silent_.push_back(c);
            }
            if (mode != Mode::Silent) answer(c);
        }
    }
}

void HttpServer::answer(SOCKET c) {
    std::string head = read_head(c);
    Mode mode;
    std::string title;
    {
        std::lock_guard<std::mutex> lock(m_);
        requests_.push_back(head);
        mode = mode_;
        title = title_;
    }
    if (mode == Mode::Version) {
        std::string body = "<html><head><title>" + title + "</title></head><body>" + title + "</body></html>";
        send_all(c, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
    } else if (mode == Mode::NotFound) {
        send_all(c, "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
                    "<html><head><title>404 Not Found</title></head><body>Not Found</body></html>");
    } else if (mode == Mode::ServerError) {
        send_all(c, "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
                    "<html><head><title>Internal Server Error</title></head></html>");
    }
    // Drop sends nothing. Either way the end of the reply is the close.
    shutdown(c, SD_SEND);
    char buf[256];
    while (readable(c, 1000) && recv(c, buf, sizeof buf, 0) > 0) {
    }
    closesocket(c);
}

}  // namespace test
