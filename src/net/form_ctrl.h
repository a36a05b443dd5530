// FormCtrl: the hidden utility of one network call, made at its start and destroyed at its
// end. It hosts the call's two components: the transfer (WinINet, which needs no window)
// and the socket (Winsock, which reports its connection state through messages to the
// utility's hidden window; the window is made when the socket is first taken).
#pragma once

#include "net/socket_connector.h"
#include "net/transfer.h"

#include <memory>
#include <windows.h>

namespace ondrik {

class FormCtrl {
public:
    FormCtrl() = default;
    FormCtrl(const FormCtrl&) = delete;
    FormCtrl& operator=(const FormCtrl&) = delete;
    ~FormCtrl(); // releases the components, then destroys the window if it was made

    // The components. The transfer needs no window; taking the socket loads the window,
    // which stays hidden (nullptr when it cannot be made).
    Transfer& inetTransfer();
    SocketConnector* wsck();

private:
    bool load();
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::unique_ptr<Transfer> transfer_;
    std::unique_ptr<SocketConnector> socket_;
};

} // namespace ondrik
