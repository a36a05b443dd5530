// FormCtrl: the hidden utility window made for one network call and destroyed at its end.
// It hosts the call's two components: the transfer (WinINet) and the socket (Winsock,
// which reports its connection state to the window through messages).
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
    ~FormCtrl(); // releases the components, then destroys the window

    // The components; taking one loads the window (which stays hidden). nullptr when the
    // window cannot be made.
    Transfer* inetTransfer();
    SocketConnector* wsck();

private:
    bool load();
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::unique_ptr<Transfer> transfer_;
    std::unique_ptr<SocketConnector> socket_;
};

} // namespace ondrik
