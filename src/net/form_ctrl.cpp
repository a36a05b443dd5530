#include "net/form_ctrl.h"

#include "automation/message_pump.h"

namespace ondrik {

FormCtrl::~FormCtrl() {
    socket_.reset();
    transfer_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
}

bool FormCtrl::load() {
    if (hwnd_) return true;
    hwnd_ = createMessageWindow(L"OndrikFormCtrl", &FormCtrl::windowProc, L"Controlli di utilit\u00e0");
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return hwnd_ != nullptr;
}

Transfer& FormCtrl::inetTransfer() {
    if (!transfer_) transfer_ = std::make_unique<Transfer>();
    return *transfer_;
}

SocketConnector* FormCtrl::wsck() {
    if (!load()) return nullptr;
    if (!socket_) socket_ = std::make_unique<SocketConnector>(hwnd_);
    return socket_.get();
}

LRESULT CALLBACK FormCtrl::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FormCtrl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->socket_ && msg >= SocketConnector::kFirstMessage &&
        msg <= SocketConnector::kLastMessage) {
        self->socket_->onSocketEvent(msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace ondrik
