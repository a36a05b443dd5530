#include "net/socket_connector.h"

#include <ws2tcpip.h>

namespace ondrik {

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
    ADDRINFOW hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(host.c_str(), nullptr, &hints, &found) != 0 || !found) return;
    sockaddr_in to = *reinterpret_cast<sockaddr_in*>(found->ai_addr);
    FreeAddrInfoW(found);
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
