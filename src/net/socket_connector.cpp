#include "net/socket_connector.h"

#include "automation/worker_call.h"

#include <memory>
#include <optional>
#include <ws2tcpip.h>

namespace ondrik {
namespace {

// The host's first IPv4 address, looked up from a worker thread: name resolution blocks
// until the name servers answer, and the server serves other clients meanwhile. The
// worker holds Winsock for itself, so it may outlive the caller's wait.
std::optional<sockaddr_in> resolve(const std::wstring& host) {
    // No name is no host. The name service would answer "" with this machine's own
    // addresses, and a name cut at a character of code 0 with another host's.
    if (host.empty() || host.find(L'\0') != std::wstring::npos) return std::nullopt;
    auto found = std::make_shared<std::optional<sockaddr_in>>();
    HRESULT hr = runServing([host, found] {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
        ADDRINFOW hints = {};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        ADDRINFOW* list = nullptr;
        if (GetAddrInfoW(host.c_str(), nullptr, &hints, &list) == 0 && list) {
            *found = *reinterpret_cast<sockaddr_in*>(list->ai_addr);
            FreeAddrInfoW(list);
        }
        WSACleanup();
    });
    return SUCCEEDED(hr) ? *found : std::nullopt;
}

} // namespace

SocketConnector::SocketConnector(HWND owner) : owner_(owner) {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketConnector::~SocketConnector() {
    close();
    if (started_) WSACleanup();
}

void SocketConnector::connect(const std::wstring& host, unsigned short port) {
    close();
    state_ = kError;
    if (!started_) return;
    std::optional<sockaddr_in> found = resolve(host);
    if (!found) return;
    sockaddr_in to = *found;
    to.sin_port = htons(port);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) return;
    // Non-blocking from here on: the outcome arrives as a message to the owner window.
    message_ = message_ == kLastMessage ? kFirstMessage : message_ + 1;
    if (WSAAsyncSelect(socket_, owner_, message_, FD_CONNECT | FD_CLOSE) != 0) return;
    state_ = kConnecting;
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0) {
        state_ = kConnected;
    } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
        state_ = kError;
    }
}

void SocketConnector::onSocketEvent(UINT message, WPARAM socket, LPARAM event) {
    if (message != message_ || SOCKET(socket) != socket_ || state_ != kConnecting) return;
    if (WSAGETSELECTEVENT(event) == FD_CONNECT)
        state_ = WSAGETSELECTERROR(event) == 0 ? kConnected : kError;
    else if (WSAGETSELECTEVENT(event) == FD_CLOSE)
        state_ = kError;
}

std::wstring SocketConnector::remoteHostIp() const {
    sockaddr_in peer = {};
    int size = sizeof(peer);
    if (socket_ == INVALID_SOCKET || getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &size) != 0)
        return {};
    wchar_t text[INET_ADDRSTRLEN] = {};
    return InetNtopW(AF_INET, &peer.sin_addr, text, INET_ADDRSTRLEN) ? std::wstring(text) : std::wstring();
}

void SocketConnector::close() {
    if (socket_ != INVALID_SOCKET) {
        WSAAsyncSelect(socket_, owner_, 0, 0);
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
    state_ = kClosed;
}

} // namespace ondrik
