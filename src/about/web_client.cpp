#include <winsock2.h>
#include <ws2tcpip.h>

#include "about/web_client.h"

#include "core/update_check.h"
#include "win/handles.h"

namespace about {

struct WebClient::Load {
    UINT_PTR id = 0;
    HWND notify = nullptr;
    UINT message = 0;
    std::wstring server;
    std::string path;
    bool winsock = false;
    win::Handle cancel;  // manual reset; set when the load is replaced or stopped
    win::Handle thread;
    std::optional<std::wstring> title;  // written by the thread before it posts

    bool cancelled() const { return WaitForSingleObject(cancel.get(), 0) == WAIT_OBJECT_0; }
};

namespace {

constexpr std::size_t kMaxReply = 64 * 1024;  // a version file is a few hundred bytes

// A socket as unique_ptr's "pointer": INVALID_SOCKET is its null.
struct SocketId {
    SOCKET s = INVALID_SOCKET;
    SocketId() = default;
    SocketId(SOCKET v) : s(v) {}
    SocketId(std::nullptr_t) {}
    explicit operator bool() const { return s != INVALID_SOCKET; }
    friend bool operator==(SocketId, SocketId) = default;
};
struct CloseSocket {
    using pointer = SocketId;
    void operator()(SocketId id) const { closesocket(id.s); }
};
struct CloseEvent {
    void operator()(WSAEVENT e) const { WSACloseEvent(e); }
};
struct FreeAddresses {
    void operator()(ADDRINFOW* list) const { FreeAddrInfoW(list); }
};

class Socket {
public:
    bool open(const ADDRINFOW& ai) {
        s_.reset(socket(ai.ai_family, ai.ai_socktype, ai.ai_protocol));
        if (!s_) return false;
        ev_.reset(WSACreateEvent());  // WSA_INVALID_EVENT is null
        if (!ev_) return false;
        // Also makes the socket non-blocking, so a cancel is never stuck in a call.
        return WSAEventSelect(get(), ev_.get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) == 0;
    }
    SOCKET get() const { return s_.get().s; }

    enum class Wait { Event, Cancelled, Failed };
    Wait wait(HANDLE cancel, WSANETWORKEVENTS& happened) const {
        HANDLE both[2] = {cancel, ev_.get()};
        DWORD r = WaitForMultipleObjects(2, both, FALSE, INFINITE);
        if (r == WAIT_OBJECT_0) return Wait::Cancelled;
        if (r != WAIT_OBJECT_0 + 1) return Wait::Failed;
        if (WSAEnumNetworkEvents(get(), ev_.get(), &happened) != 0) return Wait::Failed;
        return Wait::Event;
    }

private:
    std::unique_ptr<SocketId, CloseSocket> s_;
    std::unique_ptr<void, CloseEvent> ev_;
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
    std::unique_ptr<ADDRINFOW, FreeAddresses> addresses(list);

    std::string request = core::version_request(*address, path);
    for (const ADDRINFOW* ai = addresses.get(); ai; ai = ai->ai_next) {
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
    stop();
    for (auto& l : loads_)
        if (l->thread) WaitForSingleObject(l->thread.get(), INFINITE);
    loads_.clear();
    if (winsock_) WSACleanup();
}

void WebClient::navigate(const std::wstring& server, const std::string& path) {
    stop();
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
    l.cancel = win::Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (l.cancel) l.thread = win::Handle(CreateThread(nullptr, 0, &WebClient::run, &l, 0, nullptr));
    if (!l.thread) reportNow(l);
}

// A load that could not start fails as one without a connection would.
void WebClient::reportNow(Load& l) {
    l.title = std::wstring(core::kTitleCannotDisplay);
    if (!PostMessageW(notify_, message_, l.id, 0)) current_ = 0;
}

DWORD WINAPI WebClient::run(void* param) {
    Load& l = *static_cast<Load*>(param);
    std::optional<std::wstring> title;
    if (fetch(l.server, l.path, l.winsock, l.cancel.get(), title) && !l.cancelled()) {
        l.title = std::move(title);
        // Fails only when the window is already gone, which then has no use for it.
        PostMessageW(l.notify, l.message, l.id, 0);
    }
    return 0;
}

void WebClient::stop() {
    for (auto& l : loads_)
        if (l->cancel) SetEvent(l->cancel.get());
    current_ = 0;
}

bool WebClient::finished(WPARAM id, std::optional<std::wstring>& title) {
    bool reported = false;
    for (auto& l : loads_) {
        if (l->id != id) continue;
        // The thread posts as its last act; waiting for its end also makes its
        // result safe to read here.
        if (l->thread) WaitForSingleObject(l->thread.get(), INFINITE);
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
        return l->id != current_ && (!l->thread || WaitForSingleObject(l->thread.get(), 0) == WAIT_OBJECT_0);
    });
}

}  // namespace about
