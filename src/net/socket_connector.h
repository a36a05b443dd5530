// The socket component: one TCP connection attempt at a time, its progress reported to
// the owning window as messages (as the Winsock control reports its state), so that a
// caller waiting for it can keep the message loop running.
#pragma once

#include <string>
#include <winsock2.h>

namespace ondrik {

class SocketConnector {
public:
    // Each attempt reports under a message of its own, so that a late report of a closed
    // attempt is never taken for the current one.
    static constexpr UINT kFirstMessage = WM_APP + 1, kLastMessage = WM_APP + 256;
    // Connection states, with the Winsock control's numbers.
    static constexpr int kClosed = 0, kConnecting = 6, kConnected = 7, kError = 9;

    explicit SocketConnector(HWND owner);
    ~SocketConnector();
    SocketConnector(const SocketConnector&) = delete;
    SocketConnector& operator=(const SocketConnector&) = delete;

    // Starts an attempt: resolves the host (serving other clients meanwhile) and returns
    // once the connection is under way (a connection that fails at once, or a host that
    // does not resolve, ends in kError).
    void connect(const std::wstring& host, unsigned short port);
    int state() const { return state_; }
    // The numeric address of the connected remote host.
    std::wstring remoteHostIp() const;
    void close();

    void onSocketEvent(UINT message, WPARAM socket, LPARAM event);

private:
    HWND owner_;
    SOCKET socket_ = INVALID_SOCKET;
    int state_ = kClosed;
    bool started_ = false;
    UINT message_ = kFirstMessage;
};

} // namespace ondrik
