#include <winsock2.h>
#include <ws2tcpip.h>

#include "about/web_client.h"

#include "core/update_check.h"

namespace about {

struct WebClient::Load {
    UINT_PTR id = 0;
    HWND notify = nullptr;
    UINT message = 0;
    std::wstring server;
    std::string path;
    bool winsock = false;
    HANDLE cancel = nullptr;  // manual reset; set when the load is replaced or stopped
    HANDLE thread = nullptr;
    std::optional<std::wstring> title;  // written by the thread before it posts

    ~Load() {
        if (thread) CloseHandle(thread);
        if (cancel) CloseHandle(cancel);
    }
    bool cancelled() const { return WaitForSingleObject(cancel, 0) == WAIT_OBJECT_0; }
};

namespace {

constexpr std::size_t kMaxReply = 64 * 1024;  // a version file is a few hundred bytes

class Socket {
public:
    ~Socket() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        if (ev_ != WSA_INVALID_EVENT) WSACloseEvent(ev_);
    }
    bool open(const ADDRINFOW& ai) {
        s_ = socket(ai.ai_family, ai.ai_socktype, ai.ai_protocol);
        if (s_ == INVALID_SOCKET) return false;
        ev_ = WSACreateEvent();
        if (ev_ == WSA_INVALID_EVENT) return false;
        // Also makes the socket non-blocking, so a cancel is never stuck in a call.
        return WSAEventSelect(s_, ev_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == 0;
    }
    SOCKET get() const { return s_; }

    enum class Wait { Event, Cancelled, Failed };
    Wait wait(HANDLE cancel, WSANETWORKEVENTS& happened) const {
        HANDLE both[2] = {cancel, ev_};
        DWORD r = WaitForMultipleObjects(2, both, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) return Wait::Cancelled;
        if (r != WAIT_OBJECT_0 + 1) return Wait::Failed;
        if (WSAEnumNetworkEvents(s_, ev_, &happened) != 0) return Wait::Failed;
        return Wait::Event;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
    WSAEVENT ev_ = WSA_INVALID_EVENT;
};

enum class Outcome { Connected, Failed, Cancelled };

Outcome connect_to(Socket& sock, const ADDRINFOW& ai, HANDLE cancel) {
    if (!sock.open(ai)) return Outcome::Failed;
    if (connect(sock.get(), ai.ai_addr, static_cast<int>(ai.ai_addrlen)) == 0) return Outcome::Connected;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return Outcome::Failed;
    for (;;) {
        WSANETWORKEVENTS ne{};
        auto w = sock.wait(cancel, ne);
        if (w == Socket::Wait::Cancelled) return Outcome::Cancelled;
        if (w == Socket::Wait::Failed) return Outcome::Failed;
        if (ne.lNetworkEvents & FD_CONNECT)
            return ne.iErrorCode[FD_CONNECT_BIT] == 0 ? Outcome::Connected : Outcome::Failed;
    }
}

// Sends the request and collects the reply until the server ends the
// connection. False when cancelled; `clean` tells a proper close from a reset.
bool exchange(Socket& sock, const std::string& request, HANDLE cancel, std::string& reply, bool& clean) {
    clean = false;
    std::size_t sent = 0;
    while (sent < request.size()) {
        int n = send(sock.get(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return true;
        WSANETWORKEVENTS ne{};
        auto w = sock.wait(cancel, ne);
        if (w == Socket::Wait::Cancelled) return false;
        if (w == Socket::Wait::Failed) return true;
    }
    char buf[4096];
    for (;;) {
        int n = recv(sock.get(), buf, sizeof buf, 0);
        if (n > 0) {
            reply.append(buf, static_cast<std::size_t>(n));
            if (reply.size() > kMaxReply) return true;  // judged on what came, as cut short
            continue;
        }
        if (n == 0) {
            clean = true;
            return true;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK) return true;
        WSANETWORKEVENTS ne{};
        auto w = sock.wait(cancel, ne);
        if (w == Socket::Wait::Cancelled) return false;
        if (w == Socket::Wait::Failed) return true;
    }
}

// Sets the title the load reports; false when it was cancelled.
bool fetch(const std::wstring& server, const std::string& path, bool winsock, HANDLE cancel,
           std::optional<std::wstring>& title) {
    const std::wstring no_connection(core::kTitleCannotDisplay);
    title = no_connection;
    auto address = core::parse_server(server);
    if (!winsock || !address) return true;

    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* list = nullptr;
    std::wstring port = std::to_wstring(address->port);
    if (GetAddrInfoW(address->host.c_str(), port.c_str(), &hints, &list) != 0) return true;
    struct Free {
        ADDRINFOW* p;
        ~Free() { FreeAddrInfoW(p); }
    } free_list{list};

    std::string request = core::version_request(*address, path);
    for (const ADDRINFOW* ai = list; ai; ai = ai->ai_next) {
        Socket sock;
        Outcome o = connect_to(sock, *ai, cancel);
        if (o == Outcome::Cancelled) return false;
        if (o == Outcome::Failed) continue;
        std::string reply;
        bool clean = false;
        if (!exchange(sock, request, cancel, reply, clean)) return false;
        title = core::reply_title(reply, clean);
        return true;
    }
    return true;  // no address took the connection
}

}  // namespace

WebClient::WebClient(HWND notify, UINT message) : notify_(notify), message_(message) {
    WSADATA data{};
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WebClient::~WebClient() {
    Stop();
    for (auto& l : loads_)
        if (l->thread) WaitForSingleObject(l->thread, INFINITE);
    loads_.clear();
    if (winsock_) WSACleanup();
}

void WebClient::Navigate(const std::wstring& server, const std::string& path) {
    Stop();
    reap();
    auto load = std::make_unique<Load>();
    Load& l = *load;
    l.id = next_id_++;
    l.notify = notify_;
    l.message = message_;
    l.server = server;
    l.path = path;
    l.winsock = winsock_;
    current_ = l.id;
    loads_.push_back(std::move(load));
    l.cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (l.cancel) l.thread = CreateThread(nullptr, 0, &WebClient::run, &l, 0, nullptr);
    if (!l.thread) report_now(l);
}

// A load that could not start fails as one without a connection would.
void WebClient::report_now(Load& l) {
    l.title = std::wstring(core::kTitleCannotDisplay);
    if (!PostMessageW(notify_, message_, l.id, 0)) current_ = 0;
}

DWORD WINAPI WebClient::run(void* param) {
    Load& l = *static_cast<Load*>(param);
    std::optional<std::wstring> title;
    if (fetch(l.server, l.path, l.winsock, l.cancel, title) && !l.cancelled()) {
        l.title = std::move(title);
        // Fails only when the window is already gone, which then has no use for it.
        PostMessageW(l.notify, l.message, l.id, 0);
    }
    return 0;
}

void WebClient::Stop() {
    for (auto& l : loads_)
        if (l->cancel) SetEvent(l->cancel);
    current_ = 0;
}

bool WebClient::Finished(WPARAM id, std::optional<std::wstring>& title) {
    bool reported = false;
    for (auto& l : loads_) {
        if (l->id != id) continue;
        // The thread posts as its last act; waiting for its end also makes its
        // result safe to read here.
        if (l->thread) WaitForSingleObject(l->thread, INFINITE);
        if (id == current_) {
            title = l->title;
            current_ = 0;
            reported = true;
        }
        break;
    }
    reap();
    return reported;
}

// Drops loads whose threads have ended, except the current one, whose
// message may still be on its way.
void WebClient::reap() {
    std::erase_if(loads_, [this](const std::unique_ptr<Load>& l) {
        return l->id != current_ && (!l->thread || WaitForSingleObject(l->thread, 0) == WAIT_OBJECT_0);
    });
}

}  // namespace about
