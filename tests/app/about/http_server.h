#pragma once
// A small HTTP server on 127.0.0.1 for the update check: it serves the version
// document, answers 404 or 500, drops the connection, or accepts and never answers.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace test {

class HttpServer {
public:
    enum class Mode { Version, NotFound, ServerError, Drop, Silent };

    HttpServer();  // listening on an ephemeral port
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void serve(Mode mode, std::string title = {});
    std::wstring address() const;  // "127.0.0.1:port", as the settings take it
    int accepted() const;          // connections so far
    int stillOpen() const;         // silent connections the client has not closed
    std::vector<std::string> requests() const;  // request heads received

    // A port on which nothing listens.
    static std::wstring closed_address();

private:
    void loop();
    void answer(SOCKET c);

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex m_;
    Mode mode_ = Mode::Version;
    std::string title_;
    int accepted_ = 0;
    std::vector<SOCKET> silent_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace test
